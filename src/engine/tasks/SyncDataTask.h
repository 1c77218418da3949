// SyncDataTask: the opening the two full syncs (the account's and the guest's) share. run()
// borrows an engine; when the URL table was never filled, the service URL feed is fetched on that
// engine first (a failure ends the sync with its code and text). Then the subclass's syncData()
// issues the sync's first request.
//
// Runs on the "task" thread like every task.
#pragma once

#include <optional>
#include <string>

#include "engine/core/GetServiceUrlInnerTaskDelegate.h"
#include "engine/core/HttpTask.h"

namespace zu {

class SyncDataTask : public HttpTask, public GetServiceUrlInnerTaskDelegate {
 public:
  void run() override;
  void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 protected:
  // Issues the first request on httpEngine(), or ends the task.
  virtual void syncData() = 0;
};

}  // namespace zu
