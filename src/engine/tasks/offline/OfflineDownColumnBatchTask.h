// OfflineDownColumnBatchTask: the offline download the reader starts: the columns marked for it,
// one after another, each by an OfflineDownColumnInnerTask on this task's engine. The observer
// hears onOfflineDownloadProgress with one progress record changed in place: percent reports
// (the column, its 1-based index, the column count, 0..100 within the column) and byte reports
// (the batch's bytes so far). A column that fails reports 100 and the next one starts; a cancel
// (-6), a lost network (-13) or a server authorisation error ends the whole batch.
//
// The download may be the first request of the process (the reader taps the download button
// at once after a launch): the service's URL table is filled first when it is not yet (a
// ServiceUrlTask), since each column's refresh is posted to one of its addresses; a failure to
// fill it ends the download with that failure.
//
// While it runs isRunning() is true (the facade keeps the application alive in the background
// for it), the file caches' automatic trimming is off and the idle timer is disabled; all three
// are restored when it finishes, whatever the code, and the result goes to the service's usage
// statistics (DataEngine::reportOfflineDownload).
//
// Made by DataEngine::createOfflineDownloadTask; runs on the "task" thread.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "engine/core/ServiceUrlTask.h"
#include "engine/tasks/offline/OfflineDownColumnInnerTaskDelegate.h"

namespace zu {

class Column;
class OfflineDownColumnInnerTask;
class OfflineDownloadProgress;

class OfflineDownColumnBatchTask : public ServiceUrlTask, public OfflineDownColumnInnerTaskDelegate {
 public:
  explicit OfflineDownColumnBatchTask(std::vector<std::shared_ptr<Column>> columns);

  // True from the start of a batch's run to its finish (read from any thread).
  static bool isRunning();

  // Marks the download running, then fills the URL table when needed (ServiceUrlTask).
  void run() override;
  // Cancels the current column and, while the task runs, its engine.
  void cancel() override;

  void onOfflineDownColumnInnerTaskFinished(OfflineDownColumnInnerTask* task, int errCode,
                                            const std::optional<std::string>& errDesc) override;
  void onOfflineDownColumnInnerTaskProgress(OfflineDownColumnInnerTask* task, int percent) override;
  void onOfflineDownColumnInnerTaskFlow(OfflineDownColumnInnerTask* task, int bytes) override;

 protected:
  // Begins the first column (or ends at once without any).
  void onServiceUrlReady() override;
  // Restores the running flag, the idle timer and automatic trimming and reports the result
  // before finishing.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void downloadNextColumn();
  void notifyPercent(int percent);
  void notify();

  std::vector<std::shared_ptr<Column>> columns_;
  size_t total_ = 0;
  size_t currIndex_ = 0;
  int64_t totalFlow_ = 0;
  int64_t startTick_ = 0;
  std::shared_ptr<OfflineDownColumnInnerTask> task_;
  std::shared_ptr<OfflineDownloadProgress> progress_;
  bool cancel_ = false;
  bool started_ = false;
};

}  // namespace zu
