// Fuzz target for Base64 decoding: any bytes decode or are refused cleanly, and encoding the
// decoded bytes then decoding again gives the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* chars = reinterpret_cast<const char*>(data);
  auto raw = zu::Base64::decode(chars, size);
  auto text = zu::Base64::decode(std::string_view(chars, size));
  if (raw.has_value() != (size % 4 == 0)) std::abort();
  if (text && (!raw || *text != *raw)) std::abort();
  if (raw) {
    if (raw->size() > size / 4 * 3) std::abort();
    auto again = zu::Base64::decode(zu::Base64::encode(*raw));
    if (!again || *again != *raw) std::abort();
  }
  return 0;
}
