// OfflineDownColumnInnerTask: downloads one column for offline reading on the batch task's
// engine: refreshes the column (an UpdateColumnInnerTask; a failed refresh still goes on with
// the first page kept before), tells the observer when the refresh changed the column, then
// fetches the list's thumbnails and then at most kMaxNewsCount articles of the kept first page
// (the guest's favourites column: of the local favourites) through an article batch. A book column
// is skipped with 0. A cancel or a server authorisation error during the refresh ends the column
// with that code.
//
// Lifetime and threads: keeps itself and its delegate alive from run() to its finish; everything
// on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"
#include "engine/tasks/offline/OfflineDownDetailBatchInnerTaskDelegate.h"
#include "engine/tasks/columns/UpdateColumnInnerTaskDelegate.h"
#include "platform/runtime/Object.h"

namespace zu {

class Column;
class HttpEngine;
class NewsSummary;
class OfflineDownColumnInnerTaskDelegate;
class OfflineDownDetailBatchInnerTask;

class OfflineDownColumnInnerTask : public Object,
                                   public UpdateColumnInnerTaskDelegate,
                                   public DownloadImageInnerTaskDelegate,
                                   public OfflineDownDetailBatchInnerTaskDelegate {
 public:
  // Articles downloaded per column at most.
  static constexpr size_t kMaxNewsCount = 30;

  OfflineDownColumnInnerTask(std::shared_ptr<HttpEngine> engine, std::shared_ptr<Column> column,
                             std::shared_ptr<OfflineDownColumnInnerTaskDelegate> delegate);

  void run();
  void cancel();
  int getTotalNewsCount() const { return totalNewsCount_; }
  // The column as last refreshed.
  const std::shared_ptr<Column>& column() const { return column_; }

  void onUpdateColumnInnerTaskFinished(UpdateColumnInnerTask* task, int errCode,
                                       const std::optional<std::string>& errDesc,
                                       const std::shared_ptr<Column>& latestColumn,
                                       bool dataChanged) override;
  // The list's thumbnails, fetched before the articles.
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;
  void onDownloadImageInnerTaskFlow(DownloadImageInnerTask* task, int bytes) override;
  void onOfflineDownDetailBatchInnerTaskFinished(
      OfflineDownDetailBatchInnerTask* task, int errCode,
      const std::optional<std::string>& errDesc) override;
  void onOfflineDownDetailBatchInnerProgress(OfflineDownDetailBatchInnerTask* task, int index,
                                             int total) override;
  void onOfflineDownDetailBatchInnerFlow(OfflineDownDetailBatchInnerTask* task, int bytes) override;

 private:
  // The summaries of the column's kept first page, at most kMaxNewsCount.
  std::vector<std::shared_ptr<NewsSummary>> firstPageSummaries() const;
  void startDetailBatch(std::vector<std::shared_ptr<NewsSummary>> summaries);
  void notifyFlow();
  void finish(int errCode, const std::optional<std::string>& errDesc);

  std::shared_ptr<HttpEngine> httpEngine_;
  std::shared_ptr<Column> column_;
  int64_t currFlow_ = 0;
  std::shared_ptr<OfflineDownColumnInnerTaskDelegate> delegate_;
  std::shared_ptr<OfflineDownDetailBatchInnerTask> task_;
  std::vector<std::shared_ptr<NewsSummary>> newsSummarys_;
  std::shared_ptr<OfflineDownColumnInnerTask> self_;
  int totalNewsCount_ = 0;
  bool canceling_ = false;
};

}  // namespace zu
