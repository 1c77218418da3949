// DateUtil: "now" in milliseconds for the engine's stores and requests, the relative age text
// shown next to comments, and the parsing and comparison of dotted version texts. All
// functions are stateless and thread-safe; "now" is read from Clock::get(), so tests move it
// with a FakeClock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zu {

class DateUtil {
 public:
  DateUtil() = delete;

  // The current time in milliseconds since 1970 (truncated toward zero).
  static int64_t currentTimeMillis();
  // The age of a time (seconds since 1970) as "%d天前", "%d小时前", "%d分钟前" or "%d秒前".
  // A time in the future gives a negative number of seconds.
  static std::string getFormatedCommentDateString(double secondsSince1970);
};

// Reads "major.minor.patch": each part's leading integer (0 when it has none); missing parts,
// and all three for a missing text, are 0; parts after the third are ignored. Null pointers are
// skipped.
void parseStringToVersion(std::optional<std::string_view> text, int* major, int* minor, int* patch);
// 1 when a is the higher version, -1 when lower, 0 when equal (major, then minor, then patch,
// compared as numbers).
int versionCompare(std::optional<std::string_view> a, std::optional<std::string_view> b);

}  // namespace zu
