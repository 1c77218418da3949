// LoopbackServer: an HTTP/1.1 server on 127.0.0.1 (ephemeral port) for tests that need a real
// peer, over plain TCP or over TLS (Scheme::kHttps) with a certificate for "127.0.0.1",
// "localhost" and kProxiedTlsName made for this process; tests trust it through testCertificatePem(). Written over raw POSIX sockets so a test controls every byte: status, headers, body,
// chunked transfer, gzip bodies, delays before the headers and between chunks, connections
// dropped before the answer or part way through the body, a Content-Length that does not match
// the body, and keep-alive.
//
// Answers come from a handler callback when one is set, otherwise from responses set per path
// (the request path without its query); any other path gets 404. Every complete request is
// recorded (method, target, headers, body, connection number) before it is answered.
//
// The server runs on its own threads (one accepting, one per connection) from construction to
// stop() or destruction. All public methods are thread-safe. Stopping is prompt: it wakes any
// delay, shuts every socket down and joins every thread, so it never hangs on a slow client.
// Once stop() has returned no handler runs any more, so a handler may use what lives as long
// as the server; state a test body owns belongs in the handler itself (captured by value,
// shared_ptr), because the test body ends before its fixture's server stops.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

namespace zu {

class LoopbackServer {
 public:
  using Headers = std::vector<std::pair<std::string, std::string>>;

  struct Request {
    std::string method;
    std::string target;  // path and query as sent, e.g. "/feed?page=2"
    std::string path;    // target without the query
    std::string query;   // text after '?', empty when none
    std::string version; // "HTTP/1.1"
    Headers headers;     // in order, names as sent
    std::string body;    // de-chunked when the request was chunked
    int connection = 0;  // 1 for the first accepted connection, 2 for the next...

    // First header of that name (compared without regard to case), or nullopt.
    std::optional<std::string> header(std::string_view name) const;
  };

  struct Response {
    int status = 200;
    std::string reason;  // empty: the standard phrase for the status
    Headers headers;     // sent as given, in order
    std::string body;    // the body before any gzip encoding

    // Send the body gzip-compressed with "Content-Encoding: gzip".
    bool gzip = false;
    // Send "Transfer-Encoding: chunked"; the (encoded) body is cut into chunks of chunkSize
    // bytes (0: one chunk).
    bool chunked = false;
    size_t chunkSize = 0;
    // Content-Length to announce instead of the real one (not for chunked). When it does not
    // match the body, the connection is closed after the body.
    std::optional<size_t> contentLength;
    // Send no Content-Length (and no chunking): the body ends when the connection closes.
    bool noContentLength = false;
    // Add "Connection: close" and close after the answer.
    bool closeConnection = false;

    std::chrono::milliseconds delayBeforeHeaders{0};
    std::chrono::milliseconds delayBetweenChunks{0};

    // Close the connection right after reading the request, sending nothing.
    bool dropWithoutAnswer = false;
    // Close the connection after this many bytes of the (encoded) body have been sent
    // (headers included in full; chunk framing not counted).
    std::optional<size_t> dropAfterBodyBytes;

    static Response text(int status, std::string body, std::string contentType = "text/plain");
  };

  using Handler = std::function<Response(const Request&)>;

  // Connections the kernel queues before they are accepted: enough for hundreds of clients
  // connecting at once.
  static constexpr int kListenBacklog = 1024;

  enum class Scheme { kHttp, kHttps };
  // A name the TLS servers' certificate holds too: one that no resolver knows, for a server
  // reached through a proxy that alone takes it for 127.0.0.1 (LoopbackProxy).
  static constexpr const char* kProxiedTlsName = "tls.zu-test.invalid";

  // Binds and starts listening; throws std::runtime_error when no socket (or, for kHttps, no
  // TLS set-up) can be had.
  explicit LoopbackServer(Scheme scheme = Scheme::kHttp);
  // Stops.
  ~LoopbackServer();
  // Stops serving: closes the listening socket and every connection and joins every thread.
  // Idempotent; the server answers nothing afterwards.
  void stop();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" ("https://..." over TLS)
  std::string baseUrl() const;
  // baseUrl() + target ("/path?query").
  std::string url(std::string_view target) const;

  // The answer for one path (without query). Replaces an earlier one for that path.
  void setResponse(const std::string& path, Response response);
  // Answers every request (takes precedence over setResponse). Called on a connection thread.
  void setHandler(Handler handler);

  std::vector<Request> requests() const;
  size_t requestCount() const;
  // Number of accepted connections so far.
  int connectionCount() const;
  // Waits (on a condition variable, not by polling) until at least `count` requests have been
  // recorded; false on timeout.
  bool waitForRequests(size_t count, std::chrono::milliseconds timeout) const;
  void clearRequests();

  // Gzip (RFC 1952) of `data`, for building expected bodies in tests.
  static std::string gzipCompress(std::string_view data);
  // A port on 127.0.0.1 that nobody listens on (bound once, then released), for refused
  // connections.
  static uint16_t closedPort();
  // The self-signed certificate (PEM) every TLS server of this process presents.
  static const std::string& testCertificatePem();

 private:
  class Connection;

  void acceptLoop();
  // Joins the connection threads that have ended (accepting thread only).
  void reapEndedWorkers();
  void serveConnection(int fd, int number);
  // Closes a connection's socket and lists its thread as ended.
  void endConnection(int fd, int number);
  Response answerFor(const Request& request);
  // Waits up to `delay` or until the server stops; false when stopping.
  bool pause(std::chrono::milliseconds delay);
  bool stopping() const;

  int listenFd_ = -1;
  uint16_t port_ = 0;
  SSL_CTX* tls_ = nullptr;  // set for kHttps
  bool stopped_ = false;  // stop() has finished (touched by the owning thread only)

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  std::map<std::string, Response> responses_;
  Handler handler_;
  std::vector<Request> requests_;
  int connections_ = 0;
  std::set<int> openFds_;
  // Connection threads by connection number; those whose connection ended are listed in
  // `endedWorkers_` and joined by the accepting thread, so a long run of short connections does
  // not pile up threads.
  std::map<int, std::thread> workers_;
  std::vector<int> endedWorkers_;
  std::thread acceptThread_;
};

}  // namespace zu
