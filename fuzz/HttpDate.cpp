// Fuzz target: HTTP dates and cache headers as servers send them ("Expires", "Last-Modified",
// "Cache-Control"). Any input must give a clean answer; a date that parses must write out and
// read back as the same second.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngineUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  auto date = zu::HttpEngineUtils::dateWithHttpDateString(text);
  if (date) {
    std::string written = zu::HttpEngineUtils::stringFromHttpDate(*date);
    if (!written.empty() && zu::HttpEngineUtils::httpDateFromString(written) != date) abort();
  }

  auto header = std::make_shared<zu::UrlResponse>();
  header->statusCode = 200;
  header->headers = {{"Cache-Control", text}, {"Expires", text}, {"ETag", text}};
  zu::HttpResponse response;
  response.setResponseHeader(header);
  zu::HttpEngineUtils::getMaxAgeFromResponse(&response);
  zu::HttpEngineUtils::expiresDateOfResponse(&response);
  zu::HttpDataEngine::shouldCache(&response);
  response.xErrorCode();
  return 0;
}
