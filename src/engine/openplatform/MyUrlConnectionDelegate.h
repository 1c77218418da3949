// MyUrlConnectionDelegate: hears a MyUrlConnection's end, on the run loop of the thread that
// started it. Held weakly by the connection: a delegate that is gone hears nothing more.
#pragma once

#include "platform/net/UrlError.h"

namespace zu {

class MyUrlConnection;

class MyUrlConnectionDelegate {
 public:
  virtual ~MyUrlConnectionDelegate() = default;
  // The response header arrived; the connection's statusCode() is set and its bytes emptied.
  virtual void myConnectionDidReceiveResponse(MyUrlConnection& /*connection*/) {}
  virtual void myConnectionDidFinishLoading(MyUrlConnection& connection) = 0;
  virtual void myConnectionDidFailWithError(MyUrlConnection& connection,
                                            const UrlError& error) = 0;
};

}  // namespace zu
