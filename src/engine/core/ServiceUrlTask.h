// ServiceUrlTask: the base of a task whose first request needs an endpoint from the URL table.
// run() borrows an engine; when the table was never filled, the service URL feed is fetched on
// that engine first (a GetServiceUrlInnerTask; its failure ends the task with its code and
// text), then the task takes the engine's observer slot back. Either way onServiceUrlReady()
// then issues the task's first request.
//
// Runs on the "task" thread like every task.
#pragma once

#include <optional>
#include <string>

#include "engine/core/GetServiceUrlInnerTaskDelegate.h"
#include "engine/core/HttpTask.h"

namespace zu {

class ServiceUrlTask : public HttpTask, public GetServiceUrlInnerTaskDelegate {
 public:
  void run() override;
  void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 protected:
  // The URL table is filled: issue the first request on httpEngine(), or end the task.
  virtual void onServiceUrlReady() = 0;
};

}  // namespace zu
