// EditMenuView: the picture of the edit menu — a dark rounded bar of titled items, separated by
// thin lines, with an arrow pointing at the rectangle the menu is for — and its touches: the
// item under a finger lights up while the finger is on it, and a finger lifted on the item it
// went down on chooses that item. MenuController makes one per showing and places it, in a window
// of its own, where layout() says; nothing else needs to make one.
//
// Placement (layout): the bar is centred over the target's middle, kept kMargin points inside
// the screen; it goes above the target when there is room under the top limit (the status bar),
// else below it, else (a target as tall as the screen) over the target's middle with the arrow
// pointing up. The arrow stays under the target's middle, clear of the rounded corners.
//
// Main thread only; made with std::make_shared like every view.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class EditMenuView : public View {
 public:
  static constexpr float kBarHeight = 38;
  static constexpr float kArrowHeight = 9;
  static constexpr float kArrowHalfWidth = 9;
  static constexpr float kCornerRadius = 7;
  static constexpr float kItemPadding = 12;
  static constexpr float kMargin = 4;

  // Where the menu goes: its frame on the screen (bar and arrow), whether the arrow points down
  // (the bar is above the target), and the arrow's x inside the frame.
  struct Placement {
    Rect frame;
    bool arrowDown = true;
    float arrowX = 0;
  };

  // `titles` in order; `choose` is called with the index of the chosen item.
  EditMenuView(std::vector<std::string> titles, std::function<void(size_t)> choose);

  static Font titleFont() { return Font::boldSystemFont(14); }
  // The bar's width for these titles (each title's width plus padding, with separators).
  static float barWidth(const std::vector<std::string>& titles);
  // The placement of a bar `width` wide for `target` (screen coordinates) on a screen `screen`
  // whose content starts at `topLimit`.
  static Placement layout(float width, const Rect& target, const Rect& screen, float topLimit);

  // Takes a placement (the view's frame is then the placement's frame, at the origin of its own
  // window).
  void setPlacement(const Placement& placement);
  const Placement& placement() const { return placement_; }
  const std::vector<std::string>& titles() const { return titles_; }
  // Item rectangles in the view's bounds (the bar's part, without the arrow).
  std::vector<Rect> itemFrames() const;
  // The item at `point` (view coordinates), or none.
  std::optional<size_t> itemAt(Point point) const;
  std::optional<size_t> pressedItem() const { return pressed_; }

  // The bar and the arrow take touches; the clear rest of the frame beside the arrow does not.
  bool pointInside(Point p) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  std::string className() const override { return "EditMenuView"; }
  std::string dumpDetails() const override;

 private:
  Rect barRect() const;
  void setPressed(std::optional<size_t> item);

  std::vector<std::string> titles_;
  std::vector<float> widths_;
  std::function<void(size_t)> choose_;
  Placement placement_;
  std::optional<size_t> down_;     // the item the finger went down on
  std::optional<size_t> pressed_;  // lit while the finger is on the item it went down on
};

}  // namespace zu::ui
