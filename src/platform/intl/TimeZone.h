// TimeZone: a named time zone ("Asia/Shanghai", "UTC") as the phone's time-zone object is used
// here: the zone in which calendar days begin and times of day are shown. A plain value, usable
// from any thread.
//
// TimeZone::defaultZone() is the device's zone: the one a test or the application installed with
// setDefault, else the host's (TZ, /etc/localtime; read once), else UTC. Installing a default is
// meant for start-up and tests; it is guarded by a lock, so readers on other threads see the old
// or the new zone, never a torn one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zu {

class TimeZone {
 public:
  // Null for an identifier the time-zone database does not know.
  static std::optional<TimeZone> named(std::string_view identifier);
  static TimeZone utc() { return TimeZone("UTC"); }
  static TimeZone defaultZone();
  // Null returns to the host's zone.
  static void setDefault(std::optional<TimeZone> zone);

  const std::string& identifier() const { return identifier_; }
  // Seconds east of UTC at the given moment (seconds since 1970), daylight saving included.
  int secondsFromGMT(double secondsSince1970) const;

  bool operator==(const TimeZone&) const = default;

 private:
  explicit TimeZone(std::string identifier) : identifier_(std::move(identifier)) {}
  std::string identifier_;
};

}  // namespace zu
