// SdlClipboard: the desktop's clipboard through SDL's video subsystem (on X11 the CLIPBOARD
// selection, as UTF-8 text), as the general pasteboard uses it while the client has a window.
// The screen host makes one when its window opens, installs it on Pasteboard::general() and takes
// it off again before it closes SDL; it is valid only while SDL's video subsystem is up. Main
// thread only (SDL's video thread). Reading may wait on the program that owns the clipboard (SDL
// gives up after a second); a refused write is printed on standard error.
#pragma once

#include "platform/device/DesktopClipboard.h"

namespace zu {

class SdlClipboard : public DesktopClipboard {
 public:
  std::optional<std::string> text() override;
  bool setText(const std::string& text) override;
};

}  // namespace zu
