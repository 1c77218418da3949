// Toolbar: a 44-point bar of BarButtonItems laid out from left to right, flexible spaces
// sharing what is left. Made with std::make_shared; main thread only.
//
// Kept from the phone: items sit 12 points from the edges and 10 points apart vertically
// centred; a fixed space takes its width; flexible spaces split the remaining width equally;
// setItems replaces the item views at once (animated only records the change).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/controllers/BarStyle.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class BarButtonItem;

class Toolbar : public View {
 public:
  static constexpr float kHeight = 44;

  explicit Toolbar(const Rect& frame = Rect(0, 0, 320, kHeight));
  ~Toolbar() override;

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  const std::optional<Color>& tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> tint);

  void layoutSubviews() override;
  void draw(Canvas& canvas, const Rect& rect) override;

 private:
  std::vector<std::shared_ptr<BarButtonItem>> items_;
  std::vector<std::shared_ptr<View>> itemViews_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> tint_;
};

}  // namespace zu::ui
