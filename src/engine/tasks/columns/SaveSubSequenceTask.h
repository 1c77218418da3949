// SaveSubSequenceTask: tells the service the user's column order (the subscription store's
// columns not marked deleted, in their order) and, once the service has it, clears the time of
// the last local reordering ("SubSequenceLocalChangeTime"), so a later account sync applies the
// service's order again. The guest's order stays local: the task ends at once with 0.
//
// Muted (no finish notice). Made by the facade when a user reorders columns and by the account
// sync. Runs on the "task" thread like every task.
#pragma once

#include "engine/core/HttpTask.h"

namespace zu {

class SaveSubSequenceTask : public HttpTask {
 public:
  SaveSubSequenceTask();

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
};

}  // namespace zu
