#include "engine/tasks/books/DownloadBookTask.h"

#include <cstdio>
#include <filesystem>

#include "common/StagedFolder.h"
#include "common/ZipArchive.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "store/BookMgr.h"

namespace zu {

DownloadBookTask::DownloadBookTask(std::shared_ptr<Column> column)
    : column_(std::move(column)), bookId_(TaskSupport::bookIdOf(column_.get())) {}

void DownloadBookTask::run() {
  HttpTask::run();
  if (auto engine = gDataEngine()) engine->addDownloadingBookId(bookId_);
  if (!httpEngine()) return;
  getCatalog_ = true;
  httpEngine()->get(TaskSupport::hrefOf(column_ ? column_->catalogLink() : nullptr));
}

void DownloadBookTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (getCatalog_) {
    onCatalog(*response);
  } else {
    onPackage();
  }
}

void DownloadBookTask::onCatalog(const HttpResponse& response) {
  getCatalog_ = false;
  auto books = TaskSupport::bookMgr();
  if (!books || !TaskSupport::storeBookCatalog(response, bookId_)) {
    done(kErrDataParse, std::nullopt);
    return;
  }
  bookPath_ = books->getBookEpubPath(bookId_);
  bookTempPath_ = books->getBookEpubTempPath(bookId_);
  HttpEngine& engine = *httpEngine();
  engine.setDownloadPath(bookTempPath_);
  engine.setAllowResumeDownload(true);
  engine.setAcceptGzipCompress(false);
  engine.download(TaskSupport::hrefOf(column_->bookContentLink()));
}

void DownloadBookTask::onPackage() {
  auto books = TaskSupport::bookMgr();
  std::error_code ec;
  const std::string folder = books ? books->getBookUncompressedPath(bookId_) : std::string();
  // Unpacked beside the book and put in its place only whole: a package that fails leaves the
  // book as it was (an update included) and nothing of itself.
  StagedFolder staged(folder);
  if (folder.empty() || !staged.begin() ||
      !ZipArchive::unzipFile(bookTempPath_, staged.path(), true) || !staged.commit()) {
    staged.abandon();
    std::filesystem::remove(bookTempPath_, ec);
    done(kErrDataParse, std::nullopt);
    return;
  }
  books->combineBookSections(bookId_);
  std::filesystem::remove(bookPath_, ec);
  std::filesystem::rename(bookTempPath_, bookPath_, ec);
  if (ec) {
    // The book is unpacked and readable; only the kept package could not be moved.
    std::fprintf(stderr, "DownloadBook %s: the package stays at %s (%s)\n", bookId_.c_str(),
                 bookTempPath_.c_str(), ec.message().c_str());
  }
  done(kErrOk, std::nullopt);
}

void DownloadBookTask::onReceivedSize(int64_t receivedSize, int64_t totalSize) {
  std::printf("DownloadBook %s progress recv %lld total %lld\n",
              column_ && column_->title() ? column_->title()->c_str() : "(null)",
              static_cast<long long>(receivedSize), static_cast<long long>(totalSize));
  auto observer = TaskSupport::observer();
  if (observer && observer->respondsToOnDownloadBookProgress()) {
    observer->onDownloadBookProgress(sharedTask(), bookId_, receivedSize, totalSize);
  }
}

void DownloadBookTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  TaskSupport::bookDownloadEnded(bookId_, errCode, column_.get());
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
