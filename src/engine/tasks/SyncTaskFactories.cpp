// The facade's account sync factory and the uploads of favourites kept on the device (DataEngine
// members, kept beside the tasks they make).
#include "engine/core/DataEngine.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/PostRequestForEntryInFeedTask.h"
#include "engine/tasks/SyncAccountDataTask.h"
#include "engine/tasks/SyncGuestDataTask.h"
#include "engine/tasks/SyncOfflineAddedFavoriteNewsTask.h"
#include "model/atom/VESKAtomDataStuffer.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createSyncAccountDataTask() {
  updateBookCssJsLinks();
  if (isAnonymous()) return std::make_shared<SyncGuestDataTask>();
  return std::make_shared<SyncAccountDataTask>();
}

void DataEngine::syncGuestFavoriteNewsToUser() {
  auto document = guestFavoriteNewsDocument();
  if (!document) return;
  auto urls = gUrlManager();
  auto task = std::make_shared<PostRequestForEntryInFeedTask>(
      urls ? urls->addFavoriteUrl() : std::nullopt, std::move(document), kEntryKindNewsSummary);
  task->setAddFavorite(true);
  asyncRunTask(task);
}

void DataEngine::syncAccountOfflineFavoriteNewsToServer() {
  auto document = favoriteNewsDocument(getUsername());
  if (!document) return;
  auto urls = gUrlManager();
  asyncRunTask(std::make_shared<SyncOfflineAddedFavoriteNewsTask>(
      urls ? urls->addFavoriteUrl() : std::nullopt, std::move(document)));
}

}  // namespace zu
