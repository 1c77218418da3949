// PostRequestResultInFeedTask: a PostRequestTask whose reply is a feed of ok and error items
// (a favourite removed, a repost, an illegal-content report, a microblog favourite). An ok
// item finishes with 0; otherwise the first error item gives the server code and its
// description (a refused microblog account is unbound on the way). When the task removes a
// favourite (delFavoriteNews), the favourites count follows the service's figure, and a
// favourite the service no longer holds (reason 102) counts as removed: 0. A reply that does
// not parse or holds neither kind of item finishes with -5000.
//
// Made by the facade's factories; runs on the "task" thread.
#pragma once

#include "engine/tasks/posts/PostRequestTask.h"

namespace zu {

class PostRequestResultInFeedTask : public PostRequestTask {
 public:
  using PostRequestTask::PostRequestTask;

  bool delFavoriteNews() const { return delFavoriteNews_; }
  void setDelFavoriteNews(bool del) { delFavoriteNews_ = del; }

  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  bool delFavoriteNews_ = false;
};

}  // namespace zu
