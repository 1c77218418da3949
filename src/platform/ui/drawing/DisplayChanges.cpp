#include "platform/ui/drawing/DisplayChanges.h"

#include "platform/runtime/Clock.h"
#include "platform/ui/motion/AnimationLog.h"

namespace zu::ui {

DisplayChanges& DisplayChanges::shared() {
  static DisplayChanges* changes = new DisplayChanges;  // never destroyed: views mark it at exit
  return *changes;
}

bool DisplayChanges::needsFrame() const {
  return dirty_ || AnimationLog::shared().isAnimating(Clock::get()->monotonic());
}

}  // namespace zu::ui
