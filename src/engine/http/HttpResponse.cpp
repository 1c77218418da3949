#include "engine/http/HttpResponse.h"

#include <climits>
#include <cstdlib>

namespace zu {

namespace {

// The platform's intValue: leading blanks, an optional sign, decimal digits; 0 otherwise;
// clamped to the int range.
int intValueOf(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::optional<std::string> HttpResponse::headerField(std::string_view name) const {
  if (!responseHeader_) return std::nullopt;
  return responseHeader_->field(name);
}

int HttpResponse::statusCode() const {
  if (isCache_) return 200;
  return responseHeader_ ? responseHeader_->statusCode : 0;
}

int HttpResponse::xErrorCode() const {
  auto value = headerField("X-Error");
  return value ? intValueOf(*value) : 0;
}

int HttpResponse::expectedContentLength() const {
  if (!responseHeader_) return 0;
  int64_t length = responseHeader_->expectedContentLength;
  if (length > INT_MAX) return INT_MAX;
  if (length < INT_MIN) return INT_MIN;
  return static_cast<int>(length);
}

std::optional<std::string> HttpResponse::mimeType() const {
  if (!responseHeader_ || responseHeader_->mimeType.empty()) return std::nullopt;
  return responseHeader_->mimeType;
}

std::optional<std::string> HttpResponse::veskSession() const {
  return headerField("VESK-Session");
}

std::optional<std::string> HttpResponse::veskStatus() const { return headerField("VESK-Status"); }

std::optional<std::string> HttpResponse::stanzaAuthenticationTitle() const {
  return headerField("Stanza-Authentication-Title");
}

std::optional<std::string> HttpResponse::stanzaAuthenticationDialog() const {
  return headerField("Stanza-Authentication-Dialog");
}

std::optional<std::string> HttpResponse::stanzaAuthenticationPrompt() const {
  return headerField("Stanza-Authentication-Prompt");
}

std::optional<std::string> HttpResponse::stanzaAuthenticationReason() const {
  return headerField("Stanza-Authentication-Reason");
}

}  // namespace zu
