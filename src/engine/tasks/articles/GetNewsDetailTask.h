// GetNewsDetailTask: one article. The article feed is reported first (onFeedResult); when the
// article has an extra link its dynamic part (counts, favourite state) is fetched next and
// reported with onEntryResult, marked collected when the article is in the local favourites
// (unless the service already says so for a logged-in user). A first reply that does not parse
// finishes with -5000; a dynamic part that does not parse is simply not reported.
//
// GetNewsDetailDynamicTask fetches only the dynamic part of an article already shown.
// Made by DataEngine::createGetNewsDetailTask; runs on the "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class NewsDetail;

class GetNewsDetailTask : public HttpTask {
 public:
  explicit GetNewsDetailTask(std::optional<std::string> url);

  // Sets the dynamic part's favourite record to collected when the article `entryId` is in the
  // local favourites store.
  static void markCollectedFromLocal(NewsDetail& dynamicPart,
                                     const std::optional<std::string>& entryId);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::optional<std::string> newsDetailId_;
  bool getDynamic_ = false;
};

}  // namespace zu
