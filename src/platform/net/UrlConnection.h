// UrlConnection: one asynchronous HTTP(S) exchange over libcurl, the platform's URL connection.
//
// start() begins the exchange at once (the request may already be sent when it returns);
// every event reaches the delegate later, on the run loop of the thread that called start()
// (that thread must turn its loop): at most one response (the final one, after redirects), the
// body data, sent-body progress, then exactly one of finish or failure. All connections started
// on one thread share one libcurl multi handle; its sockets and its timer (a timerfd) sit in
// one epoll set that the thread's RunLoop watches, so connections to the same host reuse their
// sockets. libcurl's callbacks only record what happened; the delegate is called after libcurl
// has returned, so it may cancel this or any other connection, start new ones, or turn the run
// loop.
//
// cancel() is safe from any delegate callback and from the starting thread at any time: no
// event is delivered after it. Connections are owned by the thread that started them; the
// delegate is not retained and must cancel the connection before it goes away (a running
// connection keeps itself alive until it ends or is cancelled).
//
// Transport choices: redirects are followed; no cookie engine and no authentication (the
// caller answers 401 itself); transparent gzip/deflate decoding unless the request carries its
// own "Accept-Encoding" or a "Range"; no "Expect: 100-continue"; certificates and host names
// are verified; http and https only; through the desktop's proxy (DesktopProxy's answer when
// the transfer starts), never one libcurl itself reads from the environment. The time-out is an
// idle time-out: it bounds connecting and any stretch of time in which no byte moves in either
// direction, never the length of the whole transfer. Failures carry the platform's URL error
// codes (UrlError).
//
// sendSync() runs one exchange on the calling thread and blocks until it ends (for the offline
// download's attachment fetches); it does not touch any run loop.
//
// Memory: the first transfer of the process sets the C library's heap to keep up to 16 MiB of
// freed memory and to serve blocks below 4 MiB from the heap, so that bursts of response bodies
// reuse the pages of the previous burst instead of faulting fresh zeroed pages in.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/UrlConnectionDelegate.h"
#include "platform/net/UrlError.h"
#include "platform/net/UrlRequest.h"
#include "platform/net/UrlResponse.h"

namespace zu {

class UrlConnection : public std::enable_shared_from_this<UrlConnection> {
 public:
  static constexpr double kDefaultTimeoutInterval = 60;

  struct SyncResult {
    // Set when the exchange failed (then `response` may still hold a response header).
    std::optional<UrlError> error;
    std::shared_ptr<const UrlResponse> response;
    std::vector<uint8_t> data;
  };

  // Starts the exchange on the calling thread's run loop. `delegate` is not retained.
  static std::shared_ptr<UrlConnection> start(UrlRequest request,
                                              UrlConnectionDelegate* delegate);
  // Runs the exchange on the calling thread and waits for its end.
  static SyncResult sendSync(const UrlRequest& request);

  // The time-out of a request that sets none: 60 s unless a test changed it.
  static double defaultTimeoutInterval();
  // Changes the default time-out for the process (tests); a value <= 0 restores 60 s.
  static void setDefaultTimeoutIntervalForTesting(double seconds);
  // Tests: https servers are verified against this certificate (PEM) alone instead of the
  // system's authorities, for the transfers started afterwards; nullopt restores the system's.
  static void setTrustedCertificateForTesting(std::optional<std::string> pem);

  ~UrlConnection();
  UrlConnection(const UrlConnection&) = delete;
  UrlConnection& operator=(const UrlConnection&) = delete;

  // Stops the exchange; no delegate call follows. Idempotent.
  void cancel();
  // True from start() until the finish, the failure or cancel() has been delivered or made.
  bool isRunning() const;
  const UrlRequest& request() const;

  struct Transfer;  // libcurl state of one exchange (private to the implementation)

 private:
  // `t`: the exchange's state, made in the same allocation as the connection by start() and
  // living as long as it.
  explicit UrlConnection(Transfer& t) : t_(&t) {}
  friend class CurlMulti;

  Transfer* const t_;
};

}  // namespace zu
