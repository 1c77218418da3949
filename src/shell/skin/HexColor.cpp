#include "shell/skin/HexColor.h"

#include <string>

namespace zu {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Two upper-case characters as one byte; 0 when either is not a hexadecimal digit.
int hexPair(std::string_view pair) {
  const int high = hexDigit(pair[0]);
  const int low = hexDigit(pair[1]);
  if (high < 0 || low < 0) return 0;
  return high * 16 + low;
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

ui::Color colorWithHexString(std::string_view text, float alpha) {
  while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper.size() < 6) return ui::Color::clearColor();
  std::string_view digits = upper;
  if (digits.substr(0, 2) == "0X") digits.remove_prefix(2);
  if (digits.size() != 6) return ui::Color::clearColor();
  return ui::Color(hexPair(digits.substr(0, 2)) / 255.f, hexPair(digits.substr(2, 2)) / 255.f,
                   hexPair(digits.substr(4, 2)) / 255.f, alpha);
}

}  // namespace zu
