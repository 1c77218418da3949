#include "engine/tasks/offline/OfflineAttachmentFetcher.h"

#include <utility>

#include "engine/cache/LinkCache.h"
#include "engine/core/DataEngine.h"
#include "engine/http/HttpEngine.h"
#include "platform/net/UrlConnection.h"

namespace zu {

OfflineAttachmentFetcher::OfflineAttachmentFetcher(std::vector<std::string> urls,
                                                   std::function<void()> onDone)
    : urls_(std::move(urls)), onDone_(std::move(onDone)) {}

OfflineAttachmentFetcher::~OfflineAttachmentFetcher() {
  if (connection_) connection_->cancel();
}

void OfflineAttachmentFetcher::start() {
  if (running_ || !onDone_) return;
  std::shared_ptr<OfflineAttachmentFetcher> keep = shared_from_this();
  running_ = true;
  fetchNext();
}

void OfflineAttachmentFetcher::cancel() {
  running_ = false;
  onDone_ = nullptr;
  if (connection_) connection_->cancel();
  connection_.reset();
}

void OfflineAttachmentFetcher::fetchNext() {
  auto engine = gDataEngine();
  const auto& cache = engine ? engine->getLinkCache() : nullptr;
  while (cache && running_ && next_ < urls_.size()) {
    const std::string& url = urls_[next_++];
    if (!UrlRequest::isValidUrl(url)) continue;
    UrlRequest request(url);
    if (cache->cachedResponseForRequest(request)) continue;
    // Held in memory whole: the same bound as every reply an engine reads into memory, so a
    // runaway or hostile server (or a compressed bomb) fails the fetch instead of the process.
    request.setMaxBodyLength(HttpEngine::kMaxBodyInMemory);
    request_ = request;
    response_.reset();
    body_.clear();
    connection_ = UrlConnection::start(std::move(request), this);
    return;
  }
  if (!running_) return;
  running_ = false;
  std::function<void()> done = std::move(onDone_);
  onDone_ = nullptr;
  done();
}

void OfflineAttachmentFetcher::connectionDidReceiveResponse(
    UrlConnection& connection, const std::shared_ptr<const UrlResponse>& response) {
  if (&connection != connection_.get()) return;
  response_ = response;
}

void OfflineAttachmentFetcher::connectionDidReceiveData(UrlConnection& connection,
                                                        const uint8_t* data, size_t length) {
  if (&connection != connection_.get()) return;
  body_.insert(body_.end(), data, data + length);
}

void OfflineAttachmentFetcher::connectionDidFinishLoading(UrlConnection& connection) {
  if (&connection != connection_.get()) return;
  std::shared_ptr<OfflineAttachmentFetcher> keep = shared_from_this();
  connection_.reset();
  auto engine = gDataEngine();
  const auto& cache = engine ? engine->getLinkCache() : nullptr;
  if (cache && response_ && !body_.empty()) {
    CachedUrlResponse cached;
    cached.response = *response_;
    cached.data = std::move(body_);
    cache->storeCachedResponse(cached, request_);
  }
  body_.clear();
  fetchNext();
}

void OfflineAttachmentFetcher::connectionDidFailWithError(UrlConnection& connection,
                                                          const UrlError& /*error*/) {
  if (&connection != connection_.get()) return;
  std::shared_ptr<OfflineAttachmentFetcher> keep = shared_from_this();
  connection_.reset();
  body_.clear();
  fetchNext();
}

}  // namespace zu
