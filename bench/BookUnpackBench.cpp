// Unpacking a downloaded book: extracting a book archive with ZipArchive beside a bare minizip
// loop writing the same files, and collecting the resources of a section page with the HTML
// resource parser beside bare libxml2 (HTML parser and the same two XPath queries), on the same
// inputs in the same run. Repetitions run interleaved in random order; the medians are
// compared (ratio ours / reference, above 1 means ours is faster).
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ZipArchive.h"
#include "model/atom/VESKAtomParser.h"
#include "testing/TestFiles.h"

#include "RatioReporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 60;

// A section page with pictures, style sheets and scripts among ordinary book text.
std::string sectionPage() {
  std::string page = "<html><head><title>section</title>";
  for (int i = 0; i < 10; ++i) {
    page += "<link rel=\"stylesheet\" type=\"text/css\" href=\"http://s.example/c" +
            std::to_string(i) + ".css\"><script type=\"text/javascript\" src=\"http://s.example/j" +
            std::to_string(i) + ".js\"></script>";
  }
  page += "</head><body>";
  for (int i = 0; i < 400; ++i) {
    page += "<p class=\"para\">\xE7\xAC\xAC" + std::to_string(i) +
            " paragraph of the book, with some <b>bold</b> and <i>italic</i> text.</p>";
    if (i % 8 == 0) page += "<img src=\"http://img.example/p/" + std::to_string(i) + ".jpg\">";
  }
  return page + "</body></html>";
}

const fs::path& workFolder() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "zu_bench_unpack_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return folder;
}

// A book archive: pages of text and binary-looking pictures, about 2 MB unpacked.
const std::string& bookArchive() {
  static const std::string path = [] {
    const fs::path src = workFolder() / "src";
    const std::string page = sectionPage();
    for (int i = 0; i < kFiles; ++i) {
      std::string picture(8000, '\0');
      for (size_t k = 0; k < picture.size(); ++k) {
        picture[k] = static_cast<char>((k * 7919 + static_cast<size_t>(i)) >> 3);
      }
      zu::TestFiles::write(src / (std::to_string(i) + (i % 2 ? ".htm" : ".jpg")),
                           i % 2 ? page : picture);
    }
    const std::string archive = (workFolder() / "book.zip").string();
    zu::ZipArchive zip;
    zip.createZipFile2(archive);
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = std::to_string(i) + (i % 2 ? ".htm" : ".jpg");
      zip.addFileToZip((src / name).string(), "OPS/" + name);
    }
    zip.closeZipFile2();
    return archive;
  }();
  return path;
}

void BM_ZipArchiveUnzip(benchmark::State& state) {
  const fs::path out = workFolder() / "ours";
  fs::create_directories(out);
  for (auto _ : state) {
    if (!zu::ZipArchive::unzipFile(bookArchive(), out.string(), true)) {
      state.SkipWithError("unzip failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ZipArchiveUnzip)->Repetitions(9)->Unit(benchmark::kMillisecond);

void BM_RawMinizipUnzip(benchmark::State& state) {
  const std::string out = (workFolder() / "raw").string() + "/";
  fs::create_directories(out + "OPS");
  char buffer[4096];
  for (auto _ : state) {
    unzFile unz = unzOpen64(bookArchive().c_str());
    for (int rc = unzGoToFirstFile(unz); rc == UNZ_OK; rc = unzGoToNextFile(unz)) {
      char name[256];
      unz_file_info64 info;
      unzGetCurrentFileInfo64(unz, &info, name, sizeof name, nullptr, 0, nullptr, 0);
      unzOpenCurrentFile(unz);
      std::FILE* file = std::fopen((out + name).c_str(), "wb");
      for (int n; (n = unzReadCurrentFile(unz, buffer, sizeof buffer)) > 0;) {
        std::fwrite(buffer, 1, static_cast<size_t>(n), file);
      }
      std::fclose(file);
      unzCloseCurrentFile(unz);
    }
    unzClose(unz);
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_RawMinizipUnzip)->Repetitions(9)->Unit(benchmark::kMillisecond);

void BM_HtmlResources(benchmark::State& state) {
  const std::string page = sectionPage();
  std::vector<std::string> images, cssJs;
  for (auto _ : state) {
    if (!zu::VESKAtomParser::allocParseImgUrlWithAttachinHtml(page, &images, &cssJs)) {
      state.SkipWithError("parse failed");
    }
    benchmark::DoNotOptimize(images.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_HtmlResources)->Repetitions(9)->Unit(benchmark::kMicrosecond);

void BM_RawLibxml2Html(benchmark::State& state) {
  const std::string page = sectionPage();
  for (auto _ : state) {
    htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "UTF-8",
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR |
                                        HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    std::vector<std::string> found;
    for (const char* query :
         {"//img[@src]", "//link[@type='text/css'] | //script[@type='text/javascript']"}) {
      xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST query, ctx);
      for (int i = 0; result->nodesetval && i < result->nodesetval->nodeNr; ++i) {
        xmlNodePtr node = result->nodesetval->nodeTab[i];
        xmlChar* value = xmlGetProp(node, BAD_CAST(xmlStrEqual(node->name, BAD_CAST "link")
                                                        ? "href"
                                                        : "src"));
        if (value) found.emplace_back(reinterpret_cast<const char*>(value));
        xmlFree(value);
      }
      xmlXPathFreeObject(result);
    }
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    benchmark::DoNotOptimize(found.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_RawLibxml2Html)->Repetitions(9)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  (void)bookArchive();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_ZipArchiveUnzip");
  const double raw = reporter.rate("BM_RawMinizipUnzip");
  if (ours > 0 && raw > 0) {
    std::printf("unzip (%d files): ZipArchive %.0f files/s, raw minizip %.0f files/s, ratio %.2f\n",
                kFiles, ours, raw, ours / raw);
  }
  const double html = reporter.bytesRate("BM_HtmlResources");
  const double rawHtml = reporter.bytesRate("BM_RawLibxml2Html");
  if (html > 0 && rawHtml > 0) {
    std::printf("HTML resources: ours %.1f MB/s, raw libxml2 %.1f MB/s, ratio %.2f\n", html / 1e6,
                rawHtml / 1e6, html / rawHtml);
  }
  std::error_code ec;
  fs::remove_all(workFolder(), ec);
  benchmark::Shutdown();
  return 0;
}
