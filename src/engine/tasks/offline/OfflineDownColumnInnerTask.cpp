#include "engine/tasks/offline/OfflineDownColumnInnerTask.h"

#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/articles/GetNewsSummarysTask.h"
#include "engine/tasks/offline/OfflineDownColumnInnerTaskDelegate.h"
#include "engine/tasks/offline/OfflineDownDetailBatchInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/columns/UpdateColumnInnerTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/RunLoop.h"
#include "store/EntryPersistenter.h"

namespace zu {

OfflineDownColumnInnerTask::OfflineDownColumnInnerTask(
    std::shared_ptr<HttpEngine> engine, std::shared_ptr<Column> column,
    std::shared_ptr<OfflineDownColumnInnerTaskDelegate> delegate)
    : httpEngine_(std::move(engine)), column_(std::move(column)), delegate_(std::move(delegate)) {
  if (httpEngine_) currFlow_ = TaskUtil::flowOf(*httpEngine_);
}

void OfflineDownColumnInnerTask::run() {
  self_ = std::static_pointer_cast<OfflineDownColumnInnerTask>(shared_from_this());
  if (!column_ || !httpEngine_ || TaskUtil::isBook(column_.get())) {
    // The owner hears of the end after run() has returned.
    auto self = self_;
    RunLoop::current()->post([self] { self->finish(kErrOk, std::nullopt); });
    return;
  }
  auto self = std::static_pointer_cast<UpdateColumnInnerTaskDelegate>(self_);
  std::make_shared<UpdateColumnInnerTask>(httpEngine_, column_, self)->run();
}

void OfflineDownColumnInnerTask::onUpdateColumnInnerTaskFinished(
    UpdateColumnInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc,
    const std::shared_ptr<Column>& latestColumn, bool dataChanged) {
  notifyFlow();
  if (errCode == kErrCancelled || isServerAuthorizeError(errCode)) {
    finish(errCode, errDesc);
    return;
  }
  if (dataChanged) {
    if (auto observer = TaskUtil::observer()) observer->columnBackGroundUpdated(latestColumn);
  }
  if (latestColumn) column_ = latestColumn;
  auto summaries = firstPageSummaries();
  if (summaries.empty()) {
    finish(kErrOk, std::nullopt);
    return;
  }
  newsSummarys_ = std::move(summaries);
  Feed page;
  page.setEntrys(std::vector<std::shared_ptr<Entry>>(newsSummarys_.begin(), newsSummarys_.end()));
  auto thumbnails = GetNewsSummarysTask::extractImageUrls(page);
  if (thumbnails.empty()) {
    startDetailBatch(std::move(newsSummarys_));
    return;
  }
  auto self = std::static_pointer_cast<DownloadImageInnerTaskDelegate>(self_);
  auto images =
      std::make_shared<DownloadImageInnerTask>(httpEngine_, std::move(thumbnails), false, self);
  images->setIsOfflineDownload(true);
  images->run();
}

void OfflineDownColumnInnerTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& /*errDesc*/) {
  if (errCode == kErrCancelled || canceling_) {
    finish(kErrCancelled, std::nullopt);
    return;
  }
  startDetailBatch(std::move(newsSummarys_));
}

void OfflineDownColumnInnerTask::onDownloadImageInnerTaskFlow(DownloadImageInnerTask* /*task*/,
                                                              int bytes) {
  if (delegate_) delegate_->onOfflineDownColumnInnerTaskFlow(this, bytes);
}

std::vector<std::shared_ptr<NewsSummary>> OfflineDownColumnInnerTask::firstPageSummaries() const {
  auto engine = gDataEngine();
  if (!engine) return {};
  std::shared_ptr<Feed> feed;
  if (engine->isGuestFavoriteColumn(column_)) {
    feed = engine->getFavPersist()->allocReadEntriesInFeed(std::nullopt);
  } else if (const auto& link = column_->alternatelink()) {
    auto page = engine->getColumnCache()->loadFirstPage(column_->entryId(), link->href());
    if (page) {
      feed = VESKAtomParser::allocParseFeed(TaskUtil::bytesText(*page), kEntryKindNewsSummary);
    }
  }
  std::vector<std::shared_ptr<NewsSummary>> summaries;
  for (const auto& entry : TaskUtil::entriesOf(feed.get())) {
    if (summaries.size() >= kMaxNewsCount) break;
    if (auto summary = std::dynamic_pointer_cast<NewsSummary>(entry)) summaries.push_back(summary);
  }
  return summaries;
}

void OfflineDownColumnInnerTask::startDetailBatch(
    std::vector<std::shared_ptr<NewsSummary>> summaries) {
  if (canceling_) {
    finish(kErrCancelled, std::nullopt);
    return;
  }
  auto self = std::static_pointer_cast<OfflineDownDetailBatchInnerTaskDelegate>(self_);
  task_ =
      std::make_shared<OfflineDownDetailBatchInnerTask>(httpEngine_, std::move(summaries), self);
  task_->run();
}

void OfflineDownColumnInnerTask::onOfflineDownDetailBatchInnerProgress(
    OfflineDownDetailBatchInnerTask* /*task*/, int index, int total) {
  if (delegate_ && total > 0) {
    delegate_->onOfflineDownColumnInnerTaskProgress(this, static_cast<int>(index * 100.0 / total));
  }
}

void OfflineDownColumnInnerTask::onOfflineDownDetailBatchInnerFlow(
    OfflineDownDetailBatchInnerTask* /*task*/, int bytes) {
  if (delegate_) delegate_->onOfflineDownColumnInnerTaskFlow(this, bytes);
}

void OfflineDownColumnInnerTask::onOfflineDownDetailBatchInnerTaskFinished(
    OfflineDownDetailBatchInnerTask* task, int errCode, const std::optional<std::string>& errDesc) {
  totalNewsCount_ += task->getTotalNewsCount();
  finish(errCode, errDesc);
}

void OfflineDownColumnInnerTask::notifyFlow() {
  if (!httpEngine_) return;
  const int64_t now = TaskUtil::flowOf(*httpEngine_);
  if (now - currFlow_ >= 1 && delegate_) {
    delegate_->onOfflineDownColumnInnerTaskFlow(this, static_cast<int>(now - currFlow_));
  }
  currFlow_ = now;
}

void OfflineDownColumnInnerTask::cancel() {
  canceling_ = true;
  if (task_) task_->cancel();
}

void OfflineDownColumnInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<OfflineDownColumnInnerTask> keep = std::move(self_);
  std::shared_ptr<OfflineDownColumnInnerTaskDelegate> delegate = std::move(delegate_);
  task_.reset();
  if (delegate) delegate->onOfflineDownColumnInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
