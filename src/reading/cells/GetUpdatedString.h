// GetUpdatedString: the relative date of an article list row — "%d秒前" under a minute, "%d分钟前"
// under an hour, "今天 HH:mm" later today, "昨天 HH:mm", "M月d日 HH:mm" this year and "yyyy年M月d日
// HH:mm" before; a time of exactly "00:00" gives the day's words alone ("今天", "昨天", "M月d日",
// "yyyy年M月d日"). Days are Gregorian calendar days in the device's time zone and "now" is the
// process clock, so tests fix both. A different rule from FormatTimeString (the rows' old text).
//
// Where we differ on purpose: a moment later today (a clock behind the server's) shows "0秒前",
// never a negative count. A plain function; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

// `millisSince1970`: the moment in milliseconds since 1970 UTC.
std::string GetUpdatedString(int64_t millisSince1970);

}  // namespace zu
