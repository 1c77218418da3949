#include "common/DateUtil.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/runtime/Clock.h"

namespace zu {

namespace {

// The leading integer of a text the way the platform reads one: blanks skipped, an optional
// sign, then decimal digits; 0 when there are none; saturated at the int range.
int leadingInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

int64_t DateUtil::currentTimeMillis() {
  return static_cast<int64_t>(Clock::get()->now() * 1000.0);
}

std::string DateUtil::getFormatedCommentDateString(double secondsSince1970) {
  double difference = std::trunc(Clock::get()->now() - secondsSince1970);
  // A time absurdly far off (or NaN) must not overflow the int the age is kept in.
  int age;
  if (std::isnan(difference)) {
    age = 0;
  } else if (difference >= static_cast<double>(INT_MAX)) {
    age = INT_MAX;
  } else if (difference <= static_cast<double>(INT_MIN)) {
    age = INT_MIN;
  } else {
    age = static_cast<int>(difference);
  }
  char buf[64];
  if (age >= 86400) {
    std::snprintf(buf, sizeof buf, "%d天前", age / 86400);
  } else if (age < 60) {
    std::snprintf(buf, sizeof buf, "%d秒前", age);
  } else if (age < 3600) {
    std::snprintf(buf, sizeof buf, "%d分钟前", age / 60);
  } else {
    std::snprintf(buf, sizeof buf, "%d小时前", age / 3600);
  }
  return buf;
}

void parseStringToVersion(std::optional<std::string_view> text, int* major, int* minor, int* patch) {
  int parts[3] = {0, 0, 0};
  if (text) {
    std::string_view rest = *text;
    for (int i = 0; i < 3; ++i) {
      size_t dot = rest.find('.');
      parts[i] = leadingInt(rest.substr(0, dot));
      if (dot == std::string_view::npos) break;
      rest.remove_prefix(dot + 1);
    }
  }
  if (major) *major = parts[0];
  if (minor) *minor = parts[1];
  if (patch) *patch = parts[2];
}

int versionCompare(std::optional<std::string_view> a, std::optional<std::string_view> b) {
  int va[3], vb[3];
  parseStringToVersion(a, &va[0], &va[1], &va[2]);
  parseStringToVersion(b, &vb[0], &vb[1], &vb[2]);
  for (int i = 0; i < 3; ++i) {
    if (va[i] != vb[i]) return va[i] > vb[i] ? 1 : -1;
  }
  return 0;
}

}  // namespace zu
