// GetFavoriteNewsSummariesTask: the reader's favourites list from the service, after uploading
// the favourites still kept locally; what the local store still holds is shown in front of the
// service's list (see FavoriteNewsListTask for the shared road).
//
// Made by DataEngine::createGetNewsSummarysTask for the favourites column; runs on the "task"
// thread.
#pragma once

#include "engine/tasks/comments/FavoriteNewsListTask.h"

namespace zu {

class GetFavoriteNewsSummariesTask : public FavoriteNewsListTask {
 public:
  using FavoriteNewsListTask::FavoriteNewsListTask;

 protected:
  std::optional<std::string> listUrl() const override { return url(); }
  const char* logName() const override { return "GetNewsSummarysTask"; }
  // The local store's page for the address (its first page for a service address) in front of
  // the service's entries.
  void mergeLocal(Feed& feed) override;
};

}  // namespace zu
