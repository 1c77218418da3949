#include "SampleService.h"

#include "BoundedHttpServer.h"
#include "SampleComments.h"
#include "SampleNotices.h"
#include "SampleCatalogue.h"
#include "SampleAlbums.h"
#include "SampleArticles.h"
#include "SampleBookLinks.h"
#include "SampleLookups.h"
#include "SampleOAuth.h"
#include "SamplePicturePosts.h"
#include "SamplePosts.h"

#include <httplib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>

#ifndef ZU_SAMPLE_VIDEO_FILE
#define ZU_SAMPLE_VIDEO_FILE "sample-video.webm"
#endif
#ifndef ZU_SAMPLE_DOCUMENTS_DIR
#define ZU_SAMPLE_DOCUMENTS_DIR "documents"
#endif

namespace zu {

namespace {

// A body read a piece at a time (chunked, or a part of a form) past this size gets room for the
// whole bound at once.
constexpr size_t kGrowingBodyBytes = size_t{64} << 10;

// Appends a piece of a request's body. Grown by doubling, a body up to the bound would pass
// through copies of every size below it, and the heap would keep the freed ones of up to 32 MiB
// in each worker's arena once it has raised its mapping threshold to match (16 parallel chunked
// bodies of 60 MB left half a gigabyte held), with a copy and a half of the body alive while it
// doubles. (Below kGrowingBodyBytes the copies are small and the heap reuses them.) So past kGrowingBodyBytes the body takes room for the whole bound in one block: the
// system maps that block and lends its pages only as the body fills them, and takes it all back
// when the body is freed.
void appendToBody(std::string& body, const char* data, size_t size) {
  if (body.size() + size > body.capacity() && body.size() + size > kGrowingBodyBytes) {
    body.reserve(std::max(body.size() + size, SampleService::kMaxRequestBodyBytes));
  }
  body.append(data, size);
}

// Generated reviews of every column, and how many reviews a page holds.
constexpr int kGeneratedReviews = 20;
constexpr size_t kReviewsPerPage = 12;
// Generated lists kept made at once (a benchmark refreshes up to a thousand).
constexpr size_t kKeptLists = 4096;

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

// The decoded "name:password" of a Basic "Authorization" header, or "".
std::string basicCredentials(const std::string& header) {
  if (header.rfind("Basic ", 0) != 0) return {};
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string decoded;
  int bits = 0;
  uint32_t buffer = 0;
  for (char c : header.substr(6)) {
    auto at = kAlphabet.find(c);
    if (at == std::string::npos) continue;
    buffer = (buffer << 6) | static_cast<uint32_t>(at);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      decoded.push_back(static_cast<char>((buffer >> bits) & 0xff));
    }
  }
  return decoded;
}

// The user name of a Basic "Authorization" header, or "".
std::string basicUser(const std::string& header) {
  const std::string credentials = basicCredentials(header);
  return credentials.substr(0, credentials.find(':'));
}

// Whether a Basic "Authorization" header names one of the service's own readers with another
// password than the reader's (names compared without regard to case and without the mail
// domain the client adds to what the reader typed).
bool wrongPassword(const std::string& header) {
  const std::string credentials = basicCredentials(header);
  const size_t colon = credentials.find(':');
  std::string name = credentials.substr(0, std::min(colon, credentials.find('@')));
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto reader = SampleService::kReaders.find(name);
  return reader != SampleService::kReaders.end() &&
         (colon == std::string::npos || credentials.substr(colon + 1) != reader->second);
}

std::string errorItem(const std::string& id, int reason, const std::string& desc) {
  return "<vesk:error><id>" + id + "</id><reason>" + std::to_string(reason) +
         "</reason><desc>" + desc + "</desc></vesk:error>";
}

std::string okItem(const std::string& id) {
  return "<vesk:ok><id>" + id + "</id><desc>ok</desc></vesk:ok>";
}

// The column, list and articles of a generated column "col-gen-<n>" with n articles (n up to
// 3 digits). Copies "col-gen-<n>-<k>" (k up to 4 digits) hold n articles of their own, so a
// benchmark can subscribe to many columns of a modest size.
struct Generated {
  int count = 0;
  std::string suffix;  // "<n>" or "<n>-<k>", as in the column's id and list address
};

bool allDigits(const std::string& text, size_t most) {
  return !text.empty() && text.size() <= most &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<Generated> generatedCount(const std::string& name, const std::string& prefix) {
  if (name.rfind(prefix, 0) != 0) return std::nullopt;
  const std::string suffix = name.substr(prefix.size());
  const size_t dash = suffix.find('-');
  const std::string digits = suffix.substr(0, dash);
  if (!allDigits(digits, 3)) return std::nullopt;
  if (dash != std::string::npos && !allDigits(suffix.substr(dash + 1), 4)) return std::nullopt;
  return Generated{std::stoi(digits), suffix};
}

std::string generatedColumnEntry(const Generated& generated, const std::string& base) {
  const std::string& n = generated.suffix;
  return "<entry><title>Generated column of " + n + "</title><id>col-gen-" + n +
         "</id><updated>2026-01-05T07:30:00Z</updated><link rel=\"alternate\" "
         "type=\"application/atom+xml\" href=\"" + base + "/col/gen-" + n +
         ".atom\"/><link rel=\"comments\" type=\"application/atom+xml\" href=\"" + base +
         "/reviews/col-gen-" + n + ".atom\"/><link rel=\"related\" type=\"application/atom+xml\" href=\"" +
         base + "/related/col-gen-" + n + ".atom\"/><vesk:entry_status read=\"0\" type=\"news\"/></entry>";
}

std::string generatedArticleEntry(const std::string& id, const std::string& base, bool full) {
  std::string entry = "<entry><title>Generated article " + id + "</title><id>" + id +
                      "</id><updated>2026-01-05T07:30:00Z</updated>"
                      "<link rel=\"alternate\" type=\"application/atom+xml;type=entry\" href=\"" +
                      base + "/article/" + id + ".atom\"/>"
                      "<link rel=\"comments\" type=\"application/atom+xml\" href=\"" + base +
                      "/comments/" + id + ".atom\"/>"
                      "<vesk:image_thumbnail type=\"image/png\" href=\"" + base + "/img/" + id +
                      "-thumb.png\"/>";
  if (full) {
    entry += "<content type=\"html\"><![CDATA[<html><head><link rel=\"stylesheet\" "
             "type=\"text/css\" href=\"" + base +
             "/style/article.css\"/></head><body><p>Sample text of " + id +
             ".</p><img src=\"" + base + "/img/" + id + "-picture.png\"/></body></html>]]>"
             "</content>";
  }
  return entry + "</entry>";
}

// A review of the generated reviews of a column, its rating 1 to 5 in turn.
std::string generatedReview(const std::string& column, int i) {
  char updated[32];
  std::snprintf(updated, sizeof updated, "2026-01-05T%02d:%02d:00Z", 23 - i % 24, 59 - i);
  return "<entry><id>" + column + "-r" + std::to_string(i) + "</id><title>review</title><updated>" +
         updated + "</updated><author><name>reader " + std::to_string(i) +
         "</name></author><content type=\"text\">Review " + std::to_string(i) + " of " + column +
         ".</content><vesk:ranking value=\"" + std::to_string(i % 5 + 1) + "\"/></entry>";
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

// An Internet date (UTC, with milliseconds) of a time in milliseconds since 1970.
std::string internetDate(int64_t millis) {
  const time_t seconds = static_cast<time_t>(millis / 1000);
  struct tm parts {};
  gmtime_r(&seconds, &parts);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                static_cast<int>(millis % 1000));
  return text;
}

// A document without its XML declaration, to be nested in another.
std::string withoutDeclaration(std::string text) {
  if (text.rfind("<?xml", 0) == 0) {
    const size_t end = text.find("?>");
    text = end == std::string::npos ? std::string() : text.substr(end + 2);
  }
  return text;
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

// The bytes of a request's body and form files.
size_t bodyBytes(const SampleService::Request& request) {
  size_t bytes = request.body.size();
  for (const auto& [field, file] : request.formFiles) bytes += file.second.size();
  return bytes;
}

}  // namespace

SampleService::SampleService(std::string documentsDir)
    : documentsDir_(documentsDir.empty() ? std::string(ZU_SAMPLE_DOCUMENTS_DIR)
                                         : std::move(documentsDir)) {}

SampleService::~SampleService() { stop(); }

bool SampleService::start(int port) {
  if (server_) return true;
  {
    // What was kept holds the base address of an earlier start.
    std::lock_guard guard(lock_);
    documentFiles_.clear();
    generatedLists_.clear();
    stopping_ = false;
  }
  // Bounded: a request's headers must come within a few seconds, and a body above
  // kMaxRequestBodyBytes is refused (413), so slow or hostile clients cannot hold the workers or
  // the memory.
  server_ = std::make_unique<BoundedHttpServer>(kMaxRequestBodyBytes);
  // Enough workers that a client's parallel downloads are answered side by side. A worker
  // stays with its connection while the connection is kept alive (up to the keep-alive time),
  // and the client keeps the idle connections of a burst for reuse (one thread's can hold
  // dozens): with few workers, a connection another of the client's threads opens meanwhile
  // would wait for one of them to time out.
  server_->new_task_queue = [] { return new httplib::ThreadPool(128); };
  // An answer goes out as two writes (head, then body): with Nagle's algorithm on, the body
  // waits for the client's delayed acknowledgement of the head, some 20–40 ms on loopback, which
  // every answer of a burst would pay. A real service answers without that wait.
  server_->set_tcp_nodelay(true);
  // A service keeps a busy client's connection open; the server's default closes it after 5
  // requests, and a refresh of a hundred columns would open one every few requests.
  server_->set_keep_alive_max_count(1000);
  auto handler = [this](const httplib::Request& req, httplib::Response& res) { serve(req, res, req.body, {}); };
  // Requests that may carry a body read it here rather than through the library, which would
  // refuse a form body (application/x-www-form-urlencoded) above its own 8 KiB: the client's
  // feedback form is as long as the reader's text. The server's bound on bodies holds all the
  // same (BoundedHttpServer).
  auto withBody = [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    std::string body;
    std::map<std::string, std::pair<std::string, std::string>> files;
    bool read;
    if (req.is_multipart_form_data()) {
      std::string field;
      read = reader(
          [&](const httplib::MultipartFormData& part) {
            field = part.name;
            files[field] = {part.filename, std::string()};  // a later part of the same name wins
            return true;
          },
          [&](const char* data, size_t size) {
            appendToBody(files[field].second, data, size);
            return true;
          });
    } else {
      // Made as large as declared at once (the server refused a declared length above its bound):
      // a body grown a piece at a time leaves its smaller copies behind in the worker's heap.
      if (auto declared = BoundedHttpServer::declaredLength(req)) {
        body.reserve(static_cast<size_t>(std::min<uint64_t>(*declared, kMaxRequestBodyBytes)));
      }
      read = reader([&](const char* data, size_t size) {
        appendToBody(body, data, size);
        return true;
      });
    }
    if (!read) {
      // A body cut off (a bound ended it, or the client went): answered as the failed read the
      // library would answer (the server's bound turns it into its own status), not served.
      if (res.status < 400) res.status = 400;
      return;
    }
    serve(req, res, std::move(body), std::move(files));
  };
  server_->Get(".*", handler);
  // (The library hands every POST, PUT and DELETE to a reader of its body, an empty one too.)
  server_->Post(".*", withBody);
  server_->Put(".*", withBody);
  server_->Delete(".*", withBody);
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

void SampleService::serve(const httplib::Request& req, httplib::Response& res, std::string body,
                          std::map<std::string, std::pair<std::string, std::string>> formFiles) {
  Request request;
  request.method = req.method;
  request.path = req.path;
  if (auto at = req.target.find('?'); at != std::string::npos) request.query = req.target.substr(at + 1);
  request.body = std::move(body);
  request.formFiles = std::move(formFiles);
  for (const auto& [name, value] : req.headers) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    request.headers[lower] = value;
  }
  std::optional<size_t> cut;
  {
    std::lock_guard guard(lock_);
    maxInFlight_ = std::max(maxInFlight_, ++inFlight_);
  }
  Answer reply = answer(request);
  int delay = 0;
  bool onRecord = false;
  const std::string path = request.path;
  const bool get = request.method == "GET";
  {
    std::unique_lock guard(lock_);
    for (const auto& [prefix, millis] : responseDelays_) {
      if (path.rfind(prefix, 0) == 0) delay = millis;
    }
    auto held = [&] {
      if (stopping_) return false;
      for (const auto& prefix : heldPrefixes_) {
        if (path.rfind(prefix, 0) == 0) return true;
      }
      return false;
    };
    // A delayed or held answer's request is on record while the answer waits, so a test can
    // act (cancel, say) while it is in flight.
    if (delay > 0 || held()) {
      record(std::move(request));
      onRecord = true;
      recorded_.notify_all();
      recorded_.wait(guard, [&] { return !held(); });
    }
  }
  if (delay > 0) {
    recorded_.notify_all();
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  }
  {
    std::lock_guard guard(lock_);
    --inFlight_;
    if (!onRecord) record(std::move(request));
    if (auto it = cutAfter_.find(path); it != cutAfter_.end() && reply.status == 200 && get) {
      cut = std::min(it->second, reply.body.size());
      cutAfter_.erase(it);
    }
  }
  recorded_.notify_all();
  // A ranged answer carries 206 (the server cuts the body to the range itself).
  res.status = reply.status == 200 && !req.ranges.empty() ? 206 : reply.status;
  for (const auto& [name, value] : reply.headers) res.set_header(name, value);
  if (cut) {
    auto bytes = std::make_shared<std::string>(std::move(reply.body));
    res.set_content_provider(bytes->size(), reply.contentType,
                             [bytes, sent = *cut](size_t, size_t, httplib::DataSink& sink) {
                               sink.write(bytes->data(), sent);
                               return false;  // the connection is dropped here
                             });
  } else if (!reply.body.empty() || reply.status == 200) {
    res.set_content(reply.body, reply.contentType);
  }
}

void SampleService::record(Request request) {
  keptBodyBytes_ += bodyBytes(request);
  requests_.push_back(std::move(request));
  while (requests_.size() > kKeptRequests) {
    keptBodyBytes_ -= bodyBytes(requests_.front());
    requests_.pop_front();
  }
  // The oldest bodies go first; the latest stays whole.
  for (auto it = requests_.begin(); keptBodyBytes_ > kKeptBodyBytes && it + 1 != requests_.end(); ++it) {
    const size_t bytes = bodyBytes(*it);
    if (bytes == 0) continue;
    keptBodyBytes_ -= bytes;
    std::string().swap(it->body);  // freed, not only emptied
    it->formFiles.clear();
    it->bodyDropped = true;
  }
}

void SampleService::stop() {
  if (!server_) return;
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  recorded_.notify_all();
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

std::string SampleService::host() const { return hostName_ + ":" + std::to_string(port_); }

std::string SampleService::baseUrl() const { return "http://" + host(); }

void SampleService::setStatusForPath(const std::string& path, int status) {
  std::lock_guard guard(lock_);
  if (status == 0) {
    statusForPath_.erase(path);
  } else {
    statusForPath_[path] = status;
  }
}

void SampleService::setDocument(const std::string& name, std::optional<std::string> text) {
  std::lock_guard guard(lock_);
  if (text) {
    documentOverrides_[name] = std::move(*text);
  } else {
    documentOverrides_.erase(name);
  }
}

void SampleService::refuseLogin(const std::string& user, int reason) {
  std::lock_guard guard(lock_);
  if (reason == 0) {
    loginRefusals_.erase(user);
  } else {
    loginRefusals_[user] = reason;
  }
}

void SampleService::setSubscriptions(std::vector<std::string> ids) {
  std::lock_guard guard(lock_);
  subscriptions_ = std::move(ids);
}

void SampleService::setSubscriptionOrderTime(int64_t millis) {
  std::lock_guard guard(lock_);
  subscriptionOrderTime_ = millis;
}

int64_t SampleService::subscriptionOrderTime() const {
  std::lock_guard guard(lock_);
  return subscriptionOrderTime_;
}

void SampleService::setResponseDelay(const std::string& prefix, int millis) {
  std::lock_guard guard(lock_);
  if (millis == 0) {
    responseDelays_.erase(prefix);
  } else {
    responseDelays_[prefix] = millis;
  }
}

void SampleService::holdAnswers(const std::string& prefix, bool hold) {
  {
    std::lock_guard guard(lock_);
    if (hold) {
      heldPrefixes_.insert(prefix);
    } else {
      heldPrefixes_.erase(prefix);
    }
  }
  recorded_.notify_all();
}

int SampleService::maxConcurrentRequests() const {
  std::lock_guard guard(lock_);
  return maxInFlight_;
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
  return {requests_.begin(), requests_.end()};
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
  keptBodyBytes_ = 0;
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
  std::optional<std::string> body;
  {
    std::lock_guard guard(lock_);
    auto it = documentOverrides_.find(name);
    if (it != documentOverrides_.end() && !it->second.empty()) {
      body = it->second;
      replaceAll(*body, "{base}", baseUrl());
      return body;
    }
    if (auto file = documentFiles_.find(name); file != documentFiles_.end()) return file->second;
  }
  if (std::ifstream in(documentsDir_ + "/" + name, std::ios::binary); in) {
    std::ostringstream text;
    text << in.rdbuf();
    body = text.str();
    replaceAll(*body, "{base}", baseUrl());
  }
  // Only a document found is kept: a name asked for is the client's (any "/col/<name>.atom"), so
  // keeping misses would let requests for made-up names grow the map without end.
  if (!body) return body;
  std::lock_guard guard(lock_);
  return documentFiles_.emplace(name, std::move(body)).first->second;
}

std::optional<std::string> SampleService::sampleVideo() {
  // Read once: the file is made before the service is built and never changes.
  static const std::optional<std::string> bytes = []() -> std::optional<std::string> {
    std::ifstream in(ZU_SAMPLE_VIDEO_FILE, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
  }();
  return bytes;
}

std::optional<std::string> SampleService::picture(const std::string& name) const {
  // Names of the documents' own pictures only: a name that could leave the folder is none.
  if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_") != std::string::npos) {
    return std::nullopt;
  }
  {
    std::lock_guard guard(lock_);
    if (auto icon = icons_.find(name); icon != icons_.end()) return icon->second;
  }
  // A commenter's picture: the listed comments' ("<article>-c<n>") and the posted ones'
  // ("comment-<id>") are the portraits of the sample's commenters.
  std::string file = name;
  if (const size_t c = name.rfind("-c"); c != std::string::npos && c + 2 < name.size() &&
                                          name.find_first_not_of("0123456789", c + 2) == std::string::npos) {
    file = "commenter-" + std::to_string(std::stoi(name.substr(c + 2, 4)) % 4);
  } else if (startsWith(name, "comment-")) {
    file = "commenter-0";
  }
  std::ifstream in(documentsDir_ + "/images/" + file + ".png", std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> SampleService::knownColumns() const {
  auto columns = entriesOf(catalogueColumns());
  for (auto& entry : entriesOf(document("column-mblog-entry.xml").value_or(std::string()) +
                               document("column-zelvane-entry.xml").value_or(std::string()))) {
    columns.push_back(std::move(entry));
  }
  for (auto& entry : SampleCatalogue::customColumns(baseUrl())) columns.push_back(std::move(entry));
  return columns;
}

std::optional<std::string> SampleService::articleSummary(const std::string& id) const {
  if (generatedCount(id, "gen-")) return generatedArticleEntry(id, baseUrl(), false);
  std::vector<std::string> lists;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(documentsDir_, error)) {
    const std::string name = file.path().filename().string();
    if (startsWith(name, "column-") && endsWith(name, ".xml") && !endsWith(name, "-entry.xml")) {
      lists.push_back(name);
    }
  }
  std::sort(lists.begin(), lists.end());
  for (const auto& list : lists) {
    for (auto& entry : entriesOf(document(list).value_or(std::string()))) {
      if (firstId(entry) == id) return std::move(entry);
    }
  }
  return std::nullopt;
}

std::string SampleService::catalogueColumns() const {
  return document("columns.xml").value_or(std::string()) + document("columns-more.xml").value_or(std::string());
}

std::string SampleService::favoriteCount() const {
  return "<vesk:favorite collected=\"0\" count=\"" + std::to_string(favorites_.size()) + "\"/>";
}

std::string SampleService::entriesFeed(const std::string& id, const std::string& title,
                                       const std::vector<std::string>& entries,
                                       const std::string& extra) const {
  std::string feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed" +
                     std::string(kAtomNamespaces) + ">\n  <id>" + id + "</id>\n  <title>" +
                     title + "</title>\n" + extra;
  for (const auto& entry : entries) feed += "  " + entry + "\n";
  return feed + "</feed>\n";
}

SampleService::Answer SampleService::storedComment(const std::string& posted,
                                                  bool withThumbnail) const {
  // The posted entry with an id of the service's (and a thumbnail when asked).
  Answer reply;
  // A post whose entry never closes is refused: kept, it would break every list it joins.
  const size_t root = posted.find("<entry");
  const size_t close = root == std::string::npos ? std::string::npos : posted.find("</entry>", root);
  if (close == std::string::npos) {
    reply.status = 400;
    reply.contentType = "text/plain";
    return reply;
  }
  std::string comment = posted.substr(root, close + 8 - root);
  const std::string id = "comment-" + etagOf(comment).substr(1, 8);
  // The posted id names the article: the stored comment carries its own instead.
  const size_t postedId = comment.find("<id>");
  const size_t postedEnd = comment.find("</id>");
  if (postedId != std::string::npos && postedEnd != std::string::npos) {
    comment.replace(postedId, postedEnd + 5 - postedId, "<id>" + id + "</id>");
  } else {
    comment.insert(comment.find('>') + 1, "<id>" + id + "</id>");
  }
  if (withThumbnail) {
    comment.insert(comment.rfind("</entry>"),
                   "<link rel=\"x-stanza-cover-image-thumbnail\" type=\"image/png\" href=\"" +
                       baseUrl() + "/img/" + id + ".png\"/>");
  }
  reply.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + comment;
  return reply;
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
  auto answered = [&reply](SampleOAuth::Reply&& platform) {
    reply.status = platform.status;
    reply.contentType = std::move(platform.contentType);
    reply.body = std::move(platform.body);
    return reply;
  };
  // The picture posts of the microblogs 1 to 3, multipart forms.
  if (auto picture = SamplePicturePosts::answer(request, baseUrl(), platforms_)) return answered(std::move(*picture));
  // The open platforms 1 to 6, under "/open/<n>".
  if (auto platform = platforms_.answer(request.method, path, request.query, request.body, request.headers, baseUrl())) {
    reply.status = platform->status;
    reply.contentType = platform->contentType;
    reply.body = std::move(platform->body);
    return reply;
  }
  // Platform 0's microblog, which `make run` points at this server. Its signed requests carry a
  // fresh timestamp and an unused nonce, as those of platforms 1 to 6 do.
  if (SampleOAuth::isSignedStep(path) || path == SamplePosts::kUpdatePath || path == SamplePosts::kUploadPath) {
    if (auto problem = platforms_.freshness(SampleOAuth::parameters(request.query, request.body, request.headers))) {
      reply.status = 401;
      reply.contentType = "text/plain";
      reply.body = *problem;
      return reply;
    }
  }
  if (auto oauth = SampleOAuth::answer(request.method, path, request.query, request.body,
                                       request.headers, baseUrl())) {
    return answered(std::move(*oauth));
  }
  if (auto posted = SamplePosts::answer(request, baseUrl())) return answered(std::move(*posted));
  // The articles of the columns: the catalogue's, then the custom columns'.
  auto articleDocuments = [&] {
    return document("articles.xml").value_or("") + document("articles-custom.xml").value_or("");
  };
  auto fromDocument = [&](const std::string& name) {
    if (auto body = document(name)) {
      reply.body = *body;
    } else {
      reply.status = 404;
    }
  };

  if (auto notice = request.method == "GET" ? SampleNotices::answer(path, baseUrl()) : std::nullopt) {
    // The notice feed with its recommended applications, the font list and its pack.
    reply.contentType = notice->contentType;
    reply.body = std::move(notice->body);
  } else if (auto lookup = request.method == "GET" ? SampleLookups::page(path, request.query,
                                                                        document("dictionary.txt").value_or(""),
                                                                        document("articles.xml").value_or(""))
                                                  : std::nullopt) {
    // The selection menu's dictionary, translation and search pages.
    reply.body = std::move(*lookup);
    reply.contentType = "text/html;charset=utf-8";
  } else if (auto* book = request.method == "GET" ? SampleBookLinks::at(path) : nullptr) {
    // A book page's script and style sheets, which the client's book link cache fetches.
    fromDocument(book->document);
    if (reply.status == 200) reply.contentType = book->contentType;
  } else if (path == "/getServiceUrl.atom") {
    fromDocument("serviceurl.xml");
  } else if (auto catalogue = SampleCatalogue::answer(path, request.query, catalogueColumns(), baseUrl())) {
    reply.body = std::move(*catalogue);
  } else if (path == "/sub/recommend.atom") {
    // The catalogue, the microblog-kind column and, last, the reader's own platform-0 microblog
    // column.
    auto catalogue = document("columns.xml");
    auto microblog = document("column-zelvane-entry.xml");
    if (catalogue && microblog && catalogue->rfind("</feed>") != std::string::npos) {
      reply.body = *catalogue;
      reply.body.insert(reply.body.rfind("</feed>"), document("column-mblog-entry.xml").value_or("") + *microblog);
    } else {
      reply.status = 404;
    }
  } else if (path == "/sub/refresh.atom" && post) {
    // The catalogue entry of every posted column (the recommended microblog column included),
    // newest state; unknown ids as errors.
    const auto catalogue = knownColumns();
    std::vector<std::string> items;
    for (const auto& posted : entriesOf(request.body)) {
      const std::string id = firstId(posted);
      auto known = std::find_if(catalogue.begin(), catalogue.end(),
                                [&](const std::string& e) { return firstId(e) == id; });
      if (known != catalogue.end()) {
        items.push_back(*known);
      } else if (auto count = generatedCount(id, "col-gen-")) {
        items.push_back(generatedColumnEntry(*count, baseUrl()));
      } else {
        items.push_back(errorItem(id, 102, "no such column"));
      }
    }
    reply.body = entriesFeed("refresh", "refresh", items);
  } else if (path == "/sub/get.atom" || path == "/sub/refresh.atom") {
    std::vector<std::string> chosen;
    const auto catalogue = knownColumns();
    std::lock_guard guard(lock_);
    for (const auto& id : subscriptions_) {
      for (const auto& entry : catalogue) {
        if (firstId(entry) == id) chosen.push_back(entry);
      }
    }
    reply.body = entriesFeed("subscriptions", "我的订阅", chosen);
  } else if (path == "/sub/add.atom" && post) {
    const auto catalogue = knownColumns();
    std::vector<std::string> items;
    std::lock_guard guard(lock_);
    for (const auto& posted : entriesOf(request.body)) {
      const std::string id = firstId(posted);
      auto known = std::find_if(catalogue.begin(), catalogue.end(),
                                [&](const std::string& e) { return firstId(e) == id; });
      if (known == catalogue.end()) {
        items.push_back(errorItem(id, 101, "no such column"));
        continue;
      }
      if (std::find(subscriptions_.begin(), subscriptions_.end(), id) == subscriptions_.end()) {
        subscriptions_.push_back(id);
      }
      std::string entry = *known;
      replaceAll(entry, "subscribed=\"0\"", "subscribed=\"1\"");
      items.push_back(entry);
    }
    reply.body = entriesFeed("subscriptions", "我的订阅", items);
  } else if (path == "/sub/del.atom" && post) {
    std::vector<std::string> items;
    std::lock_guard guard(lock_);
    for (const auto& id : idsOf(request.body)) {
      auto it = std::find(subscriptions_.begin(), subscriptions_.end(), id);
      if (it == subscriptions_.end()) {
        items.push_back(errorItem(id, 102, "not subscribed"));
      } else {
        subscriptions_.erase(it);
        items.push_back(okItem(id));
      }
    }
    reply.body = entriesFeed("subscriptions", "我的订阅", items);
  } else if (path == "/sub/sequence.atom" && post) {
    std::lock_guard guard(lock_);
    std::vector<std::string> ordered;
    for (const auto& id : idsOf(request.body)) {
      if (std::find(subscriptions_.begin(), subscriptions_.end(), id) != subscriptions_.end()) {
        ordered.push_back(id);
      }
    }
    for (const auto& id : subscriptions_) {
      if (std::find(ordered.begin(), ordered.end(), id) == ordered.end()) ordered.push_back(id);
    }
    subscriptions_ = std::move(ordered);
    subscriptionOrderTime_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    reply.body = okDocument("sequence");
  } else if (path == "/sub/summary.atom") {
    // The account's summary: profile, favourites count, order time and subscribed columns.
    const std::string profile = withoutDeclaration(profile_.current(document("profile.xml").value_or(std::string())));
    const auto catalogue = knownColumns();
    std::lock_guard guard(lock_);
    std::string extra = "  " + profile + "\n  " + favoriteCount() + "\n";
    if (subscriptionOrderTime_ > 0) {
      extra += "  <vesk:subseq_updated>" + internetDate(subscriptionOrderTime_) +
               "</vesk:subseq_updated>\n";
    }
    std::vector<std::string> chosen;
    for (const auto& id : subscriptions_) {
      for (const auto& entry : catalogue) {
        if (firstId(entry) != id) continue;
        std::string subscribed = entry;
        replaceAll(subscribed, "subscribed=\"0\"", "subscribed=\"1\"");
        chosen.push_back(subscribed);
      }
    }
    reply.body = entriesFeed("summary", "summary", chosen, extra);
  } else if (path == "/fav/get.atom" || startsWith(path, "/fav/search.atom")) {
    // The search address is followed by the keyword; the list holds the favourites whose
    // entry mentions it.
    const std::string keyword = path == "/fav/get.atom" ? std::string() : path.substr(16);
    std::vector<std::string> entries;
    std::lock_guard guard(lock_);
    for (const auto& [id, entry] : favorites_) {
      if (entry.find(keyword) != std::string::npos) entries.push_back(entry);
    }
    reply.body = entriesFeed("favorites", "我的收藏", entries, favoriteCount());
  } else if (path == "/fav/add.atom" && post) {
    // The favourites taken in; one already held is refused with reason 104. The client posts
    // a favourite's title and id alone: the service keeps (and lists) the article's summary as
    // its lists carry it, with its time, summary, thumbnail and address; an id no list holds is
    // kept as posted.
    std::vector<std::pair<std::string, std::string>> posted;
    for (const auto& entry : entriesOf(request.body)) {
      const std::string id = firstId(entry);
      if (!id.empty()) posted.emplace_back(id, articleSummary(id).value_or(entry));
    }
    std::vector<std::string> items;
    std::lock_guard guard(lock_);
    for (const auto& [id, entry] : posted) {
      auto known = std::find_if(favorites_.begin(), favorites_.end(),
                                [&id = id](const auto& item) { return item.first == id; });
      if (known != favorites_.end()) {
        items.push_back(errorItem(id, 104, "already a favourite"));
        continue;
      }
      favorites_.emplace_back(id, entry);
      items.push_back(entry);
    }
    reply.body = entriesFeed("favorites", "我的收藏", items, favoriteCount());
  } else if (path == "/fav/del.atom" && post) {
    // An ok item per removed favourite, reason 102 for one not held; the count after.
    std::vector<std::string> items;
    std::lock_guard guard(lock_);
    for (const auto& id : idsOf(request.body)) {
      auto held = std::find_if(favorites_.begin(), favorites_.end(),
                               [&](const auto& item) { return item.first == id; });
      if (held == favorites_.end()) {
        items.push_back(errorItem(id, 102, "not a favourite"));
      } else {
        favorites_.erase(held);
        items.push_back(okItem(id));
      }
    }
    reply.body = entriesFeed("favorites", "我的收藏", items, favoriteCount());
  } else if (auto generated = middle(path, "/col/gen-", ".atom");
             generated && generatedCount("gen-" + *generated, "gen-")) {
    // Built once per list (a list never changes, and a refresh asks for it again and again), with
    // its ETag; at most kKeptLists are kept.
    const Generated column = *generatedCount("gen-" + *generated, "gen-");
    std::unique_lock guard(lock_);
    auto kept = generatedLists_.find(column.suffix);
    if (kept == generatedLists_.end()) {
      guard.unlock();
      std::vector<std::string> entries;
      for (int i = 1; i <= column.count; ++i) {
        entries.push_back(generatedArticleEntry("gen-" + column.suffix + "-" + std::to_string(i),
                                                baseUrl(), false));
      }
      std::string feed = entriesFeed("col-gen-" + column.suffix, "generated", entries);
      std::string etag = etagOf(feed);
      guard.lock();
      if (generatedLists_.size() >= kKeptLists) generatedLists_.clear();
      kept = generatedLists_.emplace(column.suffix, std::make_pair(std::move(feed), std::move(etag)))
                 .first;
    }
    const auto& [feed, etag] = kept->second;
    auto match = request.headers.find("if-none-match");
    if (request.method == "GET") reply.headers.emplace_back("ETag", etag);
    if (request.method == "GET" && match != request.headers.end() && match->second == etag) {
      reply.status = 304;
    } else {
      reply.body = feed;
    }
  } else if (path == "/covers.atom") {
    fromDocument("covers.xml");
  } else if (auto column = middle(path, "/col/", ".atom")) {
    fromDocument("column-" + *column + ".xml");
  } else if (auto article = middle(path, "/article/", ".atom")) {
    // A feed of the one article, whose extra link leads to its dynamic part.
    reply.status = 404;
    std::vector<std::string> known = entriesOf(articleDocuments());
    if (article->rfind("gen-", 0) == 0) known = {generatedArticleEntry(*article, baseUrl(), true)};
    // A microblog post opens as an article of its own, made from the post in its column's list.
    for (const auto& [prefix, list] : {std::pair{"mblog-", "column-mblog.xml"}, std::pair{"zelvane-", "column-zelvane.xml"}}) {
      if (!startsWith(*article, prefix)) continue;
      known.clear();
      if (auto post = SampleArticles::microblogArticle(document(list).value_or(""), *article, baseUrl())) {
        known.push_back(std::move(*post));
      }
    }
    for (const auto& entry : known) {
      if (firstId(entry) != *article) continue;
      std::string withExtra = article->rfind("gen-", 0) == 0 || entry.find("<vesk:mblog>") != std::string::npos
                                  ? entry
                              : SampleAlbums::isAlbum(*article)
                                  ? SampleAlbums::withPictures(entry, *article, baseUrl())
                                  : SampleArticles::withPage(entry, *article, baseUrl(), {});
      withExtra.insert(withExtra.rfind("</entry>"),
                       "  <link rel=\"vesk_extra\" type=\"application/atom+xml\" href=\"" +
                           baseUrl() + "/dynamic/" + *article + ".atom\"/>\n  ");
      reply.status = 200;
      reply.body = entriesFeed(*article, "article", {withExtra});
    }
  } else if (auto original = middle(path, "/article/", ".html")) {
    if (auto page = SampleArticleActions::originalPage(articleDocuments(), *original)) {
      reply.body = *page;
      reply.contentType = "text/html;charset=utf-8";
    } else {
      reply.status = 404;
    }
  } else if (auto dynamicPart = middle(path, "/dynamic/", ".atom")) {
    std::lock_guard guard(lock_);
    const bool collected =
        std::any_of(favorites_.begin(), favorites_.end(),
                    [&](const auto& item) { return item.first == *dynamicPart; });
    reply.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<entry" +
                 std::string(kAtomNamespaces) + "><id>" + *dynamicPart +
                 "</id><vesk:favorite collected=\"" + (collected ? "1" : "0") +
                 "\" count=\"" + std::to_string(favorites_.size()) + "\"/>" +
                 comments_.withKeptCount(articleActions_.dynamicRecords(baseUrl(), *dynamicPart), *dynamicPart,
                                          baseUrl()) + "</entry>\n";
  } else if (auto liked = middle(path, "/bump/", ".atom"); liked && post) {
    if (auto body = articleActions_.like(baseUrl(), *liked, request.body)) {
      reply.body = *body;
    } else {
      reply.status = 400;
    }
  } else if (path == "/report/sharing.atom" && post) {
    if (auto body = articleActions_.shareReport(baseUrl(), request.body)) {
      reply.body = *body;
    } else {
      reply.status = 400;
    }
  } else if (auto commented = middle(path, "/comments/", ".atom"); commented && post) {
    // "op=del&id=..." deletes (ok); a post, or an edit ("op=edit"), answers the comment as
    // stored, with a thumbnail of its own.
    if (startsWith(request.query, "op=del")) {
      comments_.remove(*commented, request.query);
      reply.body = okDocument("comment");
    } else {
      reply = storedComment(request.body, true);
      if (reply.status == 200 && request.query.empty()) reply.body = comments_.keep(*commented, reply.body, baseUrl());
    }
  } else if (auto commented = middle(path, "/comments/", ".atom")) {
    // Newest first, two to a page; the first page links to the second.
    fromDocument(request.query == "page=2" ? "comments-2.xml" : "comments.xml");
    replaceAll(reply.body, "{article}", *commented);
    if (request.query.empty()) reply.body = comments_.firstPage(*commented, reply.body);
  } else if (auto video = middle(path, "/video/", ".webm"); video && !video->empty()) {
    // Every article's video is the sample video made at build time.
    if (auto bytes = sampleVideo()) {
      reply.body = *bytes;
      reply.contentType = "video/webm";
    } else {
      reply.status = 404;
      reply.contentType = "text/plain";
    }
  } else if (auto image = middle(path, "/img/", ".png")) {
    // A picture the artwork script drew for the documents, else a block of colour.
    reply.body = picture(*image).value_or(coverImage(*image));
    reply.contentType = "image/png";
  } else if (auto category = middle(path, "/cat/", ".atom")) {
    fromDocument("category-" + *category + ".xml");
  } else if (auto style = middle(path, "/style/", ".css")) {
    reply.body = SampleArticles::styleSheet();
    reply.contentType = "text/css";
    reply.headers.push_back({"Expires", "Thu, 31 Dec 2037 23:59:59 GMT"});  // an article page's cache keeps it
  } else if (path == "/login") {
    // Credentials that name no one (none, or no name in them) ask for credentials.
    auto authorization = request.headers.find("authorization");
    if (authorization != request.headers.end() && basicUser(authorization->second).empty()) {
      authorization = request.headers.end();
    }
    int refusal = 0;
    if (authorization != request.headers.end()) {
      std::lock_guard guard(lock_);
      auto it = loginRefusals_.find(basicUser(authorization->second));
      if (it != loginRefusals_.end()) refusal = it->second;
      if (refusal == 0 && wrongPassword(authorization->second)) refusal = kWrongPasswordReason;
    }
    if (refusal != 0) {
      reply.status = 403;
      reply.contentType = "text/plain";
      reply.headers.emplace_back("X-Error", std::to_string(refusal));
    } else if (authorization != request.headers.end()) {
      // The reader's id as the service keeps it, in a form of its own ("urs." and the name),
      // so a client can tell the stored name came from the service.
      const std::string user = basicUser(authorization->second);
      reply.body = entriesFeed("vesk:login:" + SampleOAuth::escapeMarkup(user), "login",
                               {}, "  <vesk:urs id=\"" + SampleOAuth::escapeMarkup(ursIdOf(user)) + "\"/>\n");
    } else {
      reply.status = 401;
      reply.contentType = "text/plain";
      reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"sample\"");
    }
  } else if (path == "/user/get.atom") {
    fromDocument("profile.xml");
    if (reply.status == 200) reply.body = profile_.current(reply.body);
  } else if (path == "/user/info.atom" && post) {
    // The posted profile is kept (SampleProfile); anything else is refused.
    if (profile_.post(request.body, document("profile.xml").value_or(std::string()))) {
      reply.body = okDocument(path.substr(1));
    } else {
      reply.status = 400;
      reply.contentType = "text/plain";
    }
  } else if (path == "/column/rank.atom" && post) {
    // The reader's rating of the column, shown with the reader's review of it.
    const size_t entry = request.body.find("<entry");
    const size_t value = request.body.find("value=\"", request.body.find("ranking"));
    if (entry != std::string::npos && value != std::string::npos) {
      const std::string column = firstId(request.body.substr(entry));
      std::lock_guard guard(lock_);
      ratings_[column] = request.body.substr(value + 7, request.body.find('"', value + 7) - value - 7);
    }
    reply.body = okDocument("rank");
  } else if (path == "/column/assess.atom" && post) {
    // The comment as stored, listed first among the reviews of the column the post names.
    reply = storedComment(request.body, false);
    if (reply.status == 200) {
      const std::string column = firstId(request.body.substr(request.body.find("<entry")));
      std::lock_guard guard(lock_);
      reviews_.emplace_back(column, reply.body.substr(reply.body.find("<entry")));
    }
  } else if (path == "/shorturl.atom") {
    // "url=<link>" or "articleid=<id>": a short link made from it, which leads to the link or to
    // the article's page.
    const auto url = SampleOAuth::formValue(request.query, "url");
    const auto article = SampleOAuth::formValue(request.query, "articleid");
    if (request.query.empty() || (!url && !article)) {
      reply.body = "<shortUrl/>";
    } else {
      const std::string code = etagOf(request.query).substr(1, 8);
      {
        std::lock_guard guard(lock_);
        shortLinks_[code] = url ? *url : baseUrl() + "/article/" + *article + ".html";
      }
      reply.body = "<shortUrl>" + baseUrl() + kShortLinkPrefix + code + "</shortUrl>";
    }
    reply.contentType = "application/xml";
  } else if (path.rfind(kShortLinkPrefix, 0) == 0 && request.method == "GET") {
    // A short link given out: a redirect to what it was made from.
    std::lock_guard guard(lock_);
    auto link = shortLinks_.find(path.substr(std::string(kShortLinkPrefix).size()));
    if (link == shortLinks_.end()) {
      reply.status = 404;
    } else {
      reply.status = 302;
      reply.headers.emplace_back("Location", link->second);
    }
  } else if (path == "/user/icon.atom" && post) {
    // The uploaded icon stored (the picture of the form's file, else the body) and served at
    // its address: an entry whose content names it.
    const std::string name = "icon-" + etagOf(request.body).substr(1, 8);
    {
      std::lock_guard guard(lock_);
      icons_[name] = request.formFiles.empty() ? request.body : request.formFiles.begin()->second.second;
    }
    reply.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<entry" +
                 std::string(kAtomNamespaces) + "><id>icon</id><content type=\"image/png\" src=\"" +
                 baseUrl() + "/img/" + name + ".png\"/></entry>\n";
  } else if ((path == "/user/password.atom" ||
              path == "/report/statistics.atom") &&
             post) {
    reply.body = okDocument(path.substr(1));
  } else if (path == "/mblog/repost.atom" && post) {
    // A microblog repost: refused with reason 501 (the account is no longer accepted) when
    // the posted token is "revoked".
    reply.body = entriesFeed(
        "repost", "repost",
        {request.body.find("<token>revoked</token>") == std::string::npos
             ? okItem("repost")
             : "<vesk:error><id>repost</id><reason>501</reason><desc>account revoked</desc>"
               "<vesk:customization type=\"sinamblog\" id=\"m1\"/></vesk:error>"});
  } else if (path == "/report/illegal.atom" && post) {
    reply.body = entriesFeed("report", "report", {okItem(firstId(request.body))});
  } else if (auto reviewed = middle(path, "/reviews/", ".atom")) {
    // The column's posted reviews, newest first, then its generated ones, a page at a time.
    std::vector<std::string> items;
    {
      std::lock_guard guard(lock_);
      for (auto it = reviews_.rbegin(); it != reviews_.rend(); ++it) {
        if (it->first != *reviewed) continue;
        std::string review = it->second;
        // A posted review shows the rating its reader gave the column.
        if (auto rating = ratings_.find(*reviewed);
            rating != ratings_.end() && review.find("ranking") == std::string::npos) {
          review.insert(review.rfind("</entry>"), "<vesk:ranking value=\"" + SampleOAuth::escapeMarkup(rating->second) + "\"/>");
        }
        items.push_back(std::move(review));
      }
    }
    for (int i = 1; i <= kGeneratedReviews; ++i) items.push_back(generatedReview(*reviewed, i));
    int page = 1;
    if (startsWith(request.query, "page=")) page = std::max(1, std::atoi(request.query.c_str() + 5));
    const size_t first = static_cast<size_t>(page - 1) * kReviewsPerPage;
    std::vector<std::string> shown;
    for (size_t i = first; i < items.size() && i < first + kReviewsPerPage; ++i) shown.push_back(items[i]);
    std::string next;
    if (first + kReviewsPerPage < items.size()) {
      next = "<link rel=\"next\" type=\"application/atom+xml\" href=\"" + baseUrl() + "/reviews/" +
             *reviewed + ".atom?page=" + std::to_string(page + 1) + "\"/>";
    }
    reply.body = entriesFeed("reviews:" + *reviewed, "reviews", shown, next);
  } else if (auto related = middle(path, "/related/", ".atom")) {
    // Every other column of the catalogue.
    std::vector<std::string> others;
    for (const auto& entry : entriesOf(catalogueColumns())) {
      if (firstId(entry) != *related) others.push_back(entry);
    }
    reply.body = entriesFeed("related:" + *related, "related", others);
  } else if (path == "/store/review.html") {
    // The application store's user-review page, where the settings' 给我们评分 leads in a sample run.
    fromDocument("store-review.html");
    reply.contentType = "text/html;charset=utf-8";
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

  const bool tagged = std::any_of(reply.headers.begin(), reply.headers.end(),
                                  [](const auto& header) { return header.first == "ETag"; });
  if (reply.status == 200 && request.method == "GET" && !tagged) {
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
