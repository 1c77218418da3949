// SampleService: a loopback HTTP server speaking the service's protocol from the sample
// documents in documents/ (our own sample text): the service URL feed, a column catalogue of
// a few kinds of column with article lists, articles, comments and cover images, the reader's
// subscriptions and favourites (kept in memory), a profile, login, the statistics endpoint,
// the error-report endpoint, the feedback host's upload and form, and files the tests serve. Every GET answer carries an ETag and honours If-None-Match with
// 304. In the documents "{base}" stands for the server's base URL.
//
// It is the fixture of the engine's tests and the service `make run` talks to. The server
// runs on its own threads from start() to stop() (or destruction); every public method is
// thread-safe. Requests are recorded in arrival order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zu {

class SampleService {
 public:
  struct Request {
    std::string method;
    std::string path;
    std::string query;  // without '?'
    std::string body;
    std::map<std::string, std::string> headers;  // names lower-cased
    // The files of a multipart form: field name -> (file name, bytes).
    std::map<std::string, std::pair<std::string, std::string>> formFiles;
  };

  // `documentsDir` defaults to the documents folder beside this source.
  explicit SampleService(std::string documentsDir = std::string());
  ~SampleService();
  SampleService(const SampleService&) = delete;
  SampleService& operator=(const SampleService&) = delete;

  // Binds 127.0.0.1 (port 0: any free port) and starts serving. False when it cannot bind.
  bool start(int port = 0);
  void stop();

  int port() const { return port_; }
  // "127.0.0.1:<port>" and "http://127.0.0.1:<port>".
  std::string host() const;
  std::string baseUrl() const;

  // Makes `path` answer with `status` (and an empty body) until cleared with 0.
  void setStatusForPath(const std::string& path, int status);

  // Serves `bytes` at `path` (GET; a Range request gets its part) until cleared with nullopt.
  void setFile(const std::string& path, std::optional<std::string> bytes,
               std::string contentType = "application/octet-stream");
  // The next GET of `path` sends its headers and only the first `bytes` bytes of its body, then
  // drops the connection (a download interrupted on the way).
  void cutNextAnswer(const std::string& path, size_t bytes);

  std::vector<Request> requests() const;
  std::vector<Request> requestsTo(const std::string& path) const;
  void clearRequests();
  // Waits (on a condition variable) until `count` requests to `path` were recorded.
  bool waitForRequests(const std::string& path, size_t count,
                       std::chrono::milliseconds timeout) const;

  // The subscribed column ids and favourite ids, in order.
  std::vector<std::string> subscriptions() const;
  std::vector<std::string> favorites() const;

 private:
  struct Answer {
    int status = 200;
    std::string contentType = "application/atom+xml;charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
  };

  Answer answer(const Request& request);
  std::optional<std::string> document(const std::string& name) const;
  std::string entriesFeed(const std::string& id, const std::string& title,
                          const std::vector<std::string>& entries) const;

  const std::string documentsDir_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;

  mutable std::mutex lock_;
  mutable std::condition_variable recorded_;
  std::vector<Request> requests_;
  std::map<std::string, int> statusForPath_;
  std::map<std::string, std::pair<std::string, std::string>> files_;  // path -> (bytes, type)
  std::map<std::string, size_t> cutAfter_;
  std::vector<std::string> subscriptions_;
  // Favourite id -> its entry as posted.
  std::vector<std::pair<std::string, std::string>> favorites_;
};

}  // namespace zu
