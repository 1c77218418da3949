#include "engine/tasks/columns/LocalGetSubscribedColumnsTask.h"

#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "store/EntryPersistenter.h"

namespace zu {

void LocalGetSubscribedColumnsTask::run() {
  Task::run();
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  auto feed = store ? store->allocReadEntriesInFeed(std::nullopt) : nullptr;
  if (!engine || !feed) {
    done(kErrFail, ErrorGetDescription(kErrFail));
    return;
  }
  // No columns is a list too (a new reader, or one who deleted every tile): the home screen
  // needs its answer to go on to the first refresh.
  if (!feed->entrys()) feed->setEntrys(std::vector<std::shared_ptr<Entry>>{});
  for (const auto& entry : *feed->entrys()) {
    auto column = std::dynamic_pointer_cast<Column>(entry);
    if (!column) continue;
    const auto& customization = column->veskCustomization();
    if (customization && customization->isMBlogType()) {
      const int platform = customization->getOpenPlatformType();
      auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(platform);
      if (!client || !client->authorized()) {
        engine->setUnauthorizedWeiboColumnData(column, platform);
        continue;
      }
    }
    if (!loadImageData_) continue;
    const auto& cache = engine->getColumnCache();
    if (const auto& cover = column->coverImageLink()) {
      column->setCoverImageData(cache->loadCover(column->entryId(), cover->href()));
    }
    if (const auto& thumbnail = column->coverImageThumbnailLink()) {
      column->setCoverImageThumbnailData(
          cache->loadCoverThumbnail(column->entryId(), thumbnail->href()));
    }
  }
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
