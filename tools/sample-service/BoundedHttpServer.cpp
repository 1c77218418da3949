#include "BoundedHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>

namespace zu {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` is ready for `events` or `timeout` passes; true when ready (an error or a
// hang-up counts: the read or write that follows says so).
bool ready(int fd, short events, Clock::duration timeout) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(std::max(timeout, Clock::duration{}));
  pollfd entry{fd, events, 0};
  int n;
  do {
    n = ::poll(&entry, 1, static_cast<int>(std::min<int64_t>(ms.count(), 1 << 30)));
  } while (n < 0 && errno == EINTR);
  return n > 0;
}

Clock::duration secondsAndMicros(time_t sec, time_t usec) {
  return std::chrono::seconds(sec) + std::chrono::microseconds(usec);
}

void addressOf(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

// The answer's text for a status a bound gives.
std::string reasonOf(int status) {
  switch (status) {
    case 408: return "the request took too long to arrive\n";
    case 413: return "the request's body is too large\n";
    case 415: return "encoded request bodies are not taken\n";
    case 431: return "the request's headers are too large\n";
    default: return "refused\n";
  }
}

}  // namespace

// One connection: the library's stream over its socket, bounding the request being read, and
// what the bounds decided. A request a bound ends is answered with its status (the library's
// answer to the failed read becomes it), and the connection closed after the answer.
class BoundedHttpServer::Connection : public httplib::Stream {
 public:
  Connection(socket_t sock, Clock::duration readTimeout, Clock::duration writeTimeout,
             size_t maxBodyBytes)
      : sock_(sock), readTimeout_(readTimeout), writeTimeout_(writeTimeout),
        maxBodyBytes_(maxBodyBytes) {}

  // The connection served on this thread now (handlers run on the connection's thread).
  static thread_local Connection* current;

  // A new request starts: its headers are timed from its first byte.
  void startRequest() {
    headersDone_ = false;
    headerBytes_ = 0;
    bodyBytes_ = 0;
    headerDeadline_.reset();
    bodyStart_.reset();
  }
  void headersRead() { headersDone_ = true; }
  // The request is ended with `status` (0: not ended): its answer closes the connection.
  void end(int status) { endStatus_ = status; }
  int endStatus() const { return endStatus_; }

  bool is_readable() const override {
    return buffered_ < filled_ || ready(sock_, POLLIN, readTimeout_);
  }
  bool is_writable() const override { return ready(sock_, POLLOUT, writeTimeout_); }

  ssize_t read(char* ptr, size_t size) override {
    if (buffered_ == filled_ && !fill()) return -1;
    size_t n = std::min(size, filled_ - buffered_);
    // What the request may still take: headers up to their bound, then the body up to its.
    if (!headersDone_) {
      n = std::min(n, kMaxHeaderBytes - std::min(headerBytes_, kMaxHeaderBytes));
      if (n == 0) {
        end(431);
        return -1;
      }
      headerBytes_ += n;
    } else {
      if (bodyBytes_ >= maxBodyBytes_) {
        end(413);
        return -1;
      }
      n = std::min(n, maxBodyBytes_ - bodyBytes_);
      bodyBytes_ += n;
    }
    std::memcpy(ptr, buffer_ + buffered_, n);
    buffered_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t n;
    do {
      n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      addressOf(address, ip, port);
    }
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      addressOf(address, ip, port);
    }
  }
  socket_t socket() const override { return sock_; }

 private:
  // Reads what the socket has into the buffer; false when nothing came in time (or it closed).
  bool fill() {
    // The headers by their deadline, the body by one that grows with what of it has come.
    const auto now = Clock::now();
    Clock::time_point deadline;
    if (!headersDone_) {
      if (!headerDeadline_) headerDeadline_ = now + kHeaderSeconds;
      deadline = *headerDeadline_;
    } else {
      if (!bodyStart_) bodyStart_ = now;
      deadline = *bodyStart_ + kHeaderSeconds +
                 std::chrono::milliseconds(bodyBytes_ * 1000 / kBodyBytesPerSecond);
    }
    if (now >= deadline) {
      end(408);
      return false;
    }
    if (!ready(sock_, POLLIN, std::min(readTimeout_, deadline - now))) {
      if (Clock::now() >= deadline) end(408);
      return false;
    }
    ssize_t n;
    do {
      n = ::recv(sock_, buffer_, sizeof buffer_, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    buffered_ = 0;
    filled_ = static_cast<size_t>(n);
    return true;
  }

  const socket_t sock_;
  const Clock::duration readTimeout_;
  const Clock::duration writeTimeout_;
  const size_t maxBodyBytes_;
  char buffer_[16 * 1024];
  size_t buffered_ = 0;  // read from the buffer so far
  size_t filled_ = 0;
  bool headersDone_ = false;
  size_t headerBytes_ = 0;
  size_t bodyBytes_ = 0;
  std::optional<Clock::time_point> headerDeadline_;
  std::optional<Clock::time_point> bodyStart_;  // the first wait for the body
  int endStatus_ = 0;
};

thread_local BoundedHttpServer::Connection* BoundedHttpServer::Connection::current = nullptr;

std::optional<uint64_t> BoundedHttpServer::declaredLength(const httplib::Request& req) {
  if (!req.has_header("Content-Length")) return std::nullopt;
  const std::string text = req.get_header_value("Content-Length");
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

BoundedHttpServer::BoundedHttpServer(size_t maxBodyBytes) : maxBodyBytes_(maxBodyBytes) {
  // The answer of a request a bound ended: its status, and the connection closes after it.
  auto answer = [](httplib::Response& res, int status) {
    if (Connection::current) Connection::current->end(status);
    res.status = status;
    res.set_header("Connection", "close");
    res.set_content(reasonOf(status), "text/plain");
  };
  // Before the body is read: its declared length, or an encoding, refuses it.
  auto check = [this, answer](const httplib::Request& req, httplib::Response& res) {
    if (auto length = declaredLength(req); length && *length > maxBodyBytes_) {
      answer(res, 413);
    } else if (req.has_header("Content-Encoding") &&
               req.get_header_value("Content-Encoding") != "identity") {
      answer(res, 415);
    }
    return Connection::current ? Connection::current->endStatus() : 0;
  };
  set_expect_100_continue_handler([check](const httplib::Request& req, httplib::Response& res) {
    const int status = check(req, res);
    return status != 0 ? status : 100;
  });
  set_pre_routing_handler([check](const httplib::Request& req, httplib::Response& res) {
    return check(req, res) != 0 ? HandlerResponse::Handled : HandlerResponse::Unhandled;
  });
  // A read a bound failed (headers too late or too large, a chunked body past the bound): the
  // library's answer to it (a 400) becomes the bound's.
  set_error_handler(HandlerWithResponse([answer](const httplib::Request&, httplib::Response& res) {
    if (!Connection::current || Connection::current->endStatus() == 0) {
      return HandlerResponse::Unhandled;
    }
    answer(res, Connection::current->endStatus());
    return HandlerResponse::Handled;
  }));
}

bool BoundedHttpServer::waitForRequest(socket_t sock) const {
  const auto deadline = Clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
  // In short steps, so a stopping server does not wait for its idle connections.
  while (svr_sock_ != INVALID_SOCKET) {
    const auto left = deadline - Clock::now();
    if (ready(sock, POLLIN, std::min<Clock::duration>(left, std::chrono::milliseconds(100)))) {
      return true;
    }
    if (left <= Clock::duration{}) return false;
  }
  return false;
}

bool BoundedHttpServer::process_and_close_socket(socket_t sock) {
  Connection connection(sock, secondsAndMicros(read_timeout_sec_, read_timeout_usec_),
                        secondsAndMicros(write_timeout_sec_, write_timeout_usec_), maxBodyBytes_);
  Connection::current = &connection;
  bool served = false;
  for (size_t left = keep_alive_max_count_; left > 0 && waitForRequest(sock); --left) {
    connection.startRequest();
    bool closedByClient = false;
    served = process_request(connection, left == 1, closedByClient,
                             [&connection](httplib::Request&) { connection.headersRead(); });
    if (!served || closedByClient || connection.endStatus() != 0) break;
  }
  Connection::current = nullptr;
  if (connection.endStatus() == 413 || connection.endStatus() == 415) {
    // The answer first, then a short drain of what the client still sends: closing with its
    // body unread would reset the connection, and the client could lose the answer.
    ::shutdown(sock, SHUT_WR);
    char sink[16 * 1024];
    const auto until = Clock::now() + std::chrono::seconds(1);
    while (ready(sock, POLLIN, until - Clock::now()) && ::recv(sock, sink, sizeof sink, 0) > 0) {
    }
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return served;
}

}  // namespace zu
