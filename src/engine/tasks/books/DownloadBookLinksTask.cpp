#include "engine/tasks/books/DownloadBookLinksTask.h"

#include "common/Log.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "store/BookLinkCache.h"

namespace zu {

DownloadBookLinksTask::DownloadBookLinksTask() { setMute(true); }

void DownloadBookLinksTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  links_ = BookLinkCache::getBookCssJsUrls();
  currIndex_ = 0;
  downloadNextLink();
}

void DownloadBookLinksTask::downloadNextLink() {
  if (currIndex_ >= links_.size()) {
    done(kErrOk, std::nullopt);
    return;
  }
  currentLink_ = links_[currIndex_++];
  httpEngine()->get(currentLink_);
}

void DownloadBookLinksTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  datas_.emplace_back(currentLink_, response->responseBody());
  downloadNextLink();
}

void DownloadBookLinksTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (errCode == kErrOk && !BookLinkCache::updateBookLinkCache(datas_)) {
    VESKLogImpl("DownloadBookLinksTask: the book link cache could not be written");
  }
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
