// Fuzz target for the HTML resource parser: any bytes as a book section's page, its resources
// collected, stored under a temporary home and the page rewritten. Malformed pages must give a
// clean result, never a crash or hang, and no file may land outside the book's folder. Inputs go
// up to 512 KiB, room for a page naming thousands of pictures (listed once each, the page
// rewritten in one pass).
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "DefaultMaxLen.h"
#include "common/CommInfo.h"
#include "model/atom/VESKAtomParser.h"
#include "model/book/HtmlParser.h"

namespace {

namespace fs = std::filesystem;

const fs::path& home() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "zu_fuzz_html_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    ::setenv("ZU_HOME", pattern.c_str(), 1);
    return fs::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  zu::fuzz::addDefaultMaxLen(argc, argv, 512 * 1024);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)home();
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  (void)zu::VESKAtomParser::allocParseImgUrlinHtml(page);
  (void)zu::VESKAtomParser::allocParsePageElementUrlsInHtml(page);

  const fs::path books = zu::CommInfo::getBooksDir();
  std::error_code ec;
  fs::remove_all(books, ec);
  zu::HtmlParser parser;
  std::vector<std::string> urls;
  (void)parser.allocParseUrlInHtml(page, "fuzz-book", 1, static_cast<int32_t>(size % 3) - 1,
                                   &urls);
  for (const std::string& url : urls) (void)parser.saveFile(url, url);
  const fs::path bookFolder = fs::path(parser.getFilePath(1).value()).parent_path().parent_path();
  for (const auto& entry : fs::recursive_directory_iterator(books, ec)) {
    const std::string p = entry.path().string();
    if (entry.path() != bookFolder && p.rfind(bookFolder.string() + "/", 0) != 0) std::abort();
  }
  fs::remove_all(books, ec);
  return 0;
}
