// The facade's account sync factory and the uploads of favourites kept on the device (DataEngine
// members, kept beside the tasks they make).
#include "engine/core/DataEngine.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/sync/SyncAccountDataTask.h"
#include "engine/tasks/sync/SyncGuestDataTask.h"
#include "engine/tasks/sync/SyncGuestFavoriteNewsTask.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsTask.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createSyncAccountDataTask() {
  updateBookCssJsLinks();
  if (isAnonymous()) return std::make_shared<SyncGuestDataTask>();
  return std::make_shared<SyncAccountDataTask>();
}

void DataEngine::syncGuestFavoriteNewsToUser() {
  auto favorites = allFavoriteNews(kGuestUserName);
  if (favorites.empty()) return;
  auto urls = gUrlManager();
  asyncRunTask(std::make_shared<SyncGuestFavoriteNewsTask>(
      urls ? urls->addFavoriteUrl() : std::nullopt, std::move(favorites), getUsername()));
}

void DataEngine::syncAccountOfflineFavoriteNewsToServer() {
  auto document = favoriteNewsDocument(getUsername());
  if (!document) return;
  auto urls = gUrlManager();
  asyncRunTask(std::make_shared<SyncOfflineAddedFavoriteNewsTask>(
      urls ? urls->addFavoriteUrl() : std::nullopt, std::move(document)));
}

}  // namespace zu
