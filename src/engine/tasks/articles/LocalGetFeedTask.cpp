#include "engine/tasks/articles/LocalGetFeedTask.h"

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "store/EntryPersistenter.h"

namespace zu {

LocalGetFeedTask::LocalGetFeedTask(std::shared_ptr<EntryPersistenter> store,
                                   std::optional<std::string> url)
    : persistenter_(std::move(store)), url_(std::move(url)) {}

void LocalGetFeedTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto feed = persistenter_ ? persistenter_->allocReadEntriesInFeed(url_) : nullptr;
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto images = DownloadImageInnerTask::extractImageUrls(*feed);
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  downloadImagesThenFinish(images.value_or(std::vector<std::string>()));
}

}  // namespace zu
