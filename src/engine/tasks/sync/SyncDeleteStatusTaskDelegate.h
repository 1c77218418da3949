// SyncDeleteStatusTaskDelegate: the task that started a SyncDeleteStatusTask (the column-adding
// task) hears its one finish here, on the "task" thread, before the sync task gives its engine
// back. On 0 the deletions reached the service (or were the guest's, done locally).
#pragma once

#include <optional>
#include <string>

namespace zu {

class SyncDeleteStatusTask;

class SyncDeleteStatusTaskDelegate {
 public:
  virtual ~SyncDeleteStatusTaskDelegate() = default;
  virtual void onSyncDeleteStatusTaskFinished(SyncDeleteStatusTask* task, int errCode,
                                              const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
