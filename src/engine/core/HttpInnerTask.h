// HttpInnerTask: a sub-request that a task runs on an HTTP engine it already holds (its own or
// an extra one from the engine manager). It has no task id, is never on the running list and
// never reports to the finish observer: each subclass reports to its owner through a delegate
// of its own, from finish().
//
// Lifetime: run() makes the inner task keep itself alive until done(), so the owner may drop
// its reference right after run(). done() is honoured once; when it is called inside run()
// (everything settled without a request), the finish is posted to the current run loop so the
// owner hears of it only after run() has returned.
//
// The engine is lent (EngineLoan): the inner task is its observer from its construction and
// hands it back to the observer before it when it finishes, before its owner hears of the
// finish, or at the latest when it is destroyed. Everything happens on the thread that runs
// the engine (the "task" thread). An inner task given an engine while no HttpEngineHooks are
// installed cannot hear that engine's results: its run() finishes it at once with -8 instead
// of starting it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/EngineLoan.h"
#include "engine/http/HttpEngineObserver.h"
#include "platform/runtime/Object.h"

namespace zu {

class HttpInnerTask : public Object, public HttpEngineObserver {
 public:
  // Retains the engine and takes it on loan (through the installed hooks, when there are any).
  explicit HttpInnerTask(std::shared_ptr<HttpEngine> engine);
  ~HttpInnerTask() override;

  // Keeps the task alive and performs start(). Once only; later calls are ignored.
  void run();
  // Ends the task once (see the class comment); later calls are ignored.
  void done(int errCode, std::optional<std::string> errDesc);
  bool isDone() const { return doneCalled_; }

  // Transport errors and parser failures go to onHttpError, successes to onHttpSuccess.
  void onHttpEngineResult(HttpEngine* engine, int errCode,
                          const std::shared_ptr<HttpResponse>& response) override;
  // Base versions only log "HttpInnerTask onHttpError in fail." / "... onHttpSuccess in fail.".
  virtual void onHttpError(int errCode, const std::optional<std::string>& errDesc);
  virtual void onHttpSuccess(const std::shared_ptr<HttpResponse>& response);

  const std::shared_ptr<HttpEngine>& httpEngine() const { return loan_.engine(); }
  virtual std::string className() const;

 protected:
  // The subclass's work: issue the first request on httpEngine(), or settle everything and
  // call done().
  virtual void start() = 0;
  // Tells the owner (the subclass's delegate) that the task finished.
  virtual void finish(int errCode, const std::optional<std::string>& errDesc) = 0;

 private:
  EngineLoan loan_;
  std::shared_ptr<HttpInnerTask> self_;  // set from run() to the finish
  bool started_ = false;
  bool inRun_ = false;
  bool doneCalled_ = false;
};

}  // namespace zu
