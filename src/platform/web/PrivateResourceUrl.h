// PrivateResourceUrl: the addresses of the web engine's private scheme, "zu-res://<kind>/<the
// escaped address>", made by the web-process extension (which rewrites sub-resources to them)
// and by pages the client builds (local files), and read by the WebEngine that answers them.
// Compiled into both the application and the extension, so the two cannot disagree.
// Pure functions; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace zu::web {

class PrivateResourceUrl {
 public:
  static constexpr const char* kScheme = "zu-res";
  // A sub-resource of a client-built page (fetched when the provider misses), one the provider
  // said it holds, or a local file (the address is its path).
  enum class Kind { kFetch, kCached, kFile };

  static std::string make(Kind kind, const std::string& url);
  // nullopt for any other address, an unknown kind or an empty or badly escaped payload.
  static std::optional<std::pair<Kind, std::string>> parse(const std::string& url);
  // The address under which a page shows a local file.
  static std::string forFile(const std::filesystem::path& path) {
    return make(Kind::kFile, path.string());
  }
};

}  // namespace zu::web
