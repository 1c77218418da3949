#include "SampleLookups.h"

#include <vector>

#include "SampleOAuth.h"
#include "SampleText.h"

namespace zu {

namespace {

struct Word {
  std::string entry;
  std::string translation;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// The table's line for `text`, if it has one.
std::optional<Word> lookUp(const std::string& table, const std::string& text) {
  const std::string wanted = SampleText::lower(SampleText::trimmed(text));
  if (wanted.empty()) return std::nullopt;
  for (const auto& line : split(table, '\n')) {
    if (line.empty() || line[0] == '#') continue;
    const auto fields = split(line, '\t');
    if (fields.size() != 3 || SampleText::lower(SampleText::trimmed(fields[0])) != wanted) continue;
    return Word{SampleText::trimmed(fields[1]), SampleText::trimmed(fields[2])};
  }
  return std::nullopt;
}

// A page in the sample's own look: a bar naming the service, then `body`.
std::string page(const std::string& service, const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + std::string(SampleOAuth::kPhoneViewport) +
         "<title>" + title + "</title><style>body{margin:0;font-family:sans-serif;background:#fff;color:#222}"
         "header{background:#2d5f8b;color:#fff;padding:12px 16px;font-size:14px}"
         "h1{font-size:24px;margin:16px 16px 8px}p,li{font-size:16px;line-height:1.5}p{margin:0 16px 12px}"
         ".none{color:#555}ul{margin:0 16px 12px;padding-left:20px}a{color:#1f5a99}</style></head><body><header>" +
         service + "</header>" + body + "</body></html>";
}

// The text of an article's HTML, its tags left out.
std::string textOf(const std::string& html) {
  std::string text;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false;
  }
  return text;
}

std::string between(const std::string& text, const std::string& open, const std::string& close) {
  const size_t from = text.find(open);
  if (from == std::string::npos) return {};
  const size_t to = text.find(close, from + open.size());
  return to == std::string::npos ? std::string() : text.substr(from + open.size(), to - from - open.size());
}

std::string searchPage(const std::string& words, const std::string& articles) {
  const std::string shown = SampleOAuth::escapeMarkup(SampleText::trimmed(words));
  const std::string wanted = SampleText::lower(SampleText::trimmed(words));
  std::string found;
  int count = 0;
  size_t at = 0;
  while (!wanted.empty()) {
    const size_t start = articles.find("<entry>", at);
    if (start == std::string::npos) break;
    const size_t end = articles.find("</entry>", start);
    if (end == std::string::npos) break;
    const std::string entry = articles.substr(start, end - start);
    at = end;
    const std::string title = between(entry, "<title>", "</title>");
    const std::string id = between(entry, "<id>", "</id>");
    if (SampleText::lower(title + " " + textOf(between(entry, "<![CDATA[", "]]>"))).find(wanted) == std::string::npos) continue;
    found += "<li><a href=\"/article/" + SampleOAuth::escapeMarkup(id) + ".html\">" + title + "</a></li>";
    ++count;
  }
  const std::string body =
      count == 0 ? "<p class=\"none\">没有找到与“" + shown + "”有关的文章。</p>"
                 : "<p>找到 " + std::to_string(count) + " 篇文章：</p><ul>" + found + "</ul>";
  return page("样例搜索", "搜索：" + shown, "<h1>" + shown + "</h1>" + body);
}

}  // namespace

std::optional<std::string> SampleLookups::page(const std::string& path, const std::string& query,
                                               const std::string& table, const std::string& articles) {
  if (path == kSearchPath) return searchPage(SampleOAuth::formValue(query, "q").value_or(""), articles);
  const bool dictionary = path == kDictionaryPath;
  if (!dictionary && path != kTranslationPath) return std::nullopt;
  const std::string text = SampleOAuth::formValue(query, dictionary ? "q" : "i").value_or("");
  const std::string shown = SampleOAuth::escapeMarkup(SampleText::trimmed(text));
  const auto word = lookUp(table, text);
  std::string answer;
  if (dictionary) {
    answer = word ? "<p>" + SampleOAuth::escapeMarkup(word->entry) + "</p>"
                  : "<p class=\"none\">词典里没有“" + shown + "”这个词。</p>";
  } else {
    answer = word ? "<p>译文：" + SampleOAuth::escapeMarkup(word->translation) + "</p>"
                  : "<p class=\"none\">没有“" + shown + "”的译文。</p>";
  }
  return zu::page(dictionary ? "样例词典" : "样例翻译", (dictionary ? "词典：" : "翻译：") + shown,
                  "<h1>" + shown + "</h1>" + answer);
}

}  // namespace zu
