// OfflineDownDetailBatchInnerTaskDelegate: the column download hears its article batch here, on
// the "task" thread: how many of the articles have finished, the bytes moved since the last
// report, and the batch's one finish.
#pragma once

#include <optional>
#include <string>

namespace zu {

class OfflineDownDetailBatchInnerTask;

class OfflineDownDetailBatchInnerTaskDelegate {
 public:
  virtual ~OfflineDownDetailBatchInnerTaskDelegate() = default;
  virtual void onOfflineDownDetailBatchInnerTaskFinished(
      OfflineDownDetailBatchInnerTask* task, int errCode,
      const std::optional<std::string>& errDesc) = 0;
  virtual void onOfflineDownDetailBatchInnerProgress(OfflineDownDetailBatchInnerTask* task,
                                                     int index, int total) = 0;
  virtual void onOfflineDownDetailBatchInnerFlow(OfflineDownDetailBatchInnerTask* task,
                                                 int bytes) = 0;
};

}  // namespace zu
