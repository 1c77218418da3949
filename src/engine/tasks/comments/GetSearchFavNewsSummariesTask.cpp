#include "engine/tasks/comments/GetSearchFavNewsSummariesTask.h"

#include "common/UrlEncode.h"

namespace zu {

GetSearchFavNewsSummariesTask::GetSearchFavNewsSummariesTask(
    std::optional<std::string> url, std::shared_ptr<Column> column, std::string keyword,
    std::optional<std::string> scope, std::optional<int64_t> since, std::optional<int64_t> until)
    : FavoriteNewsListTask(std::move(url), std::move(column)),
      keyword_(std::move(keyword)),
      scope_(std::move(scope)),
      since_(since),
      until_(until) {}

std::optional<std::string> GetSearchFavNewsSummariesTask::searchUrl() const {
  if (!url()) return std::nullopt;
  std::string address = *url() + UrlEncode::encode(keyword_);
  const bool knownScope = scope_ && (*scope_ == "title" || *scope_ == "content");
  address += "?scope=" + (knownScope ? *scope_ : std::string("all"));
  if (since_) address += "&since=" + std::to_string(*since_ / 1000);
  if (until_) address += "&until=" + std::to_string(*until_ / 1000);
  return address;
}

}  // namespace zu
