// DownloadImageInnerTask: downloads a list of image URLs one after another on one HTTP engine
// into the engine's response cache ("ImageCache") and reports each URL to its delegate as it is
// settled. A URL whose file the cache already holds costs no request. A failed image is reported
// and the list goes on, unless the task was made to stop at the first failure; a cancel of the
// engine (-6) ends the list at once without per-URL reports.
//
// Every URL of the list is in the facade's downloads-in-flight set (DataEngine::
// isImageDownloading) from the creation of the task until it is settled, failed, or dropped by
// a stop, so the set empties in every ending.
//
// Lifetime and threads: as every inner task (HttpInnerTask) it keeps itself alive from run() to
// its finish and runs on the thread of its engine (the "task" thread); a list settled entirely
// from the cache finishes on a later pass of that thread's loop, after run() returned. The
// delegate is kept until the finish.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpInnerTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class Feed;

class DownloadImageInnerTask : public HttpInnerTask {
 public:
  DownloadImageInnerTask(std::shared_ptr<HttpEngine> engine, std::vector<std::string> imageUrls,
                         bool stopIfFail, std::shared_ptr<DownloadImageInnerTaskDelegate> delegate);

  // The downloads land in the offline part of the response cache (set before run()).
  bool isOfflineDownload() const { return isOfflineDownload_; }
  void setIsOfflineDownload(bool offline) { isOfflineDownload_ = offline; }

  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;

  // Per entry, in order, whichever exist: the thumbnail's address, the cover image's, the cover
  // thumbnail's and the cover thumbnail's selected-state address. Nullopt when the feed has no
  // entry list.
  static std::optional<std::vector<std::string>> extractImageUrls(const Feed& feed);
  // The same without the selected-state addresses.
  static std::optional<std::vector<std::string>> extractImageUrlsWithoutSelected(const Feed& feed);

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  // Settles cached URLs until one needs a request (started) or the list is exhausted (done).
  void downloadNextImage();
  // Reports the engine's traffic since the last report.
  void notifyFlow();
  // The URL in flight, taken last.
  const std::string& currentUrl() const { return imageUrls_[currIndex_ - 1]; }

  std::vector<std::string> imageUrls_;
  size_t currIndex_ = 0;
  bool stopIfFail_;
  bool isOfflineDownload_ = false;
  int64_t currFlow_ = 0;
  std::shared_ptr<DownloadImageInnerTaskDelegate> delegate_;
};

}  // namespace zu
