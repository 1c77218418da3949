#include "engine/tasks/offline/OfflineDownDetailInnerTask.h"

#include "common/DeviceInfo.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/offline/OfflineAttachmentFetcher.h"
#include "engine/tasks/offline/OfflineDownDetailInnerTaskDelegate.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

namespace {

// Entry kinds whose article pictures are downloaded too: album, picture news, istyle.
bool hasPictures(int32_t type) { return type == 1 || type == 2 || type == 6; }

}  // namespace

OfflineDownDetailInnerTask::OfflineDownDetailInnerTask(
    std::shared_ptr<HttpEngine> engine, std::shared_ptr<NewsSummary> newsSummary,
    std::shared_ptr<OfflineDownDetailInnerTaskDelegate> delegate)
    : HttpInnerTask(std::move(engine)),
      newsSummary_(std::move(newsSummary)),
      delegate_(std::move(delegate)) {
  if (httpEngine()) currFlow_ = TaskUtil::flowOf(*httpEngine());
}

void OfflineDownDetailInnerTask::start() { runStateMachine(); }

void OfflineDownDetailInnerTask::get(const std::optional<std::string>& url) {
  httpEngine()->setIsOfflineDownload(true);
  httpEngine()->get(url);
}

void OfflineDownDetailInnerTask::runStateMachine() {
  if (state_ == 0) {
    if (newsSummary_ && newsSummary_->detail()) {
      newsDetail_ = newsSummary_->detail();
      state_ = 3;
    } else {
      get(newsSummary_ ? TaskUtil::hrefOf(newsSummary_->alternatelink()) : std::nullopt);
      return;
    }
  }
  if (state_ == 1) {
    if (auto extra = TaskUtil::hrefOf(newsDetail_->veskExtraLink())) {
      get(extra);
      return;
    }
    state_ = 2;
  }
  if (state_ == 2) {
    if (auto comments = TaskUtil::hrefOf(newsDetail_->commentsLink())) {
      get(comments);
      return;
    }
    state_ = 3;
  }
  std::vector<std::string> attachments;
  std::vector<std::string> pictures = collectImageUrls(&attachments);
  std::weak_ptr<Object> weak = shared_from_this();
  attachments_ = std::make_shared<OfflineAttachmentFetcher>(
      std::move(attachments), [this, weak, pictures = std::move(pictures)] {
        if (weak.expired()) return;
        attachments_.reset();
        downloadPictures(pictures);
      });
  attachments_->start();
}

void OfflineDownDetailInnerTask::cancel() {
  if (isDone()) return;
  if (attachments_) {
    attachments_->cancel();
    attachments_.reset();
    done(kErrCancelled, ErrorGetDescription(kErrCancelled));
    return;
  }
  auto hooks = HttpEngineHooks::installed();
  if (hooks && httpEngine()) hooks->cancel(*httpEngine());
}

void OfflineDownDetailInnerTask::downloadPictures(const std::vector<std::string>& urls) {
  if (urls.empty()) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(shared_from_this());
  auto images = std::make_shared<DownloadImageInnerTask>(httpEngine(), urls, false, self);
  images->setIsOfflineDownload(true);
  images->run();
}

void OfflineDownDetailInnerTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  notifyFlow();
  done(errCode, errDesc);
}

void OfflineDownDetailInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  notifyFlow();
  if (state_ == 0) {
    state_ = 1;
    auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsDetail);
    const auto entries = TaskUtil::entriesOf(feed.get());
    newsDetail_ = entries.empty() ? nullptr : std::dynamic_pointer_cast<NewsDetail>(entries[0]);
    if (!newsDetail_) {
      done(kErrDataParse, ErrorGetDescription(kErrDataParse));
      return;
    }
    if (!response->isCache()) totalNewsCount_ = 1;
  } else if (state_ == 1) {
    state_ = 2;  // the extra page is only kept in the cache
  } else if (state_ == 2) {
    comments_ = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindComment);
    state_ = 3;
  }
  runStateMachine();
}

void OfflineDownDetailInnerTask::onHttpError(int errCode,
                                             const std::optional<std::string>& errDesc) {
  notifyFlow();
  done(errCode, errDesc);
}

std::vector<std::string> OfflineDownDetailInnerTask::collectImageUrls(
    std::vector<std::string>* attachments) const {
  std::vector<std::string> images;
  const auto& content = DeviceInfo::isBuildForIPad() && newsDetail_->veskPagedcontent()
                            ? newsDetail_->veskPagedcontent()
                            : newsDetail_->content();
  if (content && content->data()) {
    VESKAtomParser::allocParseImgUrlWithAttachinHtml(*content->data(), &images, attachments);
  }
  for (const auto& comment : TaskUtil::entriesOf(comments_.get())) {
    if (auto href = comment ? TaskUtil::hrefOf(comment->coverImageThumbnailLink()) : std::nullopt) {
      images.push_back(*href);
    }
  }
  const auto& status = newsSummary_ ? newsSummary_->veskEntryStatus() : nullptr;
  if (status && hasPictures(status->type()) && newsDetail_->veskCategorys()) {
    for (const auto& picture : *newsDetail_->veskCategorys()) {
      if (!picture) continue;
      if (picture->href()) images.push_back(*picture->href());
      if (picture->a_href()) images.push_back(*picture->a_href());
    }
  }
  return images;
}

void OfflineDownDetailInnerTask::notifyFlow() {
  if (!httpEngine()) return;
  const int64_t now = TaskUtil::flowOf(*httpEngine());
  if (now - currFlow_ >= 1 && delegate_) {
    delegate_->onOfflineDownDetailInnerFlow(this, static_cast<int>(now - currFlow_));
  }
  currFlow_ = now;
}

void OfflineDownDetailInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<OfflineDownDetailInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) delegate->onOfflineDownDetailInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
