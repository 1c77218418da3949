#include "engine/tasks/books/DownloadSectionInnerTask.h"

#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "model/book/Section.h"

namespace zu {

DownloadSectionInnerTask::DownloadSectionInnerTask(
    std::shared_ptr<HttpEngine> engine, std::string bookId, int chapterIndex,
    std::shared_ptr<Section> section, std::shared_ptr<DownloadSectionInnerTaskDelegate> delegate,
    std::optional<std::string> pagesFolder)
    : HttpInnerTask(std::move(engine)),
      bookId_(std::move(bookId)),
      chapterIndex_(chapterIndex),
      section_(std::move(section)),
      delegate_(std::move(delegate)) {
  parser_.setPagesFolder(std::move(pagesFolder));
}

void DownloadSectionInnerTask::start() {
  downloadHtml_ = true;
  httpEngine()->get(TaskSupport::hrefOf(section_ ? section_->sectionLink() : nullptr));
}

void DownloadSectionInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  const std::string_view body = TaskSupport::bodyText(*response);
  if (downloadHtml_) {
    downloadHtml_ = false;
    parser_.allocParseUrlInHtml(body, bookId_, chapterIndex_, section_->indexId(), &urlArray_);
    currIndex_ = 0;
    downloadNextUrl();
    return;
  }
  parser_.saveFile(currUrl_, body);
  if (!urlArray_.empty()) reportProgress(static_cast<int>(currIndex_ * 100 / urlArray_.size()));
  downloadNextUrl();
}

void DownloadSectionInnerTask::downloadNextUrl() {
  if (currIndex_ >= urlArray_.size()) {
    done(kErrOk, std::nullopt);
    return;
  }
  currUrl_ = urlArray_[currIndex_++];
  httpEngine()->get(currUrl_);
}

void DownloadSectionInnerTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void DownloadSectionInnerTask::reportProgress(int progress) {
  if (delegate_) delegate_->onDownloadSectionProgress(this, progress >= 100 ? 99 : progress);
}

void DownloadSectionInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<DownloadSectionInnerTaskDelegate> delegate = std::move(delegate_);
  if (!delegate) return;
  if (errCode == kErrOk) delegate->onDownloadSectionProgress(this, 100);
  delegate->onDownloadSectionInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
