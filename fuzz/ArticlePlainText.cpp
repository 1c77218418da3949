// Fuzz target for the plain text of an article's HTML (the mail handed to the desktop's mail
// program): any bytes as the article, with a bound taken from the first two bytes. The text must
// be valid UTF-8 within the bound, hold no control character but the line break, and nothing may
// crash or hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "DefaultMaxLen.h"
#include "platform/runtime/StringUtil.h"
#include "reading/toolbar/ArticlePlainText.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  zu::fuzz::addDefaultMaxLen(argc, argv, 256 * 1024);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t bound = static_cast<size_t>(data[0]) << 8 | data[1];
  const std::string html(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string text = zu::ArticlePlainText::of(html, bound);
  if (text.size() > bound || !zu::StringUtil::isValidUtf8(text)) std::abort();
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\n') || b == 0x7f) std::abort();
  }
  return 0;
}
