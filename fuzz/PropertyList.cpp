// Fuzz target for the XML property list reader: any bytes parse or are refused cleanly, and a
// parsed value writes back to text that reads again and writes the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/runtime/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto value = zu::PropertyList::parse(text);
  if (!value) return 0;
  auto written = zu::PropertyList::serialize(*value);
  if (!written) std::abort();  // everything the reader makes can be written
  auto again = zu::PropertyList::parse(*written);
  if (!again) std::abort();
  auto rewritten = zu::PropertyList::serialize(*again);
  if (!rewritten || *rewritten != *written) std::abort();
  return 0;
}
