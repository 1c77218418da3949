// ScrollViewForGridView_3_0: the scroll view every GridView shows its cells in. Besides
// scrolling it tracks one finger at a time and reports where it went down, moved, lifted or was
// cancelled (window coordinates), and it owns the recognisers the grid's page model needs:
// long press always, a double tap while supportDoubleTap is on, a pan under flip models 1 and 2
// (finger-driven page turns; scrolling by dragging is then off), two swipes under models 3 and
// 5 (swipe paging; scrolling by dragging off too). Everything goes to its
// scrollViewForGridViewDelegate. Made with create(); main thread only.
//
// Kept from the phone:
//  - A touch whose tap count is 2 or more is swallowed whole: not tracked, not reported, not
//    passed to the scroll view's own handling. A double tap comes only through the recogniser.
//  - While a finger is tracked, other fingers' beginnings are swallowed; the end of any other
//    finger clears the tracking (so the first finger's end is then ignored too).
//  - The long-press report carries the last tracked finger position, not the recogniser's.
//  - Setting the same flip model or double-tap flag again changes nothing; switching models
//    takes the old recognisers off before putting the new ones on, and paging is on once a
//    model has been set.
//  - Simultaneous recognition (exact classes, so the scroll view's own pan never matches): a
//    tap never; two long presses yes; two pans under models 1 and 2 yes; otherwise only with a
//    tap.
// The long press keeps the kit's default duration; swipes keep the kit's defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ui/input/GestureRecognizer.h"
#include "views/ScrollViewForGridView.h"

namespace zu {

namespace ui {
class LongPressGestureRecognizer;
class PanGestureRecognizer;
class SwipeGestureRecognizer;
class TapGestureRecognizer;
}  // namespace ui

class ScrollViewForGridView_3_0 : public ScrollViewForGridView, public ui::GestureRecognizerDelegate {
 public:
  static std::shared_ptr<ScrollViewForGridView_3_0> create(const ui::Rect& frame);
  explicit ScrollViewForGridView_3_0(const ui::Rect& frame);
  ~ScrollViewForGridView_3_0() override;

  bool supportDoubleTap() const { return supportDoubleTap_; }
  void setSupportDoubleTap(bool support);
  int flipPageModel() const { return flipPageModel_; }
  void setFlipPageModel(int model);

  ui::Point touchPoint() const { return touchPoint_; }
  bool isTrackingTouch() const { return touch_.has_value(); }
  const std::shared_ptr<ui::LongPressGestureRecognizer>& longGesture() const { return longGesture_; }
  const std::shared_ptr<ui::TapGestureRecognizer>& tapGesture() const { return tapGesture_; }
  const std::shared_ptr<ui::PanGestureRecognizer>& panGesture() const { return panGesture_; }
  const std::shared_ptr<ui::SwipeGestureRecognizer>& swipeLeftRecognizer() const { return swipeLeft_; }
  const std::shared_ptr<ui::SwipeGestureRecognizer>& swipeRightRecognizer() const { return swipeRight_; }

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

  bool shouldRecognizeSimultaneously(ui::GestureRecognizer& g, ui::GestureRecognizer& o) override;

  std::string className() const override { return "ScrollViewForGridView_3_0"; }

 private:
  void init();
  std::weak_ptr<ui::GestureRecognizerDelegate> selfAsDelegate();
  // Pan on or off (finger-driven page turns); ends with paging on.
  void setFlipModel0(bool on);
  // Swipes on or off (swipe paging); ends with paging on.
  void setPageModel0(bool on);

  ui::Point touchPoint_;
  std::optional<uint64_t> touch_;  // the tracked finger's identifier
  std::shared_ptr<ui::LongPressGestureRecognizer> longGesture_;
  std::shared_ptr<ui::TapGestureRecognizer> tapGesture_;
  std::shared_ptr<ui::PanGestureRecognizer> panGesture_;
  bool supportDoubleTap_ = false;
  int flipPageModel_ = 0;
  std::shared_ptr<ui::SwipeGestureRecognizer> swipeLeft_;
  std::shared_ptr<ui::SwipeGestureRecognizer> swipeRight_;
};

}  // namespace zu
