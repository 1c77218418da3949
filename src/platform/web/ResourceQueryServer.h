// ResourceQueryServer: answers the web processes' question "does the application answer this
// sub-resource?" for pages loaded from an address, where only what the WebResourceProvider
// holds is answered by the application, and only while the network cannot be reached (its
// networkReachable()); the rest stays with the engine. The question must be answered before the
// web process lets the request go, and the engine offers no synchronous channel of its own, so
// the extension asks over a Unix socket of ours.
//
// Protocol, per connection: the extension writes an address and "\n"; the server answers one
// byte, '1' (held, and offline) or '0'. Addresses longer than kMaxLine are answered '0'.
//
// Made once by the WebEngine and kept for the process's life; its socket and folder are
// removed when the engine is parked at the process's end. One thread accepts; each
// connection (one per web process) gets a thread of its own, ended when the peer closes.
// WebResourceProvider::holds is called on those threads.
#pragma once

#include <cstddef>
#include <string>

namespace zu::web {

class ResourceQueryServer {
 public:
  static constexpr size_t kMaxLine = 64 * 1024;

  // Listens on a socket in a fresh private folder; null (with a log line) on failure.
  static ResourceQueryServer* start();

  const std::string& path() const { return path_; }
  // Removes the socket and its folder (at the process's end; nothing can connect afterwards).
  void removeSocket();

 private:
  ResourceQueryServer() = default;
  void acceptLoop();
  static void serve(int fd);

  int listenFd_ = -1;
  std::string path_;
};

}  // namespace zu::web
