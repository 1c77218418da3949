// Fuzz target: addresses of the web engine's private scheme, which a page can write itself. Any
// input must give a clean answer, and an accepted one must come back the same when made again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/web/PrivateResourceUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::web::PrivateResourceUrl;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto parsed = PrivateResourceUrl::parse(text);
  if (!parsed) return 0;
  if (parsed->second.empty()) abort();
  const auto again = PrivateResourceUrl::parse(PrivateResourceUrl::make(parsed->first, parsed->second));
  if (!again || again->first != parsed->first || again->second != parsed->second) abort();
  return 0;
}
