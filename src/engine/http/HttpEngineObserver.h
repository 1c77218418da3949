// HttpEngineObserver: the receiver of an HttpEngine's results. The engine calls it on the run
// loop of the thread that started the exchange (the "task" thread for tasks) and keeps it
// unretained: the observer must outlive the exchange or be cleared from the engine first.
// Exactly one onHttpEngineResult per started operation; progress callbacks are optional.
#pragma once

#include <cstdint>
#include <memory>

namespace zu {

class HttpEngine;
class HttpResponse;

class HttpEngineObserver {
 public:
  virtual ~HttpEngineObserver() = default;
  // `errCode` 0 with the response, or an engine error code (the response may then be null).
  virtual void onHttpEngineResult(HttpEngine* engine, int errCode,
                                  const std::shared_ptr<HttpResponse>& response) = 0;
  // Downloads: bytes so far and the expected total.
  virtual void onReceivedSize(int64_t /*receivedSize*/, int64_t /*totalSize*/) {}
  // Uploads: bytes sent so far and the expected total.
  virtual void onSentSize(int64_t /*sentSize*/, int64_t /*totalSize*/) {}
};

}  // namespace zu
