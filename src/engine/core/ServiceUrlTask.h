// ServiceUrlTask: the base of a task whose first request needs an endpoint from the URL table.
// run() borrows an engine; when the table was never filled, the service URL feed is fetched on
// that engine first (a GetServiceUrlInnerTask, which hands the engine's observer slot back to
// the task when it ends; its failure ends the task with its code and text). Either way
// onServiceUrlReady() then issues the task's first request. A task with work of its own before
// that overrides run(), borrows its engine (HttpTask::run) and calls startWithServiceUrl().
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
  // Fills the URL table first when it never was, then onServiceUrlReady(); needs httpEngine().
  void startWithServiceUrl();
  // The URL table is filled: issue the first request on httpEngine(), or end the task.
  virtual void onServiceUrlReady() = 0;
  // True when this task fetched the table (it was not filled when the task started).
  bool serviceUrlFetched() const { return serviceUrlFetched_; }

 private:
  bool serviceUrlFetched_ = false;
};

}  // namespace zu
