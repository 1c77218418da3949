// FormatTimeString: the time text of a list row, comment or summary relative to the reader's
// today — "今天 HH:mm", "昨天 HH:mm", "yy-MM-dd" for another year, else "MM-dd HH:mm". Days are
// Gregorian calendar days in the device's time zone (TimeZone::defaultZone()) and "now" is the
// process clock (Clock::get()), so tests fix both. A moment after today is neither today nor
// yesterday and falls to the year rules. A plain function; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

// `millisSince1970`: the moment in milliseconds since 1970 UTC.
std::string FormatTimeString(int64_t millisSince1970);

}  // namespace zu
