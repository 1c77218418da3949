// SyncDeleteStatusTask: tells the service about the columns the reader removed locally (the
// subscription store keeps them with the deleted mark until then). The guest has nothing on
// the service: its columns are simply deleted from the store. For a user the ids are posted to
// the delete-subscription endpoint in one batch; every column the service confirms, or reports
// as not subscribed (reason 102), is deleted from the store. Any other refusal makes the result
// -1 while the remaining items are still applied.
//
// Muted (no finish notice). Made by the column-adding task, which waits for it as its delegate
// (not retained: the adding task is on the running list while it waits), and by the facade
// when a user logs in. Runs on the "task" thread like every task.
#pragma once

#include <memory>
#include <vector>

#include "engine/core/HttpTask.h"
#include "engine/tasks/sync/SyncDeleteStatusTaskDelegate.h"

namespace zu {

class Entry;

class SyncDeleteStatusTask : public HttpTask {
 public:
  explicit SyncDeleteStatusTask(std::vector<std::shared_ptr<Entry>> deletedColumns);

  void setDelegate(std::weak_ptr<SyncDeleteStatusTaskDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 protected:
  // Tells the delegate first, then gives the engine back and finishes.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::vector<std::shared_ptr<Entry>> deletedColumns_;
  std::weak_ptr<SyncDeleteStatusTaskDelegate> delegate_;
};

}  // namespace zu
