// PostRequestForEntryInFeedTask: a PostRequestForEntryTask whose reply is a feed of entries of
// the given kind, or of error items. The first entry goes to the observer (onEntryResult) and
// the task finishes with 0; without entries the first error item gives the server code and
// its description (a refused microblog account is unbound on the way); with neither, or a
// reply that does not parse, -5000.
//
// Adding a favourite (addFavorite): the service now holds every returned entry, so each leaves
// the local favourites store and the favourites count follows the service's figure; an error
// -100104 (the service holds it already) removes the local copy as well.
//
// Made by the facade's favourite factory; runs on the "task" thread.
#pragma once

#include "engine/tasks/posts/PostRequestForEntryTask.h"

namespace zu {

class PostRequestForEntryInFeedTask : public PostRequestForEntryTask {
 public:
  using PostRequestForEntryTask::PostRequestForEntryTask;

  bool addFavorite() const { return addFavorite_; }
  void setAddFavorite(bool add) { addFavorite_ = add; }

  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  bool addFavorite_ = false;
};

}  // namespace zu
