// HttpEngine: carries out one HTTP exchange at a time for one caller (a task, an open-platform
// client) and reports exactly one result to its observer: it builds the request (the common
// headers, the kept cookie, conditional-GET validators, a resume range), runs it on a
// UrlConnection, answers 401 challenges (the service's Digest variant, Basic, a newer cookie),
// keeps cookies through its delegate, serves and stores copies in the response cache
// (HttpDataEngine), streams downloads into a file, checks what arrived and returns to idle.
//
// Use: obtain an engine (HttpEngineManager::getEngine, or construct one and setObserver), set
// properties and extra header fields, then start one operation: get, post, deleteWithUrl,
// download, upload or uploadWithForm. Properties hold for that one operation: every result
// resets the engine first. The observer hears one onHttpEngineResult per started operation:
//  - get() defers its precondition errors and a fresh cached copy to a later turn of the run
//    loop; every other operation reports its precondition errors before returning;
//  - cancel() on a busy engine reports -6 at once; nothing follows a cancel;
//  - a deferred result is dropped when the engine was reset meanwhile (cancel, another result),
//    so a stale one can never reach a later operation.
// HTTP statuses are not judged here (the task layer maps them), except 304 (the cached copy is
// the answer; without one the result is code 0 and no response), 401 (authentication retries:
// at most one cookie, one Digest and one Basic retry per exchange; a 401 that cannot be
// answered is delivered as the response) and 416 (on a resumed download the partial file is
// dropped and the download restarts once from byte 0; elsewhere no response object is made).
// A partial answer (206) whose range does not start where the partial file ends, or cannot be
// true, fails the download with -3004 and leaves the partial file as it was.
//
// Who asks: the user and password (the logining pair, else the current user's) and the user
// the response cache files the answer under are read once, when the operation starts, and
// serve the whole exchange: its cookie, its authentication retries, the cookie it brings back
// and its cache entry. An account switch while it runs changes nothing of it. A cookie that
// comes back is kept for the host that sent it (the last one after redirects) and, when it
// carries "Secure", only for https requests.
//
// A body kept in memory is bounded by kMaxBodyInMemory: a longer one (a decompression bomb, a
// runaway server) fails the exchange like a broken connection. A download into a file is bounded
// by maxDownloadSize() and by the size the server declares: a declared size past the bound is
// refused with -5 before a byte is written, and so is one that would leave less than
// kFreeSpaceReserve free on the file's disk (-10); a body that grows past the bound, or past a
// declared size it is not encoded against, ends with -5. Such a refusal, or a write that fails,
// removes the file (a partial one from before included); a transfer that merely breaks off keeps
// it for a later resume.
//
// Threads: an engine belongs to the thread that starts an operation; all callbacks and the
// result arrive on that thread's run loop, which must be turned. No locks here; the delegate
// locks itself. Observer and delegate are not retained. The observer may release the engine
// from inside onHttpEngineResult.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/http/HttpEngineDelegate.h"
#include "engine/http/HttpEngineObserver.h"
#include "engine/http/HttpResponse.h"
#include "platform/net/UrlConnection.h"
#include "platform/net/UrlRequest.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Value.h"

namespace zu {

class CachedHttpResponse;

class HttpEngine : public Object, public UrlConnectionDelegate {
 public:
  enum State : int {
    kStateIdle = 0,
    kStateGet = 1,
    kStatePost = 2,
    kStateDelete = 3,
    kStateDownload = 4,
    kStateUpload = 5,
  };
  // Idle time-out of every request but the uploads (which keep the platform default).
  static constexpr double kRequestTimeout = 60;
  // Bytes counted for the header of each response, both ways.
  static constexpr int64_t kHeaderBytes = 400;
  // The fixed password of the Basic credentials sent beside the Digest answer.
  static constexpr const char* kDigestBasicPassword = "KrelvoTan";
  // Accounts of this mail domain get a Basic retry after an answered authentication retry.
  static constexpr const char* kBasicRetryMailDomain = "@mail.vesk.com";
  // The most bytes of (decoded) body held in memory: far above any service document (the Atom
  // parser refuses more than this), far below what would hurt the device.
  static constexpr int64_t kMaxBodyInMemory = 64 * 1024 * 1024;
  // The most bytes a download into a file may have unless the operation sets another bound:
  // several times the largest book package or font the service offers.
  static constexpr int64_t kMaxDownloadSize = 1024LL * 1024 * 1024;
  // What a download into a file must leave free on its disk, for the stores and caches.
  static constexpr int64_t kFreeSpaceReserve = 32LL * 1024 * 1024;

  HttpEngine();
  ~HttpEngine() override;
  HttpEngine(const HttpEngine&) = delete;
  HttpEngine& operator=(const HttpEngine&) = delete;

  // Back to idle: cancels the connection, drops request, response and per-operation properties,
  // closes a download file. The byte counters are kept. Any pending deferred result is dropped.
  void reset();

  // "Basic " + Base64 of "user:password" (an absent value is written "(null)").
  static std::string createDigest(const std::optional<std::string>& user,
                                  const std::optional<std::string>& password);

  void setObserver(HttpEngineObserver* observer) { observer_ = observer; }
  HttpEngineObserver* observer() const { return observer_; }
  void setDelegate(HttpEngineDelegate* delegate) { delegate_ = delegate; }
  HttpEngineDelegate* delegate() const { return delegate_; }

  // One request header for the next operation. -8 to the observer when busy, -7 for an absent
  // name or value.
  void setHeaderField(const std::optional<std::string>& name,
                      const std::optional<std::string>& value);

  void get(const std::optional<std::string>& url);
  void post(const std::optional<std::string>& url, std::optional<Bytes> body);
  void deleteWithUrl(const std::optional<std::string>& url);
  // GET into `downloadPath` (or into memory without one), resuming a partial file when
  // `allowResumeDownload` is set.
  void download(const std::optional<std::string>& url);
  // POST of the raw bytes of a file.
  void upload(const std::optional<std::string>& url, const std::optional<std::string>& localFile);
  // POST of a multipart form whose one part "uploaded" holds the file.
  void uploadWithForm(const std::optional<std::string>& url,
                      const std::optional<std::string>& localFile);
  // Ends the running exchange with -6 at once; on an idle engine only a console line (the
  // observer of an idle engine is never called nor looked at).
  void cancel();

  // "bytes S-E/T": fills the start S and total T (either may be null); false, both 0, for any
  // other text.
  static bool parseContentRange(std::string_view text, int64_t* startBytes, int64_t* totalBytes);
  // The image-cache file of a GET of that URL, or nullopt.
  static std::optional<std::string> localFilePathIfExistsForUrl(
      const std::optional<std::string>& url);

  // The idle time-out of non-upload requests: kRequestTimeout unless a test changed it.
  static double requestTimeoutInterval();
  // Tests: a value <= 0 restores kRequestTimeout.
  static void setRequestTimeoutIntervalForTesting(double seconds);

  int state() const { return state_; }
  // True while an operation runs or its deferred result is pending.
  bool isBusy() const { return state_ != kStateIdle || deferredPending_; }

  // Use the response cache for this operation (default YES). The tasks of state-changing POSTs
  // switch it off: such an exchange neither reads nor writes the cache, and a failed connection
  // is reported as the failure it is.
  bool cacheEnabled() const { return cacheEnabled_; }
  void setCacheEnabled(bool enabled) { cacheEnabled_ = enabled; }
  // Where a copy of an earlier answer that the caller kept itself (never fresh) comes from, for
  // this operation only: when the response cache holds no copy of the request, the source is
  // called (on this engine's thread, at most once) and what it gives stands in for the cached
  // copy, so its validators go with the request and a 304 delivers it. Not called when the
  // response cache answers (an unchanged refresh reads its kept page only once), nor with the
  // cache off. The source may give null (nothing kept). With `first`, the source answers unless
  // the response cache holds a fresh copy (only that copy's record is looked at), and the cache's
  // copy is read only when the source gives null: a caller that knows what it holds spares the
  // read (its copy may even come without a body, when a 304 needs none).
  using StandInSource = std::function<std::shared_ptr<CachedHttpResponse>()>;
  void setStandInSource(StandInSource source, bool first = false) {
    standInSource_ = std::move(source);
    standInFirst_ = first;
  }
  // Deliver the cached copy when the connection fails (default YES).
  bool useCacheIfFail() const { return useCacheIfFail_; }
  void setUseCacheIfFail(bool use) { useCacheIfFail_ = use; }
  const std::optional<std::string>& loginingName() const { return loginingName_; }
  void setLoginingName(std::optional<std::string> name) { loginingName_ = std::move(name); }
  const std::optional<std::string>& loginingPassword() const { return loginingPassword_; }
  void setLoginingPassword(std::optional<std::string> pw) { loginingPassword_ = std::move(pw); }
  const std::optional<std::string>& downloadPath() const { return downloadPath_; }
  void setDownloadPath(std::optional<std::string> path) { downloadPath_ = std::move(path); }
  bool allowResumeDownload() const { return allowResumeDownload_; }
  void setAllowResumeDownload(bool allow) { allowResumeDownload_ = allow; }
  // NO sends an empty "Accept-Encoding" on downloads.
  bool acceptGzipCompress() const { return acceptGzipCompress_; }
  void setAcceptGzipCompress(bool accept) { acceptGzipCompress_ = accept; }
  bool isOfflineDownload() const { return isOfflineDownload_; }
  void setIsOfflineDownload(bool offline) { isOfflineDownload_ = offline; }
  // The size bound of a download into a file (default kMaxDownloadSize).
  int64_t maxDownloadSize() const { return maxDownloadSize_; }
  void setMaxDownloadSize(int64_t bytes) { maxDownloadSize_ = bytes; }

  // Bytes over the engine's life, each response's header counted as kHeaderBytes.
  int64_t totalReceivedSize() const { return totalReceivedSize_; }
  int64_t totalSentSize() const { return totalSentSize_; }
  // Expected size and bytes so far of the running download.
  int64_t totalSize() const { return totalSize_; }
  int64_t currentSize() const { return currentSize_; }

  const UrlRequest& urlRequest() const { return request_; }
  const std::shared_ptr<HttpResponse>& urlResponse() const { return urlResponse_; }
  // The descriptor of the open download file, or -1.
  int downloadHandle() const { return downloadFd_; }

  std::string description() const override;

  // UrlConnectionDelegate (the running connection's events).
  void connectionDidReceiveResponse(UrlConnection& connection,
                                    const std::shared_ptr<const UrlResponse>& response) override;
  void connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                size_t length) override;
  void connectionDidReceiveDataBuffer(UrlConnection& connection,
                                      std::vector<uint8_t>&& data) override;
  void connectionDidSendBodyData(UrlConnection& connection, int64_t bytesWritten,
                                 int64_t totalBytesWritten, int64_t totalBytesExpected) override;
  void connectionDidFinishLoading(UrlConnection& connection) override;
  void connectionDidFailWithError(UrlConnection& connection, const UrlError& error) override;

 private:
  struct Anchor {
    HttpEngine* engine;
  };

  // Resets, then calls the observer at once.
  void notifyObserverWithError(int errCode, std::shared_ptr<HttpResponse> response);
  // Resets, then calls the observer with the kept errorCode_.
  void doNotifyWithResponse(std::shared_ptr<HttpResponse> response);
  // Keeps the code and delivers on a later turn of the current run loop.
  void asyncNotifyObserverWithError(int errCode, std::shared_ptr<HttpResponse> response);
  void logParseError(bool deferred, int errCode, const HttpResponse* response) const;

  // The common set-up of every operation after its preconditions; false when the result was
  // already given (a fresh cached copy).
  bool prepareRequest(const std::string& url, bool setTimeout);
  // The checks both uploads start with: reports -8 when busy, -7 when the URL or file is
  // missing, unreadable, empty, a link or a file of more than one name
  // (FileUtil::readFileToSend); otherwise fills `data` with the file's bytes.
  bool readUploadFile(const std::optional<std::string>& url,
                      const std::optional<std::string>& localFile, Bytes* data);
  bool prepareDownloadFile();
  bool openDownloadFile(bool truncate);
  void startConnection();
  void handleDownloadResumeError();
  void closeDownloadFile();
  // Removes the download's file (relative to its folder once that was opened).
  void removeDownloadFile();

  // Reads who asks (see the class comment) into the exchange's fields.
  void captureRequester();
  // Fails the exchange whose body grew past kMaxBodyInMemory.
  void failBodyTooLong();

  // Starts a retry for a 401; false when no retry is left.
  bool authenticate(const UrlResponse& response);
  void digestAuth(const std::string& challenge);
  void basicAuth();
  // A 416 to a download: restart once from byte 0, else -3004.
  void handleRangeNotSatisfiable();
  bool writeToDownloadFile(const uint8_t* data, size_t length);
  // Checks the size the answer declares against the bound and the free space and sets the
  // bound of the writes; false (the download refused) when it does not fit.
  bool admitDownloadSize(const UrlResponse& response);
  // Removes the download file and ends the exchange with the code.
  void refuseDownload(int errCode);

  HttpEngineObserver* observer_ = nullptr;
  HttpEngineDelegate* delegate_ = nullptr;
  int state_ = kStateIdle;
  UrlRequest request_;
  std::shared_ptr<UrlConnection> connection_;
  std::shared_ptr<HttpResponse> urlResponse_;
  // The copy found in the cache before sending (what a 304 or a failed connection delivers).
  std::shared_ptr<CachedHttpResponse> cachedCopy_;
  StandInSource standInSource_;
  bool standInFirst_ = false;
  bool cacheEnabled_ = true;
  bool shouldCache_ = true;
  bool useCacheIfFail_ = true;
  std::optional<std::string> loginingName_;
  std::optional<std::string> loginingPassword_;
  int64_t totalReceivedSize_ = 0;
  int64_t totalSentSize_ = 0;
  int errorCode_ = 0;
  bool basicAuthTried_ = false;
  bool digestTried_ = false;
  bool cookieRetried_ = false;
  bool authenticating_ = false;
  int64_t totalSize_ = 0;
  int64_t currentSize_ = 0;
  int downloadFd_ = -1;
  std::optional<std::string> downloadPath_;
  // The download file's folder, reached from the home without following a link and held open
  // while the download lasts: the file is opened and removed relative to it.
  std::optional<FolderHandle> downloadFolder_;
  bool allowResumeDownload_ = false;
  bool acceptGzipCompress_ = true;
  bool isOfflineDownload_ = false;
  int64_t maxDownloadSize_ = kMaxDownloadSize;
  // The most bytes the download file may reach in this exchange.
  int64_t downloadLimit_ = kMaxDownloadSize;
  // Offset of the "Range" sent (0: none), and whether a 416 already restarted the download.
  int64_t resumeOffset_ = 0;
  bool resumeRestarted_ = false;

  // Who asks, read once when the operation starts: the credentials for cookies and
  // authentication (the logining pair when both are set, else the current user's), the name
  // the mail-domain rule looks at, the user of the response cache entry, and the request host.
  std::optional<std::string> credentialUser_;
  std::optional<std::string> credentialPassword_;
  std::optional<std::string> authName_;
  std::optional<std::string> cacheUser_;
  std::optional<std::string> requestHost_;

  // Bumped by every reset: a deferred result carries the value it was made under.
  uint64_t generation_ = 0;
  bool deferredPending_ = false;
  std::shared_ptr<Anchor> anchor_;
};

}  // namespace zu
