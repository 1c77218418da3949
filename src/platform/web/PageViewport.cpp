#include "platform/web/PageViewport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace zu::web {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '=' || c == ',' || c == ';'; }

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() &&
         std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

// The number `value` begins with ("320px" is 320); nullopt when it begins with none.
std::optional<float> numericPrefix(std::string_view value) {
  size_t end = 0;
  if (end < value.size() && (value[end] == '+' || value[end] == '-')) ++end;
  const size_t digits = end;
  while (end < value.size() && std::isdigit(static_cast<unsigned char>(value[end]))) ++end;
  if (end < value.size() && value[end] == '.') {
    ++end;
    while (end < value.size() && std::isdigit(static_cast<unsigned char>(value[end]))) ++end;
  }
  // Only a sign, or a sign and a point: no number.
  if (end == digits || (end == digits + 1 && value[digits] == '.')) return std::nullopt;
  // The prefix is short and made of digits only: no locale, no exponent, no hex.
  const std::string number(value.substr(0, end));
  return std::strtof(number.c_str(), nullptr);
}

}  // namespace

std::optional<float> PageViewport::declaredWidth(std::string_view content, float viewWidth, float viewHeight) {
  std::optional<float> width;
  size_t i = 0;
  const size_t n = content.size();
  while (i < n) {
    while (i < n && isSeparator(content[i])) ++i;
    const size_t keyBegin = i;
    while (i < n && !isSeparator(content[i])) ++i;
    const std::string_view key = content.substr(keyBegin, i - keyBegin);
    // The value follows after spaces and "=", but not past a comma or a semicolon: a key
    // alone there has an empty value.
    while (i < n && content[i] != ',' && content[i] != ';' && isSeparator(content[i])) ++i;
    const size_t valueBegin = i;
    while (i < n && !isSeparator(content[i])) ++i;
    const std::string_view value = content.substr(valueBegin, i - valueBegin);
    if (!equalsIgnoringCase(key, "width")) continue;
    // The last width named stands; one that names no width clears an earlier one.
    if (equalsIgnoringCase(value, "device-width")) {
      width = viewWidth;
    } else if (equalsIgnoringCase(value, "device-height")) {
      width = viewHeight;
    } else if (auto number = numericPrefix(value); number && *number >= 0 && std::isfinite(*number)) {
      width = *number;
    } else {
      width.reset();
    }
  }
  if (width) width = std::clamp(*width, kMinWidth, kMaxWidth);
  return width;
}

float PageViewport::zoom(std::optional<float> declared, float viewWidth, bool scalesPageToFit) {
  if (!scalesPageToFit || viewWidth <= 0) return 1;
  return std::clamp(viewWidth / declared.value_or(kDefaultLayoutWidth), kMinZoom, kMaxZoom);
}

float PageViewport::layoutWidth(std::optional<float> declared, float viewWidth, bool scalesPageToFit) {
  return viewWidth / zoom(declared, viewWidth, scalesPageToFit);
}

}  // namespace zu::web
