// LocalGetFeedTask: one page of a local entry store (a "local://<size>/<offset>" paging link),
// reported with onFeedResult like a page from the service; then the page's images are fetched
// into the response cache, each reported with onImageDownloadResult. An offset beyond the list
// finishes with -5000.
//
// Made by DataEngine::createGetNewsSummarysTask for a local link, on the favourites store;
// runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/tasks/support/ImageReportingTask.h"

namespace zu {

class EntryPersistenter;

class LocalGetFeedTask : public ImageReportingTask {
 public:
  LocalGetFeedTask(std::shared_ptr<EntryPersistenter> store, std::optional<std::string> url);

  void run() override;

 private:
  std::shared_ptr<EntryPersistenter> persistenter_;
  std::optional<std::string> url_;
};

}  // namespace zu
