#include "SampleComments.h"

#include <cctype>
#include <cstdlib>

namespace zu {
namespace {

std::string commentsAddress(const std::string& article, const std::string& baseUrl) {
  return baseUrl + "/comments/" + article + ".atom";
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

std::string elementText(const std::string& xml, const std::string& name) {
  const std::string open = "<" + name + ">";
  const size_t start = xml.find(open);
  if (start == std::string::npos) return std::string();
  const size_t end = xml.find("</" + name + ">", start);
  return end == std::string::npos ? std::string() : xml.substr(start + open.size(), end - start - open.size());
}

}  // namespace

std::string SampleComments::keep(const std::string& article, const std::string& stored,
                                 const std::string& baseUrl) {
  const size_t root = stored.find("<entry");
  const size_t end = stored.rfind("</entry>");
  if (root == std::string::npos || end == std::string::npos) return stored;
  std::string document = stored;
  document.insert(end, "<link rel=\"edit\" type=\"application/atom+xml\" href=\"" +
                           commentsAddress(article, baseUrl) + "\"/>");
  std::lock_guard guard(lock_);
  kept_[article].emplace_back(elementText(document, "id"), document.substr(root));
  return document;
}

bool SampleComments::remove(const std::string& article, const std::string& query) {
  std::string id;
  for (size_t start = 0; start <= query.size();) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string field = query.substr(start, end - start);
    if (field.rfind("id=", 0) == 0) id = percentDecoded(field.substr(3));
    start = end + 1;
  }
  std::lock_guard guard(lock_);
  auto it = kept_.find(article);
  if (it == kept_.end()) return false;
  auto& list = it->second;
  for (auto comment = list.begin(); comment != list.end(); ++comment) {
    if (comment->first != id) continue;
    list.erase(comment);
    return true;
  }
  return false;
}

std::string SampleComments::firstPage(const std::string& article, std::string page) const {
  std::string kept;
  {
    std::lock_guard guard(lock_);
    if (auto it = kept_.find(article); it != kept_.end()) {
      for (auto comment = it->second.rbegin(); comment != it->second.rend(); ++comment) {
        kept += comment->second + "\n  ";
      }
    }
  }
  if (kept.empty()) return page;
  size_t at = page.find("<entry");
  if (at == std::string::npos) at = page.rfind("</feed>");
  if (at == std::string::npos) return page;
  page.insert(at, kept);
  return page;
}

std::string SampleComments::withKeptCount(std::string records, const std::string& article,
                                          const std::string& baseUrl) const {
  const int kept = static_cast<int>(count(article));
  const size_t element = records.find("<vesk:assess");
  const size_t close = element == std::string::npos ? element : records.find("/>", element);
  size_t times = element == std::string::npos ? element : records.find("times=\"", element);
  if (times != std::string::npos && times > close) times = std::string::npos;
  if (times == std::string::npos) {
    return records + "<vesk:assess times=\"" + std::to_string(kept) + "\" href=\"" +
           commentsAddress(article, baseUrl) + "\"/>";
  }
  const size_t start = times + 7;
  const size_t end = records.find('"', start);
  if (end == std::string::npos) return records;
  const int fixed = std::atoi(records.substr(start, end - start).c_str());
  records.replace(start, end - start, std::to_string(fixed + kept));
  return records;
}

size_t SampleComments::count(const std::string& article) const {
  std::lock_guard guard(lock_);
  auto it = kept_.find(article);
  return it == kept_.end() ? 0 : it->second.size();
}

}  // namespace zu
