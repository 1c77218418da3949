// AddSubscribedColumnTask: subscribes a column on the service and stores the column the service
// returns in the local subscription store (onEntryResult with it). Columns still waiting with
// the deleted mark are synced first (a SyncDeleteStatusTask, whose failure ends this task with
// its code), so the service never sees an add before an older delete. A cancel while that sync
// runs ends this task with -6 at once: the add is never sent. A plain column goes to
// the add-subscription endpoint under the name shown for it; a customised column to its
// customization's subscription address, a microblog one with the bound account's token and
// secret (-8 without them). A refusal of the service ends with its server code; a refusal
// naming an invalid microblog binding also drops that binding.
//
// Made by DataEngine::createAddSubscribedColumnTask; runs on the "task" thread.
#pragma once

#include <memory>
#include <string>

#include "engine/core/HttpTask.h"
#include "engine/tasks/sync/SyncDeleteStatusTaskDelegate.h"

namespace zu {

class Column;

class AddSubscribedColumnTask : public HttpTask, public SyncDeleteStatusTaskDelegate {
 public:
  AddSubscribedColumnTask(std::shared_ptr<Column> column, std::optional<std::string> customName);

  void run() override;
  void cancel() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onSyncDeleteStatusTaskFinished(SyncDeleteStatusTask* task, int errCode,
                                      const std::optional<std::string>& errDesc) override;

 private:
  void addSubscribedColumn();

  std::shared_ptr<Column> column_;
  std::optional<std::string> customName_;
  // The deletion sync runs on its own engine: this task's engine is idle meanwhile, so a cancel
  // must be answered here.
  bool waitingForDeletions_ = false;
};

}  // namespace zu
