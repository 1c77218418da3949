#include "SampleCatalogue.h"

#include "SampleOAuth.h"
#include "SampleText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace zu {

namespace {

constexpr size_t kPageSize = 2;

constexpr const char* kFeedOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" "
    "xmlns:vesk=\"http://www.vesk.com/vesk/1.0\" xmlns:opensearch=\"http://a9.com/-/spec/opensearch/1.1/\">\n";

// A row of a catalogue page: a leaf (a column of columns.xml by id) or a category with an address.
struct Row {
  const char* id;
  const char* term;   // "" for none
  const char* label;  // "" for none
  const char* title = nullptr;     // categories only
  const char* address = nullptr;   // categories only: the path of the level it opens
  const char* content = nullptr;   // categories only
  const char* extra = "";          // further elements (the custom-content flag, a customization)
  int rank = 0;                    // leaves only
};

struct Page {
  const char* path;
  const char* query;
  const char* title;
  const char* next;  // "" for none
  std::vector<Row> rows;
};

const std::vector<Page>& pages() {
  static const std::vector<Page> kPages = {
      {"/sub/list.atom", "", "内容中心", "/sub/list.atom?page=2",
       {{"cat-custom", "custom", "自定义订阅", "自定义订阅", "/custom/scopes.atom", "微博用户、QQ空间、博客或RSS地址",
         ""},
        {"col-zelvane", "custom", "自定义订阅", "zu微博", nullptr, "我的微博时间线",
         "<vesk:customization type=\"zelvanemblog\" id=\"zelvane-timeline\" self=\"1\" sub_href=\"{base}/sub/add.atom\"/>"
         "<vesk:subscribe subscribable=\"1\" subscribed=\"0\" times=\"12\"/>"},
        {"cat-news", "browse", "分类浏览", "新闻资讯", "/catalog/news.atom", "港口小城的本地消息"},
        {"cat-pictures", "browse", "分类浏览", "图片与视频", "/catalog/pictures.atom", "照片散步与潮汐短片"},
        {"col-news", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 4},
        {"col-photo", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 3}}},
      {"/sub/list.atom", "page=2", "内容中心", "",
       {{"col-rss", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 5},
        {"col-video", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 2},
        {"col-weather", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 4},
        {"col-kitchen", "hot", "热门订阅", nullptr, nullptr, nullptr, "", 3}}},
      {"/catalog/news.atom", "", "新闻资讯", "",
       {{"col-news", "", "", nullptr, nullptr, nullptr, "", 4},
        {"col-rss", "", "", nullptr, nullptr, nullptr, "", 5},
        {"cat-news-local", "local", "本地", "港口本地", "/catalog/news-local.atom", "码头、渡轮与潮汐"}}},
      {"/catalog/news-local.atom", "", "港口本地", "",
       {{"col-news", "local", "港口", nullptr, nullptr, nullptr, "", 4},
        {"col-video", "local", "港口", nullptr, nullptr, nullptr, "", 2},
        {"col-weather", "local", "港口", nullptr, nullptr, nullptr, "", 4}}},
      {"/catalog/pictures.atom", "", "图片与视频", "",
       {{"col-photo", "", "", nullptr, nullptr, nullptr, "", 3},
        {"col-video", "", "", nullptr, nullptr, nullptr, "", 2},
        {"col-kitchen", "", "", nullptr, nullptr, nullptr, "", 3}}},
  };
  return kPages;
}

// A custom column a scope finds: its kind, id and title.
struct Custom {
  const char* kind;
  const char* id;
  const char* title;
  const char* about;
};

const std::vector<Custom>& customs() {
  static const std::vector<Custom> kCustoms = {
      {"zelvanemblog", "custom-mblog-1", "harbour_master", "港务长的微博"},
      {"zelvanemblog", "custom-mblog-2", "harbour_pilot", "领航员的微博"},
      {"zelvanemblog", "custom-mblog-3", "harbour_cook", "码头厨房的微博"},
      {"qqzone", "custom-qq-1", "10001", "QQ空间 10001"},
      {"qqzone", "custom-qq-2", "100012", "QQ空间 100012"},
      {"qqzone", "custom-qq-3", "100013", "QQ空间 100013"},
      {"blog", "custom-blog-1", "Harbour kitchen blog", "码头厨房的博客"},
      {"blog", "custom-blog-2", "Harbour knots blog", "绳结与帆的博客"},
      {"blog", "custom-blog-3", "Lantern street blog", "灯笼街的博客"},
      {"rss", "custom-rss-1", "Harbour news RSS", "港口新闻的RSS"},
      {"rss", "custom-rss-2", "Harbour weather RSS", "港口天气的RSS"},
      {"rss", "custom-rss-3", "Harbour tides RSS", "潮汐时刻的RSS"},
  };
  return kCustoms;
}

struct Scope {
  const char* kind;
  const char* title;
};

constexpr Scope kScopes[] = {{"zelvanemblog", "zu微博"}, {"qqzone", "QQ空间"}, {"blog", "博客"}, {"rss", "RSS"}};

// The "<entry>" blocks of a document with their ids.
std::vector<std::pair<std::string, std::string>> entriesWithIds(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (size_t at = text.find("<entry"); at != std::string::npos; at = text.find("<entry", at)) {
    const size_t end = text.find("</entry>", at);
    if (end == std::string::npos) break;
    std::string entry = text.substr(at, end + 8 - at);
    const size_t id = entry.find("<id>");
    const size_t idEnd = entry.find("</id>");
    entries.emplace_back(id == std::string::npos || idEnd == std::string::npos ? std::string()
                                                                                : entry.substr(id + 4, idEnd - id - 4),
                         std::move(entry));
    at = end + 8;
  }
  return entries;
}

// The text of an entry's first <name> element, or "".
std::string textOf(const std::string& entry, const std::string& name) {
  const size_t at = entry.find("<" + name + ">");
  if (at == std::string::npos) return {};
  const size_t start = at + name.size() + 2;
  const size_t end = entry.find("</" + name + ">", start);
  return end == std::string::npos ? std::string() : entry.substr(start, end - start);
}

// A column of columns.xml as a catalogue leaf: without its article list's address, with the
// row's category and a ranking.
std::optional<std::string> leaf(const Row& row, const std::string& columns) {
  for (auto [id, entry] : entriesWithIds(columns)) {
    if (id != row.id) continue;
    const size_t link = entry.find("<link rel=\"alternate\"");
    if (link != std::string::npos) entry.erase(link, entry.find("/>", link) + 2 - link);
    // A row's own ranking value stands for the column's (its rating address and count kept); a
    // row with none (a search's) shows the column's own.
    const std::string value = "value=\"" + std::to_string(row.rank) + "\"";
    std::string added;
    if (const size_t ranking = entry.find("<vesk:ranking "); ranking != std::string::npos) {
      const size_t at = entry.find("value=\"", ranking);
      if (row.rank > 0) entry.replace(at, entry.find('"', at + 7) + 1 - at, value);
    } else if (row.rank > 0) {
      added = "<vesk:ranking " + value + "/>";
    }
    if (*row.term) added += "<category term=\"" + std::string(row.term) + "\" label=\"" + row.label + "\"/>";
    entry.insert(entry.find('>') + 1, added);
    return entry;
  }
  return std::nullopt;
}

std::string category(const Row& row, const std::string& base) {
  std::string entry = "<entry><title>" + std::string(row.title) + "</title><id>" + row.id +
                      "</id><updated>2026-01-05T08:00:00Z</updated>";
  if (*row.term) {
    entry += "<category term=\"" + std::string(row.term) + "\" label=\"" + row.label + "\"" +
             (row.address && std::string(row.address) == "/custom/scopes.atom" ? " iscustomcontent=\"1\"" : "") + "/>";
  }
  if (row.address) {
    entry += "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"" + base + row.address + "\"/>";
  }
  std::string extra = row.extra;
  for (size_t at = extra.find("{base}"); at != std::string::npos; at = extra.find("{base}", at)) {
    extra.replace(at, 6, base);
  }
  return entry + "<content type=\"text\">" + row.content + "</content>" + extra + "</entry>";
}

std::string feed(const std::string& id, const std::string& title, const std::string& extra,
                 const std::vector<std::string>& entries) {
  std::string text = std::string(kFeedOpen) + "  <id>" + id + "</id>\n  <title>" + title + "</title>\n" + extra;
  for (const auto& entry : entries) text += "  " + entry + "\n";
  return text + "</feed>\n";
}

// Page `page` (from 1) of the found entries, with the total and a link to the next page.
std::string results(const std::string& id, const std::vector<std::string>& found, const std::string& nextBase,
                    int page) {
  const size_t first = static_cast<size_t>(page - 1) * kPageSize;
  std::vector<std::string> shown;
  for (size_t i = first; i < found.size() && i < first + kPageSize; ++i) shown.push_back(found[i]);
  std::string extra = "  <opensearch:totalResults>" + std::to_string(found.size()) + "</opensearch:totalResults>\n";
  if (first + kPageSize < found.size()) {
    extra += "  <link rel=\"next\" type=\"application/atom+xml\" href=\"" +
             SampleOAuth::escapeMarkup(nextBase + "&page=" + std::to_string(page + 1)) + "\"/>\n";
  }
  return feed(id, "搜索结果", extra, shown);
}

std::string customEntry(const Custom& custom, const std::string& base, bool subscribed) {
  std::string entry = "<entry><title>" + SampleOAuth::escapeMarkup(custom.title) + "</title><id>" + custom.id +
                      "</id><updated>2026-01-05T08:00:00Z</updated>";
  // Subscribed, the column reads its posts from its kind's list ("column-custom-<kind>.xml") and
  // has a cover of its own for its tile. (A found one has neither: the custom list shows a found
  // column with a cover or a list address as a blank row.)
  if (subscribed) {
    entry += "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"" + base + "/col/custom-" +
             custom.kind + ".atom\"/>";
    entry += "<link rel=\"x-stanza-cover-image\" type=\"image/png\" href=\"" + base + "/img/cover-" + custom.id +
             ".png\"/>";
  }
  return entry + "<content type=\"text\">" + custom.about + "</content><vesk:customization type=\"" + custom.kind +
         "\" id=\"" + custom.id + "\" sub_href=\"" + base + "/sub/add.atom\"/><vesk:subscribe subscribable=\"1\" " +
         "subscribed=\"" + (subscribed ? "1" : "0") + "\" times=\"3\"/><vesk:entry_status read=\"0\" " +
         "type=\"news\"/></entry>";
}

}  // namespace

std::optional<std::string> SampleCatalogue::answer(const std::string& path, const std::string& query,
                                                   const std::string& columns, const std::string& base) {
  const int page = std::max(1, std::atoi(SampleOAuth::formValue(query, "page").value_or("").c_str()));
  for (const auto& level : pages()) {
    if (path != level.path || query != level.query) continue;
    std::string extra;
    if (path == "/sub/list.atom") {
      extra += "  <link rel=\"search\" type=\"application/atom+xml\" title=\"搜索订阅源\" href=\"" + base +
               "/catalog/search.atom?q={searchTerms}\"/>\n";
    }
    if (*level.next) {
      extra += "  <link rel=\"next\" type=\"application/atom+xml\" href=\"" + base + level.next + "\"/>\n";
    }
    std::vector<std::string> entries;
    for (const auto& row : level.rows) {
      if (row.title) {
        entries.push_back(category(row, base));
      } else if (auto found = leaf(row, columns)) {
        entries.push_back(*found);
      }
    }
    return feed(std::string("catalogue:") + path, level.title, extra, entries);
  }
  if (path == "/catalog/search.atom") {
    const std::string words = SampleText::lower(SampleText::trimmed(SampleOAuth::formValue(query, "q").value_or("")));
    std::vector<std::string> found;
    for (const auto& [id, entry] : entriesWithIds(columns)) {
      if (words.empty() || SampleText::lower(textOf(entry, "title") + " " + textOf(entry, "summary")).find(words) == std::string::npos) {
        continue;
      }
      Row row{"", "", ""};
      row.id = id.c_str();
      if (auto shown = leaf(row, columns)) found.push_back(*shown);
    }
    return results("search", found, base + "/catalog/search.atom?q=" + SampleOAuth::percentEncode(words), page);
  }
  if (path == "/custom/scopes.atom") {
    std::vector<std::string> entries;
    for (const auto& scope : kScopes) {
      entries.push_back("<entry><title>" + std::string(scope.title) + "</title><id>scope-" + scope.kind +
                        "</id><updated>2026-01-05T08:00:00Z</updated><vesk:customization type=\"" + scope.kind +
                        "\" id=\"scope-" + scope.kind + "\" search_href=\"" + base + "/custom/search/" + scope.kind +
                        ".atom?q={searchTerms}\"/></entry>");
    }
    return feed("scopes", "自定义订阅", "", entries);
  }
  const std::string prefix = "/custom/search/";
  if (path.rfind(prefix, 0) == 0 && path.size() > prefix.size() + 5 && path.substr(path.size() - 5) == ".atom") {
    const std::string kind = path.substr(prefix.size(), path.size() - prefix.size() - 5);
    const std::string words = SampleText::lower(SampleText::trimmed(SampleOAuth::formValue(query, "q").value_or("")));
    std::vector<std::string> found;
    for (const auto& custom : customs()) {
      if (kind != custom.kind || words.empty()) continue;
      if (SampleText::lower(custom.title).find(words) != std::string::npos) found.push_back(customEntry(custom, base, false));
    }
    return results("search:" + kind, found, base + path + "?q=" + SampleOAuth::percentEncode(words), page);
  }
  return std::nullopt;
}

std::vector<std::string> SampleCatalogue::customColumns(const std::string& base) {
  std::vector<std::string> entries;
  for (const auto& custom : customs()) entries.push_back(customEntry(custom, base, true));
  return entries;
}

}  // namespace zu
