#include "reading/browser/OriginalArticleHtml.h"

#include <map>

#include "model/entry/Content.h"
#include "model/entry/NewsDetail.h"

namespace zu {

namespace {

struct Kept {
  std::weak_ptr<NewsDetail> detail;
  std::string html;
};

std::map<const NewsDetail*, Kept>& kept() {
  static std::map<const NewsDetail*, Kept> map;
  return map;
}

void dropGone() {
  auto& map = kept();
  for (auto it = map.begin(); it != map.end();) {
    it = it->second.detail.expired() ? map.erase(it) : std::next(it);
  }
}

}  // namespace

std::optional<std::string> OriginalArticleHtml::of(const std::shared_ptr<NewsDetail>& detail) {
  if (!detail) return std::nullopt;
  auto& map = kept();
  if (auto it = map.find(detail.get()); it != map.end()) {
    // The same address may belong to a new detail once the old one went.
    if (it->second.detail.lock() == detail) return it->second.html;
    map.erase(it);
  }
  const auto& content = detail->content();
  if (!content || !content->data()) return std::nullopt;
  dropGone();
  map[detail.get()] = Kept{detail, *content->data()};
  return *content->data();
}

size_t OriginalArticleHtml::keptCount() {
  dropGone();
  return kept().size();
}

}  // namespace zu
