#include "engine/tasks/support/ImageReportingTask.h"

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"

namespace zu {

void ImageReportingTask::downloadImagesThenFinish(std::vector<std::string> imageUrls) {
  if (imageUrls.empty() || !httpEngine()) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), std::move(imageUrls), false, self)->run();
}

void ImageReportingTask::onImageUrlProcessed(DownloadImageInnerTask* /*task*/, int errCode,
                                             const std::optional<std::string>& errDesc,
                                             const std::string& imageUrl) {
  if (auto observer = TaskUtil::observer()) {
    observer->onImageDownloadResult(sharedTask(), imageUrl, errCode, errDesc, std::nullopt);
  }
}

void ImageReportingTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

}  // namespace zu
