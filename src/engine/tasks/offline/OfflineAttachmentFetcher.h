// OfflineAttachmentFetcher: fetches the style sheets and scripts an article refers to into the
// link cache (where the reading screen's web view finds them offline), one after another, as
// asynchronous connections on the calling thread's run loop, so that a slow or silent server
// holds neither the thread nor a cancel.
//
// An address that names no host (no http/https scheme) is skipped: sent as it is, it would ask
// whatever host its first part spells. So is one the link cache already holds. A failed fetch,
// an empty body, or a body past HttpEngine::kMaxBodyInMemory drops that address and the next
// one starts; the fetches go to the link cache only (plain requests: no service headers,
// cookies or credentials, as the hosts may be anyone's).
//
// Use: make it with a shared_ptr, start() once; `onDone` runs once when every address has been
// handled (inside start() when there is nothing to fetch). cancel() stops the running fetch at
// once and `onDone` never runs. Everything on the thread that called start(); the fetcher keeps
// itself alive while its callback runs, so the owner may drop it from inside `onDone`.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/UrlConnectionDelegate.h"
#include "platform/net/UrlRequest.h"

namespace zu {

class UrlConnection;

class OfflineAttachmentFetcher : public std::enable_shared_from_this<OfflineAttachmentFetcher>,
                                 public UrlConnectionDelegate {
 public:
  OfflineAttachmentFetcher(std::vector<std::string> urls, std::function<void()> onDone);
  ~OfflineAttachmentFetcher() override;
  OfflineAttachmentFetcher(const OfflineAttachmentFetcher&) = delete;
  OfflineAttachmentFetcher& operator=(const OfflineAttachmentFetcher&) = delete;

  void start();
  void cancel();
  // From start() until `onDone` has run or cancel().
  bool isRunning() const { return running_; }

  void connectionDidReceiveResponse(UrlConnection& connection,
                                    const std::shared_ptr<const UrlResponse>& response) override;
  void connectionDidReceiveData(UrlConnection& connection, const uint8_t* data,
                                size_t length) override;
  void connectionDidFinishLoading(UrlConnection& connection) override;
  void connectionDidFailWithError(UrlConnection& connection, const UrlError& error) override;

 private:
  // Starts the next address that needs fetching, or ends.
  void fetchNext();

  std::vector<std::string> urls_;
  std::function<void()> onDone_;
  size_t next_ = 0;
  bool running_ = false;
  UrlRequest request_;
  std::shared_ptr<UrlConnection> connection_;
  std::shared_ptr<const UrlResponse> response_;
  std::vector<uint8_t> body_;
};

}  // namespace zu
