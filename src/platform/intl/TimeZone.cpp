#include "platform/intl/TimeZone.h"

#include "platform/intl/IcuTime.h"

#include <memory>
#include <mutex>

namespace zu {

namespace {

std::mutex& defaultLock() {
  static auto* m = new std::mutex;  // never destroyed: readers may run during exit
  return *m;
}

std::optional<TimeZone>& installedDefault() {
  static auto* zone = new std::optional<TimeZone>;
  return *zone;
}

}  // namespace

std::optional<TimeZone> TimeZone::named(std::string_view identifier) {
  if (identifier.empty()) return std::nullopt;
  auto zone = intl::makeIcuZone(identifier);
  // ICU answers an unknown identifier with its "Etc/Unknown" zone (GMT) instead of failing.
  if (!zone || *zone == icu::TimeZone::getUnknown()) return std::nullopt;
  return TimeZone(std::string(identifier));
}

TimeZone TimeZone::defaultZone() {
  std::lock_guard<std::mutex> lock(defaultLock());
  if (installedDefault()) return *installedDefault();
  // The host's zone is read once: rows that format dates ask for it many times a second.
  static const TimeZone host = [] {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
    std::string id;
    if (zone && *zone != icu::TimeZone::getUnknown()) {
      icu::UnicodeString uid;
      zone->getID(uid).toUTF8String(id);
    }
    return id.empty() ? utc() : TimeZone(id);
  }();
  return host;
}

void TimeZone::setDefault(std::optional<TimeZone> zone) {
  std::lock_guard<std::mutex> lock(defaultLock());
  installedDefault() = std::move(zone);
}

int TimeZone::secondsFromGMT(double secondsSince1970) const {
  auto zone = intl::makeIcuZone(identifier_);
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone->getOffset(intl::icuMillis(secondsSince1970), false, raw, dst, status);
  if (U_FAILURE(status)) return 0;
  return (raw + dst) / 1000;
}

}  // namespace zu
