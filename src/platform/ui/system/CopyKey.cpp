#include "platform/ui/system/CopyKey.h"

#include <memory>

#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/views/OnScreen.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

// Front to back through the shown part of `view`'s tree: the first view that copies.
bool copyFirstIn(const std::shared_ptr<View>& view) {
  if (!view || !OnScreen::takesPart(*view)) return false;
  const auto subviews = view->subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (copyFirstIn(*it)) return true;
  }
  return OnScreen::holds(*view) && view->copySelection();
}

}  // namespace

bool CopyKey::press() {
  Keyboard& keyboard = Keyboard::shared();
  if (keyboard.firstResponder()) return keyboard.performEditCommand("copy:");
  auto& menu = MenuController::shared();
  if (menu.isMenuVisible()) {
    for (auto view = menu.targetView(); view; view = view->superview()) {
      if (view->copySelection()) return true;
    }
  }
  return copyFirstIn(OnScreen::topScreen());
}

}  // namespace zu::ui
