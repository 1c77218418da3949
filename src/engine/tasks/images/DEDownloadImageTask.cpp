#include "engine/tasks/images/DEDownloadImageTask.h"

#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"

namespace zu {

DEDownloadImageTask::DEDownloadImageTask(std::vector<std::string> imageUrls,
                                         std::shared_ptr<DataEngineObserver> specificObserver)
    : imageUrls_(std::move(imageUrls)), observer_(std::move(specificObserver)) {
  if (observer_) setMute(true);
}

void DEDownloadImageTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), imageUrls_, false, self)->run();
}

std::shared_ptr<DataEngineObserver> DEDownloadImageTask::reportTarget() const {
  if (observer_) return observer_;
  auto facade = gDataEngine();
  return facade ? facade->getObserver() : nullptr;
}

void DEDownloadImageTask::onImageUrlProcessed(DownloadImageInnerTask* /*task*/, int errCode,
                                              const std::optional<std::string>& errDesc,
                                              const std::string& imageUrl) {
  if (auto observer = reportTarget()) {
    observer->onImageDownloadResult(sharedTask(), imageUrl, errCode, errDesc, std::nullopt);
  }
}

void DEDownloadImageTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void DEDownloadImageTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  // Every ending reaches the specific observer, also one without an engine to run on.
  if (std::shared_ptr<DataEngineObserver> observer = std::move(observer_)) {
    observer->onTaskFinish(sharedTask(), errCode, errDesc);
  }
  HttpTask::finish(errCode, errDesc);
}

std::optional<std::vector<std::string>> DEDownloadImageTask::createDownloadImageUrlArray(
    const Feed& feed) {
  return DownloadImageInnerTask::extractImageUrlsWithoutSelected(feed);
}

}  // namespace zu
