// Fuzz target for the readers of a downloaded book's HTML files: section combining (the bytes as
// the first and as a later original file), the user's saved page, the anchor removal and the
// in-book search. Malformed input must give a clean result, never a crash, a hang or a leak.
#include <libxml/HTMLparser.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/xml/XmlHolders.h"
#include "store/BookSectionCombiner.h"
#include "store/BookTextSearch.h"

namespace {

const std::filesystem::path& workDir() {
  static const std::filesystem::path dir = [] {
    char pattern[] = "/tmp/zu-fuzz-bookhtml-XXXXXX";
    std::filesystem::path made = mkdtemp(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(workDir(), ec);
    });
    return made;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path& dir = workDir();
  const std::string first = (dir / "1.htm").string();
  const std::string later = (dir / "2.htm").string();
  std::ofstream(first, std::ios::binary | std::ios::trunc) << "<html><body><p>x</p></body></html>";
  std::ofstream(later, std::ios::binary | std::ios::trunc) << html;
  zu::BookSectionCombiner::combine({{"a", first}, {"b", later}, {"c", later}},
                                   (dir / "co1.htm").string(), "http://h");
  zu::BookSectionCombiner::combine({{"b", later}, {"a", first}}, (dir / "co2.htm").string(),
                                   "http://h");
  zu::BookSectionCombiner::saveHtml(html, (dir / "saved.htm").string());

  zu::XmlDocPtr doc(htmlReadMemory(html.data(), static_cast<int>(html.size()), "html", nullptr,
                                   HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
  if (doc) {
    if (xmlNode* root = xmlDocGetRootElement(doc.get())) {
      zu::BookSectionCombiner::recursionDeleteSpecialNode(root->last ? root->last : root, "p",
                                                          "J_OC");
    }
  }

  zu::BookTextSearch::Results results;
  for (const char* word : {"a", "的", "<"}) {
    zu::BookTextSearch::searchHtml(html, word, std::string("c"), std::string("s"),
                                   [](const zu::BookTextSearch::Text& id) {
                                     return id.value_or(std::string());
                                   },
                                   results);
  }
  return 0;
}
