// DownloadBookTask: downloads one book. It fetches the book's catalogue (the column's
// "catalog" link) and hands it to the book manager, then downloads the whole book package (the
// "book_content" link) into "<package path>.temp" with resume allowed, unpacks it beside the
// book's folder and puts it in the folder's place only once every entry is written
// (StagedFolder: the files of the old folder the package does not replace stay), combines the
// sections, and only then moves the package into place. The observer hears the download's
// progress; on success the book's update time is recorded, so that the facade's
// bookHaveUpdates() is false until the service changes the book again.
//
// While it runs the book id is in the facade's downloading list. An interrupted download keeps
// its ".temp" file for the next attempt; one the HTTP engine refuses (a size past its bound or
// the free space) leaves none. A package that does not unpack is deleted with all it unpacked
// and the task finishes with -5000: an older book and package stay whole. Runs on the "task"
// thread like every task.
#pragma once

#include <memory>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class Column;

class DownloadBookTask : public HttpTask {
 public:
  explicit DownloadBookTask(std::shared_ptr<Column> column);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onReceivedSize(int64_t receivedSize, int64_t totalSize) override;

 protected:
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void onCatalog(const HttpResponse& response);
  void onPackage();

  std::shared_ptr<Column> column_;
  std::string bookId_;
  bool getCatalog_ = false;
  std::string bookPath_;
  std::string bookTempPath_;
};

}  // namespace zu
