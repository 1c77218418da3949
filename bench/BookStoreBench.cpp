// Book stores: our code against the raw dependency doing the same work on the same input in the
// same run, on real files in a temporary home.
//
//   Catalogue read: the mapped catalogue of a 1,500-section book read back through
//     BookCatalogPersistenter::readMapping (select under the shared lock, unarchive). The
//     reference runs the same select through sqlite3 and the same unarchiving.
//   Combining: 20 original section files (about 6 KB each) merged into one combined file by
//     BookSectionCombiner. The reference parses the same files with libxml2's HTML parser,
//     copies each later body's children into the first body and writes the result.
//
// Repetitions run interleaved in random order; the medians are compared.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/CommInfo.h"
#include "model/book/BookCatalog.h"
#include "platform/runtime/KeyedUnarchiver.h"
#include "platform/xml/XmlHolders.h"
#include "store/BookCatalogPersistenter.h"
#include "store/BookSectionCombiner.h"
#include "store/EntryPersistenter.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace {

constexpr int kSections = 1500;
constexpr int kFiles = 20;
constexpr const char* kUser = "bench";

std::string catalogueFeed() {
  std::string xml =
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">"
      "<id>book</id><vesk:catalogVersion>3</vesk:catalogVersion>";
  for (int c = 0; c < kSections / 50; ++c) {
    xml += "<vesk:chapter><title>第" + std::to_string(c) + "卷</title><id>ch" +
           std::to_string(c) + "</id><vesk:indexid>" + std::to_string(c) + "</vesk:indexid>";
    for (int s = 0; s < 50; ++s) {
      const int n = c * 50 + s;
      xml += "<vesk:section type=\"1\"><title>第" + std::to_string(n) + "回</title><id>s" +
             std::to_string(n) + "</id><link href=\"http://b.example/" + std::to_string(n) +
             ".html\"/><vesk:pageinfos>";
      for (int font = 1; font <= 4; ++font) {
        xml += "<vesk:pageinfo landscape_pages=\"" + std::to_string(5 + n % 17) +
               "\" portrait_pages=\"" + std::to_string(9 + n % 23) + "\" fontsize=\"fs" +
               std::to_string(font) + "\"/>";
      }
      xml += "</vesk:pageinfos><vesk:indexid>" + std::to_string(n + 1) +
             "</vesk:indexid></vesk:section>";
    }
    xml += "</vesk:chapter>";
  }
  return xml + "</feed>";
}

std::string sectionFile(int n) {
  std::string html = "<html><head><title>第" + std::to_string(n) + "回</title></head><body>";
  html += "<h1>第" + std::to_string(n) + "回 话说天下大势</h1>\n";
  for (int p = 0; p < 40; ++p) {
    html += "<p>话说天下大势，分久必合，合久必分。周末七国分争，并入于秦。</p>\n";
  }
  return html + "<div class=\"footer\">end</div></body></html>";
}

struct Fixture {
  zu::TempHome home;
  std::shared_ptr<zu::EntryPersistenter> subs;
  std::vector<std::pair<std::string, std::string>> files;

  Fixture() {
    zu::CommInfo::setUsername(std::string(kUser));
    subs = zu::EntryPersistenter::initWithDBopen(zu::EntryPersistenter::kSourceSubscribe);
    if (!subs || !subs->catalogPersistenter()->insert("book", catalogueFeed())) {
      std::fprintf(stderr, "cannot set up the catalogue\n");
      std::exit(1);
    }
    for (int i = 1; i <= kFiles; ++i) {
      const std::string path = (home.path() / (std::to_string(i) + ".htm")).string();
      std::ofstream(path) << sectionFile(i);
      std::string id = "s";
      id += std::to_string(i);  // (GCC 12 warns falsely on "s" + std::to_string(i))
      files.emplace_back(std::move(id), path);
    }
  }
  std::string file(const char* name) const {
    return (home.path() / "Documents/userEntry" / name).string();
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_StoreReadMapping(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    auto catalog = f.subs->catalogPersistenter()->readMapping("book");
    if (!catalog) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(catalog);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreReadMapping)->Repetitions(9)->Unit(benchmark::kMillisecond);

void BM_RawReadMapping(benchmark::State& state) {
  Fixture& f = fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.file("userSubscribe.db").c_str(), &db,
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  sqlite3_stmt* read = nullptr;
  sqlite3_prepare_v2(db,
                     "select catalog, catalog_len from mappingcatalog where book_id=? and "
                     "username=?;",
                     -1, &read, nullptr);
  for (auto _ : state) {
    sqlite3_bind_text(read, 1, "book", -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(read, 2, kUser, -1, SQLITE_TRANSIENT);
    zu::Bytes blob;
    while (sqlite3_step(read) == SQLITE_ROW) {
      const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(read, 0));
      blob.assign(p, p + sqlite3_column_bytes(read, 0));
    }
    sqlite3_reset(read);
    auto catalog = zu::KeyedUnarchiver::unarchiveObject<zu::BookCatalog>(blob);
    if (!catalog) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(catalog);
  }
  sqlite3_finalize(read);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawReadMapping)->Repetitions(9)->Unit(benchmark::kMillisecond);

void BM_Combine(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string out = (f.home.path() / "co1.htm").string();
  for (auto _ : state) {
    if (!zu::BookSectionCombiner::combine(f.files, out, "http://h")) {
      state.SkipWithError("combine failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_Combine)->Repetitions(9)->Unit(benchmark::kMillisecond);

xmlNode* bodyOf(xmlDoc* doc) {
  xmlNode* root = xmlDocGetRootElement(doc);
  for (xmlNode* c = root ? root->children : nullptr; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && xmlStrcmp(c->name, BAD_CAST "body") == 0) return c;
  }
  return nullptr;
}

void BM_RawLibxml2Merge(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string out = (f.home.path() / "raw.htm").string();
  const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;
  for (auto _ : state) {
    zu::XmlDocPtr first(htmlReadFile(f.files[0].second.c_str(), "utf-8",
                                     options | HTML_PARSE_NOBLANKS));
    xmlNode* target = bodyOf(first.get());
    for (size_t i = 1; i < f.files.size(); ++i) {
      zu::XmlDocPtr doc(htmlReadFile(f.files[i].second.c_str(), "utf-8", options));
      xmlNode* body = doc ? bodyOf(doc.get()) : nullptr;
      for (xmlNode* n = body ? body->children : nullptr; n; n = n->next) {
        xmlAddChild(target, xmlDocCopyNode(n, first.get(), 1));
      }
    }
    std::filesystem::remove(out);
    if (htmlSaveFileEnc(out.c_str(), first.get(), "utf-8") < 0) state.SkipWithError("write");
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_RawLibxml2Merge)->Repetitions(9)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  fixture();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_StoreReadMapping");
  const double raw = reporter.rate("BM_RawReadMapping");
  if (ours > 0 && raw > 0) {
    std::printf("catalogue read (%d sections): store %.1f reads/s, raw sqlite3 %.1f reads/s, "
                "ratio %.2f\n",
                kSections, ours, raw, ours / raw);
  }
  const double combine = reporter.rate("BM_Combine");
  const double merge = reporter.rate("BM_RawLibxml2Merge");
  if (combine > 0 && merge > 0) {
    std::printf("combining %d files: ours %.0f files/s, raw libxml2 %.0f files/s, ratio %.2f\n",
                kFiles, combine, merge, combine / merge);
  }
  benchmark::Shutdown();
  return 0;
}
