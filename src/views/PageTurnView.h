// PageTurnView: how a GridView reaches its page-turn view (the GL view that draws flat flips
// and book curls over the grid) without depending on its renderer: the operations the grid's
// layout and destruction use. The page-turn view lies in the grid's superview, over the grid;
// the grid owns it and, when it goes, clears the view's delegate before removing it. Main
// thread only.
#pragma once

namespace zu {

namespace ui {
class View;
}  // namespace ui

class PageTurnView {
 public:
  virtual ~PageTurnView() = default;

  // The view itself, as placed in the grid's superview.
  virtual ui::View& view() = 0;
  // Takes the picture of the current page from `view` (the grid).
  virtual void reloadTopTextureWithView(ui::View* view) = 0;
  // Stops reporting the ends of turns to the grid.
  virtual void clearEaglDelegate() = 0;
};

}  // namespace zu
