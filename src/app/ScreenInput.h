// ScreenInput: the device's input as this machine gives it, in screen points: one finger (the
// mouse's left button, a replayed tap or drag), or two fingers mirrored about the screen's
// centre (the mouse with Shift held, a replayed pinch), each handed to the window that takes
// touches where the first finger went down (Application::windowForTouch) in that window's
// coordinates; keys typed into the keyboard stand-in's first responder (text, Backspace,
// Return, the edit chords and undo, Delete and the word deletions, the caret keys, the input
// method's composition); Tab, moving the editing between the
// entries of a screen (ui::FocusChain); the drawn keyboard's keys, pressed by a finger that goes down and
// lifts on one (where no window above the keyboard takes the touch); Escape (ui::EscapeKey);
// and turns of the device (ui::Device, which the interface follows when its screen allows).
//
// Main thread only; owned by the screen host, which feeds it from SDL events, and used by the
// replay player. A press while fingers are down is ignored; a release or move without one does
// nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/KeyboardLayout.h"
#include "platform/ui/text/TextInput.h"

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
  bool isPressed() const { return fingers_[0] != nullptr || key_.has_value(); }

  // Typing into the first responder; false when there is none. "\n" in text is Return.
  bool type(const std::string& text);
  bool backspace();
  bool enter();
  // A standard edit action from its chord ("selectAll:" for Ctrl+A, "copy:", "paste:", "cut:")
  // on the first responder; false when there is none or it does not take it now. With no
  // entry edited, "copy:" copies the selection a page shows (ui::CopyKey: an article's word).
  bool edit(const std::string& action);
  // The desktop's Delete and caret keys on the first responder; false when there is none.
  bool deleteForward();
  // Ctrl+Backspace (Ctrl+Delete when `forward`): a word goes from the first responder.
  bool deleteWord(bool forward);
  // The input method's composition, shown in the first responder at its caret (`cursor`: UTF-16
  // units into `text`); empty ends it. False when no entry is edited.
  bool compose(const std::string& text, size_t cursor);
  bool isComposing() const;
  bool moveCaret(ui::CaretMove move, bool extend);
  // Tab (Shift+Tab with `backwards`): the editing moves to the screen's next (previous) entry
  // (ui::FocusChain); false when it did not move.
  bool tab(bool backwards);
  // The desktop's Escape (or Alt+Left): cancels the input method's composition, else ends what
  // lies over the top screen or is being edited on it, else presses its way back
  // (ui::EscapeKey); false when nothing was done.
  bool back();

  void turnLeft();
  void turnRight();
  void turnTo(ui::DeviceOrientation orientation);

  // The mirror image of `point` about the screen's centre.
  static ui::Point mirrored(ui::Point point);

 private:
  std::shared_ptr<ui::Touch> fingers_[2];  // the second only while pinching
  std::optional<ui::KeyboardKey> key_;      // the drawn keyboard's key a finger is on
  std::weak_ptr<ui::Window> window_;
};

}  // namespace zu
