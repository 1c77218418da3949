// ServiceErrorReport: one fire-and-forget report of a failed service request: the report
// document is POSTed ("Content-Type: application/xml") to the error-report endpoint on an HTTP
// engine of its own (not the engine manager's, so no cookie or credentials go with it). Nothing
// waits for it and its outcome is neither reported nor retried. The calling thread keeps the
// report and its engine until the engine's one result arrives, then lets both go; a report
// still waiting when that thread ends goes with it (its answer can no longer be delivered).
//
// send() runs the exchange on the calling thread's run loop, which must be turned.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "engine/http/HttpEngineObserver.h"
#include "platform/runtime/Value.h"

namespace zu {

class ServiceErrorReport : public HttpEngineObserver,
                           public std::enable_shared_from_this<ServiceErrorReport> {
 public:
  // Starts the report; false (nothing sent) for a missing URL or document.
  static bool send(const std::optional<std::string>& url, std::optional<Bytes> document);
  // Reports sent and still waiting for their answer, on every thread.
  static size_t pendingCount();

  // Stops hearing from the engine, before the report lets it go.
  void detach();

  void onHttpEngineResult(HttpEngine* engine, int errCode,
                          const std::shared_ptr<HttpResponse>& response) override;

 private:
  ServiceErrorReport() = default;

  std::shared_ptr<HttpEngine> engine_;
};

}  // namespace zu
