// Keyboard: the stand-in for the phone's on-screen keyboard (Keyboard::shared(), main thread
// only). It knows which view is first responder, shows itself while one is, posts the
// keyboard notifications a screen observes, and types into the first responder (for tests
// and the executable's key input).
//
// Kept from the phone:
//  - Showing (a view becomes first responder while the keyboard is hidden): from system
//    version 5.0 "UIKeyboardWillChangeFrameNotification", then
//    "UIKeyboardWillShowNotification"; kAnimationDuration later by the clock
//    "UIKeyboardDidChangeFrameNotification" (5.0 on), then "UIKeyboardDidShowNotification".
//    Hiding (the last responder resigned) posts the Hide counterparts the same way. Moving the
//    first responder from one view to another posts nothing. The show is posted after the
//    responder's did-begin-editing callbacks.
//  - Each carries user info "UIKeyboardFrameBeginUserInfoKey" and "UIKeyboardFrameEndUserInfoKey"
//    (window coordinates; frameFromUserInfo reads them), "UIKeyboardAnimationDurationUserInfoKey"
//    and "UIKeyboardAnimationCurveUserInfoKey". The keyboard lies along the interface's bottom
//    edge (the status bar's orientation): 216 points high across the 320-point portrait
//    interface, 162 high across the 480-point landscape one. The frames it reports are in
//    window (screen) coordinates, so in landscape it is 162 wide and 480 high at the screen's
//    side; interfaceFrame gives it in the interface's own space, where it is drawn.
//  - It slides: up from past the interface's bottom edge after it shows, down past it after it
//    hides, over kAnimationDuration on the ease-in-out curve (presentedFrame; the renderer draws
//    it there, and the screen's host keeps drawing frames while it slides). A slide that starts
//    while the last one runs starts where the keyboard is.
//  - Its keys are pressed where they are drawn (keyAt, pressKey): a letter types its letter, in
//    lower case unless shift is on (shift then goes off again), shift turns shift on or off,
//    delete and return press those keys (the return key does what Return does: a search field
//    searches), the space bar types a blank. Shift goes off when the keyboard hides.
// Where we differ on purpose: a frame is kept as an array of four numbers (x, y, width, height)
// in place of the phone's boxed rectangle; a turn of the interface while it shows posts nothing
// (it is drawn along the new bottom edge at once). The renderer draws it (KeyboardDrawing). The
// number and language keys do nothing (no other layer is drawn). The machine's own keys reach
// the first responder too (type, pressDelete, pressReturn), and so do the edit chords
// (performEditCommand: select all, copy, paste and cut through the edit menu's pasteboard, as
// the entry itself answers them whatever its screen lets the menu offer), Delete and the caret
// keys. A screen that is popped or dismissed takes the first responder in it along
// (resignWithin), so the keyboard slides away with it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Value.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/KeyboardLayout.h"
#include "platform/ui/text/TextInput.h"

namespace zu::ui {

class TextInput;
class View;

class Keyboard {
 public:
  static constexpr float kHeight = 216;
  static constexpr float kLandscapeHeight = 162;
  static constexpr double kAnimationDuration = 0.25;
  inline static const char* const kWillShowNotification = "UIKeyboardWillShowNotification";
  inline static const char* const kDidShowNotification = "UIKeyboardDidShowNotification";
  inline static const char* const kWillHideNotification = "UIKeyboardWillHideNotification";
  inline static const char* const kDidHideNotification = "UIKeyboardDidHideNotification";
  inline static const char* const kWillChangeFrameNotification = "UIKeyboardWillChangeFrameNotification";
  inline static const char* const kDidChangeFrameNotification = "UIKeyboardDidChangeFrameNotification";
  inline static const char* const kFrameBeginKey = "UIKeyboardFrameBeginUserInfoKey";
  inline static const char* const kFrameEndKey = "UIKeyboardFrameEndUserInfoKey";
  inline static const char* const kAnimationDurationKey = "UIKeyboardAnimationDurationUserInfoKey";
  inline static const char* const kAnimationCurveKey = "UIKeyboardAnimationCurveUserInfoKey";

  static Keyboard& shared();

  // The frame on screen and off screen (past the interface's bottom edge), in screen
  // coordinates, for the current interface orientation.
  static Rect shownFrame();
  static Rect hiddenFrame();
  // The frame shown, in the interface's own space (its top-left corner at 0, 0).
  static Rect interfaceFrame();
  static std::optional<Rect> frameFromUserInfo(const Dictionary& userInfo, const char* key);

  bool isVisible() const { return visible_; }
  // Where the keyboard is drawn at the monotonic time `now` (Clock::monotonic), in the
  // interface's own space: on its way while it slides, at interfaceFrame() while it is up,
  // nowhere once it is down.
  std::optional<Rect> presentedFrame(double now) const;
  // A slide runs at `now`.
  bool isSliding(double now) const;
  // The view that is first responder, or null.
  std::shared_ptr<View> firstResponder() const { return responder_.lock(); }
  TextInput* firstResponderInput() const;

  // Called by a view becoming first responder: the current one is asked to resign first;
  // false when it refuses.
  bool attach(const std::shared_ptr<View>& view, TextInput* input);
  // Called by the new first responder once it has told its delegate it began editing: the
  // keyboard, when hidden, shows now (so a screen hears of the keyboard after the field's
  // begin-editing callbacks, as on the phone).
  void didBeginEditing(const View* view);
  // Called by the first responder when it resigned.
  void detach(const View* view);

  // Typing into the first responder; false when there is none.
  bool type(const std::string& text);
  bool pressDelete();
  bool pressReturn();
  // A standard edit action ("selectAll:", "copy:", "paste:", "cut:") on the first responder, as
  // it answers it; false when there is none or it does not take the action now.
  bool performEditCommand(const std::string& action);
  // The desktop's Delete and caret keys (TextInput::deleteForward, moveCaret) on the first
  // responder; false when there is none.
  bool pressDeleteForward();
  bool moveCaret(CaretMove move, bool extend);
  // Ctrl+Backspace and Ctrl+Delete (TextInput::deleteWord) on the first responder; false when
  // there is none.
  bool deleteWord(bool forward);
  // The input method's composition in the first responder (TextInput::setMarkedText; empty
  // ends it); false when there is none.
  bool setMarkedText(const std::string& text, size_t cursor);
  bool hasMarkedText() const;
  // Where the first responder's caret stands, in screen points; none without one in a window.
  std::optional<Rect> caretRectOnScreen() const;

  // The key under `screenPoint` while the keyboard is up, or none.
  std::optional<KeyboardKey> keyAt(Point screenPoint) const;
  // Presses a key of the drawn keyboard; false when it does nothing (no first responder, or
  // the number or language key).
  bool pressKey(const KeyboardKey& key);
  bool isShifted() const { return shifted_; }

  // The first responder resigns when it is `root` or lies inside it; false when it refused.
  bool resignWithin(const View& root);

  // Forgets the responder and the pending notifications, without posting (between tests).
  void resetForTesting();

 private:
  Keyboard() = default;
  void post(bool showing);
  // Sends one key to the first responder; false when there is none.
  bool press(void (TextInput::*key)());

  std::weak_ptr<View> responder_;
  const View* responderKey_ = nullptr;  // identity of responder_, never dereferenced
  TextInput* input_ = nullptr;  // the responder's interface; valid while responder_ lives
  bool visible_ = false;
  bool handingOver_ = false;
  bool shifted_ = false;
  RunLoop::Token pendingDid_ = 0;
  // How far below its shown place the keyboard is at `now`, in keyboard heights (0 up, 1 down).
  float loweredBy(double now) const;

  // The last slide: when it started (monotonic seconds) and how far down it started from.
  std::optional<double> slideStart_;
  float slideFrom_ = 1;
};

}  // namespace zu::ui
