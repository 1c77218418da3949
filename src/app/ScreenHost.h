// ScreenHost: the device's screen on this machine. It draws frames (at most 60 a second, on the
// main run loop) only while something may change the picture — a view marked the screen dirty,
// an animation runs, a scroll view decelerates (ui::DisplayChanges) — and sleeps otherwise, so
// a screen at rest costs nothing but one frame at the start of each minute of the clock, when
// the status bar's time turns. A frame composites the visible windows by level through the
// view kit's renderer and, when the picture changed, shows it: in a 320 × 480 SDL2 window, or
// nowhere when headless. With a snapshot folder it writes the picture as a numbered PNG
// ("0001.png", …) once the screen has settled on a new picture (a frame later, unchanged), so
// one PNG stands for each screen the application rests on; with a frames folder it writes every
// changed frame ("000001.png", …), so a change can be watched frame by frame.
//
// Input (SDL window only), through ScreenInput: the left mouse button is one finger — pressed,
// dragged and lifted — handed to the window that takes touches there (Application::windowForTouch,
// so an overlay that takes none lets them through) in that window's coordinates; with Shift held
// when it goes down it is two fingers mirrored about the screen's centre (a pinch); over the
// drawn keyboard it presses the key it lifts on. Typed text, Backspace, Return, Ctrl+A, C, V,
// X (select all, copy, paste, cut), Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y (undo, redo), Delete,
// Ctrl+Backspace and Ctrl+Delete (a word) and the caret keys (the arrows, Home and End, with
// Shift extending the selection) go to the keyboard stand-in's first responder (with none,
// Ctrl+C copies a page's selection: ui::CopyKey); Tab and
// Shift+Tab move the editing to the screen's next or previous entry (ui::FocusChain); Escape and
// Alt+Left end what lies over the top screen or is being edited, else press its way back
// (ui::EscapeKey); Ctrl+Left and Ctrl+Right turn the device a quarter to the left or right. The
// mouse wheel and a touchpad's two-finger scroll scroll the scroll view under the pointer,
// placed as the buttons' positions are. Closing the window asks to quit; minimising
// and restoring are the application's background and foreground. At rest the host waits on the
// display connection, so input wakes it. A replay (play()) drives the same input, headless or
// not.
//
// Scale: the screen's points-to-pixels scale (DeviceProfile::screenScale(), 1 or 2). At 2 the
// window is 640 × 960 pixels and every frame and snapshot is composited at that density, while
// input stays in points (the renderer's logical size is the screen's: SDL maps the buttons' and
// the motion's positions; the wheel takes the pointer's last mapped position, as its own comes
// in window pixels).
//
// The input method: SDL takes text (SDL_StartTextInput) only while an entry is edited; the
// method's composition (SDL_TEXTEDITING, or SDL_TEXTEDITING_EXT for a long one) shows in the
// entry at its caret (ScreenInput::compose) until the method commits it (SDL_TEXTINPUT) or ends
// it (an empty editing event); Escape during a composition cancels it and nothing else; a
// composition the entry dropped is dropped in the method too (text input stopped and started
// again, which resets it; SDL_ClearComposition alone does nothing on X11). The method
// is told where the caret stands (SDL_SetTextInputRect, in window coordinates: pixels at
// scale 2) whenever a frame or an event finds it moved, so its candidate window opens beside it.
//
// Clipboard: while the window is open the general pasteboard is the desktop's clipboard
// (SdlClipboard, installed when the window opens and taken off before it closes), so the chords,
// the edit menus and the screens' copy items reach the other programs of the desktop; headless,
// the board stays in the process.
//
// Notices: a paste the clipboard could not give (SdlClipboard) and a text cut to what a field
// holds (ui::OneLineInput's notification) are told in the application's toast
// (SPWaitingSavePhoto's text toast), windowed or headless.
//
// Headless when asked, when there is no display ($DISPLAY, $WAYLAND_DISPLAY) or when SDL cannot
// open a window; the same frames run. Main thread only; owned by the executable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ReplayPlayer.h"
#include "app/ScreenInput.h"
#include "platform/ui/drawing/Geometry.h"

union SDL_Event;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_MouseWheelEvent;

namespace zu::ui {
class Image;
}  // namespace zu::ui

namespace zu {

class ScreenHost {
 public:
  struct Events {
    std::function<void()> quit;
    std::function<void()> background;
    std::function<void()> foreground;
  };

  ScreenHost(bool headless, std::optional<std::filesystem::path> snapshotDir, Events events);
  ~ScreenHost();
  ScreenHost(const ScreenHost&) = delete;
  ScreenHost& operator=(const ScreenHost&) = delete;

  bool isHeadless() const { return window_ == nullptr; }
  // Starts the frames on the main run loop; they end with the host or stop().
  void start();
  void stop();
  // Writes every frame that changed the picture as a numbered PNG into `dir` (made when
  // missing). Call before start().
  void setFramesFolder(std::filesystem::path dir);

  // One frame: input, then the composite when anything may have changed (see above); true
  // when the picture changed. (start() runs it.)
  bool frame();
  // Composites the screen and shows it when it differs from the last one shown.
  bool present();
  int snapshotsWritten() const { return snapshotCount_; }
  int framesWritten() const { return framesWritten_; }
  // Composites made so far.
  int framesDrawn() const { return framesDrawn_; }
  // Scrolls the scroll view under `screenPoint` by wheel `notches` (x to the right, y away from
  // the reader, as SDL reports them). True when a scroll view took it.
  bool scrollWheelAt(ui::Point screenPoint, ui::Point notches);

  ScreenInput& input() { return input_; }
  // What the toast says when a typed or pasted text was cut to what a field holds.
  static std::string textCutNotice();
  // One event of the display connection (pumped from the window; tests hand events in). An
  // SDL_TEXTEDITING_EXT event's text is freed here, as SDL asks.
  void handleEvent(const SDL_Event& event);
  // Where the input method was last told the caret is, in window coordinates (pixels at scale
  // 2); none while no entry is edited.
  std::optional<ui::Rect> textInputRect() const { return textInputRect_; }
  // Whether the host asks SDL for text (and the input method) now: while an entry is edited.
  bool takesText() const { return textInputOn_; }
  // How often the input method was reset because the entry dropped its composition.
  int inputMethodResets() const { return inputMethodResets_; }
  // Plays replay steps through the input, starting now; `done` runs after the last one,
  // `failed` instead when an expect step does not hold (ReplayPlayer).
  void play(std::vector<ReplayStep> steps, std::function<void()> done = {},
            std::function<void(const std::string&)> failed = {});

 private:
  // The picture's size in pixels: the screen's bounds at the scale.
  static int pixelWidth();
  static int pixelHeight();
  // Opens the window, its renderer and the streaming texture at the pixel size.
  bool openWindow();
  void pumpEvents();
  // Mouse and key events; false for any other event.
  bool handleInput(const SDL_Event& event);
  void show(const ui::Image& picture);
  // --- frame scheduling
  bool composites() const { return window_ || snapshotDir_ || framesDir_; }
  bool wantsFrame() const;
  void wake();
  void scheduleFrame();
  // Marks the screen dirty at the start of the clock's next minute, and so on each minute.
  void scheduleMinute();
  void watchDisplay();
  void unwatchDisplay();
  void writeFrame(const ui::Image& picture);
  void wheel(const SDL_MouseWheelEvent& event);
  // Text input follows the editing: SDL takes text and composes while an entry is edited, and
  // the input method is told where its caret stands (SDL_SetTextInputRect) when it moved.
  void syncTextInput();
  // An editing event's composition, its cursor in characters.
  void compose(const char* text, int32_t start);
  static void showNotice(const std::string& text);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::optional<std::filesystem::path> snapshotDir_;
  std::optional<std::filesystem::path> framesDir_;
  Events events_;
  std::vector<uint32_t> shown_;      // pixels of the picture on screen
  std::vector<uint32_t> snapshot_;   // pixels of the last picture written
  bool settling_ = false;            // the picture changed last frame
  int snapshotCount_ = 0;
  int framesWritten_ = 0;
  int framesDrawn_ = 0;
  bool running_ = false;
  uint64_t frameToken_ = 0;
  uint64_t minuteToken_ = 0;
  ScreenInput input_;
  std::unique_ptr<ReplayPlayer> replay_;
  double lastFrameAt_ = -1;   // the clock's monotonic seconds
  uint64_t displayWatch_ = 0;  // the display connection's descriptor watch
  uint64_t pollToken_ = 0;     // input polling where there is no descriptor to watch
  std::optional<ui::Point> pointer_;  // the mouse in screen points, as its last event put it
  bool textInputOn_ = false;          // SDL_StartTextInput is in force
  bool composing_ = false;            // the input method composes into the edited entry
  int inputMethodResets_ = 0;         // compositions dropped in the method after the entry
  std::optional<ui::Rect> textInputRect_;  // the caret as last told to SDL (window coordinates)
};

}  // namespace zu
