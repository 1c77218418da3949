// HttpEngineUtils: class functions used around the HTTP engine: the "X-User-Agent" text, HTTP
// date formatting and parsing, the validators and cache headers of a response, MD5 of strings,
// and the folders of the old per-Documents caches.
//
// HTTP dates are always written in GMT ("Sun, 06 Nov 1994 08:49:37 GMT", C locale) and read in
// the three forms servers send: RFC 1123, RFC 850 and asctime. Dates are seconds since 1970
// (the runtime's time interval, Clock::now()).
//
// Thread-safe: the kept user-agent text and user name are guarded by a lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/http/HttpResponse.h"

namespace zu {

class HttpEngineUtils {
 public:
  HttpEngineUtils() = delete;

  static void globalAlloc();
  // Forgets the kept user name and user-agent text.
  static void globalDealloc();

  // Keeps a name (not read by userName(), which answers the current user).
  static void setUserName(std::optional<std::string> name);
  // The current user name (CommInfo).
  static std::optional<std::string> userName();

  // <Documents>/HttpCache/, <Documents>/FileCache/, <Documents>/LinkCache/ (folders of older
  // versions, removed at start-up).
  static std::string httpCacheDirectory();
  static std::string fileCacheDirectory();
  static std::string linkCacheDirectory();

  // MD5 of the UTF-8 bytes as 32 upper-case hex digits.
  static std::string stringMd5Encoded(std::string_view text);

  // "EEE, dd MMM yyyy HH:mm:ss 'GMT'" of a time (seconds since 1970, fraction dropped); empty
  // for a time that is not finite.
  static std::string stringFromHttpDate(double secondsSince1970);
  static std::string stringWithHttpDate(double secondsSince1970);
  // An RFC 1123, RFC 850 or asctime date; nullopt when the text does not parse.
  static std::optional<double> httpDateFromString(std::string_view text);
  static std::optional<double> dateWithHttpDateString(std::string_view text);

  // Seconds from the file's modification time to now; 0 for no path or a file that is not there.
  static double timeIntervalFromLastModified(const std::optional<std::string>& path);
  // Same as HttpDataEngine::shouldCache.
  static bool cacheNeeded(const HttpResponse* response);

  // The text after "max-age=" in "Cache-Control" up to the next "," (or the end), trimmed;
  // nullopt when absent or when its numeric value is 0.
  static std::optional<std::string> getMaxAgeFromResponse(const HttpResponse* response);
  // The raw header texts.
  static std::optional<std::string> getExpiresFromResponse(const HttpResponse* response);
  static std::optional<std::string> getLastModifiedFromResponse(const HttpResponse* response);
  static std::optional<std::string> getETagFromResponse(const HttpResponse* response);

  // "VESK/<version> (<w>/<h>; <build model>; <system version>; <language>; <device model>)
  // 1.0.1", made on first use and kept.
  static std::string getXUserAgent();
  // The composition of the user-agent text from its parts.
  static std::string composeXUserAgent(std::string_view appVersion, double screenWidthPixels,
                                       double screenHeightPixels, std::string_view buildModel,
                                       std::string_view systemVersion, std::string_view language,
                                       std::string_view deviceModel);

  static std::optional<std::string> stringWithUTF8StringSafe(const char* text);

  // "Expires" / "Last-Modified" parsed as HTTP dates; nullopt when absent or unparsable.
  static std::optional<double> expiresDateOfResponse(const HttpResponse* response);
  static std::optional<double> lastModifiedDateofResponse(const HttpResponse* response);
  static std::optional<std::string> etagOfResponse(const HttpResponse* response);

  // The file's modification time, or nullopt.
  static std::optional<double> lastModificationDateOfFile(const std::string& path);

  // "null" for no text, else the text in single quotes with each quote doubled.
  static std::string sqlStringWithString(const std::optional<std::string>& text);
};

}  // namespace zu
