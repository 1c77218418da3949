// MyUrlConnection: one request of an open-platform client, with what the client needs when it
// ends: a flag saying what the request was for, a carried value (the text of a two-step
// picture post), the response bytes and the HTTP status.
//
// createConnection() starts the request at once on the calling thread's run loop (the main
// thread for the clients). The connection keeps itself alive until it ends, whether or not the
// client still holds it: a client that replaces its connection drops the reference (and calls
// destroy()) without cancelling, as the clients always have. cancel() stops it for good. The
// delegate is held weakly.
#pragma once

#include <memory>
#include <string>

#include "engine/openplatform/MyUrlConnectionDelegate.h"
#include "platform/net/UrlConnection.h"
#include "platform/net/UrlRequest.h"
#include "platform/runtime/Value.h"

namespace zu {

class MyUrlConnection : public UrlConnectionDelegate,
                        public std::enable_shared_from_this<MyUrlConnection> {
 public:
  // What a connection is for.
  enum Flag : int {
    kFlagUserInfo = 2,
    kFlagPost = 3,
    kFlagPostPic = 4,
    kFlagRenrenSession = 100,
  };

  // Starts the request with that delegate and flag.
  static std::shared_ptr<MyUrlConnection> createConnection(
      UrlRequest request, const std::weak_ptr<MyUrlConnectionDelegate>& delegate, int flag,
      Value obID = Value());

  ~MyUrlConnection() override;
  MyUrlConnection(const MyUrlConnection&) = delete;
  MyUrlConnection& operator=(const MyUrlConnection&) = delete;

  int flag() const { return flag_; }
  const Value& obID() const { return obID_; }
  int statusCode() const { return statusCode_; }
  const Bytes& responseData() const { return responseData_; }
  std::string responseText() const;
  const UrlRequest& request() const;

  // Appends a received chunk (the bytes are made with the first chunk).
  bool onReceiveData(const uint8_t* data, size_t length);
  // Drops the response bytes; the request goes on.
  void destroy();
  // Stops the request; nothing more reaches the delegate.
  void cancel();

  void connectionDidReceiveResponse(UrlConnection& connection,
                                    const std::shared_ptr<const UrlResponse>& response) override;
  void connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                size_t length) override;
  void connectionDidFinishLoading(UrlConnection& connection) override;
  void connectionDidFailWithError(UrlConnection& connection, const UrlError& error) override;

 private:
  MyUrlConnection(int flag, Value obID, std::weak_ptr<MyUrlConnectionDelegate> delegate);

  int flag_;
  Value obID_;
  Bytes responseData_;
  int statusCode_ = 0;
  std::weak_ptr<MyUrlConnectionDelegate> delegate_;
  std::shared_ptr<UrlConnection> connection_;
  // Held while the request runs.
  std::shared_ptr<MyUrlConnection> self_;
};

}  // namespace zu
