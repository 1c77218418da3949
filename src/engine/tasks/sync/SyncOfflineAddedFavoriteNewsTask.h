// SyncOfflineAddedFavoriteNewsTask: uploads the favourites a logged-in user kept in the local
// favourites store while offline. The body (an add-or-update subscription document of them) is
// posted to the service's add-favourite endpoint by a SyncOfflineAddedFavoriteNewsInnerTask on
// this task's engine, which removes every favourite the service took or already held from the
// store. The task finishes with 0 whatever the upload's outcome: what was not taken stays in
// the store for the next upload.
//
// Made by the facade after a login (DataEngine::syncAccountOfflineFavoriteNewsToServer); runs
// on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpTask.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTaskDelegate.h"
#include "platform/runtime/Value.h"

namespace zu {

class SyncOfflineAddedFavoriteNewsTask : public HttpTask,
                                         public SyncOfflineAddedFavoriteNewsInnerTaskDelegate {
 public:
  // `url` is kept for the caller's information; the upload goes to the URL table's
  // add-favourite address.
  SyncOfflineAddedFavoriteNewsTask(std::optional<std::string> url, std::optional<Bytes> reqData);

  const std::optional<std::string>& url() const { return url_; }

  void run() override;
  void onSyncOfflineAddedFavoriteNewsInnerTaskFinished(
      SyncOfflineAddedFavoriteNewsInnerTask* task, int errCode,
      const std::optional<std::string>& errDesc) override;

 private:
  std::optional<std::string> url_;
  std::optional<Bytes> reqData_;
};

}  // namespace zu
