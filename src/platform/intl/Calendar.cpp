#include "platform/intl/Calendar.h"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <memory>

#include "platform/intl/IcuTime.h"
#include "platform/runtime/Clock.h"

namespace zu {

namespace {

std::unique_ptr<icu::GregorianCalendar> makeCalendar(const TimeZone& zone) {
  UErrorCode status = U_ZERO_ERROR;
  // The calendar adopts the zone.
  auto cal = std::make_unique<icu::GregorianCalendar>(
      intl::makeIcuZone(zone.identifier()).release(), icu::Locale::getRoot(), status);
  if (U_FAILURE(status)) return nullptr;
  return cal;
}

}  // namespace

DateComponents Calendar::components(double secondsSince1970) const {
  DateComponents c;
  auto cal = makeCalendar(zone_);
  if (!cal) return c;
  UErrorCode status = U_ZERO_ERROR;
  cal->setTime(intl::icuMillis(secondsSince1970), status);
  c.year = cal->get(UCAL_EXTENDED_YEAR, status);
  c.month = cal->get(UCAL_MONTH, status) + 1;
  c.day = cal->get(UCAL_DATE, status);
  c.hour = cal->get(UCAL_HOUR_OF_DAY, status);
  c.minute = cal->get(UCAL_MINUTE, status);
  c.second = cal->get(UCAL_SECOND, status);
  c.weekday = cal->get(UCAL_DAY_OF_WEEK, status);
  return c;
}

double Calendar::dateFromComponents(const DateComponents& c) const {
  auto cal = makeCalendar(zone_);
  if (!cal) return 0;
  UErrorCode status = U_ZERO_ERROR;
  cal->clear();
  cal->set(UCAL_EXTENDED_YEAR, c.year);
  cal->set(UCAL_MONTH, c.month - 1);
  cal->set(UCAL_DATE, c.day);
  cal->set(UCAL_HOUR_OF_DAY, c.hour);
  cal->set(UCAL_MINUTE, c.minute);
  cal->set(UCAL_SECOND, c.second);
  const UDate millis = cal->getTime(status);
  return U_FAILURE(status) ? 0 : millis / 1000.0;
}

double Calendar::startOfDay(double secondsSince1970) const {
  DateComponents c = components(secondsSince1970);
  c.hour = c.minute = c.second = 0;
  return dateFromComponents(c);
}

double Calendar::addingDays(double secondsSince1970, int days) const {
  auto cal = makeCalendar(zone_);
  if (!cal) return secondsSince1970;
  UErrorCode status = U_ZERO_ERROR;
  cal->setTime(intl::icuMillis(secondsSince1970), status);
  cal->add(UCAL_DATE, days, status);
  const UDate millis = cal->getTime(status);
  return U_FAILURE(status) ? secondsSince1970 : millis / 1000.0;
}

bool Calendar::isSameDay(double a, double b) const {
  const DateComponents ca = components(a);
  const DateComponents cb = components(b);
  return ca.year == cb.year && ca.month == cb.month && ca.day == cb.day;
}

bool Calendar::isDateInToday(double secondsSince1970) const {
  return isSameDay(secondsSince1970, Clock::get()->now());
}

bool Calendar::isDateInYesterday(double secondsSince1970) const {
  const double yesterday = addingDays(startOfDay(Clock::get()->now()), -1);
  return isSameDay(secondsSince1970, yesterday);
}

bool Calendar::isDateInThisYear(double secondsSince1970) const {
  return components(secondsSince1970).year == components(Clock::get()->now()).year;
}

}  // namespace zu
