// Response parser throughput on an article list of 20 entries (one page) and a feed of 5,000
// entries, both generated here, against two references measured in the same run on the same
// bytes:
//   (a) RawRead: xmlReadMemory and xmlFreeDoc only (the floor: libxml2's own parse);
//   (b) RawWalk: xmlReadMemory, a hand-written walk of the tree that copies every text and
//       attribute an entry carries into plain structs, and xmlFreeDoc.
// Ours is VESKAtomParser::allocParseFeed with entry kind 2 (model objects, link placement,
// address resolution, dates, post-passes). The repetitions run interleaved and the medians are
// compared: prints MB/s per run and, at the end, our throughput as a share of (b)'s.
//
// Peak memory of one parse of the 5,000-entry feed, ours (the feed and its entries kept, as a
// caller keeps them) against (a) (the tree alone): each is measured in a process of its own,
// forked before anything else ran, as the growth of its peak resident size over the parse.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/entry/Feed.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

#include "RatioReporter.h"

namespace {

std::string makeEntry(int i) {
  const std::string id = std::to_string(100000 + i);
  std::string e;
  e += "<entry>\n";
  e += "  <title>第" + id + "条新闻：地震最新消息与救援进展</title>\n";
  e += "  <id>a-" + id + "</id>\n";
  e += "  <updated>2011-05-04T12:" + std::to_string(10 + i % 50) + ":00+08:00</updated>\n";
  e += "  <summary>一则摘要，讲述了事件的来龙去脉以及各方的反应。</summary>\n";
  e += "  <author><name>记者" + id + "</name><uri>http://m.vesk.com/u/" + id + "</uri></author>\n";
  e += "  <content type=\"html\">&lt;p&gt;正文第一段，记者从现场发回报道。&lt;/p&gt;"
       "&lt;p&gt;第二段：救援队伍已经抵达，物资正在发放。&lt;/p&gt;</content>\n";
  e += "  <link href=\"http://news.vesk.com/" + id + ".html\"/>\n";
  e += "  <link rel=\"comments\" type=\"application/atom+xml\" href=\"comments/" + id + "\"/>\n";
  e += "  <link rel=\"related\" href=\"/related/" + id + "\"/>\n";
  e += "  <link rel=\"x-stanza-cover-image\" type=\"image/jpeg\" href=\"cover/" + id +
       ".jpg\" isdefaultpic=\"0\" hrefForSelected=\"cover/" + id + "_s.jpg\"/>\n";
  e += "  <link rel=\"x-stanza-cover-image-thumbnail\" href=\"cover/" + id + "_t.jpg\"/>\n";
  e += "  <link rel=\"enclosure\" href=\"/media/" + id + ".mp3\" length=\"40960\"/>\n";
  e += "  <category term=\"news\" label=\"新闻\" getnext=\"1\"/>\n";
  e += "  <vesk:ranking min-value=\"1\" max-value=\"5\" value=\"4.5\" times=\"120\" href=\"rank/" +
       id + "\"/>\n";
  e += "  <vesk:assess title=\"评论\" min-length=\"5\" max-length=\"140\" times=\"33\" href=\"assess/" +
       id + "\"/>\n";
  e += "  <vesk:image_thumbnail type=\"image/jpeg\" href=\"thumb/" + id +
       ".jpg\" width=\"120\" height=\"90\"/>\n";
  e += "  <vesk:bump action=\"up\" times=\"17\" href=\"bump/" + id + "\"/>\n";
  e += "  <vesk:sharing action=\"share\" times=\"4\" href=\"share/" + id + "\"/>\n";
  e += "  <vesk:entry_status read=\"0\" type=\"pic_news\" style=\"2,1\"/>\n";
  e += "  <vesk:favorite collectable=\"1\" collected=\"0\" count=\"2\"/>\n";
  e += "  <vesk:video_duration value=\"95\"/>\n";
  e += "</entry>\n";
  return e;
}

std::string makeFeed(int entries) {
  std::string f =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\" "
      "xmlns:opensearch=\"http://a9.com/-/spec/opensearch/1.1/\" "
      "xml:base=\"http://m.vesk.com/col/\">\n"
      "<id>col-1001</id>\n<title>头条新闻</title>\n"
      "<updated>2011-05-04T12:00:00+08:00</updated>\n"
      "<link rel=\"self\" href=\"1001.atom\"/>\n<link rel=\"next\" href=\"1001.atom?page=2\"/>\n"
      "<opensearch:totalResults>5000</opensearch:totalResults>\n"
      "<opensearch:startIndex>1</opensearch:startIndex>\n"
      "<opensearch:itemsPerPage>20</opensearch:itemsPerPage>\n"
      "<vesk:entry_status read=\"0\" type=\"news\"/>\n";
  for (int i = 0; i < entries; ++i) f += makeEntry(i);
  f += "</feed>\n";
  return f;
}

const std::string& page() {
  static const std::string data = makeFeed(20);
  return data;
}
const std::string& bigFeed() {
  static const std::string data = makeFeed(5000);
  return data;
}

// ---- Reference (b): a plain walk into plain structs ----------------------------------------

struct RawLink {
  std::string rel, type, href, hrefForSelected;
  int length = 0;
};
struct RawRecord {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attrs;
};
struct RawEntry {
  std::string title, id, updated, summary, authorName, authorUri, content, contentType;
  std::vector<RawLink> links;
  std::vector<RawRecord> records;
};
struct RawFeed {
  std::string id, title, updated;
  std::vector<RawLink> links;
  std::vector<RawEntry> entries;
  int totalResults = 0;
};

const char* text(const xmlNode* n) {
  const xmlNode* c = n->children;
  return (c && (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
             ? reinterpret_cast<const char*>(c->content)
             : "";
}
bool is(const xmlNode* n, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}
const char* attrText(const xmlAttr* a) {
  return a->children && a->children->content ? reinterpret_cast<const char*>(a->children->content)
                                             : "";
}

RawLink rawLink(const xmlNode* n) {
  RawLink l;
  for (const xmlAttr* a = n->properties; a; a = a->next) {
    const char* name = reinterpret_cast<const char*>(a->name);
    if (!std::strcmp(name, "rel")) l.rel = attrText(a);
    else if (!std::strcmp(name, "type")) l.type = attrText(a);
    else if (!std::strcmp(name, "href")) l.href = attrText(a);
    else if (!std::strcmp(name, "hrefForSelected")) l.hrefForSelected = attrText(a);
    else if (!std::strcmp(name, "length")) l.length = std::atoi(attrText(a));
  }
  return l;
}

RawEntry rawEntry(const xmlNode* node) {
  RawEntry e;
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (is(c, "title")) e.title = text(c);
    else if (is(c, "id")) e.id = text(c);
    else if (is(c, "updated")) e.updated = text(c);
    else if (is(c, "summary")) e.summary = text(c);
    else if (is(c, "link")) e.links.push_back(rawLink(c));
    else if (is(c, "content")) {
      e.content = text(c);
      if (c->properties) e.contentType = attrText(c->properties);
    } else if (is(c, "author")) {
      for (const xmlNode* a = c->children; a; a = a->next) {
        if (a->type != XML_ELEMENT_NODE) continue;
        if (is(a, "name")) e.authorName = text(a);
        else if (is(a, "uri")) e.authorUri = text(a);
      }
    } else {
      RawRecord r;
      r.name = reinterpret_cast<const char*>(c->name);
      for (const xmlAttr* a = c->properties; a; a = a->next) {
        r.attrs.emplace_back(reinterpret_cast<const char*>(a->name), attrText(a));
      }
      e.records.push_back(std::move(r));
    }
  }
  return e;
}

RawFeed rawFeed(const xmlNode* root) {
  RawFeed f;
  for (const xmlNode* c = root->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (is(c, "entry")) f.entries.push_back(rawEntry(c));
    else if (is(c, "link")) f.links.push_back(rawLink(c));
    else if (is(c, "id")) f.id = text(c);
    else if (is(c, "title")) f.title = text(c);
    else if (is(c, "updated")) f.updated = text(c);
    else if (is(c, "totalResults")) f.totalResults = std::atoi(text(c));
  }
  return f;
}

// ---- Benchmarks ------------------------------------------------------------------------------

void runOurs(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    auto feed = zu::VESKAtomParser::allocParseFeed(data, zu::kEntryKindNewsSummary);
    if (!feed || !feed->entrys()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(feed);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

void runRawRead(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                                  XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

void runRawWalk(benchmark::State& state, const std::string& data) {
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                                  XML_PARSE_NONET);
    RawFeed feed = rawFeed(xmlDocGetRootElement(doc));
    benchmark::DoNotOptimize(feed);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

void BM_Page20_Ours(benchmark::State& s) { runOurs(s, page()); }
void BM_Page20_RawRead(benchmark::State& s) { runRawRead(s, page()); }
void BM_Page20_RawWalk(benchmark::State& s) { runRawWalk(s, page()); }
void BM_Feed5000_Ours(benchmark::State& s) { runOurs(s, bigFeed()); }
void BM_Feed5000_RawRead(benchmark::State& s) { runRawRead(s, bigFeed()); }
void BM_Feed5000_RawWalk(benchmark::State& s) { runRawWalk(s, bigFeed()); }

BENCHMARK(BM_Page20_Ours)->Repetitions(9)->MinTime(0.2);
BENCHMARK(BM_Page20_RawRead)->Repetitions(9)->MinTime(0.2);
BENCHMARK(BM_Page20_RawWalk)->Repetitions(9)->MinTime(0.2);
BENCHMARK(BM_Feed5000_Ours)->Repetitions(9)->MinTime(0.5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Feed5000_RawRead)->Repetitions(9)->MinTime(0.5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Feed5000_RawWalk)->Repetitions(9)->MinTime(0.5)->Unit(benchmark::kMillisecond);

// ---- Peak memory -----------------------------------------------------------------------------

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when unreadable.
long statusKb(const std::string& field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, field.size() + 1, field + ":") == 0) {
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
  }
  return -1;
}

// Runs `parse` over the 5,000-entry feed in a child process and returns by how many kB the
// child's peak resident size grew over its size before the parse (-1 on failure).
long peakGrowthKb(const std::function<void(const std::string&)>& parse) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string& data = bigFeed();
    // Start the peak over from the size now (writing "5" resets the high-water mark).
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    const long before = statusKb("VmRSS");
    parse(data);
    const long growth = before < 0 ? -1 : statusKb("VmHWM") - before;
    (void)!write(fds[1], &growth, sizeof growth);
    _exit(0);
  }
  close(fds[1]);
  long growth = -1;
  if (pid < 0 || read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return growth;
}

}  // namespace

int main(int argc, char** argv) {
  xmlInitParser();
  // Before the benchmarks: the children start from a heap that no parse has grown yet.
  const long oursKb = peakGrowthKb([](const std::string& data) {
    auto feed = zu::VESKAtomParser::allocParseFeed(data, zu::kEntryKindNewsSummary);
    if (!feed || !feed->entrys() || feed->entrys()->size() != 5000) std::abort();
  });
  const long treeKb = peakGrowthKb([](const std::string& data) {
    xmlDocPtr doc = xmlReadMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                                  XML_PARSE_NONET);
    if (!doc) std::abort();
    xmlFreeDoc(doc);
  });
  zu::initializeInterleaved(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nInput sizes: page of 20 entries %zu bytes, feed of 5000 entries %zu bytes\n",
              page().size(), bigFeed().size());
  for (const char* input : {"BM_Page20", "BM_Feed5000"}) {
    const std::string prefix(input);
    const double ours = reporter.bytesRate(prefix + "_Ours") / 1e6;
    const double read = reporter.bytesRate(prefix + "_RawRead") / 1e6;
    const double walk = reporter.bytesRate(prefix + "_RawWalk") / 1e6;
    if (ours <= 0 || walk <= 0) continue;
    std::printf("%-12s ours %8.1f MB/s | (a) read+free %8.1f MB/s | (b) walk %8.1f MB/s | "
                "ours/(b) = %.2f%s\n",
                input, ours, read, walk, ours / walk,
                prefix == "BM_Feed5000" ? " (target >= 1.00)" : "");
  }
  if (oursKb > 0 && treeKb > 0) {
    std::printf("peak memory, feed of 5000 entries: ours %.1f MB (objects kept) | (a) tree "
                "%.1f MB | ours/(a) = %.2f (target <= 0.50)\n",
                oursKb / 1024.0, treeKb / 1024.0, static_cast<double>(oursKb) / treeKb);
  }
  benchmark::Shutdown();
  return 0;
}
