#include "engine/http/HttpEngineUtils.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <mutex>

#include "common/CommInfo.h"
#include "engine/http/HttpDataEngine.h"
#include "platform/crypto/Md5.h"
#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

std::mutex gLock;
std::optional<std::string> gUserName;
std::optional<std::string> gUserAgent;

constexpr const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Seconds of 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z: the years a 4-digit form can write.
constexpr int64_t kMinSeconds = -62167219200LL;
constexpr int64_t kMaxSeconds = 253402300799LL;

int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2);
}

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A cursor over the date text.
class DateScanner {
 public:
  explicit DateScanner(std::string_view text) : s_(text) {}

  bool atEnd() const { return i_ >= s_.size(); }
  char peek() const { return atEnd() ? '\0' : s_[i_]; }
  void skipSpaces() {
    while (!atEnd() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool expect(char c) {
    if (peek() != c) return false;
    ++i_;
    return true;
  }
  std::string_view word() {
    size_t start = i_;
    while (!atEnd() && ((s_[i_] >= 'a' && s_[i_] <= 'z') || (s_[i_] >= 'A' && s_[i_] <= 'Z'))) {
      ++i_;
    }
    return s_.substr(start, i_ - start);
  }
  // Between minDigits and maxDigits decimal digits.
  bool number(int minDigits, int maxDigits, int* value, int* count = nullptr) {
    int n = 0, v = 0;
    while (n < maxDigits && !atEnd() && s_[i_] >= '0' && s_[i_] <= '9') {
      v = v * 10 + (s_[i_] - '0');
      ++i_;
      ++n;
    }
    if (n < minDigits) return false;
    if (!atEnd() && s_[i_] >= '0' && s_[i_] <= '9') return false;  // too many digits
    *value = v;
    if (count) *count = n;
    return true;
  }

 private:
  std::string_view s_;
  size_t i_ = 0;
};

int monthIndex(std::string_view name) {
  for (int i = 0; i < 12; ++i) {
    if (equalsIgnoringCase(name, kMonths[i])) return i + 1;
  }
  return 0;
}

bool isDayName(std::string_view name, bool longForm) {
  for (int i = 0; i < 7; ++i) {
    if (equalsIgnoringCase(name, longForm ? kLongDays[i] : kShortDays[i])) return true;
  }
  return false;
}

bool scanTime(DateScanner& sc, int* h, int* mi, int* se) {
  return sc.number(1, 2, h) && sc.expect(':') && sc.number(2, 2, mi) && sc.expect(':') &&
         sc.number(2, 2, se);
}

// "GMT", "UTC", "UT", "Z" or a numeric offset "+hhmm" / "-hhmm"; the offset in seconds east.
bool scanZone(DateScanner& sc, int* offsetSeconds) {
  if (sc.peek() == '+' || sc.peek() == '-') {
    bool negative = sc.peek() == '-';
    sc.expect(sc.peek());
    int hhmm = 0;
    if (!sc.number(4, 4, &hhmm) || hhmm / 100 > 23 || hhmm % 100 > 59) return false;
    *offsetSeconds = (hhmm / 100 * 3600 + hhmm % 100 * 60) * (negative ? -1 : 1);
    return true;
  }
  std::string_view zone = sc.word();
  *offsetSeconds = 0;
  return equalsIgnoringCase(zone, "GMT") || equalsIgnoringCase(zone, "UTC") ||
         equalsIgnoringCase(zone, "UT") || equalsIgnoringCase(zone, "Z");
}

std::optional<double> makeDate(int64_t year, int month, int day, int h, int mi, int se,
                               int offsetSeconds) {
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
  if (h > 23 || mi > 59 || se > 60) return std::nullopt;
  int64_t seconds = daysFromCivil(year, month, day) * 86400 + h * 3600 + mi * 60 + se -
                    offsetSeconds;
  return static_cast<double>(seconds);
}

std::optional<double> parseHttpDate(std::string_view text) {
  DateScanner sc(text);
  sc.skipSpaces();
  std::string_view dayName = sc.word();
  int day = 0, year = 0, h = 0, mi = 0, se = 0, zone = 0, digits = 0;
  if (sc.expect(',')) {
    sc.skipSpaces();
    if (isDayName(dayName, false)) {
      // RFC 1123: "Sun, 06 Nov 1994 08:49:37 GMT"
      if (!sc.number(1, 2, &day)) return std::nullopt;
      sc.skipSpaces();
      int month = monthIndex(sc.word());
      sc.skipSpaces();
      if (!month || !sc.number(4, 4, &year)) return std::nullopt;
      sc.skipSpaces();
      if (!scanTime(sc, &h, &mi, &se)) return std::nullopt;
      sc.skipSpaces();
      if (!scanZone(sc, &zone)) return std::nullopt;
      sc.skipSpaces();
      if (!sc.atEnd()) return std::nullopt;
      return makeDate(year, month, day, h, mi, se, zone);
    }
    if (isDayName(dayName, true)) {
      // RFC 850: "Sunday, 06-Nov-94 08:49:37 GMT" (a four-digit year is taken as it is)
      if (!sc.number(1, 2, &day) || !sc.expect('-')) return std::nullopt;
      int month = monthIndex(sc.word());
      if (!month || !sc.expect('-') || !sc.number(2, 4, &year, &digits) || digits == 3) {
        return std::nullopt;
      }
      if (digits == 2) year += year < 70 ? 2000 : 1900;
      sc.skipSpaces();
      if (!scanTime(sc, &h, &mi, &se)) return std::nullopt;
      sc.skipSpaces();
      if (!scanZone(sc, &zone)) return std::nullopt;
      sc.skipSpaces();
      if (!sc.atEnd()) return std::nullopt;
      return makeDate(year, month, day, h, mi, se, zone);
    }
    return std::nullopt;
  }
  // asctime: "Sun Nov  6 08:49:37 1994", always GMT.
  if (!isDayName(dayName, false)) return std::nullopt;
  sc.skipSpaces();
  int month = monthIndex(sc.word());
  sc.skipSpaces();
  if (!month || !sc.number(1, 2, &day)) return std::nullopt;
  sc.skipSpaces();
  if (!scanTime(sc, &h, &mi, &se)) return std::nullopt;
  sc.skipSpaces();
  if (!sc.number(4, 4, &year)) return std::nullopt;
  sc.skipSpaces();
  if (!sc.atEnd()) return std::nullopt;
  return makeDate(year, month, day, h, mi, se, 0);
}

// The platform's longLongValue: leading blanks, an optional sign, digits.
int64_t longLongValueOf(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) return negative ? INT64_MIN : INT64_MAX;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::string_view trimBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string documentsSubfolder(const char* name) {
  return Paths::documents().string() + "/" + name + "/";
}

}  // namespace

void HttpEngineUtils::globalAlloc() {}

void HttpEngineUtils::globalDealloc() {
  std::lock_guard<std::mutex> guard(gLock);
  gUserName.reset();
  gUserAgent.reset();
}

void HttpEngineUtils::setUserName(std::optional<std::string> name) {
  std::lock_guard<std::mutex> guard(gLock);
  gUserName = std::move(name);
}

std::optional<std::string> HttpEngineUtils::userName() { return CommInfo::getUsername(); }

std::string HttpEngineUtils::httpCacheDirectory() { return documentsSubfolder("HttpCache"); }
std::string HttpEngineUtils::fileCacheDirectory() { return documentsSubfolder("FileCache"); }
std::string HttpEngineUtils::linkCacheDirectory() { return documentsSubfolder("LinkCache"); }

std::string HttpEngineUtils::stringMd5Encoded(std::string_view text) {
  return crypto::Md5::hexUpper(text);
}

std::string HttpEngineUtils::stringFromHttpDate(double secondsSince1970) {
  if (!std::isfinite(secondsSince1970)) return std::string();
  double whole = std::floor(secondsSince1970);
  if (whole < static_cast<double>(kMinSeconds) || whole > static_cast<double>(kMaxSeconds)) {
    return std::string();
  }
  int64_t seconds = static_cast<int64_t>(whole);
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  int64_t year = 0;
  int month = 0, day = 0;
  civilFromDays(days, &year, &month, &day);
  int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04lld %02d:%02d:%02d GMT", kShortDays[weekday],
                day, kMonths[month - 1], static_cast<long long>(year),
                static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return buf;
}

std::string HttpEngineUtils::stringWithHttpDate(double secondsSince1970) {
  return stringFromHttpDate(secondsSince1970);
}

std::optional<double> HttpEngineUtils::httpDateFromString(std::string_view text) {
  return parseHttpDate(text);
}

std::optional<double> HttpEngineUtils::dateWithHttpDateString(std::string_view text) {
  return parseHttpDate(text);
}

double HttpEngineUtils::timeIntervalFromLastModified(const std::optional<std::string>& path) {
  if (!path) return 0;
  auto modified = lastModificationDateOfFile(*path);
  if (!modified) return 0;
  return Clock::get()->now() - *modified;
}

bool HttpEngineUtils::cacheNeeded(const HttpResponse* response) {
  return HttpDataEngine::shouldCache(response);
}

std::optional<std::string> HttpEngineUtils::getMaxAgeFromResponse(const HttpResponse* response) {
  if (!response) return std::nullopt;
  auto control = response->headerField("Cache-Control");
  if (!control) return std::nullopt;
  static constexpr std::string_view kMarker = "max-age=";
  size_t at = control->find(kMarker);
  if (at == std::string::npos) return std::nullopt;
  std::string_view rest = std::string_view(*control).substr(at + kMarker.size());
  size_t comma = rest.find(',');
  if (comma != std::string_view::npos) rest = rest.substr(0, comma);
  rest = trimBlanks(rest);
  if (longLongValueOf(rest) == 0) return std::nullopt;
  return std::string(rest);
}

std::optional<std::string> HttpEngineUtils::getExpiresFromResponse(const HttpResponse* response) {
  return response ? response->headerField("Expires") : std::nullopt;
}

std::optional<std::string> HttpEngineUtils::getLastModifiedFromResponse(
    const HttpResponse* response) {
  return response ? response->headerField("Last-Modified") : std::nullopt;
}

std::optional<std::string> HttpEngineUtils::getETagFromResponse(const HttpResponse* response) {
  return response ? response->headerField("Etag") : std::nullopt;
}

std::string HttpEngineUtils::composeXUserAgent(std::string_view appVersion,
                                               double screenWidthPixels,
                                               double screenHeightPixels,
                                               std::string_view buildModel,
                                               std::string_view systemVersion,
                                               std::string_view language,
                                               std::string_view deviceModel) {
  char screen[64];
  std::snprintf(screen, sizeof screen, "%.f/%.f", screenWidthPixels, screenHeightPixels);
  std::string text = "VESK/";
  text.append(appVersion).append(" (").append(screen).append("; ").append(buildModel);
  text.append("; ").append(systemVersion).append("; ").append(language).append("; ");
  text.append(deviceModel).append(") 1.0.1");
  return text;
}

std::string HttpEngineUtils::getXUserAgent() {
  std::lock_guard<std::mutex> guard(gLock);
  if (gUserAgent) return *gUserAgent;
  std::string version;
  if (auto bundle = Bundle::mainBundle()) version = bundle->info("CFBundleVersion").value_or("");
  const double scale = DeviceProfile::screenScale();
  gUserAgent = composeXUserAgent(version, DeviceProfile::screenWidth() * scale,
                                 DeviceProfile::screenHeight() * scale,
                                 CommInfo::getBuildForModel(), DeviceProfile::systemVersion(),
                                 DeviceProfile::preferredLanguage(), DeviceProfile::model());
  return *gUserAgent;
}

std::optional<std::string> HttpEngineUtils::stringWithUTF8StringSafe(const char* text) {
  if (!text) return std::nullopt;
  return std::string(text);
}

std::optional<double> HttpEngineUtils::expiresDateOfResponse(const HttpResponse* response) {
  auto text = getExpiresFromResponse(response);
  return text ? parseHttpDate(*text) : std::nullopt;
}

std::optional<double> HttpEngineUtils::lastModifiedDateofResponse(const HttpResponse* response) {
  auto text = getLastModifiedFromResponse(response);
  return text ? parseHttpDate(*text) : std::nullopt;
}

std::optional<std::string> HttpEngineUtils::etagOfResponse(const HttpResponse* response) {
  return getETagFromResponse(response);
}

std::optional<double> HttpEngineUtils::lastModificationDateOfFile(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
}

std::string HttpEngineUtils::sqlStringWithString(const std::optional<std::string>& text) {
  if (!text) return "null";
  std::string quoted = "'";
  for (char c : *text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  quoted += '\'';
  return quoted;
}

}  // namespace zu
