#include "engine/tasks/images/DownloadImageInnerTask.h"

#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskThumbnail.h"

namespace zu {

namespace {

int64_t engineFlow(const HttpEngine& engine) {
  return engine.totalReceivedSize() + engine.totalSentSize();
}

std::optional<std::vector<std::string>> collectImageUrls(const Feed& feed, bool withSelected) {
  if (!feed.entrys()) return std::nullopt;
  std::vector<std::string> urls;
  auto add = [&](const std::optional<std::string>& href) {
    if (href) urls.push_back(*href);
  };
  for (const auto& entry : *feed.entrys()) {
    if (!entry) continue;
    if (const auto& thumbnail = entry->veskThumbnail()) add(thumbnail->href());
    if (const auto& cover = entry->coverImageLink()) add(cover->href());
    if (const auto& coverThumbnail = entry->coverImageThumbnailLink()) {
      add(coverThumbnail->href());
      if (withSelected) add(coverThumbnail->hrefForSelected());
    }
  }
  return urls;
}

}  // namespace

DownloadImageInnerTask::DownloadImageInnerTask(
    std::shared_ptr<HttpEngine> engine, std::vector<std::string> imageUrls, bool stopIfFail,
    std::shared_ptr<DownloadImageInnerTaskDelegate> delegate)
    : HttpInnerTask(std::move(engine)),
      imageUrls_(std::move(imageUrls)),
      stopIfFail_(stopIfFail),
      delegate_(std::move(delegate)) {
  if (httpEngine()) currFlow_ = engineFlow(*httpEngine());
  if (auto facade = gDataEngine()) facade->addDownloadingImageUrlWithArray(imageUrls_);
}

void DownloadImageInnerTask::start() { downloadNextImage(); }

void DownloadImageInnerTask::downloadNextImage() {
  auto facade = gDataEngine();
  while (currIndex_ < imageUrls_.size()) {
    const std::string& url = imageUrls_[currIndex_++];
    if (HttpEngine::localFilePathIfExistsForUrl(url)) {
      if (facade) facade->removeDownloadingImageUrl(url);
      if (delegate_) delegate_->onImageUrlProcessed(this, kErrOk, std::nullopt, url);
      continue;
    }
    httpEngine()->setIsOfflineDownload(isOfflineDownload_);
    httpEngine()->download(url);
    return;
  }
  // Inside run() (everything came from the cache) the base posts the finish to a later pass.
  done(kErrOk, std::nullopt);
}

void DownloadImageInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  const std::string url = currentUrl();
  if (auto facade = gDataEngine()) facade->removeDownloadingImageUrl(url);
  if (delegate_) delegate_->onImageUrlProcessed(this, kErrOk, std::nullopt, url);
  notifyFlow();
  downloadNextImage();
}

void DownloadImageInnerTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  auto facade = gDataEngine();
  if (errCode != kErrCancelled && !stopIfFail_) {
    const std::string url = currentUrl();
    if (facade) facade->removeDownloadingImageUrl(url);
    if (delegate_) delegate_->onImageUrlProcessed(this, errCode, errDesc, url);
    notifyFlow();
    downloadNextImage();
    return;
  }
  // The list stops here: the URL in flight and every untried one leave the in-flight set.
  if (facade && currIndex_ > 0) {
    facade->removeDownloadingImageUrlWithArray(
        std::vector<std::string>(imageUrls_.begin() + static_cast<ptrdiff_t>(currIndex_ - 1),
                                 imageUrls_.end()));
  }
  done(errCode, errDesc);
}

void DownloadImageInnerTask::notifyFlow() {
  if (!httpEngine()) return;
  const int64_t now = engineFlow(*httpEngine());
  if (now - currFlow_ >= 1 && delegate_) {
    delegate_->onDownloadImageInnerTaskFlow(this, static_cast<int>(now - currFlow_));
  }
  currFlow_ = now;
}

void DownloadImageInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<DownloadImageInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) delegate->onDownloadImageInnerTaskFinished(this, errCode, errDesc);
}

std::optional<std::vector<std::string>> DownloadImageInnerTask::extractImageUrls(
    const Feed& feed) {
  return collectImageUrls(feed, true);
}

std::optional<std::vector<std::string>> DownloadImageInnerTask::extractImageUrlsWithoutSelected(
    const Feed& feed) {
  return collectImageUrls(feed, false);
}

}  // namespace zu
