// Fuzz target for the article page: any bytes as the server's article HTML, built into a page in
// every mode (the first byte picks the modes and the article type), and as an address the page
// navigates to, read by the link bridge. Every build must keep the server's text whole (only the
// client's own pieces are added) outside no-image mode, and nothing may crash or hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "DefaultMaxLen.h"
#include "reading/browser/ArticleHtmlBuilder.h"
#include "reading/support/ArticleLink.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  zu::fuzz::addDefaultMaxLen(argc, argv, 256 * 1024);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t modes = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  zu::ArticleHtmlBuilder::Settings settings;
  settings.fontSize = modes & 3;
  settings.noImage = modes & 4;
  settings.night = modes & 8;
  settings.doubleDensity = modes & 16;
  settings.songFont = modes & 32;
  settings.entryType = (modes >> 6) * 2 + 1;
  settings.placeholderUrl = "zu-res://file/nopic.png";
  settings.presentButtonUrl = "zu-res://file/present.png";
  auto built = zu::ArticleHtmlBuilder::build(2 + (modes & 1), text, settings);
  if (!built) std::abort();
  if (!settings.noImage && built->stored.find(text) == std::string::npos) std::abort();
  if (built->page.size() < built->stored.size()) std::abort();
  (void)zu::ArticleLink::parse(text);
  return 0;
}
