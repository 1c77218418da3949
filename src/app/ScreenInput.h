// ScreenInput: the device's input as this machine gives it, in screen points: one finger (the
// mouse's left button, a replayed tap or drag), or two fingers mirrored about the screen's
// centre (the mouse with Shift held, a replayed pinch), each handed to the window that takes
// touches where the first finger went down (Application::windowForTouch) in that window's
// coordinates; keys typed into the keyboard stand-in's first responder (text, Backspace,
// Return); the way back (Escape); and turns of the device (ui::Device, which the interface follows when its screen
// allows).
//
// Main thread only; owned by the screen host, which feeds it from SDL events, and used by the
// replay player. A press while fingers are down is ignored; a release or move without one does
// nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {
class Touch;
class Window;
}  // namespace zu::ui

namespace zu {

class ScreenInput {
 public:
  ScreenInput() = default;
  ~ScreenInput();
  ScreenInput(const ScreenInput&) = delete;
  ScreenInput& operator=(const ScreenInput&) = delete;

  // The first finger goes down at `point`; with `pinch` a second one at its mirror image.
  void press(ui::Point point, bool pinch = false);
  void move(ui::Point point);
  void release(ui::Point point);
  bool isPressed() const { return fingers_[0] != nullptr; }

  // Typing into the first responder; false when there is none. "\n" in text is Return.
  bool type(const std::string& text);
  bool backspace();
  bool enter();
  // The desktop's Escape (or Alt+Left): presses the top screen's visible back, cancel or close
  // control (ui::EscapeKey); false when there is none.
  bool back();

  void turnLeft();
  void turnRight();
  void turnTo(ui::DeviceOrientation orientation);

  // The mirror image of `point` about the screen's centre.
  static ui::Point mirrored(ui::Point point);

 private:
  std::shared_ptr<ui::Touch> fingers_[2];  // the second only while pinching
  std::weak_ptr<ui::Window> window_;
};

}  // namespace zu
