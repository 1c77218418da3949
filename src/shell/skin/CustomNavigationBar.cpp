#include "shell/skin/CustomNavigationBar.h"

#include "platform/ui/drawing/Color.h"

namespace zu {

CustomNavigationBar::CustomNavigationBar(const ui::Rect& frame) : ui::NavigationBar(frame) {
  setClipsToBounds(false);
  setBackgroundColor(ui::Color::clearColor());
}

}  // namespace zu
