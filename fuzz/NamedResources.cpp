// Fuzz target: the addresses an article page names, as the client compares them with what the
// engine asks for. Any input must give a clean answer, the normal form must be its own normal
// form, and an address must be named by a set made of it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/web/NamedResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::web::NamedResources;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string normal = NamedResources::normalized(text);
  if (normal.empty()) {
    if (NamedResources({text}).names(text)) abort();
    return 0;
  }
  if (NamedResources::normalized(normal) != normal) abort();
  if (!NamedResources({text}).names(normal) || !NamedResources({normal}).names(text)) abort();
  return 0;
}
