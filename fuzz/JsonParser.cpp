// Fuzz target for the JSON parser and writer: any bytes parse to a value or fail with an error
// trace; a parsed value writes back to text that parses to an equal value.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/KjJsonParser.h"
#include "common/KjJsonWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zu::KjJsonParser parser;
  auto value = parser.fragmentWithString(text);
  if (!value) {
    if (parser.errorTrace().empty()) std::abort();  // a failure always says why
    return 0;
  }
  zu::KjJsonWriter writer;
  auto written = writer.stringWithFragment(*value);
  if (!written) std::abort();  // everything the parser makes can be written
  auto again = parser.fragmentWithString(*written);
  if (!again || !(*again == *value)) std::abort();
  return 0;
}
