#include "platform/device/Pasteboard.h"

namespace zu {

Pasteboard& Pasteboard::general() {
  static auto* board = new Pasteboard();  // never destroyed
  return *board;
}

std::optional<std::string> Pasteboard::string() const {
  if (strings_.empty()) return std::nullopt;
  return strings_.front();
}

void Pasteboard::setString(std::string text) { setStrings({std::move(text)}); }

void Pasteboard::setStrings(std::vector<std::string> strings) {
  strings_ = std::move(strings);
  ++changeCount_;
}

void Pasteboard::resetForTesting() {
  strings_.clear();
  changeCount_ = 0;
}

}  // namespace zu
