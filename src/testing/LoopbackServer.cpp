#include "testing/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace zu {
namespace {

constexpr size_t kMaxHeaderBytes = 1 << 20;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

const char* reasonPhrase(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

// One accepted connection: its socket, and its TLS session when the server speaks TLS.
struct Channel {
  int fd;
  SSL* ssl;
};

bool sendAll(const Channel& channel, std::string_view data) {
  while (!data.empty()) {
    if (channel.ssl) {
      int n = SSL_write(channel.ssl, data.data(), static_cast<int>(data.size()));
      if (n <= 0) return false;
      data.remove_prefix(static_cast<size_t>(n));
      continue;
    }
    ssize_t n = ::send(channel.fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Buffered reading from one connection.
class Reader {
 public:
  explicit Reader(const Channel& channel) : channel_(channel) {}

  // Reads more bytes into the buffer; false at end of stream or on error.
  bool fill() {
    char chunk[16384];
    for (;;) {
      ssize_t n = channel_.ssl ? SSL_read(channel_.ssl, chunk, sizeof chunk)
                               : ::recv(channel_.fd, chunk, sizeof chunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<size_t>(n));
      return true;
    }
  }

  // Takes text up to and including `delimiter`; nullopt when the stream ends first or the
  // text grows past `limit`.
  std::optional<std::string> takeUntil(std::string_view delimiter, size_t limit) {
    for (;;) {
      size_t at = buffer_.find(delimiter);
      if (at != std::string::npos) {
        std::string out = buffer_.substr(0, at + delimiter.size());
        buffer_.erase(0, at + delimiter.size());
        return out;
      }
      if (buffer_.size() > limit || !fill()) return std::nullopt;
    }
  }

  std::optional<std::string> take(size_t count) {
    while (buffer_.size() < count) {
      if (!fill()) return std::nullopt;
    }
    std::string out = buffer_.substr(0, count);
    buffer_.erase(0, count);
    return out;
  }

  bool empty() const { return buffer_.empty(); }

 private:
  Channel channel_;
  std::string buffer_;
};

std::optional<std::string> readChunkedBody(Reader& reader) {
  std::string body;
  for (;;) {
    auto line = reader.takeUntil("\r\n", 1024);
    if (!line) return std::nullopt;
    size_t size = 0;
    try {
      size = std::stoul(*line, nullptr, 16);
    } catch (...) {
      return std::nullopt;
    }
    if (size == 0) break;
    auto data = reader.take(size + 2);
    if (!data) return std::nullopt;
    body.append(*data, 0, size);
  }
  // Trailer fields, up to the empty line.
  for (;;) {
    auto line = reader.takeUntil("\r\n", kMaxHeaderBytes);
    if (!line) return std::nullopt;
    if (*line == "\r\n") return body;
  }
}

// Reads one request; nullopt when the connection ends or the request is malformed. A client
// that waits for "100 Continue" before its body is told to go on.
std::optional<LoopbackServer::Request> readRequest(Reader& reader, const Channel& channel) {
  auto head = reader.takeUntil("\r\n\r\n", kMaxHeaderBytes);
  if (!head) return std::nullopt;
  LoopbackServer::Request request;
  std::string_view text(*head);
  size_t lineEnd = text.find("\r\n");
  std::string_view line = text.substr(0, lineEnd);
  size_t sp1 = line.find(' ');
  size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos) return std::nullopt;
  request.method = std::string(line.substr(0, sp1));
  request.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
  request.version = std::string(line.substr(sp2 + 1));
  size_t q = request.target.find('?');
  request.path = request.target.substr(0, q);
  if (q != std::string::npos) request.query = request.target.substr(q + 1);

  text.remove_prefix(lineEnd + 2);
  while (!text.empty()) {
    size_t end = text.find("\r\n");
    std::string_view field = text.substr(0, end);
    text.remove_prefix(end + 2);
    if (field.empty()) break;
    size_t colon = field.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    request.headers.emplace_back(std::string(trim(field.substr(0, colon))),
                                 std::string(trim(field.substr(colon + 1))));
  }

  auto expect = request.header("Expect");
  if (expect && equalsIgnoringCase(*expect, "100-continue")) {
    if (!sendAll(channel, "HTTP/1.1 100 Continue\r\n\r\n")) return std::nullopt;
  }
  auto transfer = request.header("Transfer-Encoding");
  if (transfer && equalsIgnoringCase(*transfer, "chunked")) {
    auto body = readChunkedBody(reader);
    if (!body) return std::nullopt;
    request.body = std::move(*body);
  } else if (auto length = request.header("Content-Length")) {
    size_t size = 0;
    try {
      size = std::stoul(*length);
    } catch (...) {
      return std::nullopt;
    }
    auto body = reader.take(size);
    if (!body) return std::nullopt;
    request.body = std::move(*body);
  }
  return request;
}

bool wantsKeepAlive(const LoopbackServer::Request& request) {
  auto connection = request.header("Connection");
  if (request.version == "HTTP/1.0") {
    return connection && equalsIgnoringCase(*connection, "keep-alive");
  }
  return !(connection && equalsIgnoringCase(*connection, "close"));
}

std::string hexSize(size_t size) {
  char text[32];
  std::snprintf(text, sizeof text, "%zx\r\n", size);
  return text;
}

}  // namespace

std::optional<std::string> LoopbackServer::Request::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equalsIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

LoopbackServer::Response LoopbackServer::Response::text(int status, std::string body,
                                                        std::string contentType) {
  Response response;
  response.status = status;
  response.body = std::move(body);
  response.headers.emplace_back("Content-Type", std::move(contentType));
  return response;
}

namespace {

// The key and self-signed certificate every TLS server of the process presents: made once, for
// the names "127.0.0.1", "localhost" and LoopbackServer::kProxiedTlsName (reached through the
// tests' proxy), valid from an hour ago for a day.
struct TestIdentity {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  std::string pem;
};

bool addExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!extension) return false;
  bool ok = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return ok;
}

const TestIdentity& testIdentity() {
  static const TestIdentity identity = [] {
    TestIdentity id;
    id.key = EVP_EC_gen("P-256");
    id.certificate = X509_new();
    if (!id.key || !id.certificate) throw std::runtime_error("test certificate: no key");
    X509_set_version(id.certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(id.certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(id.certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(id.certificate), 24 * 3600);
    X509_set_pubkey(id.certificate, id.key);
    X509_NAME* name = X509_get_subject_name(id.certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(id.certificate, name);
    if (!addExtension(id.certificate, NID_basic_constraints, "critical,CA:TRUE") ||
        !addExtension(id.certificate, NID_subject_alt_name,
                      (std::string("IP:127.0.0.1,DNS:localhost,DNS:") + LoopbackServer::kProxiedTlsName).c_str()) ||
        X509_sign(id.certificate, id.key, EVP_sha256()) == 0) {
      throw std::runtime_error("test certificate: cannot sign");
    }
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, id.certificate);
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    id.pem.assign(data, static_cast<size_t>(length));
    BIO_free(bio);
    return id;
  }();
  return identity;
}

}  // namespace

const std::string& LoopbackServer::testCertificatePem() { return testIdentity().pem; }

uint16_t LoopbackServer::closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

std::string LoopbackServer::gzipCompress(std::string_view data) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  std::string out(deflateBound(&zs, data.size()) + 32, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

LoopbackServer::LoopbackServer(Scheme scheme) {
  if (scheme == Scheme::kHttps) {
    const TestIdentity& identity = testIdentity();
    tls_ = SSL_CTX_new(TLS_server_method());
    if (!tls_ || SSL_CTX_use_certificate(tls_, identity.certificate) != 1 ||
        SSL_CTX_use_PrivateKey(tls_, identity.key) != 1) {
      if (tls_) SSL_CTX_free(tls_);
      throw std::runtime_error("loopback TLS set-up failed");
    }
  }
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, kListenBacklog) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(listenFd_);
    throw std::runtime_error(std::string("loopback listen failed: ") + std::strerror(errno));
  }
  port_ = ntohs(addr.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stop();
  if (tls_) SSL_CTX_free(tls_);
}

void LoopbackServer::stop() {
  if (stopped_) return;
  stopped_ = true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    // Wakes blocked reads and writes; the fds themselves are closed by their threads, under
    // the lock, so a number here is never one that was reused.
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  ::shutdown(listenFd_, SHUT_RDWR);  // makes a blocked accept() return
  acceptThread_.join();
  ::close(listenFd_);
  std::map<int, std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
    endedWorkers_.clear();
  }
  for (auto& [number, t] : workers) t.join();
}

void LoopbackServer::reapEndedWorkers() {
  std::vector<std::thread> ended;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int number : endedWorkers_) {
      auto it = workers_.find(number);
      if (it == workers_.end()) continue;
      ended.push_back(std::move(it->second));
      workers_.erase(it);
    }
    endedWorkers_.clear();
  }
  for (std::thread& t : ended) t.join();
}

std::string LoopbackServer::baseUrl() const {
  return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_);
}

std::string LoopbackServer::url(std::string_view target) const {
  return baseUrl() + std::string(target);
}

void LoopbackServer::setResponse(const std::string& path, Response response) {
  std::lock_guard<std::mutex> lock(mutex_);
  responses_[path] = std::move(response);
}

void LoopbackServer::setHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

size_t LoopbackServer::requestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

int LoopbackServer::connectionCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

bool LoopbackServer::waitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void LoopbackServer::clearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

bool LoopbackServer::stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

bool LoopbackServer::pause(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (delay.count() > 0) changed_.wait_for(lock, delay, [&] { return stopping_; });
  return !stopping_;
}

void LoopbackServer::acceptLoop() {
  for (;;) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (stopping()) return;
      continue;  // transient (e.g. out of fds): keep serving
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    reapEndedWorkers();
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    int number = ++connections_;
    openFds_.insert(fd);
    workers_.emplace(number, std::thread([this, fd, number] { serveConnection(fd, number); }));
  }
}

LoopbackServer::Response LoopbackServer::answerFor(const Request& request) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!handler_) {
      auto it = responses_.find(request.path);
      if (it != responses_.end()) return it->second;
      return Response::text(404, "not found");
    }
    handler = handler_;
  }
  return handler(request);
}

void LoopbackServer::serveConnection(int fd, int number) {
  SSL* ssl = nullptr;
  if (tls_) {
    // OpenSSL writes on its own (alerts, tickets), past MSG_NOSIGNAL: a write to a client that
    // went away must fail with EPIPE here, not end the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    ssl = SSL_new(tls_);
    if (!ssl || SSL_set_fd(ssl, fd) != 1 || SSL_accept(ssl) != 1) {
      ERR_clear_error();
      if (ssl) SSL_free(ssl);
      ssl = nullptr;
      endConnection(fd, number);
      return;
    }
  }
  const Channel channel{fd, ssl};
  Reader reader(channel);
  for (;;) {
    std::optional<Request> request = readRequest(reader, channel);
    if (!request) break;
    request->connection = number;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(*request);
    }
    changed_.notify_all();

    Response response = answerFor(*request);
    if (response.dropWithoutAnswer) break;
    if (!pause(response.delayBeforeHeaders)) break;

    std::string body = response.gzip ? gzipCompress(response.body) : response.body;
    bool noBody = request->method == "HEAD" || response.status == 204 ||
                  response.status == 304 || (response.status >= 100 && response.status < 200);
    bool lengthMismatch =
        !response.chunked && response.contentLength && *response.contentLength != body.size();
    bool closeAfter = response.closeConnection || !wantsKeepAlive(*request) ||
                      (response.noContentLength && !response.chunked) || lengthMismatch ||
                      response.dropAfterBodyBytes.has_value();

    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       (response.reason.empty() ? reasonPhrase(response.status)
                                                : response.reason) +
                       "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (response.gzip) head += "Content-Encoding: gzip\r\n";
    if (response.chunked) {
      head += "Transfer-Encoding: chunked\r\n";
    } else if (!response.noContentLength) {
      head += "Content-Length: " +
              std::to_string(response.contentLength.value_or(body.size())) + "\r\n";
    }
    if (closeAfter) head += "Connection: close\r\n";
    head += "\r\n";
    if (!sendAll(channel, head)) break;
    if (noBody) {
      if (closeAfter) break;
      continue;
    }

    size_t limit = response.dropAfterBodyBytes.value_or(body.size());
    bool ok = true;
    if (response.chunked) {
      size_t chunkLength = response.chunkSize == 0 ? body.size() : response.chunkSize;
      size_t sent = 0;
      for (size_t at = 0; at < body.size(); at += chunkLength) {
        if (at > 0 && !pause(response.delayBetweenChunks)) {
          ok = false;
          break;
        }
        std::string_view chunk = std::string_view(body).substr(at, chunkLength);
        size_t allowed = limit - sent;
        if (chunk.size() > allowed) {
          // Announce the whole chunk, send only part of it, then drop the connection.
          sendAll(channel, hexSize(chunk.size()));
          sendAll(channel, chunk.substr(0, allowed));
          ok = false;
          break;
        }
        ok = sendAll(channel, hexSize(chunk.size()) + std::string(chunk) + "\r\n");
        sent += chunk.size();
        if (!ok) break;
      }
      if (ok) ok = sendAll(channel, "0\r\n\r\n");
    } else {
      ok = sendAll(channel, std::string_view(body).substr(0, std::min(limit, body.size())));
    }
    if (!ok || closeAfter) break;
  }
  if (ssl) SSL_free(ssl);
  endConnection(fd, number);
}

void LoopbackServer::endConnection(int fd, int number) {
  std::lock_guard<std::mutex> lock(mutex_);
  openFds_.erase(fd);
  ::close(fd);
  endedWorkers_.push_back(number);
}

}  // namespace zu
