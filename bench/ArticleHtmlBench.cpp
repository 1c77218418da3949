// The article page's HTML: a 30 KB article (Chinese and English paragraphs, 24 http pictures in
// the forms the no-image expression meets) built by ArticleHtmlBuilder in no-image mode by day,
// beside the same work done raw in the same run: ICU's RegexMatcher replacing every match with
// the placeholder (a literal replacement, UTF-8 to UTF-16 and back) and the same inserts on a
// std::string (the script object at 0, the body style, the read-original form, the viewport).
// Prints pages per second of both and the ratio ours / reference.
#include <benchmark/benchmark.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <string>

#include "reading/browser/ArticleHtmlBuilder.h"

#include "RatioReporter.h"

namespace {

using zu::ArticleHtmlBuilder;

ArticleHtmlBuilder::Settings settings() {
  ArticleHtmlBuilder::Settings s;
  s.fontSize = 2;
  s.noImage = true;
  s.doubleDensity = true;
  s.placeholderUrl = "zu-res://file/%2Fopt%2Fzureader%2Fresources%2Fskin_nr_nopic%402x.png";
  s.presentButtonUrl = "zu-res://file/%2Fopt%2Fzureader%2Fresources%2Fskin_web_present%402x.png";
  return s;
}

const std::string& article() {
  static const std::string html = [] {
    std::string text = "<html><head><title>港口</title><link rel=\"stylesheet\" href=\"http://static.vesk.com/a.css\"/></head><body>";
    int picture = 0;
    while (text.size() < 30 * 1024) {
      text += "<p>渡船六点半开出，最后一班船等晚上的火车。码头边的鱼市上午最热闹，摊主们一早就把冰块铺好。"
              "The first ferry leaves at half past six, and the last boat waits for the evening train.</p>";
      if (text.size() / 1250 > static_cast<size_t>(picture)) {
        const std::string n = std::to_string(picture++);
        switch (picture % 3) {
          case 0: text += "<p><img src='http://img.vesk.com/article/2026/" + n + ".jpg' width=\"300\"/></p>"; break;
          case 1: text += "<p><img src=http://img.vesk.com/p?id=" + n + "&amp;s=2 /></p>"; break;
          default: text += "<p><IMG SRC='http://pic-" + n + ".vesk.com/a/b/c_" + n + ".png'></p>"; break;
        }
      }
    }
    return text + "</body></html>";
  }();
  return html;
}

void BM_ArticleHtmlBuilder(benchmark::State& state) {
  const auto s = settings();
  size_t bytes = 0;
  for (auto _ : state) {
    auto built = ArticleHtmlBuilder::build(2, article(), s);
    bytes = built->page.size();
    benchmark::DoNotOptimize(built->page.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ArticleHtmlBuilder)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void BM_RawIcu(benchmark::State& state) {
  const auto s = settings();
  UErrorCode status = U_ZERO_ERROR;
  icu::RegexPattern* pattern = icu::RegexPattern::compile(
      icu::UnicodeString::fromUTF8(ArticleHtmlBuilder::kNoImageExpression), UREGEX_CASE_INSENSITIVE, status);
  const std::string script = ArticleHtmlBuilder::scriptObject(s);
  const std::string form = ArticleHtmlBuilder::readOriginalForm(s.presentButtonUrl);
  // A literal replacement: ICU reads "$" and "\" specially, so they are escaped.
  std::string replacement = "img src='" + s.placeholderUrl + "'", escaped;
  for (char c : replacement) {
    if (c == '$' || c == '\\') escaped += '\\';
    escaped += c;
  }
  const icu::UnicodeString icuReplacement = icu::UnicodeString::fromUTF8(escaped);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string html = article();
    if (html.find("<body>") == std::string::npos) html = "<body>" + html + "</body>";
    html.insert(0, script);
    UErrorCode error = U_ZERO_ERROR;
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(html);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(text, error));
    icu::UnicodeString replaced = matcher->replaceAll(icuReplacement, error);
    html.clear();
    replaced.toUTF8String(html);
    std::string stored = html;
    benchmark::DoNotOptimize(stored.data());
    const size_t body = html.find("<body>");
    html.replace(body, 6, "<body style=\"background-color:transparent;\">");
    const size_t close = html.find("</body>");
    html.insert(close - 1, form);
    const size_t head = html.find("<head>");
    html.insert(head + 6, ArticleHtmlBuilder::kViewportMeta);
    bytes = html.size();
    benchmark::DoNotOptimize(html.data());
  }
  delete pattern;
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawIcu)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_ArticleHtmlBuilder");
  const double reference = reporter.rate("BM_RawIcu");
  if (ours > 0 && reference > 0) {
    std::printf("article page builder %.0f pages/s (%.0f bytes), raw ICU and inserts %.0f pages/s (%.0f bytes), "
                "ratio ours/reference %.2f\n",
                ours, reporter.counter("BM_ArticleHtmlBuilder", "bytes"), reference,
                reporter.counter("BM_RawIcu", "bytes"), ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
