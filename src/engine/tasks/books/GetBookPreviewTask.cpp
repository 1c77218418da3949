#include "engine/tasks/books/GetBookPreviewTask.h"

#include <filesystem>

#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/book/Chapter.h"
#include "model/book/HtmlParser.h"
#include "model/book/Section.h"
#include "store/BookMgr.h"

namespace zu {

GetBookPreviewTask::GetBookPreviewTask(std::shared_ptr<Column> column)
    : column_(std::move(column)), bookId_(TaskSupport::bookIdOf(column_.get())) {}

void GetBookPreviewTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  getCatalog_ = true;
  httpEngine()->get(TaskSupport::hrefOf(column_ ? column_->catalogLink() : nullptr));
}

void GetBookPreviewTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (getCatalog_) {
    onCatalog(*response);
  } else {
    onSection(*response);
  }
}

void GetBookPreviewTask::onCatalog(const HttpResponse& response) {
  getCatalog_ = false;
  auto feed = TaskSupport::storeBookCatalog(response, bookId_);
  if (!feed) {
    done(kErrDataParse, std::nullopt);
    return;
  }
  for (const auto& chapter : feed->chapters().value_or(std::vector<std::shared_ptr<Chapter>>())) {
    if (!chapter || !chapter->sections()) continue;
    for (const auto& section : *chapter->sections()) {
      if (!section || !section->allowPreview() || !chapter->id() || !section->id()) continue;
      previewSections_.push_back(section);
      sectionIdToChapterId_[*section->id()] = *chapter->id();
    }
  }
  currIndex_ = 0;
  downloadNextSection();
}

void GetBookPreviewTask::downloadNextSection() {
  if (currIndex_ >= previewSections_.size()) {
    done(kErrOk, std::nullopt);
    return;
  }
  currSection_ = previewSections_[currIndex_++];
  httpEngine()->get(TaskSupport::hrefOf(currSection_->sectionLink()));
}

void GetBookPreviewTask::onSection(const HttpResponse& response) {
  auto books = TaskSupport::bookMgr();
  const std::string& sectionId = *currSection_->id();
  auto path = books ? books->getBookSectionHtmlFilePath(bookId_, sectionIdToChapterId_[sectionId],
                                                        sectionId)
                    : std::nullopt;
  // write2File makes the page's folder (reached from the home without following a link).
  if (!HtmlParser::write2File(path, TaskSupport::bodyText(response))) {
    done(kErrFileWrite, std::nullopt);
    return;
  }
  downloadNextSection();
}

}  // namespace zu
