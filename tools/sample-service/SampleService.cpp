#include "SampleService.h"

#include <httplib.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#ifndef ZU_SAMPLE_DOCUMENTS_DIR
#define ZU_SAMPLE_DOCUMENTS_DIR "documents"
#endif

namespace zu {

namespace {

constexpr const char* kAtomNamespaces =
    " xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"";

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Every "<entry>...</entry>" block of a document, in order.
std::vector<std::string> entriesOf(const std::string& text) {
  std::vector<std::string> entries;
  size_t at = 0;
  for (;;) {
    size_t start = text.find("<entry", at);
    if (start == std::string::npos) break;
    size_t end = text.find("</entry>", start);
    if (end == std::string::npos) break;
    end += 8;
    entries.push_back(text.substr(start, end - start));
    at = end;
  }
  return entries;
}

// The texts of every <id> element, in order.
std::vector<std::string> idsOf(const std::string& text) {
  std::vector<std::string> ids;
  size_t at = 0;
  for (;;) {
    size_t start = text.find("<id>", at);
    if (start == std::string::npos) break;
    size_t end = text.find("</id>", start);
    if (end == std::string::npos) break;
    ids.push_back(text.substr(start + 4, end - start - 4));
    at = end;
  }
  return ids;
}

std::string firstId(const std::string& entry) {
  auto ids = idsOf(entry);
  return ids.empty() ? std::string() : ids.front();
}

std::string okDocument(const std::string& id) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ok" + std::string(kAtomNamespaces) +
         "><id>" + id + "</id><desc>ok</desc></ok>\n";
}

void appendChunk(std::string& png, const char* type, const std::string& data) {
  uint32_t length = static_cast<uint32_t>(data.size());
  for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(length >> shift));
  std::string body = std::string(type, 4) + data;
  png += body;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
  for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(crc >> shift));
}

// A small solid-colour PNG, its colour picked from the name.
std::string coverImage(const std::string& name) {
  const size_t hash = std::hash<std::string>()(name);
  const unsigned char rgb[3] = {static_cast<unsigned char>(hash), static_cast<unsigned char>(hash >> 8),
                                static_cast<unsigned char>(hash >> 16)};
  constexpr int kSide = 16;
  std::string raw;
  for (int y = 0; y < kSide; ++y) {
    raw.push_back('\0');  // no filter
    for (int x = 0; x < kSide; ++x) raw.append(reinterpret_cast<const char*>(rgb), 3);
  }
  uLongf packedSize = compressBound(raw.size());
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
           reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  packed.resize(packedSize);
  std::string header;
  for (uint32_t v : {uint32_t{kSide}, uint32_t{kSide}}) {
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<char>(v >> shift));
  }
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", packed);
  appendChunk(png, "IEND", std::string());
  return png;
}

std::string etagOf(const std::string& body) {
  std::ostringstream out;
  out << '"' << std::hex << std::hash<std::string>()(body) << '"';
  return out.str();
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The part of a path between a prefix and a suffix ("/col/", "news", ".atom").
std::optional<std::string> middle(const std::string& path, const std::string& prefix,
                                  const std::string& suffix) {
  if (!startsWith(path, prefix) || !endsWith(path, suffix) ||
      path.size() <= prefix.size() + suffix.size()) {
    return std::nullopt;
  }
  std::string name = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
  if (name.find('/') != std::string::npos || name.find("..") != std::string::npos) {
    return std::nullopt;
  }
  return name;
}

}  // namespace

SampleService::SampleService(std::string documentsDir)
    : documentsDir_(documentsDir.empty() ? std::string(ZU_SAMPLE_DOCUMENTS_DIR)
                                         : std::move(documentsDir)) {}

SampleService::~SampleService() { stop(); }

bool SampleService::start(int port) {
  if (server_) return true;
  server_ = std::make_unique<httplib::Server>();
  auto handler = [this](const httplib::Request& req, httplib::Response& res) {
    Request request;
    request.method = req.method;
    request.path = req.path;
    std::string query;
    if (auto at = req.target.find('?'); at != std::string::npos) query = req.target.substr(at + 1);
    request.query = query;
    request.body = req.body;
    for (const auto& [field, file] : req.files) {
      request.formFiles[field] = {file.filename, file.content};
    }
    for (const auto& [name, value] : req.headers) {
      std::string lower = name;
      std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
      request.headers[lower] = value;
    }
    Answer reply = answer(request);
    std::optional<size_t> cut;
    {
      std::lock_guard guard(lock_);
      requests_.push_back(request);
      if (auto it = cutAfter_.find(request.path);
          it != cutAfter_.end() && reply.status == 200 && request.method == "GET") {
        cut = std::min(it->second, reply.body.size());
        cutAfter_.erase(it);
      }
    }
    recorded_.notify_all();
    // A ranged answer carries 206 (the server cuts the body to the range itself).
    res.status = reply.status == 200 && !req.ranges.empty() ? 206 : reply.status;
    for (const auto& [name, value] : reply.headers) res.set_header(name, value);
    if (cut) {
      auto body = std::make_shared<std::string>(std::move(reply.body));
      res.set_content_provider(
          body->size(), reply.contentType,
          [body, sent = *cut](size_t, size_t, httplib::DataSink& sink) {
            sink.write(body->data(), sent);
            return false;  // the connection is dropped here
          });
    } else if (!reply.body.empty() || reply.status == 200) {
      res.set_content(reply.body, reply.contentType);
    }
  };
  server_->Get(".*", handler);
  server_->Post(".*", handler);
  server_->Put(".*", handler);
  server_->Delete(".*", handler);
  if (port == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
  } else {
    port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
  }
  if (port_ <= 0) {
    server_.reset();
    return false;
  }
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() only reaches a server that is running: wait for the loop to be entered.
  while (!server_->is_running()) std::this_thread::yield();
  return true;
}

void SampleService::stop() {
  if (!server_) return;
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

std::string SampleService::host() const { return "127.0.0.1:" + std::to_string(port_); }

std::string SampleService::baseUrl() const { return "http://" + host(); }

void SampleService::setStatusForPath(const std::string& path, int status) {
  std::lock_guard guard(lock_);
  if (status == 0) {
    statusForPath_.erase(path);
  } else {
    statusForPath_[path] = status;
  }
}

void SampleService::setFile(const std::string& path, std::optional<std::string> bytes,
                            std::string contentType) {
  std::lock_guard guard(lock_);
  if (bytes) {
    files_[path] = {std::move(*bytes), std::move(contentType)};
  } else {
    files_.erase(path);
  }
}

void SampleService::cutNextAnswer(const std::string& path, size_t bytes) {
  std::lock_guard guard(lock_);
  cutAfter_[path] = bytes;
}

std::vector<SampleService::Request> SampleService::requests() const {
  std::lock_guard guard(lock_);
  return requests_;
}

std::vector<SampleService::Request> SampleService::requestsTo(const std::string& path) const {
  std::lock_guard guard(lock_);
  std::vector<Request> matching;
  for (const auto& r : requests_) {
    if (r.path == path) matching.push_back(r);
  }
  return matching;
}

void SampleService::clearRequests() {
  std::lock_guard guard(lock_);
  requests_.clear();
}

bool SampleService::waitForRequests(const std::string& path, size_t count,
                                    std::chrono::milliseconds timeout) const {
  std::unique_lock guard(lock_);
  return recorded_.wait_for(guard, timeout, [&] {
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                             [&](const Request& r) { return r.path == path; })) >=
           count;
  });
}

std::vector<std::string> SampleService::subscriptions() const {
  std::lock_guard guard(lock_);
  return subscriptions_;
}

std::vector<std::string> SampleService::favorites() const {
  std::lock_guard guard(lock_);
  std::vector<std::string> ids;
  for (const auto& [id, entry] : favorites_) ids.push_back(id);
  return ids;
}

std::optional<std::string> SampleService::document(const std::string& name) const {
  std::ifstream in(documentsDir_ + "/" + name, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  std::string body = text.str();
  replaceAll(body, "{base}", baseUrl());
  return body;
}

std::string SampleService::entriesFeed(const std::string& id, const std::string& title,
                                       const std::vector<std::string>& entries) const {
  std::string feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed" +
                     std::string(kAtomNamespaces) + ">\n  <id>" + id + "</id>\n  <title>" +
                     title + "</title>\n";
  for (const auto& entry : entries) feed += "  " + entry + "\n";
  return feed + "</feed>\n";
}

SampleService::Answer SampleService::answer(const Request& request) {
  Answer reply;
  {
    std::lock_guard guard(lock_);
    if (auto it = statusForPath_.find(request.path); it != statusForPath_.end()) {
      reply.status = it->second;
      reply.contentType = "text/plain";
      return reply;
    }
    if (auto it = files_.find(request.path); it != files_.end() && request.method == "GET") {
      reply.body = it->second.first;
      reply.contentType = it->second.second;
      return reply;
    }
  }
  const std::string& path = request.path;
  const bool post = request.method == "POST";
  auto fromDocument = [&](const std::string& name) {
    if (auto body = document(name)) {
      reply.body = *body;
    } else {
      reply.status = 404;
    }
  };

  if (path == "/getServiceUrl.atom") {
    fromDocument("serviceurl.xml");
  } else if (path == "/sub/list.atom" || path == "/sub/recommend.atom") {
    fromDocument("columns.xml");
  } else if (path == "/sub/get.atom" || path == "/sub/refresh.atom") {
    std::vector<std::string> chosen;
    auto catalogue = document("columns.xml").value_or(std::string());
    std::lock_guard guard(lock_);
    for (const auto& id : subscriptions_) {
      for (const auto& entry : entriesOf(catalogue)) {
        if (firstId(entry) == id) chosen.push_back(entry);
      }
    }
    reply.body = entriesFeed("subscriptions", "我的订阅", chosen);
  } else if ((path == "/sub/add.atom" || path == "/sub/del.atom") && post) {
    std::lock_guard guard(lock_);
    for (const auto& id : idsOf(request.body)) {
      auto it = std::find(subscriptions_.begin(), subscriptions_.end(), id);
      if (path == "/sub/add.atom" && it == subscriptions_.end()) subscriptions_.push_back(id);
      if (path == "/sub/del.atom" && it != subscriptions_.end()) subscriptions_.erase(it);
    }
    reply.body = okDocument("subscriptions");
  } else if (path == "/fav/get.atom") {
    std::vector<std::string> entries;
    std::lock_guard guard(lock_);
    for (const auto& [id, entry] : favorites_) entries.push_back(entry);
    reply.body = entriesFeed("favorites", "我的收藏", entries);
  } else if (path == "/fav/add.atom" && post) {
    std::lock_guard guard(lock_);
    for (const auto& entry : entriesOf(request.body)) {
      const std::string id = firstId(entry);
      if (id.empty()) continue;
      auto known = std::find_if(favorites_.begin(), favorites_.end(),
                                [&](const auto& item) { return item.first == id; });
      if (known == favorites_.end()) favorites_.emplace_back(id, entry);
    }
    reply.body = okDocument("favorites");
  } else if (path == "/fav/del.atom" && post) {
    std::lock_guard guard(lock_);
    for (const auto& id : idsOf(request.body)) {
      favorites_.erase(std::remove_if(favorites_.begin(), favorites_.end(),
                                      [&](const auto& item) { return item.first == id; }),
                       favorites_.end());
    }
    reply.body = okDocument("favorites");
  } else if (path == "/covers.atom") {
    fromDocument("covers.xml");
  } else if (auto column = middle(path, "/col/", ".atom")) {
    fromDocument("column-" + *column + ".xml");
  } else if (auto article = middle(path, "/article/", ".atom")) {
    reply.status = 404;
    for (const auto& entry : entriesOf(document("articles.xml").value_or(std::string()))) {
      if (firstId(entry) != *article) continue;
      std::string standalone = entry;
      standalone.replace(0, 6, "<entry" + std::string(kAtomNamespaces));
      reply.status = 200;
      reply.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + standalone + "\n";
    }
  } else if (auto commented = middle(path, "/comments/", ".atom")) {
    fromDocument("comments.xml");
    replaceAll(reply.body, "{article}", *commented);
  } else if (auto image = middle(path, "/img/", ".png")) {
    reply.body = coverImage(*image);
    reply.contentType = "image/png";
  } else if (path == "/login") {
    if (request.headers.count("authorization")) {
      fromDocument("profile.xml");
    } else {
      reply.status = 401;
      reply.contentType = "text/plain";
      reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"sample\"");
    }
  } else if (path == "/user/get.atom") {
    fromDocument("profile.xml");
  } else if (path == "/stat") {
    reply.body = "ok";
    reply.contentType = "text/plain";
  } else if (path == "/ft/file.fb" && post && request.query == "op=up") {
    // The feedback host's upload: a JSON answer naming the stored file.
    reply.body = request.formFiles.count("uploaded") ? "{\"fileId\":\"log-1\"}" : "{}";
    reply.contentType = "text/plain;charset=GBK";
  } else if (path == "/ft/commentInner.fb" && post) {
    reply.body = "true";
    reply.contentType = "text/plain;charset=GBK";
  } else if (path == "/report/error.atom" && post) {
    reply.body = okDocument("report");
  } else {
    reply.status = 404;
    reply.contentType = "text/plain";
  }

  if (reply.status == 200 && request.method == "GET") {
    const std::string etag = etagOf(reply.body);
    reply.headers.emplace_back("ETag", etag);
    auto match = request.headers.find("if-none-match");
    if (match != request.headers.end() && match->second == etag) {
      reply.status = 304;
      reply.body.clear();
    }
  }
  return reply;
}

}  // namespace zu
