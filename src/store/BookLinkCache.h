// BookLinkCache: local copies of the seven style sheets and scripts that book pages refer to
// on the static-content host (ServiceHosts::staticHost()), so book pages render offline. The
// web views get them through the engine's link cache; the book-links download task refreshes
// them with updateBookLinkCache(). Without a downloaded copy (or with an empty one) the file of
// the same name in the application bundle is served.
//
// Files: <Caches>/BookLinkCache/<token>, the token being the resource's file name. URLs are
// compared exactly ("http://" + host + path), so the doubled slash of the last four paths
// matters. Class functions only; thread-safe as far as the file system is (a reader sees the
// old or the whole new file).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class BookLinkCache {
 public:
  BookLinkCache() = delete;

  static constexpr const char* kFolderName = "BookLinkCache";

  // The token (file name) of one of the seven URLs; nullopt for any other or an empty text.
  static std::optional<std::string> bookUrlRelativeToken(const std::optional<std::string>& url);
  static bool isBookCssJsUrl(const std::optional<std::string>& url);
  // "<Caches>/BookLinkCache" and "<Caches>/BookLinkCache/<token>".
  static std::string getCacheDirectory();
  static std::string getCachePathByRelativeToken(const std::string& token);
  // The downloaded file when it exists and is not empty, else the bundle resource named by
  // the token; nullopt for any other URL (or when neither exists).
  static std::optional<Bytes> dataWithUrl(const std::optional<std::string>& url);
  // The seven URLs, in their fixed order.
  static std::vector<std::string> getBookCssJsUrls();
  // Writes each URL's bytes to its token's file, in the given order; a file that already holds
  // those bytes is left untouched (not rewritten), so an unchanged update writes nothing. A URL
  // without a token removes the whole folder and stops there (so everything is served from the
  // bundle until the next complete update). False when the folder or a file could not be
  // written.
  static bool updateBookLinkCache(const std::vector<std::pair<std::string, Bytes>>& items);
};

}  // namespace zu
