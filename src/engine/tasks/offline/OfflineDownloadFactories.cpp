// The facade's factory of the offline download (a DataEngine member, kept beside its task).
#include "engine/core/DataEngine.h"
#include "engine/tasks/offline/OfflineDownColumnBatchTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "store/EntryPersistenter.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createOfflineDownloadTask() {
  hideOfflineDownloadCount_ = 0;
  auto feed = subPersist_ ? subPersist_->allocReadOfflineDownloadEntrysInFeed() : nullptr;
  std::vector<std::shared_ptr<Column>> columns;
  for (const auto& entry : TaskUtil::entriesOf(feed.get())) {
    if (auto column = std::dynamic_pointer_cast<Column>(entry)) columns.push_back(column);
  }
  return std::make_shared<OfflineDownColumnBatchTask>(std::move(columns));
}

}  // namespace zu
