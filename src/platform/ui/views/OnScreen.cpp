#include "platform/ui/views/OnScreen.h"

#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

bool OnScreen::takesPart(const View& view) {
  return !view.isHidden() && view.alpha() >= 0.01f && view.isUserInteractionEnabled();
}

bool OnScreen::holds(const View& view, bool evenHidden) {
  for (const View* v = &view; v; v = v->superview().get()) {
    if ((v == &view && evenHidden) ? !v->isUserInteractionEnabled() : !takesPart(*v)) return false;
  }
  const Window* window = view.window();
  if (!window) return false;
  return view.convertRectTo(view.bounds(), nullptr).intersects(window->bounds());
}

}  // namespace zu::ui
