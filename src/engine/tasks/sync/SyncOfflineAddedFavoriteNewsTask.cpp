#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsTask.h"

#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTask.h"

namespace zu {

SyncOfflineAddedFavoriteNewsTask::SyncOfflineAddedFavoriteNewsTask(std::optional<std::string> url,
                                                                   std::optional<Bytes> reqData)
    : url_(std::move(url)), reqData_(std::move(reqData)) {}

void SyncOfflineAddedFavoriteNewsTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto urls = gUrlManager();
  auto self =
      std::dynamic_pointer_cast<SyncOfflineAddedFavoriteNewsInnerTaskDelegate>(sharedTask());
  std::make_shared<SyncOfflineAddedFavoriteNewsInnerTask>(
      httpEngine(), urls ? urls->addFavoriteUrl() : std::nullopt, reqData_, self)
      ->run();
}

void SyncOfflineAddedFavoriteNewsTask::onSyncOfflineAddedFavoriteNewsInnerTaskFinished(
    SyncOfflineAddedFavoriteNewsInnerTask* /*task*/, int /*errCode*/,
    const std::optional<std::string>& /*errDesc*/) {
  if (isDone() || !httpEngine()) return;
  done(kErrOk, std::nullopt);
}

}  // namespace zu
