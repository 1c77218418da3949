#include "platform/ui/DisplayChanges.h"

#include "platform/ui/Animations.h"

namespace zu::ui {

DisplayChanges& DisplayChanges::shared() {
  static DisplayChanges* changes = new DisplayChanges;  // never destroyed: views mark it at exit
  return *changes;
}

bool DisplayChanges::needsFrame() const { return dirty_ || Animations::areRunning(); }

}  // namespace zu::ui
