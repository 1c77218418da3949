// LoopbackProxy: an HTTP forward proxy on 127.0.0.1 (ephemeral port) for tests of the client's
// way through a proxy. It forwards requests in absolute form ("GET http://host:port/path") and
// tunnels CONNECT ("CONNECT host:port", for https), to the hosts it knows alone: the names given
// to it, which it takes for 127.0.0.1 (the port as asked), and 127.0.0.1 itself. Names no
// resolver knows (under ".invalid") given to it make the proxy the only way to those servers:
// a client that does not go through it cannot even find them. Any other host gets 502.
//
// Every request it is asked is recorded (method, host, port, target, user agent) before it is forwarded; a
// listener set with the constructor hears each one too (on the proxy's thread). A forwarded
// exchange ends its connection: the proxy asks the server to close after its answer and tells
// the client the connection closes, so each request is seen here on its own.
//
// The proxy runs on one thread of its own (poll over every socket) from construction to stop()
// or destruction; stopping closes every connection and joins it. Public methods are
// thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zu {

class LoopbackProxy {
 public:
  struct Request {
    std::string method;  // "GET", "CONNECT"...
    std::string host;    // as asked, lower case
    uint16_t port = 0;
    std::string target;  // the request's target as sent ("http://host:port/path", "host:port")
    std::string userAgent;  // its User-Agent field, "" when none
  };
  using Listener = std::function<void(const Request&)>;

  // Binds and starts; throws std::runtime_error when no socket can be had. `names`: the host
  // names it takes for 127.0.0.1.
  explicit LoopbackProxy(std::set<std::string> names, Listener listener = nullptr);
  ~LoopbackProxy();
  LoopbackProxy(const LoopbackProxy&) = delete;
  LoopbackProxy& operator=(const LoopbackProxy&) = delete;
  // Closes every connection and ends the thread. Idempotent.
  void stop();

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>", the proxy's address for a client.
  std::string address() const;

  std::vector<Request> requests() const;
  // The requests asked for `host`.
  std::vector<Request> requestsFor(const std::string& host) const;
  // Waits (on a condition variable) until at least `count` requests were asked for `host`;
  // false on timeout.
  bool waitForRequests(const std::string& host, size_t count, std::chrono::milliseconds timeout) const;

 private:
  struct Connection;

  void run();
  // Reads a complete request head of `c` and starts its exchange; false when it must end.
  bool startExchange(Connection& c);
  // Connects to the host asked; -1 when it is not one of the proxy's.
  int connectUpstream(const std::string& host, uint16_t port) const;

  const std::set<std::string> names_;
  const Listener listener_;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  bool stopped_ = false;  // owning thread only

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Request> requests_;
};

}  // namespace zu
