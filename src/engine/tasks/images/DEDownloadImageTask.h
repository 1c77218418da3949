// DEDownloadImageTask: the screens' image download (DataEngine::createDownloadImageTask and
// createDownloadImageBatchTask). It runs a DownloadImageInnerTask over its URLs on its engine and
// reports each URL as an image result (the local path is always absent: the receiver finds the
// file through the response cache), then finishes with 0 — a failed image does not fail the
// task — or with -6 when cancelled.
//
// Reports go to the facade's observer, or, when the task was made with a specific observer, to
// that observer only: it hears every image result and then the finish, and the task is muted so
// the facade's observer hears nothing of it. The specific observer is kept until the finish.
// Everything runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class DataEngineObserver;
class Feed;

class DEDownloadImageTask : public HttpTask, public DownloadImageInnerTaskDelegate {
 public:
  explicit DEDownloadImageTask(std::vector<std::string> imageUrls,
                               std::shared_ptr<DataEngineObserver> specificObserver = nullptr);

  const std::vector<std::string>& imageUrls() const { return imageUrls_; }

  void run() override;

  void onImageUrlProcessed(DownloadImageInnerTask* task, int errCode,
                           const std::optional<std::string>& errDesc,
                           const std::string& imageUrl) override;
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

  // Per entry the thumbnail's, cover image's and cover thumbnail's addresses that exist;
  // nullopt when the feed has no entry list.
  static std::optional<std::vector<std::string>> createDownloadImageUrlArray(const Feed& feed);

 protected:
  // Tells the specific observer (then lets it go) before the base finish.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  std::shared_ptr<DataEngineObserver> reportTarget() const;

  std::vector<std::string> imageUrls_;
  std::shared_ptr<DataEngineObserver> observer_;
};

}  // namespace zu
