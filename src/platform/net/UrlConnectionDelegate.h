// UrlConnectionDelegate: hears one UrlConnection's events, on the run loop of the thread that
// started the connection, never from inside libcurl. Order: at most one response, then data
// (and, for a request with a body, sent-body progress), then exactly one of finish or failure.
// After the connection is cancelled nothing more arrives. Not retained by the connection: the
// delegate cancels its connection before it goes away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/net/UrlError.h"
#include "platform/net/UrlResponse.h"

namespace zu {

class UrlConnection;

class UrlConnectionDelegate {
 public:
  virtual ~UrlConnectionDelegate() = default;
  virtual void connectionDidReceiveResponse(UrlConnection& connection,
                                            const std::shared_ptr<const UrlResponse>& response) = 0;
  virtual void connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                        size_t length) = 0;
  // The same bytes handed over as a buffer the delegate may keep (saves a copy of large
  // bodies); by default they go to connectionDidReceiveData.
  virtual void connectionDidReceiveDataBuffer(UrlConnection& connection,
                                              std::vector<uint8_t>&& data) {
    connectionDidReceiveData(connection, data.data(), data.size());
  }
  // `bytesWritten` since the last call, `totalBytesWritten` so far, `totalBytesExpected`.
  virtual void connectionDidSendBodyData(UrlConnection& /*connection*/, int64_t /*bytesWritten*/,
                                         int64_t /*totalBytesWritten*/,
                                         int64_t /*totalBytesExpected*/) {}
  virtual void connectionDidFinishLoading(UrlConnection& connection) = 0;
  virtual void connectionDidFailWithError(UrlConnection& connection, const UrlError& error) = 0;
};

}  // namespace zu
