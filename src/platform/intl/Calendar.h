// Calendar: the Gregorian calendar in a time zone, as the screens use the phone's calendar to
// tell "today", "yesterday" and "this year" apart and to take a moment apart into its year,
// month, day and time of day. A plain value; every call is self-contained, so one calendar may be
// used from any thread.
//
// Moments are seconds since 1970 UTC (the platform's time interval, a double). "Now" is read
// from Clock::get(), so tests move it with a FakeClock; the zone defaults to
// TimeZone::defaultZone() at construction, so tests install one with TimeZone::setDefault.
// Days begin at local midnight; where a zone skips midnight (a daylight-saving jump at 00:00)
// the day begins at the first moment that exists.
#pragma once

#include "platform/intl/TimeZone.h"

namespace zu {

struct DateComponents {
  int year = 1970;
  int month = 1;  // 1–12
  int day = 1;    // 1–31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 5;  // 1 Sunday … 7 Saturday
  bool operator==(const DateComponents&) const = default;
};

class Calendar {
 public:
  Calendar() : zone_(TimeZone::defaultZone()) {}
  explicit Calendar(TimeZone zone) : zone_(std::move(zone)) {}

  const TimeZone& timeZone() const { return zone_; }

  DateComponents components(double secondsSince1970) const;
  // The moment of the given local date and time (weekday ignored; fields out of range carry
  // over, as 32 January is 1 February).
  double dateFromComponents(const DateComponents& components) const;
  double startOfDay(double secondsSince1970) const;
  // The same local time `days` calendar days later (earlier when negative).
  double addingDays(double secondsSince1970, int days) const;

  bool isSameDay(double a, double b) const;
  bool isDateInToday(double secondsSince1970) const;
  // The day before today's: today's local midnight, one day subtracted.
  bool isDateInYesterday(double secondsSince1970) const;
  bool isDateInThisYear(double secondsSince1970) const;

 private:
  TimeZone zone_;
};

}  // namespace zu
