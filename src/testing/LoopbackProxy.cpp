#include "testing/LoopbackProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

namespace zu {

namespace {

// A request head longer than this is refused.
constexpr size_t kMaxHead = 64 * 1024;
constexpr const char* kBadGateway = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr const char* kBadRequest = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return text;
}

// The header lines of a head (after its first line), without those about the connection itself,
// which the proxy sets.
std::string endToEndLines(const std::string& head, size_t firstLineEnd) {
  std::string lines;
  size_t at = firstLineEnd + 2;
  while (at < head.size()) {
    const size_t end = head.find("\r\n", at);
    if (end == std::string::npos || end == at) break;
    const std::string line = head.substr(at, end - at);
    const std::string name = lowered(line.substr(0, line.find(':')));
    if (name != "connection" && name != "proxy-connection" && name != "keep-alive" && name != "proxy-authorization") {
      lines += line + "\r\n";
    }
    at = end + 2;
  }
  return lines;
}

// "host:port" or "[v6]:port" (port `fallback` when none), the host lower case.
std::optional<std::pair<std::string, uint16_t>> authority(const std::string& text, uint16_t fallback) {
  std::string host = text;
  std::string port;
  if (!host.empty() && host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) return std::nullopt;
    if (close + 1 < host.size()) {
      if (host[close + 1] != ':') return std::nullopt;
      port = host.substr(close + 2);
    }
    host = host.substr(1, close - 1);
  } else if (const size_t colon = host.rfind(':'); colon != std::string::npos) {
    port = host.substr(colon + 1);
    host = host.substr(0, colon);
  }
  if (host.empty()) return std::nullopt;
  if (port.empty()) return std::make_pair(lowered(host), fallback);
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long number = std::stol(port);
  if (number < 1 || number > 65535) return std::nullopt;
  return std::make_pair(lowered(host), static_cast<uint16_t>(number));
}

}  // namespace

struct LoopbackProxy::Connection {
  int client = -1;
  int upstream = -1;
  std::string head;        // the client's bytes until its request head is complete
  bool started = false;    // forwarding or tunnelling
  std::string toUpstream;
  std::string toClient;
  // A forwarded request's answer: its head is told the connection closes.
  bool rewriteAnswer = false;
  std::string answerHead;
  bool closing = false;  // ends once what is left for the client is sent
  bool ended = false;

  ~Connection() {
    if (client >= 0) ::close(client);
    if (upstream >= 0) ::close(upstream);
  }
};

LoopbackProxy::LoopbackProxy(std::set<std::string> names, Listener listener)
    : names_([&] {
        std::set<std::string> lower;
        for (const auto& name : names) lower.insert(lowered(name));
        return lower;
      }()),
      listener_(std::move(listener)) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof addr;
  if (listenFd_ < 0 || wakeFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 256) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    const std::string reason = std::strerror(errno);
    if (listenFd_ >= 0) ::close(listenFd_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
    throw std::runtime_error("loopback proxy: " + reason);
  }
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { run(); });
}

LoopbackProxy::~LoopbackProxy() { stop(); }

void LoopbackProxy::stop() {
  if (stopped_) return;
  stopped_ = true;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
  ::close(listenFd_);
  ::close(wakeFd_);
}

std::string LoopbackProxy::address() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::vector<LoopbackProxy::Request> LoopbackProxy::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<LoopbackProxy::Request> LoopbackProxy::requestsFor(const std::string& host) const {
  std::vector<Request> found;
  for (auto& request : requests()) {
    if (request.host == lowered(host)) found.push_back(std::move(request));
  }
  return found;
}

bool LoopbackProxy::waitForRequests(const std::string& host, size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                             [&](const Request& r) { return r.host == lowered(host); })) >= count;
  });
}

int LoopbackProxy::connectUpstream(const std::string& host, uint16_t port) const {
  if (host != "127.0.0.1" && !names_.count(host)) return -1;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  // A loopback connect is answered at once: the proxy's thread does not wait on it.
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

bool LoopbackProxy::startExchange(Connection& c) {
  const size_t headEnd = c.head.find("\r\n\r\n");
  const size_t lineEnd = c.head.find("\r\n");
  const std::string line = c.head.substr(0, lineEnd);
  const size_t space1 = line.find(' ');
  const size_t space2 = line.find(' ', space1 == std::string::npos ? 0 : space1 + 1);
  if (space1 == std::string::npos || space2 == std::string::npos) {
    c.toClient = kBadRequest;
    return false;
  }
  Request request{line.substr(0, space1), "", 0, line.substr(space1 + 1, space2 - space1 - 1), ""};
  const std::string version = line.substr(space2 + 1);
  const bool tunnel = request.method == "CONNECT";
  std::string path;
  std::optional<std::pair<std::string, uint16_t>> where;
  if (tunnel) {
    where = authority(request.target, 443);
  } else if (lowered(request.target.substr(0, 7)) == "http://") {
    const size_t slash = request.target.find('/', 7);
    where = authority(request.target.substr(7, slash == std::string::npos ? std::string::npos : slash - 7), 80);
    path = slash == std::string::npos ? "/" : request.target.substr(slash);
  }
  if (!where) {
    c.toClient = kBadRequest;
    return false;
  }
  for (size_t at = lineEnd + 2; at < headEnd;) {
    const size_t end = c.head.find("\r\n", at);
    const std::string field = c.head.substr(at, end - at);
    if (lowered(field.substr(0, 11)) == "user-agent:") {
      const size_t value = field.find_first_not_of(' ', 11);
      request.userAgent = value == std::string::npos ? "" : field.substr(value);
    }
    at = end + 2;
  }
  request.host = where->first;
  request.port = where->second;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  changed_.notify_all();
  if (listener_) listener_(request);

  c.upstream = connectUpstream(request.host, request.port);
  if (c.upstream < 0) {
    c.toClient = kBadGateway;
    return false;
  }
  const std::string rest = c.head.substr(headEnd + 4);
  if (tunnel) {
    c.toClient = "HTTP/1.1 200 Connection established\r\n\r\n";
  } else {
    c.toUpstream = request.method + " " + path + " " + version + "\r\n" + endToEndLines(c.head, lineEnd) +
                   "Connection: close\r\n\r\n";
    c.rewriteAnswer = true;
  }
  c.toUpstream += rest;
  c.head.clear();
  c.started = true;
  return true;
}

void LoopbackProxy::run() {
  std::vector<std::unique_ptr<Connection>> connections;
  char buffer[16384];
  for (;;) {
    std::vector<pollfd> fds = {{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
    for (const auto& c : connections) {
      fds.push_back({c->client, short((c->closing ? 0 : POLLIN) | (c->toClient.empty() ? 0 : POLLOUT)), 0});
      fds.push_back({c->upstream, short(POLLIN | (c->toUpstream.empty() ? 0 : POLLOUT)), 0});
    }
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;  // stop(): the connections close with the list
    if (fds[1].revents & POLLIN) {
      const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd >= 0) {
        auto c = std::make_unique<Connection>();
        c->client = fd;
        connections.push_back(std::move(c));
      }
    }
    // Connections accepted just now have no entry in `fds` yet.
    const size_t polled = (fds.size() - 2) / 2;
    for (size_t i = 0; i < polled; ++i) {
      Connection& c = *connections[i];
      const short clientEvents = fds[2 + 2 * i].revents;
      const short upstreamEvents = fds[3 + 2 * i].revents;
      if (clientEvents & (POLLIN | POLLHUP | POLLERR)) {
        const ssize_t n = c.closing ? 0 : ::recv(c.client, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
          // Nothing yet.
        } else if (n <= 0) {
          c.ended = true;
          continue;
        } else if (c.started) {
          c.toUpstream.append(buffer, n);
        } else {
          c.head.append(buffer, n);
          if (c.head.find("\r\n\r\n") != std::string::npos) {
            if (!startExchange(c)) c.closing = true;
          } else if (c.head.size() > kMaxHead) {
            c.toClient = kBadRequest;
            c.closing = true;
          }
        }
      }
      if (c.upstream >= 0 && (upstreamEvents & (POLLIN | POLLHUP | POLLERR))) {
        const ssize_t n = ::recv(c.upstream, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
          // Nothing yet.
        } else if (n <= 0) {
          // The server is done: what it sent goes to the client, then the connection ends.
          ::close(c.upstream);
          c.upstream = -1;
          c.toClient += c.answerHead;
          c.answerHead.clear();
          c.closing = true;
        } else if (c.rewriteAnswer) {
          c.answerHead.append(buffer, n);
          const size_t end = c.answerHead.find("\r\n\r\n");
          if (end != std::string::npos) {
            const size_t lineEnd = c.answerHead.find("\r\n");
            c.toClient += c.answerHead.substr(0, lineEnd + 2) + endToEndLines(c.answerHead, lineEnd) +
                          "Connection: close\r\n\r\n" + c.answerHead.substr(end + 4);
            c.answerHead.clear();
            c.rewriteAnswer = false;
          }
        } else {
          c.toClient.append(buffer, n);
        }
      }
      if ((fds[2 + 2 * i].revents & POLLOUT) && !c.toClient.empty()) {
        const ssize_t n = ::send(c.client, c.toClient.data(), c.toClient.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
          c.ended = true;
          continue;
        }
        if (n > 0) c.toClient.erase(0, n);
      }
      if (c.upstream >= 0 && (upstreamEvents & POLLOUT) && !c.toUpstream.empty()) {
        const ssize_t n = ::send(c.upstream, c.toUpstream.data(), c.toUpstream.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
          c.closing = true;
        } else if (n > 0) {
          c.toUpstream.erase(0, n);
        }
      }
      if (c.closing && c.toClient.empty()) c.ended = true;
    }
    std::erase_if(connections, [](const auto& c) { return c->ended; });
  }
}

}  // namespace zu
