// Fuzz target: addresses of the web engine's private scheme, which a page can write itself. Any
// input must give a clean answer; an accepted one must come back the same when made again, and
// no made-up token may pass for the one the engine signs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/web/PrivateResourceUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::web::PrivateResourceUrl;
  static const std::string kKey = "fuzz-key-0123456789abcdef";
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto parsed = PrivateResourceUrl::parse(text);
  if (!parsed) return 0;
  if (parsed->url.empty()) abort();
  if (parsed->kind == PrivateResourceUrl::Kind::kFile) {
    const auto again = PrivateResourceUrl::parse(PrivateResourceUrl::forFile(parsed->url));
    if (!again || again->kind != parsed->kind || again->url != parsed->url) abort();
    return 0;
  }
  const std::string made = PrivateResourceUrl::make(parsed->kind, parsed->url, kKey, 7);
  const auto again = PrivateResourceUrl::parse(made);
  if (!again || again->kind != parsed->kind || again->url != parsed->url ||
      !PrivateResourceUrl::validToken(*again, kKey, 7)) {
    abort();
  }
  // A token from the input is good only when it is the engine's own for it.
  if (PrivateResourceUrl::validToken(*parsed, kKey, 7) != (parsed->token == again->token)) abort();
  return 0;
}
