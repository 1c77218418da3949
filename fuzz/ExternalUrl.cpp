// Fuzz target: the rules for addresses handed to the system's opener, which pages, articles and
// the service write. Any input must give a clean answer; an accepted address must print as it
// is, and one that is refused must print without a character that drives the terminal.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/ExternalUrl.h"
#include "platform/runtime/StringUtil.h"

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
  // The text as a mail's subject and body: UTF-8 with no control character but tab, the
  // subject with no line break at all, the body with CR LF ones only; and what mailto() builds
  // passes the rules.
  const auto clean = [](const std::string& mail, bool lineBreaks) {
    if (!zu::StringUtil::isValidUtf8(mail)) return false;
    const std::u16string units = zu::StringUtil::toUtf16(mail);
    for (size_t i = 0; i < units.size(); ++i) {
      const char16_t c = units[i];
      if (lineBreaks && c == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n') {
        ++i;
        continue;
      }
      if ((c < 0x20 && c != u'\t') || (c >= 0x7f && c <= 0x9f)) return false;
      if (!lineBreaks && (c == 0x2028 || c == 0x2029)) return false;
    }
    return true;
  };
  if (!clean(ExternalUrl::mailSubject(text), false) || !clean(ExternalUrl::mailBody(text), true)) {
    abort();
  }
  if (const auto mail = ExternalUrl::mailto({"a@b.c"}, {}, text, text)) {
    if (!ExternalUrl::isMailAddress(*mail)) abort();
  }
  return 0;
}
