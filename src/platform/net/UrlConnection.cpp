#include "platform/net/UrlConnection.h"

#include <curl/curl.h>
#include <malloc.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <atomic>
#include <cmath>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/net/DesktopProxy.h"
#include "platform/net/HttpHeaderParser.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

std::atomic<double> gDefaultTimeout{UrlConnection::kDefaultTimeoutInterval};

std::mutex gTrustedLock;
std::shared_ptr<const std::string> gTrustedCertificate;  // tests only; null: the system's

std::shared_ptr<const std::string> trustedCertificate() {
  std::lock_guard<std::mutex> lock(gTrustedLock);
  return gTrustedCertificate;
}

// Response bodies come and go in bursts (200 answers of 20 KB arrive within a few
// milliseconds, and each is freed once its caller has read it). With the C library's defaults
// every burst ends with the freed heap top handed back to the kernel and the next one faults
// the same pages in again, zeroed: for bursts of transfers that costs more system time than
// the transfers themselves. So freed memory up to kTrimThreshold stays with the process, and
// bodies below kMmapThreshold come from the heap (naming one threshold switches off the
// library's own adjustment of the other, which would otherwise map and unmap every body above
// 128 KB). A process-wide setting, made once by the first transfer.
void keepFreedMemoryForBodies() {
#ifdef __GLIBC__
  constexpr int kTrimThreshold = 16 << 20;
  constexpr int kMmapThreshold = 4 << 20;
  mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
#endif
}

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    keepFreedMemoryForBodies();
  });
}

// Real monotonic time: the transport's time-outs follow the wire, not a test's fake clock.
int64_t monoMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// Appends header text without CR or LF, so nothing a caller passes can start a new header line.
void appendClean(std::string& out, std::string_view s) {
  // Two single-character searches: find_first_of walks the text one character at a time.
  if (s.find('\r') == std::string_view::npos && s.find('\n') == std::string_view::npos) {
    out.append(s);
    return;
  }
  for (char c : s) {
    if (c != '\r' && c != '\n') out.push_back(c);
  }
}

UrlError errorFromCurl(CURLcode code, const char* detail) {
  UrlError e;
  e.message = detail && *detail ? detail : curl_easy_strerror(code);
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT: e.code = UrlError::kTimedOut; break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: e.code = UrlError::kCannotFindHost; break;
    case CURLE_COULDNT_CONNECT: e.code = UrlError::kCannotConnectToHost; break;
    case CURLE_URL_MALFORMAT: e.code = UrlError::kBadUrl; break;
    case CURLE_UNSUPPORTED_PROTOCOL: e.code = UrlError::kUnsupportedUrl; break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING: e.code = UrlError::kNetworkConnectionLost; break;
    case CURLE_TOO_MANY_REDIRECTS: e.code = UrlError::kHttpTooManyRedirects; break;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3: e.code = UrlError::kBadServerResponse; break;
    case CURLE_BAD_CONTENT_ENCODING: e.code = UrlError::kCannotDecodeContentData; break;
    case CURLE_PEER_FAILED_VERIFICATION: e.code = UrlError::kServerCertificateUntrusted; break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: e.code = UrlError::kSecureConnectionFailed; break;
    case CURLE_ABORTED_BY_CALLBACK: e.code = UrlError::kCancelled; break;
    default: e.code = UrlError::kUnknown; break;
  }
  return e;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// EasyHandle: one libcurl easy handle with what stays with it from transfer to transfer. A
// handle is reused by transfer after transfer of its thread, and every option set costs libcurl
// a walk into its large handle structure, so the handle remembers the options last set and a
// transfer sets only what differs: its callbacks reach the transfer through `transfer` (their
// user-data options never change), and its error text and request header list live here.

enum class MethodOptions { Unknown, PlainGet, Other };

struct EasyHandle {
  CURL* easy = nullptr;
  UrlConnection::Transfer* transfer = nullptr;  // the transfer it serves now, or null
  char errorBuffer[CURL_ERROR_SIZE] = {0};
  // The request header lines as sent, each ended by '\n', and the list libcurl reads them from.
  std::string headerText;
  curl_slist* headerList = nullptr;
  // The options as last set; `configured` is false until the first transfer set them.
  bool configured = false;
  bool multiCallbacksSet = false;  // the multi's socket open/close callbacks
  long connectTimeoutMs = -1;
  std::shared_ptr<const std::string> trustedPem;
  // The proxy answer the handle's options were last set from, and those options.
  std::shared_ptr<const ProxySettings> proxySettings;
  std::string proxy;
  bool transparentEncoding = false;
  MethodOptions method = MethodOptions::Unknown;
  bool noProgress = false;

  EasyHandle() = default;
  EasyHandle(const EasyHandle&) = delete;
  EasyHandle& operator=(const EasyHandle&) = delete;
  ~EasyHandle() {
    if (easy) curl_easy_cleanup(easy);
    if (headerList) curl_slist_free_all(headerList);
  }
};

// ---------------------------------------------------------------------------------------------
// Transfer: one exchange with its request, header parser and event sink, on an easy handle.
// libcurl's callbacks land here and only record; the owner decides when the records reach the
// delegate.

class CurlMulti;

struct UrlConnection::Transfer {
  struct Event {
    enum class Kind { Response, Data, Sent, Finish, Fail } kind;
    std::shared_ptr<const UrlResponse> response;
    std::vector<uint8_t> data;
    int64_t written = 0, totalWritten = 0, totalExpected = 0;
    UrlError error;
  };

  UrlRequest request;
  std::unique_ptr<EasyHandle> handle;
  CURL* easy = nullptr;  // handle->easy while the transfer has a handle
  int64_t timeoutMicros = 0;
  int64_t lastActivity = 0;
  // Set by the callbacks when a byte moved; the owner turns it into lastActivity once per
  // round, which spares a clock reading per callback.
  bool moved = false;
  bool idleTimedOut = false;

  // Header block of the response being read (a redirect or 1xx starts a new one).
  HttpHeaderParser headerParser;
  bool responseEmitted = false;
  int64_t expectedLength = -1;  // Content-Length of the emitted response
  int64_t lastUlNow = 0;
  // Body bytes delivered so far, against the request's maxBodyLength; `tooLong` is set when
  // the write callback refused a piece past it.
  int64_t bodyBytes = 0;
  bool tooLong = false;

  // Synchronous use collects directly; asynchronous use queues events.
  bool sync = false;
  std::shared_ptr<const UrlResponse> syncResponse;
  std::vector<uint8_t> syncData;
  // Events not yet delivered, oldest first. An exchange records a handful (response, data,
  // finish), which fit in the queue itself; more go to a list after them.
  class EventQueue {
   public:
    bool empty() const { return head_ == count_ && overflowHead_ == overflow_.size(); }
    Event& back() { return overflow_.empty() ? inline_[count_ - 1] : overflow_.back(); }
    void push_back(Event e) {
      if (overflow_.empty() && count_ < kInline) {
        inline_[count_++] = std::move(e);
      } else {
        overflow_.push_back(std::move(e));
      }
    }
    Event take() {
      Event e = head_ < count_ ? std::move(inline_[head_++])
                               : std::move(overflow_[overflowHead_++]);
      if (empty()) clear();
      return e;
    }
    void clear() {
      for (size_t i = head_; i < count_; ++i) inline_[i] = Event{};
      head_ = count_ = 0;
      overflow_.clear();
      overflowHead_ = 0;
    }

   private:
    static constexpr size_t kInline = 3;
    std::array<Event, kInline> inline_{};
    size_t head_ = 0, count_ = 0;
    std::vector<Event> overflow_;
    size_t overflowHead_ = 0;
  };
  EventQueue events;

  // Connection bookkeeping (asynchronous use).
  CurlMulti* multi = nullptr;  // the starting thread's multi handle
  UrlConnection* owner = nullptr;
  UrlConnectionDelegate* delegate = nullptr;
  bool running = false;
  bool inMulti = false;
  bool queued = false;  // on the multi's ready list
  // Position in the multi's list of running connections (kNotActive: not in it).
  static constexpr size_t kNotActive = static_cast<size_t>(-1);
  size_t activeIndex = kNotActive;

  void touch() { moved = true; }
  // An event was queued: the connection goes on the multi's ready list.
  void recorded();

  // Sets an easy handle up for this transfer; `reuse` is a spare handle of the thread's multi
  // (set up by an earlier configure()), or null for a new one.
  bool configure(std::unique_ptr<EasyHandle> reuse = nullptr);
  // Takes the handle away for reuse; nothing of this transfer stays reachable from it.
  std::unique_ptr<EasyHandle> releaseHandle();
  void emitResponse();
  // The error of a transfer that libcurl ended with `code`.
  UrlError failure(CURLcode code) const;
  void onHeaderLine(std::string_view line);
  // False when the piece would take the body past the request's limit (nothing is kept).
  bool onData(const char* data, size_t length);
  void onProgress(curl_off_t ulnow);

  static size_t headerCb(char* data, size_t size, size_t n, void* self);
  static size_t writeCb(char* data, size_t size, size_t n, void* self);
  static int xferCb(void* self, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow);
};

bool UrlConnection::Transfer::configure(std::unique_ptr<EasyHandle> reuse) {
  globalInit();
  if (reuse) {
    handle = std::move(reuse);
  } else {
    handle = std::make_unique<EasyHandle>();
    handle->easy = curl_easy_init();
    if (!handle->easy) {
      handle.reset();
      return false;
    }
  }
  EasyHandle& h = *handle;
  easy = h.easy;
  h.transfer = this;
  h.errorBuffer[0] = '\0';
  double timeout = request.timeoutInterval().value_or(UrlConnection::defaultTimeoutInterval());
  if (!(timeout > 0)) timeout = UrlConnection::defaultTimeoutInterval();
  timeoutMicros = static_cast<int64_t>(std::min(timeout, 1e9) * 1e6);

  const bool first = !h.configured;
  h.configured = true;
  if (first) {
    // What every transfer shares, set once per handle.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 16L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::headerCb);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::writeCb);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::xferCb);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &h);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, h.errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &h);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &h);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &h);
  }

  // Everything below is compared with what the handle's previous transfer set, so nothing of
  // it carries over and nothing unchanged is set again.
  // The address is set every time: libcurl keeps where a redirect or a retry took the previous
  // transfer until it is told again.
  curl_easy_setopt(easy, CURLOPT_URL, request.url().c_str());
  const long connectTimeoutMs = static_cast<long>(std::max<int64_t>(1, timeoutMicros / 1000));
  if (first || h.connectTimeoutMs != connectTimeoutMs) {
    h.connectTimeoutMs = connectTimeoutMs;
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
  }
  auto pem = trustedCertificate();
  if (pem != h.trustedPem) {
    if (pem) {
      curl_blob blob{const_cast<char*>(pem->data()), pem->size(), CURL_BLOB_COPY};
      curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    } else {
      curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, nullptr);
    }
    h.trustedPem = std::move(pem);
  }

  // The desktop's proxy (DesktopProxy), never libcurl's own reading of the environment: the
  // proxy for the address's scheme ("" for none), and the hosts reached directly, which libcurl
  // checks again at each redirect. (A redirect to the other scheme keeps this scheme's proxy:
  // libcurl takes one proxy per transfer.)
  auto proxySettings = DesktopProxy::current();
  std::string proxy = proxySettings->curlProxy(request.url());
  if (first || proxy != h.proxy) {
    h.proxy = std::move(proxy);
    curl_easy_setopt(easy, CURLOPT_PROXY, h.proxy.c_str());
  }
  if (first || proxySettings != h.proxySettings) {
    const std::string noProxy = proxySettings->curlNoProxy();
    // "" rather than none: with none libcurl would read no_proxy from the environment.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str());
    h.proxySettings = std::move(proxySettings);
  }

  // Content decoding: transparent unless the caller negotiates the encoding itself or asks
  // for a byte range (a range of a compressed representation cannot be decoded piecewise).
  const bool transparent =
      !request.value("Accept-Encoding").has_value() && !request.value("Range").has_value();
  if (first || transparent != h.transparentEncoding) {
    h.transparentEncoding = transparent;
    if (transparent) {
      // The two encodings servers use; naming them spares libcurl listing all it knows.
      curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
      curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 1L);
    } else {
      curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, nullptr);
      curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    }
  }

  // The header lines, each ended by '\n'; the handle's list is rebuilt only when they differ
  // from its previous transfer's.
  thread_local std::string text;
  text.clear();
  for (const auto& [name, value] : request.headers()) {
    const size_t start = text.size();
    appendClean(text, name);
    const size_t nameLength = text.size() - start;
    if (nameLength == 0 || text.find(':', start) != std::string::npos) {
      text.resize(start);
      continue;
    }
    text += ": ";
    appendClean(text, value);
    // "Name;" is libcurl's way of sending a field with an empty value.
    if (text.size() == start + nameLength + 2) text.replace(start + nameLength, 2, ";");
    text += '\n';
  }
  // libcurl would ask a large upload for "100-continue" first; bodies go out at once.
  if (request.body()) text += "Expect:\n";
  if (first || text != h.headerText) {
    if (h.headerList) curl_slist_free_all(h.headerList);
    h.headerList = nullptr;
    h.headerText = text;
    for (size_t at = 0; at < h.headerText.size();) {
      const size_t end = h.headerText.find('\n', at);
      h.headerText[end] = '\0';  // one line at a time for libcurl, which copies each
      h.headerList = curl_slist_append(h.headerList, h.headerText.c_str() + at);
      h.headerText[end] = '\n';
      at = end + 1;
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, h.headerList);
  }

  const std::string& method = request.method();
  const auto& body = request.body();
  const bool plainGet = iequals(method, "GET") && !body;
  if (plainGet && h.method == MethodOptions::PlainGet) {
    // Set so by the previous transfer and not changed since.
  } else {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    if (!body) {
      // A previous transfer's body must not be sent again (setting it selects POST, which
      // HTTPGET then undoes).
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(-1));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, nullptr);
    }
    if (plainGet) {
      curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (iequals(method, "HEAD") && !body) {
      curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (!body && !iequals(method, "POST")) {
      // A body-less DELETE and the like: no body and no Content-Type.
      curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
      curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else {
      static const char kEmpty[] = "";
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                       static_cast<curl_off_t>(body ? body->size() : 0));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS,
                       body && !body->empty() ? reinterpret_cast<const char*>(body->data())
                                              : kEmpty);
      if (!iequals(method, "POST")) {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
      }
    }
    h.method = plainGet ? MethodOptions::PlainGet : MethodOptions::Other;
  }

  // Progress is needed for sent-body reports and for the blocking idle time-out only.
  const bool noProgress = !(sync || body);
  if (first || noProgress != h.noProgress) {
    h.noProgress = noProgress;
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, noProgress ? 1L : 0L);
  }
  lastActivity = monoMicros();
  return true;
}

std::unique_ptr<EasyHandle> UrlConnection::Transfer::releaseHandle() {
  if (handle) handle->transfer = nullptr;
  easy = nullptr;
  return std::move(handle);
}

void UrlConnection::Transfer::emitResponse() {
  if (responseEmitted || !headerParser.hasBlock()) return;
  responseEmitted = true;
  char* effective = nullptr;
  std::string url = curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
                            effective
                        ? std::string(effective)
                        : request.url();
  std::shared_ptr<UrlResponse> r = headerParser.takeResponse(std::move(url));
  expectedLength = r->expectedContentLength;
  if (sync) {
    syncResponse = std::move(r);
  } else {
    Event e{Event::Kind::Response, std::move(r), {}, 0, 0, 0, {}};
    events.push_back(std::move(e));
    recorded();
  }
}

UrlError UrlConnection::Transfer::failure(CURLcode code) const {
  if (code == CURLE_WRITE_ERROR && tooLong) {
    return UrlError{UrlError::kDataLengthExceedsMaximum, "the body is longer than allowed"};
  }
  return errorFromCurl(code, handle ? handle->errorBuffer : nullptr);
}

void UrlConnection::Transfer::onHeaderLine(std::string_view line) {
  touch();
  headerParser.feedLine(line);
}

bool UrlConnection::Transfer::onData(const char* chars, size_t length) {
  touch();
  emitResponse();
  const auto& limit = request.maxBodyLength();
  if (limit && bodyBytes + static_cast<int64_t>(length) > *limit) {
    tooLong = true;
    return false;
  }
  bodyBytes += static_cast<int64_t>(length);
  // Bytes, not chars, so the copies below are plain memory copies.
  const auto* data = reinterpret_cast<const uint8_t*>(chars);
  if (sync) {
    syncData.insert(syncData.end(), data, data + length);
    return true;
  }
  if (!events.empty() && events.back().kind == Event::Kind::Data) {
    events.back().data.insert(events.back().data.end(), data, data + length);
  } else {
    Event e{Event::Kind::Data, nullptr, {}, 0, 0, 0, {}};
    // Room for the announced body up front (bounded), so appends do not keep reallocating.
    e.data.reserve(std::max<size_t>(length, static_cast<size_t>(std::min<int64_t>(
                                                std::max<int64_t>(expectedLength, 0), 8 << 20))));
    e.data.assign(data, data + length);
    events.push_back(std::move(e));
  }
  recorded();
  return true;
}

void UrlConnection::Transfer::onProgress(curl_off_t ulnow) {
  if (ulnow <= lastUlNow) return;
  touch();
  int64_t delta = ulnow - lastUlNow;
  lastUlNow = ulnow;
  if (sync) return;
  int64_t expected = request.bodyLength();
  if (!events.empty() && events.back().kind == Event::Kind::Sent) {
    events.back().written += delta;
    events.back().totalWritten = ulnow;
  } else {
    events.push_back(Event{Event::Kind::Sent, nullptr, {}, delta, ulnow, expected, {}});
  }
  recorded();
}

// The callbacks' user data is the handle; a handle serves a transfer whenever libcurl runs it.
size_t UrlConnection::Transfer::headerCb(char* data, size_t size, size_t n, void* self) {
  Transfer* t = static_cast<EasyHandle*>(self)->transfer;
  if (!t) return 0;
  t->onHeaderLine(std::string_view(data, size * n));
  return size * n;
}

size_t UrlConnection::Transfer::writeCb(char* data, size_t size, size_t n, void* self) {
  Transfer* t = static_cast<EasyHandle*>(self)->transfer;
  // Taking less than offered makes libcurl end the transfer with a write error.
  return t && t->onData(data, size * n) ? size * n : 0;
}

int UrlConnection::Transfer::xferCb(void* self, curl_off_t, curl_off_t dlnow, curl_off_t,
                                    curl_off_t ulnow) {
  Transfer* t = static_cast<EasyHandle*>(self)->transfer;
  if (!t) return 1;
  (void)dlnow;  // received bytes are seen by the header and write callbacks
  t->onProgress(ulnow);
  if (!t->sync) return 0;
  int64_t now = monoMicros();
  if (t->moved) {
    t->moved = false;
    t->lastActivity = now;
  }
  if (now - t->lastActivity >= t->timeoutMicros) {
    t->idleTimedOut = true;
    return 1;  // abort: the idle time-out passed
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// CurlMulti: the multi handle of one thread's run loop. libcurl's sockets and the timer live in
// one epoll set, and the run loop watches only that set: adding and removing sockets as
// transfers come and go costs an epoll_ctl, never a change to the loop's own watch list.

class CurlMulti {
 public:
  static CurlMulti& forCurrentThread() {
    thread_local std::unique_ptr<CurlMulti> multi;
    if (!multi) multi.reset(new CurlMulti());
    return *multi;
  }

  ~CurlMulti() {
    for (auto& c : active_) {
      if (c->t_->inMulti) curl_multi_remove_handle(multi_, c->t_->easy);
      c->t_->inMulti = false;
      c->t_->running = false;
      c->t_->events.clear();
      c->t_->multi = nullptr;
    }
    active_.clear();
    ready_.clear();
    loop_->unwatchFd(epollWatch_);
    curl_multi_cleanup(multi_);
    spare_.clear();
    ::close(timerFd_);
    ::close(epollFd_);
  }

  void add(const std::shared_ptr<UrlConnection>& c) {
    Transfer& t = *c->t_;
    t.running = true;
    t.activeIndex = active_.size();
    active_.push_back(c);
    // libcurl closes its sockets through this multi, so each leaves the epoll set while its
    // number is still ours (a spare handle of this multi has the setting already).
    if (!t.handle->multiCallbacksSet) {
      t.handle->multiCallbacksSet = true;
      curl_easy_setopt(t.easy, CURLOPT_OPENSOCKETFUNCTION, &CurlMulti::openSocketCb);
      curl_easy_setopt(t.easy, CURLOPT_OPENSOCKETDATA, this);
      curl_easy_setopt(t.easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlMulti::closeSocketCb);
      curl_easy_setopt(t.easy, CURLOPT_CLOSESOCKETDATA, this);
    }
    bool wasDriving = driving_;
    driving_ = true;
    CURLMcode rc = curl_multi_add_handle(multi_, t.easy);
    if (rc == CURLM_OK) {
      t.inMulti = true;
      ++inMultiCount_;
      const int64_t deadline = t.lastActivity + t.timeoutMicros;
      if (idleDeadline_ < 0 || deadline < idleDeadline_) idleDeadline_ = deadline;
      // Send at once rather than on the next turn of the loop: libcurl only records what it
      // sees, and nothing reaches a delegate before start() has returned.
      runImmediate();
    }
    driving_ = wasDriving;
    if (rc != CURLM_OK) {
      failLater(c, UrlError{UrlError::kUnknown, curl_multi_strerror(rc)});
      return;
    }
    // A round must follow when libcurl wants its timeout, a transfer recorded events, or one
    // ended (libcurl runs fewer transfers than are in the multi handle).
    if (immediateWanted_ || !ready_.empty() || lastRunning_ < inMultiCount_) schedule();
    rearm();
  }

  // Puts a connection on the ready list (once until its events are delivered).
  void enqueue(const std::shared_ptr<UrlConnection>& c) {
    if (c->t_->queued) return;
    c->t_->queued = true;
    ready_.push_back(c);
  }

  void cancel(UrlConnection* c) {
    Transfer& t = *c->t_;
    if (t.inMulti) removeHandle(t);
    t.running = false;
    t.events.clear();
    recycle(t);
    removeActive(c);
    settleImmediate();
  }

  // A failure found outside libcurl's flow (add failed): delivered from the loop, never inside
  // start().
  void failLater(const std::shared_ptr<UrlConnection>& c, UrlError error) {
    Transfer& t = *c->t_;
    t.events.push_back(Transfer::Event{Transfer::Event::Kind::Fail, nullptr, {}, 0, 0, 0,
                                       std::move(error)});
    t.running = false;
    recycle(t);
    removeActive(c.get());
    enqueue(c);
    schedule();
  }

  // A connection whose transfer recorded events (from inside libcurl's callbacks).
  void enqueueReady(UrlConnection& c) { enqueue(c.shared_from_this()); }

  // A handle of an ended transfer for the next one (configure() sets every option that
  // differs between transfers), or null to make a new one.
  std::unique_ptr<EasyHandle> spareHandle() {
    if (spare_.empty()) return nullptr;
    std::unique_ptr<EasyHandle> handle = std::move(spare_.back());
    spare_.pop_back();
    return handle;
  }

 private:
  using Transfer = UrlConnection::Transfer;
  static constexpr size_t kMaxSpare = 256;

  // What is known of each socket number libcurl uses, indexed by the number: whether it is in
  // the epoll set and with which events, whether it is parked (an idle connection that libcurl
  // no longer watches), and whether libcurl opened it through openSocketCb and has not closed
  // it yet (a connection's socket).
  struct Socket {
    uint32_t events = 0;
    bool inSet = false;
    bool parked = false;
    bool connection = false;
  };

  CurlMulti() : loop_(RunLoop::current()) {
    globalInit();
    multi_ = curl_multi_init();
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (!multi_ || epollFd_ < 0 || timerFd_ < 0) {
      throw std::runtime_error("UrlConnection: cannot set up the multi handle");
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = timerFd_;
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, timerFd_, &ev);
    epollWatch_ = loop_->watchFd(epollFd_, true, false, [this](int, bool, bool) { onReady(); });
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMulti::socketCb);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMulti::timerCb);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    // libcurl's default sizes the idle-connection cache by the transfers in the multi handle
    // (four each), and transfers leave it as they end: as a burst of transfers drains, the
    // connections it opened are closed one after another and the next burst connects again.
    // The thread keeps as many idle connections as it keeps spare handles.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, static_cast<long>(kMaxSpare));
  }

  // Takes a socket out of the epoll set and the table, when it is there.
  void forgetSocket(curl_socket_t fd) {
    Socket* s = watched(fd);
    if (!s) return;
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    s->inSet = false;
    s->parked = false;
  }

  // The table's entry for a socket number, made when missing (numbers are small and dense, so
  // a table indexed by number serves every callback without hashing or allocating).
  Socket& slot(curl_socket_t fd) {
    const auto i = static_cast<size_t>(fd);
    if (i >= sockets_.size()) sockets_.resize(std::max<size_t>(i + 1, sockets_.size() * 2));
    return sockets_[i];
  }
  // The entry of a socket in the epoll set, or null.
  Socket* watched(curl_socket_t fd) {
    const auto i = static_cast<size_t>(fd);
    return fd >= 0 && i < sockets_.size() && sockets_[i].inSet ? &sockets_[i] : nullptr;
  }

  // libcurl opens a connection's socket: through here, so it is known as one.
  static curl_socket_t openSocketCb(void* self, curlsocktype, curl_sockaddr* address) {
    int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd < 0) return CURL_SOCKET_BAD;
    Socket& s = static_cast<CurlMulti*>(self)->slot(fd);
    // A number still in the table belonged to a socket that libcurl closed without this
    // multi's close callback; the kernel forgot its registration with it, so the new socket is
    // not in the set whatever the table says.
    s = Socket{};
    s.connection = true;
    return fd;
  }

  // libcurl closes a connection's socket. It may do so before (or without) announcing the
  // socket's removal through socketCb; once closed, the number can belong to another thread's
  // file at once, so the socket leaves the set first. A later removal finds nothing to do.
  static int closeSocketCb(void* self, curl_socket_t fd) {
    auto* m = static_cast<CurlMulti*>(self);
    m->forgetSocket(fd);
    if (fd >= 0) m->slot(fd).connection = false;
    return ::close(fd);
  }

  static int socketCb(CURL*, curl_socket_t fd, int what, void* self, void*) {
    auto* m = static_cast<CurlMulti*>(self);
    if (fd < 0) return 0;
    Socket* watchedSocket = m->watched(fd);
    if (what == CURL_POLL_REMOVE) {
      if (!watchedSocket) return 0;
      if (watchedSocket->connection) {
        // A connection going idle, most likely used again by the next transfer: it stays in
        // the set, parked, which spares a system call now and on its reuse, and never names a
        // number that libcurl may already have closed.
        watchedSocket->parked = true;
      } else {
        m->forgetSocket(fd);
      }
      return 0;
    }
    uint32_t events = 0;
    if (what == CURL_POLL_IN || what == CURL_POLL_INOUT) events |= EPOLLIN;
    if (what == CURL_POLL_OUT || what == CURL_POLL_INOUT) events |= EPOLLOUT;
    epoll_event ev{};
    ev.events = events;
    ev.data.fd = fd;
    Socket& s = m->slot(fd);
    if (!s.inSet) {
      epoll_ctl(m->epollFd_, EPOLL_CTL_ADD, fd, &ev);
    } else if (s.events != events) {
      // A socket that libcurl closed without the close callback may have left its number in
      // the table; the kernel then forgot the old registration and the socket is added anew.
      if (epoll_ctl(m->epollFd_, EPOLL_CTL_MOD, fd, &ev) != 0 && errno == ENOENT) {
        epoll_ctl(m->epollFd_, EPOLL_CTL_ADD, fd, &ev);
      }
    }
    // A parked connection woken with the events it was parked with is still registered as it
    // was (a parked socket that stirred left the set, and a new socket under its number was
    // reset by openSocketCb): reusing a connection costs no system call.
    s.events = events;
    s.inSet = true;
    s.parked = false;
    return 0;
  }

  static int timerCb(CURLM*, long timeoutMs, void* self) {
    auto* m = static_cast<CurlMulti*>(self);
    if (timeoutMs == 0) {
      // "As soon as possible": done right after the current round when one is running,
      // otherwise on the next turn of the loop (a post is cheaper than arming the timer).
      m->curlDue_ = -1;
      m->immediateWanted_ = true;
      if (!m->driving_) m->schedule();
      return 0;
    }
    m->curlDue_ = timeoutMs < 0 ? -1 : monoMicros() + int64_t(timeoutMs) * 1000;
    m->rearm();
    return 0;
  }

  // The epoll set is readable: serve every ready socket and the timer, then the rest.
  void onReady() {
    // Room for every socket of a busy loop, so one round serves them all.
    epoll_event events[256];
    int n = epoll_wait(epollFd_, events, 256, 0);
    bool wasDriving = driving_;
    driving_ = true;
    int& running = lastRunning_;
    for (int i = 0; i < n; ++i) {
      int fd = events[i].data.fd;
      if (fd == timerFd_) {
        uint64_t expirations = 0;
        ssize_t r = ::read(timerFd_, &expirations, sizeof expirations);
        (void)r;
        armedAt_ = -1;
        if (curlDue_ >= 0 && curlDue_ <= monoMicros()) {
          curlDue_ = -1;
          curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
        }
        continue;
      }
      const Socket* parked = watched(fd);
      if (parked && parked->parked) {
        // An idle connection stirred (its peer closed it, most likely). libcurl is not
        // watching it; it finds out when it next tries the connection. Out of the set, so the
        // loop does not keep waking for it.
        forgetSocket(fd);
        continue;
      }
      uint32_t e = events[i].events;
      bool failed = e & (EPOLLERR | EPOLLHUP);
      int flags = ((e & EPOLLIN) || failed ? CURL_CSELECT_IN : 0) |
                  ((e & EPOLLOUT) || failed ? CURL_CSELECT_OUT : 0);
      curl_multi_socket_action(multi_, fd, flags, &running);
    }
    runImmediate();
    driving_ = wasDriving;
    afterCurl();
  }

  // Takes a transfer out of libcurl. libcurl may ask for its timeout "now" meanwhile; that is
  // settled by the caller (settleImmediate), not by an extra turn of the loop.
  void removeHandle(Transfer& t) {
    if (t.inMulti) --inMultiCount_;
    t.inMulti = false;
    bool wasDriving = driving_;
    driving_ = true;
    curl_multi_remove_handle(multi_, t.easy);
    driving_ = wasDriving;
  }

  // A "now" timeout that libcurl asked for while transfers were taken out matters only when
  // some transfer is still in the multi handle.
  void settleImmediate() {
    if (!immediateWanted_ || driving_) return;
    if (inMultiCount_ > 0) {
      schedule();
      return;
    }
    immediateWanted_ = false;
  }

  void runImmediate() {
    for (int i = 0; immediateWanted_ && i < 8; ++i) {
      immediateWanted_ = false;
      curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &lastRunning_);
    }
  }

  // Runs a round on the next turn of the loop (once, however often asked).
  void schedule() {
    if (postPending_) return;
    postPending_ = true;
    std::weak_ptr<CurlMulti*> alive = alive_;
    loop_->post([alive] {
      auto self = alive.lock();
      if (!self) return;
      CurlMulti* m = *self;
      m->postPending_ = false;
      bool wasDriving = m->driving_;
      m->driving_ = true;
      m->runImmediate();
      m->driving_ = wasDriving;
      m->afterCurl();
    });
  }

  // After libcurl returned: collect ended transfers, enforce idle time-outs, deliver events.
  void afterCurl() {
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
      if (msg->msg != CURLMSG_DONE) continue;
      Transfer* t = nullptr;
      EasyHandle* handle = nullptr;
      curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, reinterpret_cast<char**>(&handle));
      if (handle) t = handle->transfer;
      CURLcode result = msg->data.result;
      if (!t || !t->owner || !t->inMulti) continue;
      std::shared_ptr<UrlConnection> c = t->owner->shared_from_this();
      removeHandle(*t);
      end(c, result == CURLE_OK ? std::nullopt : std::optional<UrlError>(t->failure(result)));
    }
    checkIdleTimeouts();
    settleImmediate();
    rearm();
    dispatch();
  }

  void end(const std::shared_ptr<UrlConnection>& c, std::optional<UrlError> error) {
    Transfer& t = *c->t_;
    if (error) {
      t.events.push_back(
          Transfer::Event{Transfer::Event::Kind::Fail, nullptr, {}, 0, 0, 0, std::move(*error)});
    } else {
      t.emitResponse();
      t.events.push_back(Transfer::Event{Transfer::Event::Kind::Finish, nullptr, {}, 0, 0, 0, {}});
    }
    t.running = false;
    recycle(t);
    enqueue(c);
    removeActive(c.get());
  }

  // Ends the transfers in which no byte moved for their time-out. The scan runs when the
  // earliest deadline may have come, and otherwise at most every kIdleScanMicros: a transfer
  // that moved is credited with the scan's time, so a time-out can fire up to that much late,
  // never early, and a busy loop does not scan every transfer on every event.
  void checkIdleTimeouts() {
    const int64_t now = monoMicros();
    if (now < nextIdleScan_ && (idleDeadline_ < 0 || now < idleDeadline_)) return;
    nextIdleScan_ = now + kIdleScanMicros;
    idleDeadline_ = -1;
    for (size_t i = 0; i < active_.size();) {
      auto c = active_[i];
      Transfer& t = *c->t_;
      if (t.moved) {
        t.moved = false;
        t.lastActivity = now;
      }
      if (t.inMulti && now - t.lastActivity >= t.timeoutMicros) {
        removeHandle(t);
        end(c, UrlError{UrlError::kTimedOut, "no data moved within the time-out"});
        continue;  // end() put the last connection in its place
      }
      if (t.inMulti) {
        const int64_t deadline = t.lastActivity + t.timeoutMicros;
        if (idleDeadline_ < 0 || deadline < idleDeadline_) idleDeadline_ = deadline;
      }
      ++i;
    }
  }

  // Delivers queued events, one at a time, so a callback that cancels, starts connections or
  // turns the run loop (which may deliver further events from within) keeps the order.
  void dispatch() {
    while (!ready_.empty()) {
      std::shared_ptr<UrlConnection> c = std::move(ready_.front());
      ready_.pop_front();
      c->t_->queued = false;
      Transfer& t = *c->t_;
      while (!t.events.empty() && t.delegate) {
        Transfer::Event e = t.events.take();
        UrlConnectionDelegate* d = t.delegate;
        switch (e.kind) {
          case Transfer::Event::Kind::Response:
            d->connectionDidReceiveResponse(*c, e.response);
            break;
          case Transfer::Event::Kind::Data:
            d->connectionDidReceiveDataBuffer(*c, std::move(e.data));
            break;
          case Transfer::Event::Kind::Sent:
            d->connectionDidSendBodyData(*c, e.written, e.totalWritten, e.totalExpected);
            break;
          case Transfer::Event::Kind::Finish:
            t.delegate = nullptr;
            d->connectionDidFinishLoading(*c);
            break;
          case Transfer::Event::Kind::Fail:
            t.delegate = nullptr;
            d->connectionDidFailWithError(*c, e.error);
            break;
        }
      }
    }
  }

  // Takes the easy handle of an ended transfer back for reuse; the transfer no longer needs it.
  void recycle(Transfer& t) {
    if (!t.handle || t.inMulti) return;
    std::unique_ptr<EasyHandle> handle = t.releaseHandle();
    if (spare_.size() < kMaxSpare) spare_.push_back(std::move(handle));
  }

  // Takes a connection off the running list in constant time: the last one takes its place.
  // This may drop the last reference to `c`, so nothing touches it after.
  void removeActive(UrlConnection* c) {
    const size_t i = c->t_->activeIndex;
    if (i >= active_.size() || active_[i].get() != c) return;
    c->t_->activeIndex = Transfer::kNotActive;
    if (i + 1 != active_.size()) {
      active_[i] = std::move(active_.back());
      active_[i]->t_->activeIndex = i;
    }
    active_.pop_back();
  }

  // Arms the timer for the earlier of libcurl's timer and the next idle deadline. A timer
  // already set to go off earlier is left alone: going off early costs one idle round (the
  // deadlines are checked again then), while re-arming on every event costs a system call.
  void rearm() {
    int64_t due = curlDue_;
    if (idleDeadline_ >= 0 && (due < 0 || idleDeadline_ < due)) due = idleDeadline_;
    if (due < 0 || (armedAt_ >= 0 && armedAt_ <= due)) return;
    itimerspec when{};
    int64_t at = std::max<int64_t>(due, 1);
    when.it_value.tv_sec = at / 1000000;
    when.it_value.tv_nsec = (at % 1000000) * 1000;
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
    armedAt_ = due;
  }

  std::shared_ptr<RunLoop> loop_;
  // Lets a task posted to the loop find out whether this multi still exists.
  std::shared_ptr<CurlMulti*> alive_ = std::make_shared<CurlMulti*>(this);
  CURLM* multi_ = nullptr;
  int epollFd_ = -1;
  int timerFd_ = -1;
  RunLoop::WatchId epollWatch_ = 0;
  std::vector<Socket> sockets_;
  int64_t curlDue_ = -1;
  int64_t armedAt_ = -1;
  bool driving_ = false;          // inside a round of libcurl calls
  bool immediateWanted_ = false;  // libcurl asked for its timeout "now"
  bool postPending_ = false;
  int lastRunning_ = 0;  // transfers libcurl reported running after its last call
  int inMultiCount_ = 0;  // transfers in the multi handle
  // The earliest idle deadline as of the last scan or start (-1: none), and when the next scan
  // is due regardless.
  static constexpr int64_t kIdleScanMicros = 50000;
  int64_t idleDeadline_ = -1;
  int64_t nextIdleScan_ = 0;
  std::vector<std::unique_ptr<EasyHandle>> spare_;  // handles of ended transfers, for reuse
  std::vector<std::shared_ptr<UrlConnection>> active_;
  std::deque<std::shared_ptr<UrlConnection>> ready_;
};

// ---------------------------------------------------------------------------------------------

void UrlConnection::Transfer::recorded() {
  if (multi && owner && !queued) multi->enqueueReady(*owner);
}

UrlConnection::~UrlConnection() = default;

std::shared_ptr<UrlConnection> UrlConnection::start(UrlRequest request,
                                                    UrlConnectionDelegate* delegate) {
  // One allocation for the connection, its transfer and the control block. The base is made
  // first and only keeps the transfer's address; the transfer is destroyed before it.
  struct Made : UrlConnection {
    Made() : UrlConnection(transfer) {}
    Transfer transfer;
  };
  std::shared_ptr<UrlConnection> c = std::make_shared<Made>();
  c->t_->request = std::move(request);
  c->t_->delegate = delegate;
  CurlMulti& multi = CurlMulti::forCurrentThread();
  c->t_->multi = &multi;
  c->t_->owner = c.get();
  // libcurl would take an address without a scheme for http and its path's first part for
  // the host; such an address names no server and is refused as the platform refuses it.
  if (!UrlRequest::hasHttpScheme(c->t_->request.url())) {
    c->t_->running = true;
    multi.failLater(c, UrlError{UrlError::kUnsupportedUrl, "unsupported URL"});
    return c;
  }
  if (!c->t_->configure(multi.spareHandle())) {
    c->t_->running = true;
    multi.failLater(c, UrlError{UrlError::kUnknown, "curl_easy_init failed"});
    return c;
  }
  multi.add(c);
  return c;
}

void UrlConnection::cancel() {
  t_->delegate = nullptr;
  t_->events.clear();
  if ((t_->running || t_->inMulti) && t_->multi) t_->multi->cancel(this);
}

bool UrlConnection::isRunning() const { return t_->running; }

const UrlRequest& UrlConnection::request() const { return t_->request; }

double UrlConnection::defaultTimeoutInterval() { return gDefaultTimeout.load(); }

void UrlConnection::setDefaultTimeoutIntervalForTesting(double seconds) {
  gDefaultTimeout.store(seconds > 0 ? seconds : kDefaultTimeoutInterval);
}

void UrlConnection::setTrustedCertificateForTesting(std::optional<std::string> pem) {
  std::lock_guard<std::mutex> lock(gTrustedLock);
  gTrustedCertificate = pem ? std::make_shared<const std::string>(std::move(*pem)) : nullptr;
}

UrlConnection::SyncResult UrlConnection::sendSync(const UrlRequest& request) {
  SyncResult out;
  Transfer t;
  t.sync = true;
  t.request = request;
  if (!t.configure()) {
    out.error = UrlError{UrlError::kUnknown, "curl_easy_init failed"};
    return out;
  }
  CURLcode rc = curl_easy_perform(t.easy);
  if (rc == CURLE_OK) {
    t.emitResponse();
  } else if (rc == CURLE_ABORTED_BY_CALLBACK && t.idleTimedOut) {
    out.error = UrlError{UrlError::kTimedOut, "no data moved within the time-out"};
  } else {
    out.error = t.failure(rc);
  }
  out.response = std::move(t.syncResponse);
  out.data = std::move(t.syncData);
  return out;
}

}  // namespace zu
