#include "SampleArticleActions.h"

#include <algorithm>

namespace zu {

namespace {

constexpr const char* kNamespaces =
    " xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"";
// The sample comments of every article (two on the first page, one on the second).
constexpr int kSampleComments = 3;

// The text of the first <id> element, or "".
std::string firstIdOf(const std::string& xml) {
  const size_t open = xml.find("<id>");
  if (open == std::string::npos) return {};
  const size_t close = xml.find("</id>", open);
  return close == std::string::npos ? std::string() : xml.substr(open + 4, close - open - 4);
}

// The value of `attribute` on the first `element`, or "".
std::string attributeOf(const std::string& xml, const std::string& element, const std::string& attribute) {
  const size_t at = xml.find("<" + element);
  if (at == std::string::npos) return {};
  const size_t end = xml.find('>', at);
  const size_t name = xml.find(" " + attribute + "=\"", at);
  if (name == std::string::npos || name > end) return {};
  const size_t value = name + attribute.size() + 3;
  const size_t close = xml.find('"', value);
  return close == std::string::npos ? std::string() : xml.substr(value, close - value);
}

bool isPlainId(const std::string& id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
  });
}

std::string entryDocument(const std::string& id, const std::string& record) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<entry" + std::string(kNamespaces) + "><id>" + id + "</id>" +
         record + "</entry>\n";
}

}  // namespace

std::string SampleArticleActions::bumpRecord(const std::string& baseUrl, const std::string& articleId) const {
  auto it = likes_.find(articleId);
  const int count = it == likes_.end() ? 0 : it->second;
  return "<vesk:bump action=\"" + std::string(count > 0 ? "down" : "up") + "\" times=\"" + std::to_string(count) +
         "\" href=\"" + baseUrl + "/bump/" + articleId + ".atom\"/>";
}

std::string SampleArticleActions::sharingRecord(const std::string& baseUrl, const std::string& articleId) const {
  const auto count = std::count_if(shareReports_.begin(), shareReports_.end(),
                                   [&](const auto& report) { return report.first == articleId; });
  return "<vesk:sharing times=\"" + std::to_string(count) + "\" href=\"" + baseUrl + "/report/sharing.atom\"/>";
}

std::string SampleArticleActions::dynamicRecords(const std::string& baseUrl, const std::string& articleId) const {
  std::lock_guard guard(lock_);
  return bumpRecord(baseUrl, articleId) + sharingRecord(baseUrl, articleId) + "<vesk:assess times=\"" +
         std::to_string(kSampleComments) + "\" href=\"" + baseUrl + "/comments/" + articleId + ".atom\"/>";
}

std::optional<std::string> SampleArticleActions::like(const std::string& baseUrl, const std::string& articleId,
                                                      const std::string& posted) {
  const std::string id = firstIdOf(posted);
  if (!isPlainId(id) || !isPlainId(articleId)) return std::nullopt;
  std::lock_guard guard(lock_);
  ++likes_[articleId];
  return entryDocument(articleId, bumpRecord(baseUrl, articleId));
}

std::optional<std::string> SampleArticleActions::shareReport(const std::string& baseUrl, const std::string& posted) {
  const std::string id = firstIdOf(posted);
  if (!isPlainId(id)) return std::nullopt;
  std::lock_guard guard(lock_);
  shareReports_.emplace_back(id, attributeOf(posted, "vesk:sharing", "action"));
  return entryDocument(id, sharingRecord(baseUrl, id));
}

std::optional<std::string> SampleArticleActions::originalPage(const std::string& articles,
                                                              const std::string& articleId) {
  if (!isPlainId(articleId)) return std::nullopt;
  const size_t id = articles.find("<id>" + articleId + "</id>");
  if (id == std::string::npos) return std::nullopt;
  const size_t entry = articles.rfind("<entry>", id);
  const size_t end = articles.find("</entry>", id);
  if (entry == std::string::npos || end == std::string::npos) return std::nullopt;
  const std::string xml = articles.substr(entry, end - entry);
  auto between = [&](const std::string& open, const std::string& close) {
    const size_t from = xml.find(open);
    if (from == std::string::npos) return std::string();
    const size_t to = xml.find(close, from + open.size());
    return to == std::string::npos ? std::string() : xml.substr(from + open.size(), to - from - open.size());
  };
  const std::string title = between("<title>", "</title>");
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title><meta name=\"viewport\" content=\"width=device-width\">"
         "<style>body{margin:0;font-family:sans-serif;background:#fff;color:#222}"
         "header{background:#2d5f8b;color:#fff;padding:14px 16px;font-size:13px}"
         "h1{font-size:22px;margin:16px}p{font-size:16px;line-height:1.6;margin:0 16px 12px}"
         "footer{margin:24px 16px;font-size:12px;color:#888}</style></head><body>"
         "<header>Sample town news</header><h1>" +
         title + "</h1>" + between("<![CDATA[", "]]>") + "<footer>The original page of " + articleId +
         " on the sample service.</footer></body></html>";
}

int SampleArticleActions::likes(const std::string& articleId) const {
  std::lock_guard guard(lock_);
  auto it = likes_.find(articleId);
  return it == likes_.end() ? 0 : it->second;
}

std::vector<std::pair<std::string, std::string>> SampleArticleActions::shareReports() const {
  std::lock_guard guard(lock_);
  return shareReports_;
}

}  // namespace zu
