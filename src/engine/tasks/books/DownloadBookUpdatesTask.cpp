#include "engine/tasks/books/DownloadBookUpdatesTask.h"

#include <cstdio>

#include "common/StagedFolder.h"
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
#include "store/BookMgr.h"

namespace zu {

DownloadBookUpdatesTask::DownloadBookUpdatesTask(std::shared_ptr<Column> column)
    : column_(std::move(column)), bookId_(TaskSupport::bookIdOf(column_.get())) {}

DownloadBookUpdatesTask::~DownloadBookUpdatesTask() = default;

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
  // The catalogue is stored only once the sections it names are in place: stored earlier, a
  // section that then failed would count as up to date and never be fetched again.
  auto feed = TaskSupport::parseBookCatalog(*response);
  if (!feed) {
    done(kErrDataParse, std::nullopt);
    return;
  }
  catalogBody_ = std::string(TaskSupport::bodyText(*response));
  for (const auto& chapter : feed->chapters().value_or(std::vector<std::shared_ptr<Chapter>>())) {
    if (!chapter || !chapter->sections()) continue;
    for (const auto& section : *chapter->sections()) {
      if (!section || !section->needDownload()) continue;
      updatesSections_.push_back(section);
      if (section->id()) sectionIdToChapterIndex_[*section->id()] = chapter->indexId();
    }
  }
  currIndex_ = 0;
  if (!updatesSections_.empty()) {
    auto books = TaskSupport::bookMgr();
    staged_ = std::make_unique<StagedFolder>(books->getBookOPSDirectory(bookId_));
    if (!staged_->begin()) {
      done(kErrFileCreate, std::nullopt);
      return;
    }
  }
  downloadNextSection();
}

void DownloadBookUpdatesTask::putUpdatesInPlace() {
  if (staged_ && !staged_->commit()) {
    done(kErrFileWrite, std::nullopt);
    return;
  }
  staged_.reset();
  if (auto books = TaskSupport::bookMgr()) books->setBookCatalog(catalogBody_, bookId_);
  done(kErrOk, std::nullopt);
}

void DownloadBookUpdatesTask::downloadNextSection() {
  if (currIndex_ >= updatesSections_.size()) {
    putUpdatesInPlace();
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
                                             self, staged_->path())
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
  staged_.reset();  // uncommitted: what the failed or cancelled update wrote goes
  TaskSupport::bookDownloadEnded(bookId_, errCode, column_.get());
  if (errCode == kErrOk) reportRate(100);
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
