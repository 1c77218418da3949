// SyncGuestFavoriteNewsTask: the guest's favourites sent to a new account at its first login on
// this device: a PostRequestForEntryInFeedTask adding favourites (one add-or-update subscription
// document of them, oldest first), so a reply is handled as for any favourite added.
//
// A first login happens once, so an upload that fails or is cancelled would never be repeated.
// Instead the favourites then become the account's own favourites kept on the device (rows of
// that user in the favourites store), which the upload of favourites kept offline carries at
// the next login or favourites list, removing each one the service takes or already holds.
//
// Made by DataEngine::syncGuestFavoriteNewsToUser; runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tasks/posts/PostRequestForEntryInFeedTask.h"

namespace zu {

class Entry;

class SyncGuestFavoriteNewsTask : public PostRequestForEntryInFeedTask {
 public:
  // `favorites` in the order they are sent; `username` is the account they go to.
  SyncGuestFavoriteNewsTask(std::optional<std::string> url,
                            std::vector<std::shared_ptr<Entry>> favorites, std::string username);

 protected:
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::vector<std::shared_ptr<Entry>> favorites_;
  std::string username_;
};

}  // namespace zu
