#include "engine/tasks/comments/GetFavoriteNewsSummariesTask.h"

#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "store/EntryPersistenter.h"

namespace zu {

void GetFavoriteNewsSummariesTask::mergeLocal(Feed& feed) {
  auto favorites = TaskUtil::favorites();
  auto local = favorites ? favorites->allocReadEntriesInFeed(url()) : nullptr;
  auto entries = TaskUtil::entriesOf(local.get());
  if (entries.empty()) return;
  for (const auto& entry : TaskUtil::entriesOf(&feed)) entries.push_back(entry);
  feed.setEntrys(std::move(entries));
}

}  // namespace zu
