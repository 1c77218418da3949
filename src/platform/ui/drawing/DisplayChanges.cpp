#include "platform/ui/drawing/DisplayChanges.h"

#include "platform/runtime/Clock.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/text/Keyboard.h"

namespace zu::ui {

DisplayChanges& DisplayChanges::shared() {
  static DisplayChanges* changes = new DisplayChanges;  // never destroyed: views mark it at exit
  return *changes;
}

bool DisplayChanges::needsFrame() const {
  const double now = Clock::get()->monotonic();
  return dirty_ || AnimationLog::shared().isAnimating(now) || Keyboard::shared().isSliding(now);
}

}  // namespace zu::ui
