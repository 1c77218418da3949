// InternetDateTime: conversion between the texts of Internet dates (RFC 3339 and RFC 822, with
// the lenient variants the service and feeds send) and times, which everywhere in the model are
// signed 64-bit counts of milliseconds since 1970-01-01 00:00 UTC.
//
// Static functions only, hand-written over plain integers: no mktime, no TZ environment, no
// locale. Month and day names are English, a text without a zone is read as UTC, and written
// texts are always in the UTC+8 zone ("+08:00"). Safe to call from any thread at once.
//
// Accepted forms (the text is upper-cased first; the whole text must be read):
//   RFC 3339: every "Z" becomes "-0000"; from the 21st character on every ":" is removed (so an
//     offset "+08:00" becomes "+0800"); then, in order,
//       yyyy-MM-ddTHH:mm:ss±hhmm   yyyy-MM-ddTHH:mm:ss.S…±hhmm   yyyy-MM-ddTHH:mm:ss (UTC)
//   RFC 822: without a "," in order
//       d MMM yyyy HH:mm:ss zone   d MMM yyyy HH:mm zone   d MMM yyyy HH:mm:ss   d MMM yyyy HH:mm
//     and with a "," the same four forms led by a day name and ", " ("WED, 04 MAY 2011 ...").
// Numbers: years have four digits (0001-9999), the other fields one or two; fractions of a
// second take one or more digits, of which the first three count. Fields must name a real
// date (February 29 only in leap years of the proleptic Gregorian calendar), hours 0-23,
// minutes and seconds 0-59. Month and day names: English, short ("MAY") or full ("MONDAY");
// the day name is not checked against the date. Zones of the RFC 822 forms: "GMT", "UT",
// "UTC", "Z", the North American "EST" "EDT" "CST" "CDT" "MST" "MDT" "PST" "PDT", numeric
// "±hhmm", and "GMT"/"UTC" followed by "±h", "±hh", "±hhmm" or "±hh:mm". Offsets are below 24
// hours. A space of a form matches one or more spaces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zu {

class InternetDateTime {
 public:
  // Hint 2 tries RFC 3339 first and RFC 822 second; any other hint the other way round.
  // Nullopt when neither reads the text (each failing reader logs a line).
  static std::optional<int64_t> dateFromInternetDateTimeString(std::optional<std::string_view> text,
                                                               int formatHint);

  // Nullopt (after a log line naming the text) when the text is none of the accepted forms.
  // A missing text is read like an unreadable one.
  static std::optional<int64_t> dateFromRFC822String(std::optional<std::string_view> text);
  static std::optional<int64_t> dateFromRFC3339String(std::optional<std::string_view> text);

  // Milliseconds since 1970 of an RFC 3339 (else RFC 822) text; 0 when it cannot be read.
  static int64_t RFC3339StringToLongLong(std::optional<std::string_view> text);

  // "yyyy-MM-ddTHH:mm:ss+08:00": the time in the UTC+8 zone, its milliseconds dropped by
  // truncation toward zero (so -1 ms is written as 1970-01-01T08:00:00+08:00). Years outside
  // 1-9999 (astronomical numbering, "0000", "-0001", "10000") do not read back.
  static std::string LongLongToRFC3339StringWithTimeZone8(int64_t milliseconds);
};

}  // namespace zu
