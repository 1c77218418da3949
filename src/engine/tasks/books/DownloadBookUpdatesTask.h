// DownloadBookUpdatesTask: brings a book's sections up to date for reading. It fetches the
// catalogue, notes which sections the book manager lacks or holds in an older version, and
// downloads those sections one after another (each with its pictures, style sheets and
// scripts, by a DownloadSectionInnerTask on the task's engine) into a staging folder beside the
// book's "OPS" folder (StagedFolder). Only when every section has arrived are they put in place
// and the new catalogue stored, so a failed or cancelled update leaves the old catalogue and
// the old sections whole, removes what it wrote, and the next update fetches the same sections
// again. An observer that implements onDownloadBookUpdatesProgress hears the overall
// percentage (99 at most until the finish, 100 at a successful finish). The first failed
// section finishes the task with its code; success records the book's update time.
//
// While it runs the book id is in the facade's downloading list. Runs on the "task" thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"
#include "engine/tasks/books/DownloadSectionInnerTaskDelegate.h"

namespace zu {

class Column;
class Section;
class StagedFolder;

class DownloadBookUpdatesTask : public HttpTask, public DownloadSectionInnerTaskDelegate {
 public:
  explicit DownloadBookUpdatesTask(std::shared_ptr<Column> column);
  ~DownloadBookUpdatesTask() override;

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

  void onDownloadSectionProgress(DownloadSectionInnerTask* task, int progress) override;
  void onDownloadSectionInnerTaskFinished(DownloadSectionInnerTask* task, int errCode,
                                          const std::optional<std::string>& errDesc) override;

  // The overall percentage while section `current` (1-based) of `total` is at `progress`;
  // 100 is reported as 99 (only the finish reports 100).
  static int updatesRate(int current, int total, int progress);

 protected:
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void downloadNextSection();
  // Puts the staged sections in place, stores the catalogue and finishes.
  void putUpdatesInPlace();
  void reportRate(int rate);

  std::shared_ptr<Column> column_;
  std::string bookId_;
  std::vector<std::shared_ptr<Section>> updatesSections_;
  std::map<std::string, int> sectionIdToChapterIndex_;
  size_t currIndex_ = 0;
  std::shared_ptr<Section> currSection_;
  std::string catalogBody_;              // stored once every section is in place
  std::unique_ptr<StagedFolder> staged_;  // the sections downloaded so far
};

}  // namespace zu
