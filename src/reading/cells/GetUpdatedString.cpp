#include "reading/cells/GetUpdatedString.h"

#include <algorithm>

#include "platform/intl/Calendar.h"
#include "platform/intl/DateFormatter.h"
#include "platform/runtime/Clock.h"

namespace zu {

namespace {

// The day's words alone at exactly midnight, else the words and the time.
std::string dayAndTime(const std::string& day, double moment) {
  const std::string time = DateFormatter("HH:mm").format(moment);
  return time == "00:00" ? day : day + " " + time;
}

}  // namespace

std::string GetUpdatedString(int64_t millisSince1970) {
  const double moment = static_cast<double>(millisSince1970) / 1000.0;
  const Calendar calendar;
  const double now = Clock::get()->now();
  if (calendar.isSameDay(moment, now)) {
    const auto elapsed = std::max<int64_t>(0, static_cast<int64_t>(now - moment));
    if (elapsed < 60) return std::to_string(elapsed) + "秒前";
    if (elapsed < 3600) return std::to_string(elapsed / 60) + "分钟前";
    return dayAndTime("今天", moment);
  }
  if (calendar.isSameDay(moment, calendar.addingDays(calendar.startOfDay(now), -1))) {
    return dayAndTime("昨天", moment);
  }
  if (calendar.components(moment).year == calendar.components(now).year) {
    return dayAndTime(DateFormatter("M月d日").format(moment), moment);
  }
  return dayAndTime(DateFormatter("yyyy年M月d日").format(moment), moment);
}

}  // namespace zu
