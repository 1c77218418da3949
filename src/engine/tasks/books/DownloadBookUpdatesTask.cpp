#include "engine/tasks/books/DownloadBookUpdatesTask.h"

#include <cstdio>

#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "engine/tasks/books/DownloadSectionInnerTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"

namespace zu {

DownloadBookUpdatesTask::DownloadBookUpdatesTask(std::shared_ptr<Column> column)
    : column_(std::move(column)), bookId_(TaskSupport::bookIdOf(column_.get())) {}

int DownloadBookUpdatesTask::updatesRate(int current, int total, int progress) {
  if (total < 1) return 0;
  const int step = 100 / total;
  const int rate = step * (current - 1) + step * progress / 100;
  return rate == 100 ? 99 : rate;
}

void DownloadBookUpdatesTask::run() {
  HttpTask::run();
  if (auto engine = gDataEngine()) engine->addDownloadingBookId(bookId_);
  if (!httpEngine()) return;
  httpEngine()->get(TaskSupport::hrefOf(column_ ? column_->catalogLink() : nullptr));
}

void DownloadBookUpdatesTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = TaskSupport::storeBookCatalog(*response, bookId_);
  if (!feed) {
    done(kErrDataParse, std::nullopt);
    return;
  }
  for (const auto& chapter : feed->chapters().value_or(std::vector<std::shared_ptr<Chapter>>())) {
    if (!chapter || !chapter->sections()) continue;
    for (const auto& section : *chapter->sections()) {
      if (!section || !section->needDownload()) continue;
      updatesSections_.push_back(section);
      if (section->id()) sectionIdToChapterIndex_[*section->id()] = chapter->indexId();
    }
  }
  currIndex_ = 0;
  downloadNextSection();
}

void DownloadBookUpdatesTask::downloadNextSection() {
  if (currIndex_ >= updatesSections_.size()) {
    done(kErrOk, std::nullopt);
    return;
  }
  currSection_ = updatesSections_[currIndex_++];
  int chapterIndex = 0;
  if (currSection_->id()) {
    auto it = sectionIdToChapterIndex_.find(*currSection_->id());
    if (it != sectionIdToChapterIndex_.end()) chapterIndex = it->second;
  }
  auto self = std::dynamic_pointer_cast<DownloadSectionInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadSectionInnerTask>(httpEngine(), bookId_, chapterIndex, currSection_,
                                             self)
      ->run();
}

void DownloadBookUpdatesTask::onDownloadSectionProgress(DownloadSectionInnerTask* /*task*/,
                                                        int progress) {
  std::printf("onDownloadSectionProgress %s progress %d\n",
              currSection_ && currSection_->id() ? currSection_->id()->c_str() : "(null)",
              progress);
  reportRate(updatesRate(static_cast<int>(currIndex_), static_cast<int>(updatesSections_.size()),
                         progress));
}

void DownloadBookUpdatesTask::onDownloadSectionInnerTaskFinished(
    DownloadSectionInnerTask* /*task*/, int errCode, const std::optional<std::string>& /*desc*/) {
  if (isDone()) return;
  if (errCode != kErrOk) {
    done(errCode, std::nullopt);
    return;
  }
  downloadNextSection();
}

void DownloadBookUpdatesTask::reportRate(int rate) {
  auto observer = TaskSupport::observer();
  if (observer && observer->respondsToOnDownloadBookUpdatesProgress()) {
    observer->onDownloadBookUpdatesProgress(sharedTask(), bookId_, rate);
  }
}

void DownloadBookUpdatesTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  TaskSupport::bookDownloadEnded(bookId_, errCode, column_.get());
  if (errCode == kErrOk) reportRate(100);
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
