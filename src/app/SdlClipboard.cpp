#include "app/SdlClipboard.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "app/X11SelectionReader.h"

namespace zu {

SdlClipboard::SdlClipboard(std::function<void(const std::string&)> notice) : notice_(std::move(notice)) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  // SDL answers requests for its own selection while its events are pumped.
  x11_ = std::make_unique<X11SelectionReader>(nullptr, [] { SDL_PumpEvents(); });
  if (!x11_->isOpen()) x11_.reset();
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
    // SDL leaves its claim on the selection unsent: a read that follows at once would find the
    // earlier owner. Pumping sends it.
    if (x11_) SDL_PumpEvents();
    return true;
  }
  std::fprintf(stderr, "zureader: the desktop's clipboard took no text (%s)\n", SDL_GetError());
  return false;
}

}  // namespace zu
