// Fuzz target: response header lines from the network (HttpHeaderParser), the fields read from
// them, and the "Content-Range" reader of the HTTP engine.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/http/HttpEngine.h"
#include "platform/net/HttpHeaderParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zu::HttpHeaderParser parser;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    parser.feedLine(line);
    int64_t start = 0, total = 0;
    zu::HttpEngine::parseContentRange(line, &start, &total);
    at = end + 1;
  }
  auto response = parser.takeResponse("http://127.0.0.1/");
  if (auto range = response->field("Content-Range")) {
    int64_t start = 0, total = 0;
    zu::HttpEngine::parseContentRange(*range, &start, &total);
  }
  (void)response->field("Set-Cookie");
  return 0;
}
