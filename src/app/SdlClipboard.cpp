#include "app/SdlClipboard.h"

#include <SDL.h>

#include <cstdio>

namespace zu {

std::optional<std::string> SdlClipboard::text() {
  char* raw = SDL_GetClipboardText();
  if (!raw) return std::nullopt;
  std::string text(raw);
  SDL_free(raw);
  // SDL answers an empty text when the clipboard holds none (or no text).
  if (text.empty()) return std::nullopt;
  return text;
}

bool SdlClipboard::setText(const std::string& text) {
  if (SDL_SetClipboardText(text.c_str()) == 0) return true;
  std::fprintf(stderr, "zureader: the desktop's clipboard took no text (%s)\n", SDL_GetError());
  return false;
}

}  // namespace zu
