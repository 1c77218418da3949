// BoundedHttpServer: the sample service's HTTP server, cpp-httplib's server with bounds on what
// one client may hold of it, so a hostile or broken client can neither fill its memory nor keep
// its workers:
// - a request's line and headers must be complete within kHeaderSeconds of its first byte, and
//   take at most kMaxHeaderBytes; else the connection is closed (a client sending its headers a
//   byte at a time would keep a worker for as long as it liked: the library's read timeout only
//   bounds the pause between two bytes);
// - its body, likewise, must come within kHeaderSeconds of the headers and a second more for
//   each kBodyBytesPerSecond of it (so on average no slower than that, after a start); else it
//   is answered 408 and the connection closed;
// - a body of more than the bound given (as sent: a chunked body counted with its framing) is
//   answered 413 and the connection closed: a declared length above it before any of the body is
//   read (also instead of a "100 Continue"), a chunked one once it passes it;
// - an encoded body (a Content-Encoding other than identity) is answered 415: the library would
//   inflate it whole, whatever it inflates to.
// Everything else is the library's server: its handlers, keep-alive (each connection waits up to
// the keep-alive time for its next request), read and write timeouts, worker pool.
//
// Made, configured and run like httplib::Server (set_pre_routing_handler, set_error_handler and
// set_expect_100_continue_handler are its own: the bounds use them). Each connection is served on
// one worker thread from first byte to close.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zu {

class BoundedHttpServer : public httplib::Server {
 public:
  static constexpr std::chrono::seconds kHeaderSeconds{5};
  static constexpr size_t kMaxHeaderBytes = size_t{64} << 10;
  static constexpr size_t kBodyBytesPerSecond = size_t{64} << 10;

  explicit BoundedHttpServer(size_t maxBodyBytes);

  // A request's declared Content-Length; nullopt when there is none or it is not a number.
  static std::optional<uint64_t> declaredLength(const httplib::Request& req);

 private:
  class Connection;

  // Serves one accepted connection (run by the library on a worker), request after request.
  bool process_and_close_socket(socket_t sock) override;
  // Waits up to the keep-alive time for the connection's next request; false when none came or
  // the server stops.
  bool waitForRequest(socket_t sock) const;

  const size_t maxBodyBytes_;
};

}  // namespace zu
