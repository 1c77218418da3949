#include "engine/http/HttpEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <utility>
#include <filesystem>

#include "common/Base64.h"
#include "common/CommInfo.h"
#include "common/Log.h"
#include "engine/core/ClassName.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/CachedHttpResponse.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngineUtils.h"
#include "platform/crypto/Md5.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

std::atomic<double> gRequestTimeout{HttpEngine::kRequestTimeout};

// How the platform's "%@" writes an absent object.
std::string orNull(const std::optional<std::string>& s) { return s ? *s : "(null)"; }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return out;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return out;
}

// The leading integer of a header value, as the platform's longLongValue reads it (0 when none).
int64_t leadingInt64(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // One sign only: from_chars would take a second '-' itself, and negating its INT64_MIN
  // overflows.
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) return 0;
  int64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc()) return 0;
  (void)p;
  return negative ? -v : v;
}

// Whether a "Content-Range" value, already read into `start` and `total` (0: unknown, "*"),
// describes a range that can exist: no negative total, the range inside a known total and its
// end not before its start.
bool contentRangeIsConsistent(std::string_view text, int64_t start, int64_t total) {
  if (total < 0 || start < 0) return false;
  int64_t end = -1;
  size_t dash = text.find('-', 6);
  size_t slash = text.find('/');
  if (dash != std::string_view::npos && slash != std::string_view::npos && dash < slash) {
    std::string_view endText = text.substr(dash + 1, slash - dash - 1);
    if (!endText.empty() && endText.front() >= '0' && endText.front() <= '9') {
      end = leadingInt64(endText);
      if (end < start) return false;
    }
  }
  if (total > 0 && (start >= total || end >= total)) return false;
  return true;
}

// Whether the first "Set-Cookie" line of a response carries the "Secure" attribute.
bool hasSecureAttribute(const UrlResponse& response) {
  for (const auto& [name, value] : response.headers) {
    if (lower(name) != "set-cookie") continue;
    std::string_view rest(value);
    size_t semi = rest.find(';');
    while (semi != std::string_view::npos) {
      rest.remove_prefix(semi + 1);
      semi = rest.find(';');
      std::string_view attribute = rest.substr(0, semi);
      attribute = attribute.substr(0, attribute.find('='));
      while (!attribute.empty() && (attribute.front() == ' ' || attribute.front() == '\t')) {
        attribute.remove_prefix(1);
      }
      while (!attribute.empty() && (attribute.back() == ' ' || attribute.back() == '\t')) {
        attribute.remove_suffix(1);
      }
      if (lower(attribute) == "secure") return true;
    }
    return false;
  }
  return false;
}

// The quoted value after `marker` ("realm=") up to the next double quote; nullopt when the
// marker or a quote is missing.
std::optional<std::string> quotedValue(std::string_view text, std::string_view marker) {
  size_t at = text.find(marker);
  if (at == std::string_view::npos) return std::nullopt;
  size_t open = text.find('"', at + marker.size());
  if (open == std::string_view::npos) return std::nullopt;
  size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(open + 1, close - open - 1));
}

int engineCodeForUrlError(int code) {
  switch (code) {
    case UrlError::kNotConnectedToInternet:
    case UrlError::kNetworkConnectionLost:
    case UrlError::kCannotConnectToHost: return kErrNetConnect;
    case UrlError::kCannotFindHost:
    case UrlError::kUnsupportedUrl:
    case UrlError::kBadUrl: return kErrBadUrl;
    case UrlError::kTimedOut: return kErrNetTimeout;
    default: return kErrNetError;
  }
}

// A regular file of one name only: a named pipe in its place is refused, never waited on, and
// so are a link at its name and a file with another name (a hard link planted in the home may
// be a file outside it, whose bytes must not be sent).
bool readWholeFile(const std::string& path, Bytes* out) {
  auto bytes = FileUtil::readFileToSend(path);
  if (!bytes) return false;
  *out = std::move(*bytes);
  return true;
}

}  // namespace

HttpEngine::HttpEngine() : anchor_(std::make_shared<Anchor>(Anchor{this})) { reset(); }

HttpEngine::~HttpEngine() {
  anchor_.reset();
  reset();
}

double HttpEngine::requestTimeoutInterval() { return gRequestTimeout.load(); }

void HttpEngine::setRequestTimeoutIntervalForTesting(double seconds) {
  gRequestTimeout.store(seconds > 0 ? seconds : kRequestTimeout);
}

std::string HttpEngine::description() const {
  char buf[48];
  std::snprintf(buf, sizeof buf, "<HttpEngine: %p>", static_cast<const void*>(this));
  return buf;
}

void HttpEngine::reset() {
  if (connection_) {
    connection_->cancel();
    connection_.reset();
  }
  urlResponse_.reset();
  cachedCopy_.reset();
  standInSource_ = nullptr;
  standInFirst_ = false;
  request_.clear();  // a fresh request that keeps its storage for the next exchange
  loginingName_.reset();
  loginingPassword_.reset();
  cacheEnabled_ = true;
  shouldCache_ = true;
  state_ = kStateIdle;
  basicAuthTried_ = false;
  digestTried_ = false;
  cookieRetried_ = false;
  authenticating_ = false;
  useCacheIfFail_ = true;
  totalSize_ = 0;
  currentSize_ = 0;
  closeDownloadFile();
  downloadPath_.reset();
  downloadFolder_.reset();
  allowResumeDownload_ = false;
  acceptGzipCompress_ = true;
  isOfflineDownload_ = false;
  maxDownloadSize_ = kMaxDownloadSize;
  downloadLimit_ = kMaxDownloadSize;
  resumeOffset_ = 0;
  resumeRestarted_ = false;
  credentialUser_.reset();
  credentialPassword_.reset();
  authName_.reset();
  cacheUser_.reset();
  requestHost_.reset();
  ++generation_;
  deferredPending_ = false;
}

std::string HttpEngine::createDigest(const std::optional<std::string>& user,
                                     const std::optional<std::string>& password) {
  std::string pair = orNull(user) + ":" + orNull(password);
  return "Basic " + Base64::encode(reinterpret_cast<const uint8_t*>(pair.data()), pair.size());
}

// ---------------------------------------------------------------------------------------------
// Results

void HttpEngine::logParseError(bool deferred, int errCode, const HttpResponse* response) const {
  if (errCode != 0 || !response || response->statusCode() != 200 ||
      response->responseBody().size() >= 3 || !observer_) {
    return;
  }
  std::string observerName = className(typeid(*observer_));
  if (observerName.rfind("GetNews", 0) != 0) return;
  std::string head;
  if (const auto& h = response->responseHeader()) {
    for (const auto& [name, value] : h->headers) head += name + ": " + value + "\n";
  }
  const Bytes& b = response->responseBody();
  std::string body(b.begin(), b.end());
  VESKLogImpl(deferred ? "ParseError asyncNotify httpEngine %s observer %s isCache=%d "
                         "requestUrl=%s body=%s bodyLength=%d responseHead=\n%s"
                       : "ParseError httpEngine %s observer %s isCache=%d requestUrl=%s "
                         "body=%s bodyLength=%d responseHead=\n%s",
              description().c_str(), observerName.c_str(), response->isCache() ? 1 : 0,
              response->requestUrl().c_str(), body.c_str(), static_cast<int>(b.size()),
              head.c_str());
}

void HttpEngine::notifyObserverWithError(int errCode, std::shared_ptr<HttpResponse> response) {
  logParseError(false, errCode, response.get());
  HttpEngineObserver* observer = observer_;
  reset();
  // The observer may release this engine: nothing touches `this` after the call.
  if (observer) observer->onHttpEngineResult(this, errCode, response);
}

void HttpEngine::doNotifyWithResponse(std::shared_ptr<HttpResponse> response) {
  int code = errorCode_;
  HttpEngineObserver* observer = observer_;
  reset();
  if (observer) observer->onHttpEngineResult(this, code, response);
}

void HttpEngine::asyncNotifyObserverWithError(int errCode, std::shared_ptr<HttpResponse> response) {
  errorCode_ = errCode;
  logParseError(true, errCode, response.get());
  deferredPending_ = true;
  uint64_t generation = generation_;
  std::weak_ptr<Anchor> anchor = anchor_;
  RunLoop::current()->post([anchor, generation, response = std::move(response)]() mutable {
    auto a = anchor.lock();
    if (!a || a->engine->generation_ != generation) return;  // reset or gone meanwhile
    a->engine->doNotifyWithResponse(std::move(response));
  });
}

// ---------------------------------------------------------------------------------------------
// Operations

void HttpEngine::setHeaderField(const std::optional<std::string>& name,
                                const std::optional<std::string>& value) {
  if (isBusy()) {
    notifyObserverWithError(kErrBadState, nullptr);
    return;
  }
  if (!name || !value) {
    notifyObserverWithError(kErrInvalidArg, nullptr);
    return;
  }
  request_.setValue(*name, *value);
}

void HttpEngine::captureRequester() {
  const std::optional<std::string> currentUser = CommInfo::getUsername();
  if (loginingName_ && loginingPassword_) {
    credentialUser_ = loginingName_;
    credentialPassword_ = loginingPassword_;
  } else {
    credentialUser_ = currentUser;
    credentialPassword_ = CommInfo::getPassword();
  }
  authName_ = loginingName_ && !loginingName_->empty() ? loginingName_ : currentUser;
  // The response cache files answers under the current user, not a login in progress.
  cacheUser_ = HttpEngineUtils::userName();
  requestHost_ = UrlRequest::hostOfUrl(request_.url());
}

bool HttpEngine::prepareRequest(const std::string& url, bool setTimeout) {
  request_.setUrl(url);
  captureRequester();
  // A body that goes to memory is bounded; a download into a file streams past any size.
  if (!(state_ == kStateDownload && downloadFd_ >= 0)) {
    request_.setMaxBodyLength(kMaxBodyInMemory);
  }
  request_.setValue("X-User-Agent", HttpEngineUtils::getXUserAgent());
  // The platform's own cache and cookie handling do not exist here; only the idle time-out.
  if (setTimeout) request_.setTimeoutInterval(requestTimeoutInterval());

  if (state_ == kStateDownload && downloadFd_ >= 0 && allowResumeDownload_) {
    off_t end = ::lseek(downloadFd_, 0, SEEK_END);
    currentSize_ = end > 0 ? end : 0;
    if (currentSize_ > 0) {
      request_.setValue("Range", "bytes=" + std::to_string(currentSize_) + "-");
      resumeOffset_ = currentSize_;
    }
  }
  if (state_ == kStateDownload && !acceptGzipCompress_) request_.setValue("Accept-Encoding", "");

  if (delegate_) {
    if (auto cookie = delegate_->cookieForUser(credentialUser_, credentialPassword_, requestHost_,
                                               UrlRequest::isSecureUrl(url))) {
      request_.setValue("Cookie", *cookie);
    }
  }

  if ((state_ == kStateGet || state_ == kStatePost) && cacheEnabled_) {
    if (auto cache = HttpDataEngine::sharedInstance()) {
      const StandInSource standIn = std::exchange(standInSource_, nullptr);
      const bool standInFirst = std::exchange(standInFirst_, false);
      std::shared_ptr<CachedHttpResponse> copy;
      if (standIn && standInFirst) {
        // A fresh copy of the response cache still answers without a request; a stale one (or
        // none) gives way to the caller's, unread.
        auto stored = cache->cachedResponseForUser(cacheUser_, &request_, false);
        if (!stored || !stored->isFresh()) copy = standIn();
      }
      if (!copy) copy = cache->cachedResponseForUser(cacheUser_, &request_);
      if (!copy && standIn && !standInFirst) copy = standIn();
      if (copy) {
        copy->setRequestUrl(url);
        cachedCopy_ = copy;
        urlResponse_ = copy;
        if (copy->isFresh()) {
          if (state_ == kStateGet) {
            asyncNotifyObserverWithError(0, copy);
          } else {
            notifyObserverWithError(0, copy);
          }
          return false;
        }
        if (copy->lastModified()) {
          request_.setValue("If-Modified-Since",
                            HttpEngineUtils::stringWithHttpDate(*copy->lastModified()));
        }
        if (copy->etag()) request_.setValue("If-None-Match", *copy->etag());
      }
    }
  }
  return true;
}

void HttpEngine::startConnection() {
  if (connection_) connection_->cancel();
  connection_ = UrlConnection::start(request_, this);
}

void HttpEngine::get(const std::optional<std::string>& url) {
  if (isBusy()) {
    // The exchange that was running ends now; the -8 follows on a later turn.
    reset();
    asyncNotifyObserverWithError(kErrBadState, nullptr);
    return;
  }
  if (!url) {
    asyncNotifyObserverWithError(kErrBadUrl, nullptr);
    return;
  }
  state_ = kStateGet;
  request_.setMethod("GET");
  if (!prepareRequest(*url, true)) return;
  startConnection();
}

void HttpEngine::post(const std::optional<std::string>& url, std::optional<Bytes> body) {
  if (isBusy()) {
    notifyObserverWithError(kErrBadState, nullptr);
    return;
  }
  if (!url) {
    notifyObserverWithError(kErrBadUrl, nullptr);
    return;
  }
  state_ = kStatePost;
  request_.setMethod("POST");
  if (body) request_.setBody(std::move(*body));
  if (!prepareRequest(*url, true)) return;
  startConnection();
}

void HttpEngine::deleteWithUrl(const std::optional<std::string>& url) {
  if (isBusy()) {
    notifyObserverWithError(kErrBadState, nullptr);
    return;
  }
  if (!url) {
    notifyObserverWithError(kErrInvalidArg, nullptr);
    return;
  }
  state_ = kStateDelete;
  request_.setMethod("DELETE");
  if (!prepareRequest(*url, true)) return;
  startConnection();
}

bool HttpEngine::openDownloadFile(bool truncate) {
  const std::filesystem::path path(*downloadPath_);
  const std::string name = path.filename().string();
  // The folder (and each one on the way to it, below the home) a real one, made when missing:
  // a link where a folder belongs is set aside, never written through.
  downloadFolder_ = FolderHandle::openReal(path.has_parent_path() ? path.parent_path() : ".");
  if (!downloadFolder_) return false;
  // Only a regular file of ours is written. A link in the file's place is never written
  // through, and a named pipe never waited on (O_NONBLOCK: the open would wait for a reader)
  // nor written into: either is removed and a file of our own made in its stead (what it
  // pointed at or held was never a partial download of ours). A partial file of more than one
  // name (a hard link: the other may be a file outside the home) is neither resumed into nor
  // emptied: it is first replaced by a copy of one name (FolderHandle::openForWriting).
  const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | (truncate ? O_TRUNC : 0);
  for (int attempt = 0; attempt < 3; ++attempt) {
    downloadFd_ = downloadFolder_->openForWriting(name, flags | (attempt > 0 ? O_EXCL : 0), 0644);
    if (downloadFd_ >= 0) {
      struct stat st;
      if (::fstat(downloadFd_, &st) == 0 && S_ISREG(st.st_mode)) {
        ::fcntl(downloadFd_, F_SETFL, 0);  // blocking writes again, as a file's always are
        return true;
      }
      ::close(downloadFd_);
      downloadFd_ = -1;
    } else if (errno != ELOOP && errno != ENXIO && errno != EEXIST) {
      return false;
    }
    if (::unlinkat(downloadFolder_->fd(), name.c_str(), 0) != 0 && errno != ENOENT) return false;
  }
  return false;
}

void HttpEngine::removeDownloadFile() {
  if (!downloadPath_) return;
  if (downloadFolder_) {
    ::unlinkat(downloadFolder_->fd(),
               std::filesystem::path(*downloadPath_).filename().c_str(), 0);
  } else {
    ::unlink(downloadPath_->c_str());
  }
}

bool HttpEngine::prepareDownloadFile() {
  if (!downloadPath_) return true;
  // Without resume the file is written from its start: what an older, longer file held past
  // the new end must not survive.
  return openDownloadFile(!allowResumeDownload_);
}

void HttpEngine::download(const std::optional<std::string>& url) {
  if (isBusy()) {
    notifyObserverWithError(kErrBadState, nullptr);
    return;
  }
  if (!url) {
    notifyObserverWithError(kErrBadUrl, nullptr);
    return;
  }
  state_ = kStateDownload;
  if (!prepareDownloadFile()) {
    notifyObserverWithError(kErrFileOpen, nullptr);
    return;
  }
  request_.setMethod("GET");
  if (!prepareRequest(*url, true)) return;
  startConnection();
}

bool HttpEngine::readUploadFile(const std::optional<std::string>& url,
                                const std::optional<std::string>& localFile, Bytes* data) {
  if (isBusy()) {
    notifyObserverWithError(kErrBadState, nullptr);
    return false;
  }
  if (!url || !localFile || !readWholeFile(*localFile, data) || data->empty()) {
    notifyObserverWithError(kErrInvalidArg, nullptr);
    return false;
  }
  return true;
}

void HttpEngine::upload(const std::optional<std::string>& url,
                        const std::optional<std::string>& localFile) {
  Bytes data;
  if (!readUploadFile(url, localFile, &data)) return;
  state_ = kStateUpload;
  request_.setMethod("POST");
  request_.setBody(std::move(data));
  if (!prepareRequest(*url, false)) return;
  startConnection();
}

void HttpEngine::uploadWithForm(const std::optional<std::string>& url,
                                const std::optional<std::string>& localFile) {
  Bytes data;
  if (!readUploadFile(url, localFile, &data)) return;
  state_ = kStateUpload;
  std::string boundary =
      "--------------------819560" + std::to_string(Clock::get()->nowMillis());
  std::string fileName = std::filesystem::path(*localFile).filename().string();
  std::string head = "--" + boundary + "\r\n" +
                     "Content-Disposition: form-data; name=\"uploaded\"; filename=\"" +
                     fileName + "\"\r\n\r\n";
  std::string tail = "\r\n--" + boundary + "--\r\n";
  Bytes body;
  body.reserve(data.size() + 512);
  body.insert(body.end(), head.begin(), head.end());
  body.insert(body.end(), data.begin(), data.end());
  body.insert(body.end(), tail.begin(), tail.end());
  request_.setValue("Content-Type", "multipart/form-data; boundary=" + boundary);
  request_.setMethod("POST");
  request_.setBody(std::move(body));
  if (!prepareRequest(*url, false)) return;
  startConnection();
}

void HttpEngine::cancel() {
  if (!isBusy()) {
    // The observer of an idle engine is not touched: it may be one whose exchange is over.
    std::fprintf(stderr, "http engine cancel with idle state\n");
    return;
  }
  notifyObserverWithError(kErrCancelled, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Downloads

bool HttpEngine::parseContentRange(std::string_view text, int64_t* startBytes,
                                   int64_t* totalBytes) {
  int64_t start = 0, total = 0;
  bool ok = text.substr(0, 6) == "bytes ";
  if (ok) {
    size_t dash = text.find('-', 6);
    if (dash != std::string_view::npos) start = leadingInt64(text.substr(6, dash - 6));
    size_t slash = text.find('/');
    if (slash != std::string_view::npos) total = leadingInt64(text.substr(slash + 1));
  }
  if (startBytes) *startBytes = start;
  if (totalBytes) *totalBytes = total;
  return ok;
}

void HttpEngine::closeDownloadFile() {
  if (downloadFd_ >= 0) ::close(downloadFd_);
  downloadFd_ = -1;
}

void HttpEngine::handleDownloadResumeError() {
  closeDownloadFile();
  removeDownloadFile();
  currentSize_ = 0;
}

void HttpEngine::handleRangeNotSatisfiable() {
  handleDownloadResumeError();
  if (resumeOffset_ > 0 && !resumeRestarted_ && downloadPath_) {
    // The partial file does not fit what the server has now: fetch the whole file once more.
    resumeRestarted_ = true;
    resumeOffset_ = 0;
    request_.removeValue("Range");
    if (!openDownloadFile(true)) {
      notifyObserverWithError(kErrFileOpen, nullptr);
      return;
    }
    startConnection();
    return;
  }
  notifyObserverWithError(kErrNetError, nullptr);
}

bool HttpEngine::writeToDownloadFile(const uint8_t* data, size_t length) {
  while (length > 0) {
    ssize_t n = ::write(downloadFd_, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool HttpEngine::admitDownloadSize(const UrlResponse& response) {
  // totalSize_ is the whole file the answer declares (a range's total, else its length), 0
  // when unknown; currentSize_ what the file already holds of it.
  if (totalSize_ > maxDownloadSize_) {
    VESKLogImpl("HttpEngine download of %lld bytes refused (bound %lld): %s",
                static_cast<long long>(totalSize_), static_cast<long long>(maxDownloadSize_),
                request_.url().c_str());
    refuseDownload(kErrOverLimit);
    return false;
  }
  const int64_t toWrite = std::max<int64_t>(totalSize_ - currentSize_, 0);
  struct statvfs disk {};
  if (downloadFolder_ && ::fstatvfs(downloadFolder_->fd(), &disk) == 0) {
    const auto available = static_cast<int64_t>(disk.f_bavail) * static_cast<int64_t>(disk.f_frsize);
    if (toWrite > available - kFreeSpaceReserve) {
      VESKLogImpl("HttpEngine download of %lld bytes refused: %lld bytes free: %s",
                  static_cast<long long>(toWrite), static_cast<long long>(available),
                  request_.url().c_str());
      refuseDownload(kErrCacheFull);
      return false;
    }
  }
  // A decoded body may outgrow its declared (encoded) length; a plain one may not.
  const std::string encoding = lower(response.field("Content-Encoding").value_or(""));
  const bool encoded = !encoding.empty() && encoding != "identity";
  downloadLimit_ = totalSize_ > 0 && !encoded ? totalSize_ : maxDownloadSize_;
  return true;
}

void HttpEngine::refuseDownload(int errCode) {
  closeDownloadFile();
  removeDownloadFile();
  notifyObserverWithError(errCode, nullptr);
}

std::optional<std::string> HttpEngine::localFilePathIfExistsForUrl(
    const std::optional<std::string>& url) {
  auto cache = HttpDataEngine::sharedInstance();
  if (!cache) return std::nullopt;
  if (!url) return std::nullopt;
  UrlRequest request(*url);
  return cache->filePathForRequest(&request);
}

// ---------------------------------------------------------------------------------------------
// Authentication

bool HttpEngine::authenticate(const UrlResponse& response) {
  if (!cookieRetried_ && delegate_) {
    auto cookie = delegate_->cookieForUser(credentialUser_, credentialPassword_, requestHost_,
                                           UrlRequest::isSecureUrl(request_.url()));
    if (cookie && cookie != request_.value("Cookie")) {
      cookieRetried_ = true;
      request_.setValue("Cookie", *cookie);
      startConnection();
      return true;
    }
  }
  std::optional<std::string> digestChallenge;
  bool basicChallenge = false;
  for (const auto& [name, value] : response.headers) {
    std::string n = upper(name);
    if (n == "VESK-WWW-AUTHENTICATE" && !digestChallenge) digestChallenge = value;
    if (n == "WWW-AUTHENTICATE") basicChallenge = true;
  }
  if (digestChallenge && !digestTried_) {
    digestTried_ = true;
    digestAuth(*digestChallenge);
    return true;
  }
  if (basicChallenge && !basicAuthTried_) {
    basicAuthTried_ = true;
    basicAuth();
    return true;
  }
  return false;
}

void HttpEngine::digestAuth(const std::string& challenge) {
  std::optional<std::string> realm = quotedValue(challenge, "realm=");
  std::optional<std::string> nonce = quotedValue(challenge, "nonce=");
  const std::optional<std::string>& user = credentialUser_;
  const std::optional<std::string>& password = credentialPassword_;
  auto a = crypto::Md5::digest(orNull(user) + ":" + orNull(realm) + ":" + orNull(nonce));
  auto b = crypto::Md5::digest(password.value_or(""));
  crypto::Md5::Digest x{};
  for (size_t i = 0; i < x.size(); ++i) x[i] = a[i] ^ b[i];
  request_.setValue("VESK-Authorization",
                    "Digest username=\"" + orNull(user) + "\",realm=\"" + orNull(realm) +
                        "\",nonce=\"" + orNull(nonce) + "\",response=\"" +
                        crypto::Md5::toHex(x, false) + "\"");
  request_.setValue("Authorization", createDigest(user, std::string(kDigestBasicPassword)));
  startConnection();
}

void HttpEngine::basicAuth() {
  std::string value = createDigest(credentialUser_, credentialPassword_);
  UrlRequest::Headers headers;
  for (const auto& field : request_.headers()) {
    if (upper(field.first) != "VESK-AUTHORIZATION") headers.push_back(field);
  }
  UrlRequest next(request_.url());
  next.setMethod(request_.method());
  if (upper(request_.method()) == "POST") next.setBody(request_.body());
  next.setHeaders(std::move(headers));
  next.setValue("Authorization", value);
  next.setTimeoutInterval(requestTimeoutInterval());
  next.setMaxBodyLength(request_.maxBodyLength());
  request_ = std::move(next);
  startConnection();
}

// ---------------------------------------------------------------------------------------------
// Connection events

void HttpEngine::connectionDidReceiveResponse(UrlConnection& connection,
                                              const std::shared_ptr<const UrlResponse>& r) {
  if (&connection != connection_.get()) return;  // a connection this engine let go of
  totalSentSize_ += kHeaderBytes;
  totalReceivedSize_ += kHeaderBytes;
  const int status = r->statusCode;

  if (status == 200 && delegate_) {
    if (auto setCookie = r->field("Set-Cookie")) {
      std::string cookie = setCookie->substr(0, setCookie->find(';'));
      // The host that sent it: after a redirect to another host, that host, never the one
      // first asked (which could otherwise plant a cookie for the service, or receive one).
      std::optional<std::string> host = UrlRequest::hostOfUrl(r->url);
      if (!host) host = requestHost_;
      delegate_->onNewCookie(cookie, credentialUser_, credentialPassword_, host,
                             hasSecureAttribute(*r));
    }
  }

  if (authenticating_ && status != 401) {
    authenticating_ = false;
    const std::optional<std::string>& name = authName_;
    std::string domain = kBasicRetryMailDomain;
    if (name && name->size() >= domain.size() &&
        name->compare(name->size() - domain.size(), domain.size(), domain) == 0 &&
        !basicAuthTried_) {
      basicAuthTried_ = true;
      authenticating_ = true;
      basicAuth();
      return;
    }
  }

  if (status == 304 && (state_ == kStateGet || state_ == kStatePost)) {
    // Not modified: the cached copy is the answer, and there is nothing new to store. Without
    // a copy (it went between the look-up and the answer) there is no answer at all.
    shouldCache_ = false;
    urlResponse_ = cachedCopy_;
    return;
  }

  if (status == 416) {
    if (state_ == kStateDownload) {
      handleRangeNotSatisfiable();
      return;
    }
    // No response object: the exchange ends with code 0 and nothing to read, never with a
    // cached copy standing in for a refusal.
    currentSize_ = 0;
    urlResponse_.reset();
    shouldCache_ = false;
    return;
  }

  if (status == 401) {
    authenticating_ = true;
    if (authenticate(*r)) return;
    // No retry is left: the 401 is the answer, for the task layer to report.
    authenticating_ = false;
  }

  auto response = std::make_shared<HttpResponse>();
  response->setIsCache(false);
  response->setResponseHeader(r);
  response->setRequestUrl(request_.url());
  urlResponse_ = response;
  if ((state_ == kStateGet || state_ == kStatePost) && cacheEnabled_) {
    shouldCache_ = HttpDataEngine::shouldCache(response.get());
  }
  if (state_ == kStateDownload) {
    if (status < 200 || status >= 300) {
      // An error page is not part of the file: it stays in memory for the task to read, and
      // the partial file is kept for a later resume.
      closeDownloadFile();
      currentSize_ = 0;
      return;
    }
    auto contentRange = r->field("Content-Range");
    if (!contentRange) {
      auto length = r->field("Content-Length");
      totalSize_ = length ? leadingInt64(*length) : 0;
      if (resumeOffset_ > 0 && downloadFd_ >= 0) {
        // The whole file came back although a range was asked for: start the file over.
        if (::ftruncate(downloadFd_, 0) != 0 || ::lseek(downloadFd_, 0, SEEK_SET) != 0) {
          notifyObserverWithError(kErrFileWrite, nullptr);
          return;
        }
        currentSize_ = 0;
      }
    } else {
      int64_t start = 0;
      parseContentRange(*contentRange, &start, &totalSize_);
      if (!contentRangeIsConsistent(*contentRange, start, totalSize_) || start != currentSize_) {
        // A range that cannot be true (a negative total, an end past the total) or that does
        // not start where the partial file ends: nothing of it goes into the file, which stays
        // as it was for a later resume.
        VESKLogImpl("HttpEngine refused Content-Range: %s", contentRange->c_str());
        notifyObserverWithError(kErrNetError, nullptr);
        return;
      }
    }
    if (downloadFd_ >= 0 && !admitDownloadSize(*r)) return;
  }
}

void HttpEngine::connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                          size_t length) {
  if (&connection != connection_.get()) return;  // a connection this engine let go of
  if (downloadFd_ >= 0) {
    if (currentSize_ + static_cast<int64_t>(length) > downloadLimit_) {
      VESKLogImpl("HttpEngine download past %lld bytes refused: %s",
                  static_cast<long long>(downloadLimit_), request_.url().c_str());
      refuseDownload(kErrOverLimit);
      return;
    }
    if (!writeToDownloadFile(data, length)) {
      refuseDownload(kErrFileWrite);
      return;
    }
  } else if (urlResponse_ && !urlResponse_->isCache()) {
    Bytes& body = urlResponse_->responseBody();
    if (static_cast<int64_t>(body.size() + length) > kMaxBodyInMemory) {
      failBodyTooLong();
      return;
    }
    body.insert(body.end(), data, data + length);
  }
  currentSize_ += static_cast<int64_t>(length);
  if (state_ == kStateDownload && observer_) observer_->onReceivedSize(currentSize_, totalSize_);
}

void HttpEngine::connectionDidReceiveDataBuffer(UrlConnection& connection,
                                                std::vector<uint8_t>&& data) {
  if (&connection != connection_.get()) return;
  if (downloadFd_ < 0 && urlResponse_ && !urlResponse_->isCache() &&
      urlResponse_->responseBody().empty() &&
      static_cast<int64_t>(data.size()) <= kMaxBodyInMemory) {
    // The first piece of a body in memory: keep the buffer itself.
    int64_t length = static_cast<int64_t>(data.size());
    urlResponse_->setResponseBody(std::move(data));
    currentSize_ += length;
    if (state_ == kStateDownload && observer_) observer_->onReceivedSize(currentSize_, totalSize_);
    return;
  }
  connectionDidReceiveData(connection, data.data(), data.size());
}

void HttpEngine::connectionDidSendBodyData(UrlConnection& connection, int64_t /*written*/,
                                           int64_t totalBytesWritten,
                                           int64_t totalBytesExpected) {
  if (&connection != connection_.get()) return;  // a connection this engine let go of
  if (state_ == kStateUpload && observer_) {
    observer_->onSentSize(totalBytesWritten, totalBytesExpected);
  }
}

void HttpEngine::connectionDidFinishLoading(UrlConnection& connection) {
  if (&connection != connection_.get()) return;  // a connection this engine let go of
  if (state_ == kStatePost || state_ == kStateUpload) {
    totalSentSize_ += request_.bodyLength();
  } else if (urlResponse_) {
    totalReceivedSize_ += static_cast<int64_t>(urlResponse_->responseBody().size());
  }

  if ((state_ == kStateGet || state_ == kStatePost) && cacheEnabled_ && shouldCache_ &&
      urlResponse_ && !urlResponse_->isCache()) {
    if (auto cache = HttpDataEngine::sharedInstance()) {
      cache->createCacheForUser(cacheUser_, &request_, urlResponse_.get(), isOfflineDownload_);
    }
  }

  if (state_ == kStateDownload && urlResponse_ && !urlResponse_->isCache() &&
      urlResponse_->statusCode() == 200) {
    auto cache = HttpDataEngine::sharedInstance();
    const Bytes& body = urlResponse_->responseBody();
    auto store = [&](bool offline) {
      return cache && cache->createFileForRequest(&request_, &body, offline);
    };
    auto lengthText = urlResponse_->headerField("Content-Length");
    int64_t length = lengthText ? leadingInt64(*lengthText) : 0;
    int64_t bodyLength = static_cast<int64_t>(body.size());
    if (!lengthText || length == bodyLength ||
        (downloadFd_ >= 0 && currentSize_ == length)) {
      if (!store(isOfflineDownload_)) {
        notifyObserverWithError(kErrFileCreate, nullptr);
        return;
      }
    } else {
      std::string encoding = lower(urlResponse_->headerField("Content-Encoding").value_or(""));
      if (encoding != "gzip" && encoding != "deflate") {
        VESKLogImpl("HttpEngine downloaded an uncomplete file");
        std::fprintf(stderr, "ContentLength: %s responseBody length: %d\n", lengthText->c_str(),
                     static_cast<int>(bodyLength));
        notifyObserverWithError(kErrNetError, nullptr);
        return;
      }
      if (!store(false)) {
        notifyObserverWithError(kErrFileCreate, nullptr);
        return;
      }
    }
  }
  notifyObserverWithError(0, urlResponse_);
}

void HttpEngine::failBodyTooLong() {
  VESKLogImpl("HttpEngine body longer than %lld bytes dropped: %s",
              static_cast<long long>(kMaxBodyInMemory), request_.url().c_str());
  std::shared_ptr<UrlConnection> connection = connection_;
  connection->cancel();
  connectionDidFailWithError(*connection, UrlError{UrlError::kDataLengthExceedsMaximum,
                                                   "the body is longer than allowed"});
}

void HttpEngine::connectionDidFailWithError(UrlConnection& connection,
                                            const UrlError& error) {
  if (&connection != connection_.get()) return;  // a connection this engine let go of
  if (cacheEnabled_ && cachedCopy_ && (state_ == kStateGet || state_ == kStatePost) &&
      useCacheIfFail_) {
    notifyObserverWithError(0, cachedCopy_);
    return;
  }
  notifyObserverWithError(engineCodeForUrlError(error.code), nullptr);
}

}  // namespace zu
