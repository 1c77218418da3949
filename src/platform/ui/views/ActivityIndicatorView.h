// ActivityIndicatorView: the spinning "busy" indicator. Main thread; std::make_shared.
//
// Kept from the phone: styles white-large (37 × 37 points), white and grey (20 × 20), the view
// taking that size when made with a style; hidesWhenStopped (default on) hides the view while it
// is stopped, so a new indicator is hidden until startAnimating. Where we differ on purpose: the
// spokes are drawn still (no rotation over time).
#pragma once

#include "platform/ui/views/View.h"

namespace zu::ui {

enum class ActivityIndicatorStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class ActivityIndicatorView : public View {
 public:
  explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);

  ActivityIndicatorStyle style() const { return style_; }
  void setStyle(ActivityIndicatorStyle style);
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }

  Size sizeThatFits(Size size) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 private:
  ActivityIndicatorStyle style_;
  bool hidesWhenStopped_ = true;
  bool animating_ = false;
};

}  // namespace zu::ui
