#include "platform/ui/views/OnScreen.h"

#include "platform/ui/drawing/Screen.h"
#include "platform/ui/system/Application.h"
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

std::shared_ptr<View> OnScreen::underMiddle() {
  const Point middle = Screen::main().bounds().center();
  auto window = Application::shared().windowForTouch(middle);
  return window ? window->hitTest(window->pointFromSuperview(middle)) : nullptr;
}

std::shared_ptr<View> OnScreen::topScreen() {
  std::shared_ptr<View> screen = underMiddle();
  while (screen && screen->superview() && !dynamic_cast<const Window*>(screen->superview().get())) {
    screen = screen->superview();
  }
  if (!screen || dynamic_cast<const Window*>(screen.get())) return nullptr;
  return screen;
}

}  // namespace zu::ui
