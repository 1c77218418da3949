// Stored entry XML throughput: 5,000 article-list entries written with VESKAtomBuilder and read
// back with VESKAtomParser (what the entry store does), beside raw libxml2 building the same
// trees, dumping them and parsing the bytes back, in the same run. Prints entries/s of each pair
// and the ratio ours / raw (1.0 = as fast as raw libxml2; the target is at least 0.5).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/InternetDateTime.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskThumbnail.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/xml/XmlHolders.h"

#include "RatioReporter.h"

namespace {

constexpr int kEntries = 5000;
constexpr char kNs[] = "http://www.vesk.com/vesk/1.0";

std::shared_ptr<zu::Link> makeLink(const std::string& href) {
  auto l = std::make_shared<zu::Link>();
  l->setHref(href);
  return l;
}

// Article-list items as a column page delivers them: titles and summaries with non-ASCII text,
// HTML content with markup, cover and thumbnail links, author, category, rating, status.
const std::vector<std::shared_ptr<zu::NewsSummary>>& entries() {
  static const auto list = [] {
    std::vector<std::shared_ptr<zu::NewsSummary>> v;
    for (int i = 0; i < kEntries; ++i) {
      const std::string n = std::to_string(i);
      auto e = std::make_shared<zu::NewsSummary>();
      e->setTitle("\xE4\xBB\x8A\xE6\x97\xA5\xE6\x96\xB0\xE9\x97\xBB headline number " + n);
      e->setEntryId("http://www.vesk.com/news/2026/12/07/" + n);
      e->setSummary(std::string(200, 's') + " \xE6\x91\x98\xE8\xA6\x81 " + n);
      auto content = std::make_shared<zu::Content>();
      content->setType(2);
      std::string html;
      for (int p = 0; p < 8; ++p) html += "<p>Paragraph " + std::to_string(p) + " of article " + n +
                                          " with some body text &amp; more.</p>";
      content->setData(html);
      e->setContent(content);
      e->setAlternatelink(makeLink("http://m.vesk.com/a/" + n + ".html"));
      auto cover = makeLink("http://img.vesk.com/c/" + n + ".jpg");
      cover->setIsdefaultpic(i % 2 == 0);
      cover->setHrefForSelected("http://img.vesk.com/c/" + n + "_s.jpg");
      e->setCoverImageLink(cover);
      e->setCoverImageThumbnailLink(makeLink("http://img.vesk.com/t/" + n + ".jpg"));
      e->setCommentsLink(makeLink("http://www.vesk.com/comments/" + n));
      auto category = std::make_shared<zu::EntryCategory>();
      category->setTerm("news");
      category->setLabel("\xE6\x96\xB0\xE9\x97\xBB");
      e->setCategory(category);
      auto author = std::make_shared<zu::Author>();
      author->setName("Reporter " + n);
      author->setUri("http://www.vesk.com/u/" + n);
      e->setAuthor(author);
      auto ranking = std::make_shared<zu::VeskRanking>();
      ranking->setValue(static_cast<float>(i % 50) / 10.0f);
      ranking->setTimes(i);
      e->setVeskRanking(ranking);
      auto thumb = std::make_shared<zu::VeskThumbnail>();
      thumb->setType("image/jpeg");
      thumb->setHref("http://img.vesk.com/th/" + n + ".jpg");
      thumb->setWidth(120);
      thumb->setHeight(90);
      e->setVeskThumbnail(thumb);
      auto status = std::make_shared<zu::VeskEntryStatus>();
      status->setRead(i % 3 == 0);
      status->setType(2);
      status->setExtendStyle(2);
      status->setBaseStyle(1);
      e->setVeskEntryStatus(status);
      e->setUpdated(1765000000000LL + i * 60000LL);
      v.push_back(e);
    }
    return v;
  }();
  return list;
}

// ---- Raw libxml2: the same elements, no checks, no model on the way back ------------------

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const xmlChar* X(const std::string& s) { return X(s.c_str()); }

xmlNode* rawLink(xmlNode* parent, const char* rel, const zu::Link& l) {
  xmlNode* n = xmlNewTextChild(parent, nullptr, X("link"), nullptr);
  xmlNewProp(n, X("rel"), X(rel));
  xmlNewProp(n, X("href"), X(*l.href()));
  return n;
}

std::string rawBuildAndDump(const zu::NewsSummary& e) {
  xmlDoc* doc = xmlNewDoc(X("1.0"));
  xmlNode* r = xmlNewNode(nullptr, X("entry"));
  xmlDocSetRootElement(doc, r);
  xmlNewProp(r, X("xmlns:vesk"), X(kNs));
  xmlNewTextChild(r, nullptr, X("title"), X(*e.title()));
  xmlNewTextChild(r, nullptr, X("id"), X(*e.entryId()));
  xmlNewTextChild(r, nullptr, X("summary"), X(*e.summary()));
  xmlNewProp(xmlNewTextChild(r, nullptr, X("content"), X(*e.content()->data())), X("type"),
             X("html"));
  rawLink(r, "alternate", *e.alternatelink());
  xmlNode* cover = rawLink(r, "x-stanza-cover-image", *e.coverImageLink());
  xmlNewProp(cover, X("isdefaultpic"), X(e.coverImageLink()->isdefaultpic() ? "1" : "0"));
  xmlNewProp(cover, X("hrefForSelected"), X(*e.coverImageLink()->hrefForSelected()));
  rawLink(r, "x-stanza-cover-image-thumbnail", *e.coverImageThumbnailLink());
  rawLink(r, "comments", *e.commentsLink());
  xmlNode* cat = xmlNewTextChild(r, nullptr, X("category"), nullptr);
  xmlNewProp(cat, X("term"), X(*e.category()->term()));
  xmlNewProp(cat, X("label"), X(*e.category()->label()));
  xmlNewProp(cat, X("getnext"), X("0"));
  xmlNode* author = xmlNewTextChild(r, nullptr, X("author"), nullptr);
  xmlNewTextChild(author, nullptr, X("name"), X(*e.author()->name()));
  xmlNewTextChild(author, nullptr, X("uri"), X(*e.author()->uri()));
  char num[32];
  xmlNode* ranking = xmlNewTextChild(r, nullptr, X("vesk:ranking"), nullptr);
  if (e.veskRanking()->value() > 0) {
    std::snprintf(num, sizeof num, "%3.1f", e.veskRanking()->value());
    xmlNewProp(ranking, X("value"), X(num));
  }
  if (e.veskRanking()->times() > 0) {
    std::snprintf(num, sizeof num, "%d", e.veskRanking()->times());
    xmlNewProp(ranking, X("times"), X(num));
  }
  xmlNode* thumb = xmlNewTextChild(r, nullptr, X("vesk:image_thumbnail"), nullptr);
  xmlNewProp(thumb, X("type"), X(*e.veskThumbnail()->type()));
  xmlNewProp(thumb, X("href"), X(*e.veskThumbnail()->href()));
  std::snprintf(num, sizeof num, "%d", e.veskThumbnail()->width());
  xmlNewProp(thumb, X("width"), X(num));
  std::snprintf(num, sizeof num, "%d", e.veskThumbnail()->height());
  xmlNewProp(thumb, X("height"), X(num));
  xmlNode* status = xmlNewTextChild(r, nullptr, X("vesk:entry_status"), nullptr);
  xmlNewProp(status, X("read"), X(e.veskEntryStatus()->read() == 1 ? "1" : "0"));
  xmlNewProp(status, X("type"), X("pic_news"));
  std::snprintf(num, sizeof num, "%d,%d", e.veskEntryStatus()->extendStyle(),
                e.veskEntryStatus()->baseStyle());
  xmlNewProp(status, X("style"), X(num));
  xmlNewTextChild(r, nullptr, X("updated"),
                  X(zu::InternetDateTime::LongLongToRFC3339StringWithTimeZone8(e.updated())));
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "utf-8", 0);
  std::string out(reinterpret_cast<const char*>(mem), static_cast<size_t>(size));
  xmlFree(mem);
  xmlFreeDoc(doc);
  return out;
}

bool rawParse(const std::string& bytes) {
  zu::XmlDocPtr doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                  XML_PARSE_NONET));
  return doc != nullptr;
}

std::string ourWrite(const zu::NewsSummary& e) {
  auto bytes = zu::VESKAtomBuilder::allocEntryToXML(&e);
  return std::string(bytes->begin(), bytes->end());
}

bool ourRead(const std::string& bytes) {
  return zu::VESKAtomParser::allocParseEntry(bytes, zu::kEntryKindNewsSummary) != nullptr;
}

// The documents both sides read (each side reads what it wrote; they hold the same elements).
const std::vector<std::string>& ourDocuments() {
  static const auto docs = [] {
    std::vector<std::string> d;
    for (const auto& e : entries()) d.push_back(ourWrite(*e));
    return d;
  }();
  return docs;
}
const std::vector<std::string>& rawDocuments() {
  static const auto docs = [] {
    std::vector<std::string> d;
    for (const auto& e : entries()) d.push_back(rawBuildAndDump(*e));
    return d;
  }();
  return docs;
}

void BM_OursRoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& e : entries()) {
      std::string bytes = ourWrite(*e);
      if (!ourRead(bytes)) state.SkipWithError("read back failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_OursRoundTrip)->Unit(benchmark::kMillisecond);

void BM_RawRoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& e : entries()) {
      std::string bytes = rawBuildAndDump(*e);
      if (!rawParse(bytes)) state.SkipWithError("read back failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_RawRoundTrip)->Unit(benchmark::kMillisecond);

void BM_OursWrite(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& e : entries()) benchmark::DoNotOptimize(ourWrite(*e));
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_OursWrite)->Unit(benchmark::kMillisecond);

void BM_RawWrite(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& e : entries()) benchmark::DoNotOptimize(rawBuildAndDump(*e));
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond);

void BM_OursRead(benchmark::State& state) {
  const auto& docs = ourDocuments();
  for (auto _ : state) {
    for (const auto& d : docs) {
      if (!ourRead(d)) state.SkipWithError("read failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_OursRead)->Unit(benchmark::kMillisecond);

void BM_RawRead(benchmark::State& state) {
  const auto& docs = rawDocuments();
  for (auto _ : state) {
    for (const auto& d : docs) {
      if (!rawParse(d)) state.SkipWithError("read failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  xmlInitParser();
  std::printf("%d entries; stored document %zu bytes (ours), %zu bytes (raw) for the first\n",
              kEntries, ourDocuments().front().size(), rawDocuments().front().size());
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* what : {"RoundTrip", "Write", "Read"}) {
    const double ours = reporter.rate(std::string("BM_Ours") + what);
    const double raw = reporter.rate(std::string("BM_Raw") + what);
    if (ours > 0 && raw > 0) {
      std::printf("%-9s ours %.0f entries/s, raw libxml2 %.0f entries/s, ratio ours/raw %.2f\n",
                  what, ours, raw, ours / raw);
    }
  }
  benchmark::Shutdown();
  return 0;
}
