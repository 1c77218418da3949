#include "reading/cells/FormatTimeString.h"

#include "platform/intl/Calendar.h"
#include "platform/intl/DateFormatter.h"
#include "platform/runtime/Clock.h"

namespace zu {

std::string FormatTimeString(int64_t millisSince1970) {
  const double moment = static_cast<double>(millisSince1970) / 1000.0;
  const Calendar calendar;
  const double now = Clock::get()->now();
  if (calendar.isSameDay(moment, now)) return "今天 " + DateFormatter("HH:mm").format(moment);
  const double yesterday = calendar.addingDays(calendar.startOfDay(now), -1);
  if (calendar.isSameDay(moment, yesterday)) return "昨天 " + DateFormatter("HH:mm").format(moment);
  if (calendar.components(moment).year != calendar.components(now).year) {
    return DateFormatter("yy-MM-dd").format(moment);
  }
  return DateFormatter("MM-dd HH:mm").format(moment);
}

}  // namespace zu
