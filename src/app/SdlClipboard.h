// SdlClipboard: the desktop's clipboard as the general pasteboard uses it while the client has a
// window: written through SDL's video subsystem (on X11 the CLIPBOARD selection, as UTF-8 text);
// read on X11 through a connection of its own (X11SelectionReader: texts sent in increments
// are read whole, a slow owner is waited for longer and keeps its selection), elsewhere through
// SDL. A paste that cannot be read — its owner has not answered, its increments stopped, or it
// is longer than the reader takes — is told through `notice` (the screen host shows it) and
// reads as no text.
// The screen host makes one when its window opens, installs it on Pasteboard::general() and takes
// it off again before it closes SDL; it is valid only while SDL's video subsystem is up. Main
// thread only (SDL's video thread). Reading may wait on the program that owns the clipboard
// (X11SelectionReader::kAnswerWait on X11, during which SDL's events are pumped so its own
// window answers; SDL's second elsewhere); a refused write is printed on standard error.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/device/DesktopClipboard.h"

struct SDL_Window;

namespace zu {

class X11SelectionReader;

class SdlClipboard : public DesktopClipboard {
 public:
  // What the reader is told of a paste that could not be read.
  static constexpr const char* kNoAnswerNotice = "剪贴板未应答";
  static constexpr const char* kBrokenOffNotice = "剪贴板未传完";
  static constexpr const char* kTooLongNotice = "剪贴板内容过长";

  // `window`: the window whose video subsystem holds the clipboard (on X11 its display
  // connection is the one SDL claims the selection over).
  explicit SdlClipboard(SDL_Window* window, std::function<void(const std::string&)> notice = {});
  ~SdlClipboard() override;

  std::optional<std::string> text() override;
  bool setText(const std::string& text) override;

 private:
  std::function<void(const std::string&)> notice_;
  std::unique_ptr<X11SelectionReader> x11_;  // on X11 only
  // SDL's display connection on X11 (an Xlib Display), not owned; null elsewhere.
  void* sdlDisplay_ = nullptr;
};

}  // namespace zu
