#include "app/ScreenHost.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/SdlClipboard.h"
#include "platform/device/Pasteboard.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/text/OneLineInput.h"
#include "platform/ui/views/Window.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

// Last: it brings the X11 headers and their macros.
#include <SDL_syswm.h>

namespace zu {

namespace {

// Under the leak checker: keeps the GL driver that the window's renderer loaded (Mesa's
// "*_dri.so", llvmpipe's swrast_dri.so under Xvfb) in the process after SDL_Quit would unload
// it. Unloaded, its static data no longer holds the few blocks it keeps for the process's life
// (240 bytes), which the check at exit then reports as leaks from an "<unknown module>" that no
// suppression can name; kept, they are reached as before and only our own leaks show.
void keepGlDriversLoaded() {
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
  std::vector<std::string> drivers;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* found) {
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.ends_with("_dri.so")) static_cast<std::vector<std::string>*>(found)->push_back(name);
        return 0;
      },
      &drivers);
  // Opened again (outside the walk, which holds the loader's lock) only to be marked.
  for (const auto& name : drivers) dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
#endif
#endif
}

constexpr double kFrameSeconds = 1.0 / 60;
// Where the display connection cannot be watched, input is looked for this often at rest.
constexpr double kRestPollSeconds = 0.1;
// Points the content moves for one notch of the wheel.
constexpr float kWheelPoints = 40;
// The application's toast of a text alone (no icon), as the screens' short notices use it.
constexpr int kNoticeToastType = 12;

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// The edit action of a key that Ctrl makes a chord of (select all, copy, paste, cut, undo and
// redo: Ctrl+Z, with Shift or as Ctrl+Y), or null.
const char* editActionOf(SDL_Keycode key, bool shift) {
  switch (key) {
    case SDLK_a: return "selectAll:";
    case SDLK_c: return "copy:";
    case SDLK_v: return "paste:";
    case SDLK_x: return "cut:";
    case SDLK_z: return shift ? "redo:" : "undo:";
    case SDLK_y: return "redo:";
    default: return nullptr;
  }
}

// SDL's composition cursor counts characters (code points) of `text`: the UTF-16 units before it.
size_t cursorUnits(const char* text, Sint32 characters) {
  const std::string composed(text ? text : "");
  size_t units = 0;
  Sint32 seen = 0;
  for (size_t i = 0; i < composed.size() && seen < characters; ++seen) {
    units += StringUtil::decodeNext(composed, i) > 0xFFFF ? 2 : 1;
  }
  return units;
}

// The caret move of Up, Down, Home or End (Left and Right carry chords of their own), or none.
std::optional<ui::CaretMove> caretMoveOf(SDL_Keycode key) {
  switch (key) {
    case SDLK_UP: return ui::CaretMove::Up;
    case SDLK_DOWN: return ui::CaretMove::Down;
    case SDLK_HOME: return ui::CaretMove::LineStart;
    case SDLK_END: return ui::CaretMove::LineEnd;
    default: return std::nullopt;
  }
}

std::vector<uint32_t> pixelsOf(const ui::Image& picture) {
  const uint32_t* p = picture.pixels();
  return std::vector<uint32_t>(p, p + static_cast<size_t>(picture.pixelWidth()) *
                                          static_cast<size_t>(picture.pixelHeight()));
}

}  // namespace

ScreenHost::ScreenHost(bool headless, std::optional<std::filesystem::path> snapshotDir,
                       Events events)
    : snapshotDir_(std::move(snapshotDir)), events_(std::move(events)) {
  NotificationCenter::defaultCenter().add(ui::OneLineInput::kTextCutNotification, this,
                                          [](const Notification&) { showNotice(textCutNotice()); });
  if (snapshotDir_) {
    std::error_code ec;
    std::filesystem::create_directories(*snapshotDir_, ec);
  }
  if (headless || !hasDisplay()) return;
  // The input method's composition comes as editing events however long it grows (a long one
  // as SDL_TEXTEDITING_EXT), and its candidate window is the method's own.
  SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "zureader: no window (%s), running headless\n", SDL_GetError());
    return;
  }
  if (!openWindow()) {
    std::fprintf(stderr, "zureader: no window (%s), running headless\n", SDL_GetError());
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    renderer_ = nullptr;
    window_ = nullptr;
    SDL_Quit();
    return;
  }
  keepGlDriversLoaded();
  // SDL starts taking text as its video starts; it takes it again once a field is edited.
  textInputOn_ = SDL_IsTextInputActive() == SDL_TRUE;
  syncTextInput();
  // With a window the board is the desktop's clipboard (headless it stays in the process, so
  // runs stay repeatable).
  Pasteboard::general().setDesktopClipboard(std::make_shared<SdlClipboard>(window_, &ScreenHost::showNotice));
}

std::string ScreenHost::textCutNotice() { return "最多" + std::to_string(ui::OneLineInput::kMaxLength) + "个字"; }

void ScreenHost::showNotice(const std::string& text) {
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kNoticeToastType, text);
}

int ScreenHost::pixelWidth() {
  return static_cast<int>(std::lround(ui::Screen::main().bounds().size.width * ui::Screen::main().scale()));
}

int ScreenHost::pixelHeight() {
  return static_cast<int>(std::lround(ui::Screen::main().bounds().size.height * ui::Screen::main().scale()));
}

bool ScreenHost::openWindow() {
  const ui::Rect screen = ui::Screen::main().bounds();
  const int w = pixelWidth();
  const int h = pixelHeight();
  window_ = SDL_CreateWindow("zureader", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, 0);
  if (window_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_) {
    // Mouse positions arrive in points whatever the window's pixel size.
    SDL_RenderSetLogicalSize(renderer_, static_cast<int>(screen.size.width),
                             static_cast<int>(screen.size.height));
    // cairo's ARGB32 is the native-endian 32-bit word SDL calls ARGB8888.
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 w, h);
  }
  return texture_ != nullptr;
}

ScreenHost::~ScreenHost() {
  NotificationCenter::defaultCenter().remove(this);
  stop();
  if (window_) {
    Pasteboard::general().setDesktopClipboard(nullptr);
    SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
    SDL_Quit();
  }
}

void ScreenHost::start() {
  if (running_) return;
  running_ = true;
  ui::DisplayChanges::shared().setWakeHandler([this] { wake(); });
  watchDisplay();
  scheduleMinute();
  wake();
}

void ScreenHost::stop() {
  if (running_) ui::DisplayChanges::shared().setWakeHandler(nullptr);
  running_ = false;
  if (frameToken_) RunLoop::main()->cancel(frameToken_);
  frameToken_ = 0;
  if (minuteToken_) RunLoop::main()->cancel(minuteToken_);
  minuteToken_ = 0;
  unwatchDisplay();
}

void ScreenHost::setFramesFolder(std::filesystem::path dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  framesDir_ = std::move(dir);
}

// --- frame scheduling

bool ScreenHost::wantsFrame() const {
  // A changed picture is written as a snapshot once it stood for a frame.
  return ui::DisplayChanges::shared().needsFrame() || settling_;
}

void ScreenHost::wake() {
  if (running_ && composites()) scheduleFrame();
}

void ScreenHost::scheduleFrame() {
  if (frameToken_) return;
  // Frames keep the screen's rhythm: a frame is due one frame after the last one, or now when
  // the screen has been at rest longer than that.
  const double now = Clock::get()->monotonic();
  const double delay = lastFrameAt_ < 0 ? 0 : std::clamp(lastFrameAt_ + kFrameSeconds - now, 0.0, kFrameSeconds);
  frameToken_ = RunLoop::main()->postDelayed(delay, [this] {
    frameToken_ = 0;
    if (!running_) return;
    lastFrameAt_ = Clock::get()->monotonic();
    frame();
    if (running_ && wantsFrame()) scheduleFrame();
  });
}

void ScreenHost::scheduleMinute() {
  if (minuteToken_ || !running_) return;
  constexpr int64_t kMinute = 60'000'000;
  const int64_t micros = Clock::get()->nowMicros();
  const int64_t left = kMinute - ((micros % kMinute) + kMinute) % kMinute;
  minuteToken_ = RunLoop::main()->postDelayed(static_cast<double>(left) / 1e6, [this] {
    minuteToken_ = 0;
    if (!running_) return;
    ui::DisplayChanges::shared().markDirty();
    scheduleMinute();
  });
}

// The window's input arrives on the display connection: at rest the run loop waits on it (X11)
// or, where it cannot be watched, looks for input a few times a second.
void ScreenHost::watchDisplay() {
  if (!window_ || displayWatch_ || pollToken_) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
    const int fd = ConnectionNumber(info.info.x11.display);
    displayWatch_ = RunLoop::main()->watchFd(fd, true, false, [this](int, bool, bool) {
      pumpEvents();
    });
    return;
  }
  pollToken_ = RunLoop::main()->postDelayed(kRestPollSeconds, [this] {
    pollToken_ = 0;
    if (!running_) return;
    if (!frameToken_) pumpEvents();
    watchDisplay();
  });
}

void ScreenHost::unwatchDisplay() {
  if (displayWatch_) RunLoop::main()->unwatchFd(displayWatch_);
  if (pollToken_) RunLoop::main()->cancel(pollToken_);
  displayWatch_ = 0;
  pollToken_ = 0;
}

bool ScreenHost::frame() {
  if (window_) pumpEvents();
  syncTextInput();
  // Headless without a folder nobody looks at the picture; at rest nothing changed.
  if (!composites() || !wantsFrame()) return false;
  const bool changed = present();
  // Events that came in while the picture was shown (read by the display library in passing)
  // would wait for the next input otherwise.
  if (window_) pumpEvents();
  return changed;
}

void ScreenHost::writeFrame(const ui::Image& picture) {
  char name[32];
  std::snprintf(name, sizeof name, "%06d.png", framesWritten_ + 1);
  if (picture.writePng(*framesDir_ / name)) ++framesWritten_;
}

bool ScreenHost::present() {
  auto picture = ui::renderScreen(ui::Screen::main().scale());
  // What was marked until now is in this picture.
  ui::DisplayChanges::shared().clear();
  if (!picture) return false;
  ++framesDrawn_;
  std::vector<uint32_t> pixels = pixelsOf(*picture);
  const bool changed = pixels != shown_;
  if (changed) {
    shown_ = std::move(pixels);
    if (window_) show(*picture);
    if (framesDir_) writeFrame(*picture);
    settling_ = true;
    return true;
  }
  if (settling_ && snapshotDir_ && shown_ != snapshot_) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.png", snapshotCount_ + 1);
    if (picture->writePng(*snapshotDir_ / name)) {
      ++snapshotCount_;
      snapshot_ = shown_;
    }
  }
  settling_ = false;
  return false;
}

void ScreenHost::show(const ui::Image& picture) {
  SDL_UpdateTexture(texture_, nullptr, picture.pixels(), picture.pixelWidth() * 4);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

void ScreenHost::pumpEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) handleEvent(event);
}

void ScreenHost::syncTextInput() {
  ui::Keyboard& keyboard = ui::Keyboard::shared();
  const bool editing = keyboard.firstResponderInput() != nullptr;
  // A composition the entry dropped (a tap, a caret key, Escape, Tab, the editing's end) is
  // dropped in the input method too, or its next editing event would bring it back and its
  // commit would land at the new caret. SDL_ClearComposition does that on Windows only (SDL
  // 2.26's X11 video leaves it undone); stopping text input resets the method (IBus, fcitx,
  // XIM) there, and starting it again keeps the entry taking text.
  const bool dropped = composing_ && !keyboard.hasMarkedText();
  if (dropped) {
    composing_ = false;
    ++inputMethodResets_;
    if (window_) SDL_ClearComposition();
    // (When the editing ended, stopping text input below does it.)
    if (window_ && textInputOn_ && editing) {
      SDL_StopTextInput();
      SDL_StartTextInput();
    }
  }
  if (editing != textInputOn_) {
    textInputOn_ = editing;
    if (window_) {
      if (editing) {
        SDL_StartTextInput();
      } else {
        SDL_StopTextInput();
      }
    }
    textInputRect_.reset();
  }
  if (!editing) return;
  const std::optional<ui::Rect> caret = keyboard.caretRectOnScreen();
  if (!caret) return;
  // The method's window opens below the rectangle: the caret's, in window coordinates (pixels
  // at --scale 2, where the renderer maps the screen's points onto the window).
  ui::Rect inWindow;
  if (renderer_) {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    SDL_RenderLogicalToWindow(renderer_, caret->minX(), caret->minY(), &x0, &y0);
    SDL_RenderLogicalToWindow(renderer_, caret->maxX(), caret->maxY(), &x1, &y1);
    inWindow = ui::Rect(static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(std::max(1, x1 - x0)),
                        static_cast<float>(y1 - y0));
  } else {
    const float scale = ui::Screen::main().scale();
    inWindow = ui::Rect(std::round(caret->minX() * scale), std::round(caret->minY() * scale),
                        std::max(1.f, std::round(caret->size.width * scale)), std::round(caret->size.height * scale));
  }
  if (textInputRect_ && *textInputRect_ == inWindow) return;
  textInputRect_ = inWindow;
  if (window_) {
    SDL_Rect rect{static_cast<int>(inWindow.minX()), static_cast<int>(inWindow.minY()),
                  static_cast<int>(inWindow.size.width), static_cast<int>(inWindow.size.height)};
    SDL_SetTextInputRect(&rect);
  }
}

void ScreenHost::compose(const char* text, Sint32 start) {
  const std::string composed(text ? text : "");
  composing_ = !composed.empty() && input_.compose(composed, cursorUnits(text, start));
  if (composed.empty()) input_.compose(std::string(), 0);
}

void ScreenHost::handleEvent(const SDL_Event& event) {
  const bool taken = handleInput(event);
  syncTextInput();
  if (taken) return;
  switch (event.type) {
    case SDL_QUIT:
      if (events_.quit) events_.quit();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_MINIMIZED && events_.background) {
        events_.background();
      } else if (event.window.event == SDL_WINDOWEVENT_RESTORED && events_.foreground) {
        events_.foreground();
      } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        shown_.clear();  // show the picture again
        ui::DisplayChanges::shared().markDirty();
      }
      break;
    case SDL_MOUSEWHEEL:
      wheel(event.wheel);
      break;
    default:
      break;
  }
}

bool ScreenHost::handleInput(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      pointer_ = ui::Point{static_cast<float>(event.button.x), static_cast<float>(event.button.y)};
      if (event.button.button == SDL_BUTTON_LEFT) {
        const bool pinch = (SDL_GetModState() & KMOD_SHIFT) != 0;
        input_.press(*pointer_, pinch);
      }
      return true;
    case SDL_MOUSEMOTION:
      pointer_ = ui::Point{static_cast<float>(event.motion.x), static_cast<float>(event.motion.y)};
      input_.move(*pointer_);
      return true;
    case SDL_MOUSEBUTTONUP:
      pointer_ = ui::Point{static_cast<float>(event.button.x), static_cast<float>(event.button.y)};
      if (event.button.button == SDL_BUTTON_LEFT) input_.release(*pointer_);
      return true;
    case SDL_TEXTEDITING:
      // The input method's composition so far; empty when it ended without committing.
      compose(event.edit.text, event.edit.start);
      return true;
    case SDL_TEXTEDITING_EXT:
      // A composition too long for the event's buffer: SDL allocated its text for us.
      compose(event.editExt.text, event.editExt.start);
      SDL_free(event.editExt.text);
      return true;
    case SDL_TEXTINPUT:
      // What the method commits (or a key's text) takes the composition's place.
      composing_ = false;
      input_.type(event.text.text);
      return true;
    case SDL_KEYDOWN: {
      const bool ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
      const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
      const bool shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
      if (const char* action = ctrl && !alt ? editActionOf(event.key.keysym.sym, shift) : nullptr) {
        input_.edit(action);
        return true;
      }
      switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
          // During a composition: cancels it (ScreenInput::back), never the screen.
          input_.back();
          break;
        case SDLK_BACKSPACE:
          if (ctrl) {
            input_.deleteWord(false);
          } else {
            input_.backspace();
          }
          break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
          input_.enter();
          break;
        case SDLK_LEFT:
          if (ctrl) {
            input_.turnLeft();
          } else if (alt) {
            input_.back();
          } else {
            input_.moveCaret(ui::CaretMove::Left, shift);
          }
          break;
        case SDLK_RIGHT:
          if (ctrl) {
            input_.turnRight();
          } else if (!alt) {
            input_.moveCaret(ui::CaretMove::Right, shift);
          }
          break;
        default:
          if (ctrl && !alt && event.key.keysym.sym == SDLK_DELETE) {
            input_.deleteWord(true);
            break;
          }
          if (ctrl || alt) break;
          if (const std::optional<ui::CaretMove> move = caretMoveOf(event.key.keysym.sym)) {
            input_.moveCaret(*move, shift);
          } else if (event.key.keysym.sym == SDLK_DELETE) {
            input_.deleteForward();
          } else if (event.key.keysym.sym == SDLK_TAB) {
            input_.tab(shift);
          }
          break;
      }
      return true;
    }
    default:
      return false;
  }
}

void ScreenHost::play(std::vector<ReplayStep> steps, std::function<void()> done,
                      std::function<void(const std::string&)> failed) {
  replay_ = std::make_unique<ReplayPlayer>(input_, std::move(steps), std::move(done), std::move(failed));
  replay_->start();
}

// --- the wheel

void ScreenHost::wheel(const SDL_MouseWheelEvent& event) {
  // A touchpad reports fractions of a notch.
  ui::Point notches{event.preciseX, event.preciseY};
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) notches = ui::Point{-notches.x, -notches.y};
  // The wheel's own position is in window pixels: the pointer is where the last mouse event put
  // it, in screen points through the renderer's logical size as the buttons' are, at any scale.
  ui::Point at{static_cast<float>(event.mouseX), static_cast<float>(event.mouseY)};
  if (pointer_) {
    at = *pointer_;
  } else if (renderer_) {
    SDL_RenderWindowToLogical(renderer_, event.mouseX, event.mouseY, &at.x, &at.y);
  }
  scrollWheelAt(at, notches);
}

bool ScreenHost::scrollWheelAt(ui::Point screenPoint, ui::Point notches) {
  auto target = ui::Application::shared().windowForTouch(screenPoint);
  if (!target) return false;
  // Turning the wheel away from the reader shows what is above: the offset goes down.
  return ui::ScrollView::wheelAt(*target, target->pointFromSuperview(screenPoint),
                                 ui::Point{notches.x * kWheelPoints, -notches.y * kWheelPoints});
}

}  // namespace zu
