#include "engine/core/ErrorCodes.h"

#include <cstdio>

namespace zu {

namespace {

const char* fixedText(int code) {
  switch (code) {
#define ZU_ENGINE_ERROR_CASE(name, value, text) \
  case value:                                   \
    return text;
    ZU_ENGINE_ERROR_TABLE(ZU_ENGINE_ERROR_CASE)
#undef ZU_ENGINE_ERROR_CASE
    default:
      return nullptr;
  }
}

const char* httpReason(int status) {
  switch (status) {
#define ZU_HTTP_STATUS_CASE(s, reason) \
  case s:                              \
    return reason;
    ZU_HTTP_STATUS_TABLE(ZU_HTTP_STATUS_CASE)
#undef ZU_HTTP_STATUS_CASE
    default:
      return nullptr;
  }
}

}  // namespace

std::string ErrorGetDescription(int code) {
  if (const char* text = fixedText(code)) return text;
  // Codes -3100 .. -3505 carry an HTTP status; only the listed statuses have a text.
  if (code <= -3100 && code >= -3999) {
    if (const char* reason = httpReason(-code - 3000)) {
      return "HTTP响应码: " + std::to_string(-code - 3000) + "(" + reason + ")";
    }
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d", code);
  return std::string("错误") + buf;
}

int GetHttpSCErrorCode(int status) {
  bool mapped = status == 100 || status == 101 || (status >= 200 && status <= 207) ||
                (status >= 300 && status <= 307) || (status >= 400 && status <= 417) ||
                status >= 500;
  if (!mapped) return status;
  // Statuses so large that -(3000 + S) would not fit in 32 bits saturate instead of overflowing.
  if (status > INT32_MAX - 3000) return INT32_MIN;
  return -(3000 + status);
}

int GetServerErrorCode(int reason) {
  // Computed in 64 bits and clamped: a hostile reason must not overflow.
  int64_t code = static_cast<int64_t>(kServerErrorBase) - reason;
  if (code < INT32_MIN) return INT32_MIN;
  if (code > INT32_MAX) return INT32_MAX;
  return static_cast<int>(code);
}

bool isServerAuthorizeError(int code) {
  return code == -100001 || code == -100002 || code == -100010 || code == -100011 ||
         code == -100012;
}

}  // namespace zu
