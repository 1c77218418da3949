#include "shell/app/ShellWebResourceProvider.h"

#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineObserver.h"
#include "engine/http/HttpResponse.h"
#include "platform/net/UrlRequest.h"

namespace zu {

namespace {

bool isHttpUrl(const std::string& url) {
  return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

// One network fetch: keeps itself and its engine alive until the engine's one result. Stores
// what it got into the link cache when `keep` is set.
class ShellWebResourceProvider::Fetch : public HttpEngineObserver,
                                        public std::enable_shared_from_this<Fetch> {
 public:
  Fetch(std::shared_ptr<LinkCache> cache, std::string url, bool keep, Done done)
      : cache_(std::move(cache)), url_(std::move(url)), keep_(keep), done_(std::move(done)) {}

  void start() {
    self_ = shared_from_this();
    engine_->setObserver(this);
    // The link cache keeps what is worth keeping; the service's response cache stays out.
    engine_->setCacheEnabled(false);
    engine_->get(url_);
  }

  void onHttpEngineResult(HttpEngine*, int errCode,
                          const std::shared_ptr<HttpResponse>& response) override {
    auto keep = std::move(self_);  // the last reference may go when this returns
    std::optional<web::WebResource> resource;
    if (errCode == 0 && response && response->statusCode() == 200) {
      CachedUrlResponse cached;
      if (response->responseHeader()) cached.response = *response->responseHeader();
      cached.data = response->responseBody();
      if (keep_) cache_->storeCachedResponse(cached, UrlRequest(url_));
      resource = web::WebResource{std::move(cached.data), response->mimeType().value_or("")};
    }
    auto done = std::move(done_);
    done(std::move(resource));
  }

 private:
  std::shared_ptr<LinkCache> cache_;
  std::string url_;
  bool keep_;
  Done done_;
  std::shared_ptr<HttpEngine> engine_ = std::make_shared<HttpEngine>();
  std::shared_ptr<Fetch> self_;
};

void ShellWebResourceProvider::install() {
  web::WebResourceProvider::setShared(std::make_shared<ShellWebResourceProvider>());
}

bool ShellWebResourceProvider::holds(const std::string& url) {
  return isHttpUrl(url) && cache_->cachedResponseForRequest(UrlRequest(url)).has_value();
}

void ShellWebResourceProvider::resourceForUrl(const std::string& url, Reach reach, Done done) {
  if (!isHttpUrl(url)) {
    done(std::nullopt);
    return;
  }
  const bool named = reach == Reach::kCacheThenNetwork;
  if (auto cached = named ? cache_->cachedResponseForRequest(UrlRequest(url)) : std::nullopt) {
    done(web::WebResource{std::move(cached->data), cached->response.mimeType});
    return;
  }
  std::make_shared<Fetch>(cache_, url, named, std::move(done))->start();
}

}  // namespace zu
