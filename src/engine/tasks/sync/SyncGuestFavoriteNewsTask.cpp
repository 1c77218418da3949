#include "engine/tasks/sync/SyncGuestFavoriteNewsTask.h"

#include "common/Log.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "store/EntryPersistenter.h"

namespace zu {

SyncGuestFavoriteNewsTask::SyncGuestFavoriteNewsTask(std::optional<std::string> url,
                                                     std::vector<std::shared_ptr<Entry>> favorites,
                                                     std::string username)
    : PostRequestForEntryInFeedTask(std::move(url),
                                    VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(favorites),
                                    kEntryKindNewsSummary),
      favorites_(std::move(favorites)),
      username_(std::move(username)) {
  setAddFavorite(true);
}

void SyncGuestFavoriteNewsTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (errCode != kErrOk) {
    auto store = TaskUtil::favorites();
    const bool kept = store && store->insertEntries(favorites_, username_);
    VESKLogImpl("SyncGuestFavoriteNewsTask upload failed code %d, %d favourites %s for %s",
                errCode, static_cast<int>(favorites_.size()), kept ? "kept" : "not kept",
                username_.c_str());
  }
  PostRequestForEntryInFeedTask::finish(errCode, errDesc);
}

}  // namespace zu
