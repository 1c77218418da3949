// HttpTask: the base of every task that talks to the service over HTTP. While it runs it holds
// an HttpEngine borrowed from the engine manager (through HttpEngineHooks) and is that engine's
// observer; its result comes back on the "task" thread through onHttpEngineResult, passes the
// process-wide HTTP result parser, and ends in onHttpSuccess (the concrete task parses and
// delivers) or onHttpError (finish with the code).
//
// A concrete task overrides run(): HttpTask::run() first, then, when httpEngine() is set (it is
// not when the task already finished because no engine could be had), issues its request on it.
// It overrides onHttpSuccess() and, where needed, onHttpError() and finish().
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/Task.h"
#include "engine/http/HttpEngineObserver.h"

namespace zu {

class HttpEngineHooks;

// Decides whether a reply is a success to be parsed (true) or a failure (false, with `code`
// and, as a rule, `desc` filled in). The caller presets code to -1 and desc to nullopt.
using HttpErrorParser = bool (*)(int status, const HttpResponse& response, int* code,
                                 std::optional<std::string>* desc);

// Status 200 is a success; any other status fails with GetHttpSCErrorCode(status) and its text.
bool basicHttpErrorParser(int status, const HttpResponse& response, int* code,
                          std::optional<std::string>* desc);

// The text the result roads log for a reply: "not found" for a 404, else the body read as
// UTF-8 ("(null)" when it is not UTF-8), cut to its first 1024 UTF-16 units when longer.
std::string httpResponseLogText(int status, const HttpResponse& response);

class HttpTask : public Task, public HttpEngineObserver {
 public:
  // Installs the parser for the whole process; null installs basicHttpErrorParser.
  static void setHttpErrorParser(HttpErrorParser parser);
  static HttpErrorParser httpErrorParser();

  // Task::run(), then borrows an engine and becomes its observer; without one the task
  // finishes with -8.
  void run() override;
  // Cancels the engine's exchange: a busy engine reports -6 at once, which finishes the task.
  void cancel() override;

  // The result road (on the "task" thread): transport errors, then the parser.
  void onHttpEngineResult(HttpEngine* engine, int errCode,
                          const std::shared_ptr<HttpResponse>& response) override;
  // Finishes with the code and text.
  virtual void onHttpError(int errCode, const std::optional<std::string>& errDesc);
  // Base version only logs "HttpTask onHttpSuccess in fail."; concrete tasks replace it.
  virtual void onHttpSuccess(const std::shared_ptr<HttpResponse>& response);

  // The borrowed engine while the task runs, else null.
  const std::shared_ptr<HttpEngine>& httpEngine() const { return httpEngine_; }

 protected:
  // Gives the engine back before the finish is reported.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;
  // The hooks the engine was borrowed through (null before run()).
  const std::shared_ptr<HttpEngineHooks>& hooks() const { return hooks_; }

 private:
  std::shared_ptr<HttpEngine> httpEngine_;
  std::shared_ptr<HttpEngineHooks> hooks_;
};

}  // namespace zu
