// SyncOfflineAddedFavoriteNewsInnerTaskDelegate: the owner of the upload of offline-added
// favourites (the favourites list tasks, the upload task) hears its one finish here, on the
// "task" thread, whatever its code; the engine's observer slot is its own again by then.
#pragma once

#include <optional>
#include <string>

namespace zu {

class SyncOfflineAddedFavoriteNewsInnerTask;

class SyncOfflineAddedFavoriteNewsInnerTaskDelegate {
 public:
  virtual ~SyncOfflineAddedFavoriteNewsInnerTaskDelegate() = default;
  virtual void onSyncOfflineAddedFavoriteNewsInnerTaskFinished(
      SyncOfflineAddedFavoriteNewsInnerTask* task, int errCode,
      const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
