// GetSearchFavNewsSummariesTask: searches the reader's favourites on the service (after
// uploading the favourites still kept locally, see FavoriteNewsListTask). The address is the
// search address followed by the encoded keyword, then "scope" ("title", "content", else
// "all"), "since" and "until" (seconds since 1970, each only when given); the first parameter
// is joined with "?", the others with "&".
//
// Made by DataEngine::createGetSearchFavNewsSummarysTask; runs on the "task" thread.
#pragma once

#include <cstdint>

#include "engine/tasks/comments/FavoriteNewsListTask.h"

namespace zu {

class GetSearchFavNewsSummariesTask : public FavoriteNewsListTask {
 public:
  // `since` and `until` in milliseconds since 1970.
  GetSearchFavNewsSummariesTask(std::optional<std::string> url, std::shared_ptr<Column> column,
                                std::string keyword, std::optional<std::string> scope,
                                std::optional<int64_t> since, std::optional<int64_t> until);

  // The address the search asks.
  std::optional<std::string> searchUrl() const;

 protected:
  std::optional<std::string> listUrl() const override { return searchUrl(); }
  const char* logName() const override { return "GetSearchFavNewsSummarysTask"; }

 private:
  std::string keyword_;
  std::optional<std::string> scope_;
  std::optional<int64_t> since_;
  std::optional<int64_t> until_;
};

}  // namespace zu
