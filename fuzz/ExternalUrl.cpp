// Fuzz target: the rules for addresses handed to the system's opener, which pages, articles and
// the service write. Any input must give a clean answer; an accepted address must print as it
// is, and one that is refused must print without a character that drives the terminal.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/ExternalUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::ExternalUrl;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool openable = ExternalUrl::isOpenable(text);
  const std::string printed = ExternalUrl::printable(text);
  if (openable && (printed != text || text.size() > ExternalUrl::kMaxLength)) abort();
  if (ExternalUrl::printable(printed) != printed) abort();
  for (const char c : printed) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) abort();
  }
  // The text as a mail's subject and body: what mailto() builds passes the rules.
  if (const auto mail = ExternalUrl::mailto({"a@b.c"}, {}, text, text)) {
    if (!ExternalUrl::isMailAddress(*mail)) abort();
  }
  return 0;
}
