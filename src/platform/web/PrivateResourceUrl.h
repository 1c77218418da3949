// PrivateResourceUrl: the addresses of the web engine's private scheme, and the rule that
// decides which of them the application answers.
//   "zu-res://fetch/<token>/<escaped address>"   a sub-resource element (picture, style sheet,
//                                                script, font) of a page the client built,
//                                                answered from the cache (when the page
//                                                names it, NamedResources) or fetched
//   "zu-res://file/<escaped path>"                a local file that the client itself wrote into
//                                                a page it built (the bundle's, the fonts)
// Only the web-process extension makes the first, when it sends a page's element to the
// application, and the token signs exactly that: the page (the engine's page id), the kind and
// the address, with a key the engine makes at start and hands to the extension alone. So the
// scheme answers only what the extension rewrote for that page — a page's script cannot make
// such an address for another address, another page, or from scratch (validToken()), and one
// it read (a script's own address is in its stack) is cancelled when the page asks for it.
// Compiled into both the application and the extension, so the two cannot disagree.
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zu::web {

class PrivateResourceUrl {
 public:
  static constexpr const char* kScheme = "zu-res";
  enum class Kind { kFetch, kFile };

  struct Parsed {
    Kind kind;
    std::string token;  // empty for kFile
    std::string url;    // the address or path, unescaped
  };

  // An element's address as the extension rewrites it for page `pageId`.
  static std::string make(Kind kind, const std::string& url, const std::string& key,
                          uint64_t pageId);
  // The address under which a page the client builds shows a local file.
  static std::string forFile(const std::filesystem::path& path);
  // nullopt for any other address, an unknown kind, a missing token, or an empty or badly
  // escaped payload.
  static std::optional<Parsed> parse(const std::string& url);
  // True when `parsed` carries the token that make() gives for page `pageId` under `key`.
  static bool validToken(const Parsed& parsed, const std::string& key, uint64_t pageId);

 private:
  static std::string token(Kind kind, const std::string& url, const std::string& key,
                           uint64_t pageId);
};

}  // namespace zu::web
