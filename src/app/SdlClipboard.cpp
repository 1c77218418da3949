#include "app/SdlClipboard.h"

#include <SDL.h>

#include <cstdio>

#include "app/X11SelectionReader.h"

// Last: it brings the X11 headers and their macros.
#include <SDL_syswm.h>

namespace zu {

SdlClipboard::SdlClipboard(SDL_Window* window, std::function<void(const std::string&)> notice)
    : notice_(std::move(notice)) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  sdlDisplay_ = info.info.x11.display;
  // The same display as SDL's; SDL answers requests for its own selection while its events are
  // pumped.
  x11_ = std::make_unique<X11SelectionReader>(DisplayString(info.info.x11.display), [] { SDL_PumpEvents(); });
  if (!x11_->isOpen()) {
    x11_.reset();
    sdlDisplay_ = nullptr;
  }
}

SdlClipboard::~SdlClipboard() = default;

std::optional<std::string> SdlClipboard::text() {
  if (x11_) {
    X11SelectionReader::Result read = x11_->read();
    const char* told = nullptr;
    switch (read.outcome) {
      case X11SelectionReader::Outcome::Text: return std::move(read.text);
      case X11SelectionReader::Outcome::NoText: return std::nullopt;
      case X11SelectionReader::Outcome::NoAnswer: told = kNoAnswerNotice; break;
      case X11SelectionReader::Outcome::BrokenOff: told = kBrokenOffNotice; break;
      case X11SelectionReader::Outcome::TooLong: told = kTooLongNotice; break;
    }
    if (notice_ && told) notice_(told);
    return std::nullopt;
  }
  char* raw = SDL_GetClipboardText();
  if (!raw) return std::nullopt;
  std::string text(raw);
  SDL_free(raw);
  // SDL answers an empty text when the clipboard holds none (or no text).
  if (text.empty()) return std::nullopt;
  return text;
}

bool SdlClipboard::setText(const std::string& text) {
  if (x11_) x11_->forget();
  if (SDL_SetClipboardText(text.c_str()) == 0) {
    // SDL leaves its claim on the selection unsent, and sent, the server may take it after a
    // read on the reader's own connection that follows at once (which would find the earlier
    // owner): a round trip on SDL's connection has it taken.
    if (sdlDisplay_) XSync(static_cast<Display*>(sdlDisplay_), False);
    return true;
  }
  std::fprintf(stderr, "zureader: the desktop's clipboard took no text (%s)\n", SDL_GetError());
  return false;
}

}  // namespace zu
