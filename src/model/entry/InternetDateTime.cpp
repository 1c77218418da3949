#include "model/entry/InternetDateTime.h"

#include <array>
#include <cstdio>

#include "common/Log.h"

namespace zu {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kZone8Seconds = 8 * 3600;

// The fields read from a text; the zone offset is in seconds east of UTC.
struct DateFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int offsetSeconds = 0;
};

// Writes the line that tells an unreadable date text ("(null)" for a missing one).
void logUnreadableDate(const char* form, std::optional<std::string_view> text) {
  const std::string shown = text ? std::string(*text) : std::string("(null)");
  VESKLogImpl("Could not parse %s date: \"%s\" Possibly invalid format.", form, shown.c_str());
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// A reading position in a text; every reader either consumes what it matched and returns
// true, or leaves the position as it was and returns false.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ == text_.size(); }

  bool literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool word(std::string_view w) {
    if (text_.substr(pos_, w.size()) == w) {
      pos_ += w.size();
      return true;
    }
    return false;
  }

  // One or more spaces.
  bool spaces() {
    size_t n = 0;
    while (pos_ + n < text_.size() && text_[pos_ + n] == ' ') ++n;
    if (n == 0) return false;
    pos_ += n;
    return true;
  }

  // Between minCount and maxCount decimal digits, and no further digit right after them.
  bool number(size_t minCount, size_t maxCount, int& out) {
    size_t n = 0;
    int value = 0;
    while (pos_ + n < text_.size() && isDigit(text_[pos_ + n])) {
      if (n == maxCount) return false;
      value = value * 10 + (text_[pos_ + n] - '0');
      ++n;
    }
    if (n < minCount) return false;
    pos_ += n;
    out = value;
    return true;
  }

  // A fraction of a second: one or more digits, the first three giving milliseconds.
  bool fraction(int& millis) {
    size_t n = 0;
    int value = 0;
    while (pos_ + n < text_.size() && isDigit(text_[pos_ + n])) {
      if (n < 3) value = value * 10 + (text_[pos_ + n] - '0');
      ++n;
    }
    if (n == 0) return false;
    for (size_t k = n; k < 3; ++k) value *= 10;
    pos_ += n;
    millis = value;
    return true;
  }

  // "±hhmm".
  bool numericOffset(int& seconds) {
    size_t start = pos_;
    int sign = 0;
    if (literal('+')) {
      sign = 1;
    } else if (literal('-')) {
      sign = -1;
    } else {
      return false;
    }
    int hh = 0;
    int mm = 0;
    if (!fixedDigits(2, hh) || !fixedDigits(2, mm) || hh > 23 || mm > 59) {
      pos_ = start;
      return false;
    }
    seconds = sign * (hh * 3600 + mm * 60);
    return true;
  }

  // The offset after "GMT" or "UTC": "±h", "±hh", "±hhmm" or "±hh:mm".
  bool gmtOffset(int& seconds) {
    size_t start = pos_;
    int sign = 0;
    if (literal('+')) {
      sign = 1;
    } else if (literal('-')) {
      sign = -1;
    } else {
      return false;
    }
    size_t n = 0;
    while (pos_ + n < text_.size() && isDigit(text_[pos_ + n])) ++n;
    int hh = 0;
    int mm = 0;
    bool ok = false;
    if (n == 1 || n == 2) {
      number(1, 2, hh);
      ok = true;
      if (literal(':')) ok = fixedDigits(2, mm) && atEndOfDigits();
    } else if (n == 4) {
      fixedDigits(2, hh);
      fixedDigits(2, mm);
      ok = true;
    }
    if (!ok || hh > 23 || mm > 59) {
      pos_ = start;
      return false;
    }
    seconds = sign * (hh * 3600 + mm * 60);
    return true;
  }

 private:
  bool fixedDigits(size_t count, int& out) {
    if (pos_ + count > text_.size()) return false;
    int value = 0;
    for (size_t k = 0; k < count; ++k) {
      char c = text_[pos_ + k];
      if (!isDigit(c)) return false;
      value = value * 10 + (c - '0');
    }
    pos_ += count;
    out = value;
    return true;
  }

  bool atEndOfDigits() const { return pos_ == text_.size() || !isDigit(text_[pos_]); }

  std::string_view text_;
  size_t pos_ = 0;
};

bool isLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && isLeapYear(year)) return 29;
  return kDays[static_cast<size_t>(month - 1)];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The date of the proleptic Gregorian calendar that lies the given days after 1970-01-01.
void civilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

std::optional<int64_t> toMilliseconds(const DateFields& f) {
  if (f.year < 1 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > daysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 || f.second > 59) {
    return std::nullopt;
  }
  const int64_t days = daysFromCivil(f.year, f.month, f.day);
  const int64_t seconds =
      days * kSecondsPerDay + f.hour * 3600 + f.minute * 60 + f.second - f.offsetSeconds;
  return seconds * 1000 + f.millisecond;
}

bool readMonthName(Cursor& c, int& month) {
  static constexpr std::array<std::string_view, 12> kFull = {
      "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
      "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
  for (size_t i = 0; i < kFull.size(); ++i) {
    if (c.word(kFull[i]) || c.word(kFull[i].substr(0, 3))) {
      month = static_cast<int>(i) + 1;
      return true;
    }
  }
  return false;
}

bool readDayName(Cursor& c) {
  static constexpr std::array<std::string_view, 7> kFull = {
      "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"};
  for (auto name : kFull) {
    if (c.word(name) || c.word(name.substr(0, 3))) return true;
  }
  return false;
}

// A zone of the RFC 822 forms: a name, a numeric offset or a GMT-style offset.
bool readZoneName(Cursor& c, int& offsetSeconds) {
  if (c.numericOffset(offsetSeconds)) return true;
  for (std::string_view prefix : {"GMT", "UTC", "UT"}) {
    if (c.word(prefix)) {
      if (prefix != "UT" && c.gmtOffset(offsetSeconds)) return true;
      offsetSeconds = 0;
      return true;
    }
  }
  struct Named {
    std::string_view name;
    int hours;
  };
  static constexpr std::array<Named, 9> kNames = {{{"Z", 0},
                                                   {"EST", -5},
                                                   {"EDT", -4},
                                                   {"CST", -6},
                                                   {"CDT", -5},
                                                   {"MST", -7},
                                                   {"MDT", -6},
                                                   {"PST", -8},
                                                   {"PDT", -7}}};
  for (const auto& n : kNames) {
    if (c.word(n.name)) {
      offsetSeconds = n.hours * 3600;
      return true;
    }
  }
  return false;
}

// "[EEE, ]d MMM yyyy HH:mm[:ss][ zone]"; the caller says which parts the form has.
std::optional<int64_t> readRfc822Form(std::string_view text, bool withDayName, bool withSeconds,
                                      bool withZone) {
  Cursor c(text);
  DateFields f;
  if (withDayName) {
    if (!readDayName(c) || !c.literal(',') || !c.spaces()) return std::nullopt;
  }
  if (!c.number(1, 2, f.day) || !c.spaces() || !readMonthName(c, f.month) || !c.spaces() ||
      !c.number(4, 4, f.year) || !c.spaces() || !c.number(1, 2, f.hour) || !c.literal(':') ||
      !c.number(1, 2, f.minute)) {
    return std::nullopt;
  }
  if (withSeconds && (!c.literal(':') || !c.number(1, 2, f.second))) return std::nullopt;
  if (withZone && (!c.spaces() || !readZoneName(c, f.offsetSeconds))) return std::nullopt;
  if (!c.atEnd()) return std::nullopt;
  return toMilliseconds(f);
}

// "yyyy-MM-ddTHH:mm:ss[.S…]±hhmm" or "yyyy-MM-ddTHH:mm:ss".
std::optional<int64_t> readRfc3339Form(std::string_view text, bool withFraction, bool withZone) {
  Cursor c(text);
  DateFields f;
  if (!c.number(4, 4, f.year) || !c.literal('-') || !c.number(1, 2, f.month) || !c.literal('-') ||
      !c.number(1, 2, f.day) || !c.literal('T') || !c.number(1, 2, f.hour) || !c.literal(':') ||
      !c.number(1, 2, f.minute) || !c.literal(':') || !c.number(1, 2, f.second)) {
    return std::nullopt;
  }
  if (withFraction && (!c.literal('.') || !c.fraction(f.millisecond))) return std::nullopt;
  if (withZone && !c.numericOffset(f.offsetSeconds)) return std::nullopt;
  if (!c.atEnd()) return std::nullopt;
  return toMilliseconds(f);
}

}  // namespace

std::optional<int64_t> InternetDateTime::dateFromInternetDateTimeString(
    std::optional<std::string_view> text, int formatHint) {
  std::optional<int64_t> date;
  if (formatHint == 2) {
    date = dateFromRFC3339String(text);
    if (!date) date = dateFromRFC822String(text);
  } else {
    date = dateFromRFC822String(text);
    if (!date) date = dateFromRFC3339String(text);
  }
  return date;
}

std::optional<int64_t> InternetDateTime::dateFromRFC822String(
    std::optional<std::string_view> text) {
  std::optional<int64_t> date;
  if (text) {
    const std::string upper = upperAscii(*text);
    // A text with a "," is led by a day name. (A missing text is tried with the day-name
    // forms and fails there.)
    const bool withDayName = upper.find(',') != std::string::npos;
    for (const auto& [seconds, zone] : {std::pair{true, true}, std::pair{false, true},
                                        std::pair{true, false}, std::pair{false, false}}) {
      date = readRfc822Form(upper, withDayName, seconds, zone);
      if (date) break;
    }
  }
  if (!date) logUnreadableDate("RFC822", text);
  return date;
}

std::optional<int64_t> InternetDateTime::dateFromRFC3339String(
    std::optional<std::string_view> text) {
  std::optional<int64_t> date;
  if (text) {
    std::string upper;
    upper.reserve(text->size() + 8);
    for (char ch : upperAscii(*text)) {
      if (ch == 'Z') {
        upper += "-0000";
      } else {
        upper += ch;
      }
    }
    // From the 21st character on, an offset written with a colon loses it; the colons of
    // the time of day come before and stay.
    if (upper.size() >= 21) {
      std::string tail;
      for (size_t i = 20; i < upper.size(); ++i) {
        if (upper[i] != ':') tail += upper[i];
      }
      upper.replace(20, std::string::npos, tail);
    }
    date = readRfc3339Form(upper, false, true);
    if (!date) date = readRfc3339Form(upper, true, true);
    if (!date) date = readRfc3339Form(upper, false, false);
  }
  if (!date) logUnreadableDate("RFC3339", text);
  return date;
}

int64_t InternetDateTime::RFC3339StringToLongLong(std::optional<std::string_view> text) {
  return dateFromInternetDateTimeString(text, 2).value_or(0);
}

std::string InternetDateTime::LongLongToRFC3339StringWithTimeZone8(int64_t milliseconds) {
  // Integer division truncates toward zero: the milliseconds are dropped, not floored.
  const int64_t seconds = milliseconds / 1000 + kZone8Seconds;
  int64_t days = seconds / kSecondsPerDay;
  int64_t secondOfDay = seconds % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --days;
  }
  int64_t year = 0;
  int month = 0;
  int day = 0;
  civilFromDays(days, year, month, day);
  const int hour = static_cast<int>(secondOfDay / 3600);
  const int minute = static_cast<int>(secondOfDay / 60 % 60);
  const int second = static_cast<int>(secondOfDay % 60);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%04lld-%02d-%02dT%02d:%02d:%02d+08:00", year < 0 ? "-" : "",
                static_cast<long long>(year < 0 ? -year : year), month, day, hour, minute, second);
  return buf;
}

}  // namespace zu
