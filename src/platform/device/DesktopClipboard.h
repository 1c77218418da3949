// DesktopClipboard: the clipboard that every program of the desktop shares, as the general
// pasteboard uses it: plain UTF-8 text put on it and taken from it. The platform layer does not
// know the window system, so this is an interface: the screen host implements it over its window
// system and installs it on the general pasteboard (Pasteboard::setDesktopClipboard) for as long
// as it has a window. Main thread only, the thread the window system runs on.
#pragma once

#include <optional>
#include <string>

namespace zu {

class DesktopClipboard {
 public:
  virtual ~DesktopClipboard() = default;

  // The text the clipboard holds now, as another program may have put it there (not checked
  // for valid UTF-8); none when it holds no text.
  virtual std::optional<std::string> text() = 0;
  // Puts `text` on the clipboard in place of what it held; false when the desktop refused it.
  virtual bool setText(const std::string& text) = 0;
};

}  // namespace zu
