// ImageReportingTask: the ending several list tasks share (server columns, comments, local
// pages): after the list was reported, its images are fetched one after another on the task's
// engine into the response cache (a DownloadImageInnerTask that does not stop at failures),
// each image reported to the observer with onImageDownloadResult (no local path: the receiver
// finds the file through the cache), and the task finishes with the image download's code;
// without images it finishes with 0 at once.
//
// Runs on the "task" thread like every task.
#pragma once

#include <string>
#include <vector>

#include "engine/core/HttpTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class ImageReportingTask : public HttpTask, public DownloadImageInnerTaskDelegate {
 public:
  void onImageUrlProcessed(DownloadImageInnerTask* task, int errCode,
                           const std::optional<std::string>& errDesc,
                           const std::string& imageUrl) override;
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 protected:
  // Fetches the images and then finishes (see the class comment).
  void downloadImagesThenFinish(std::vector<std::string> imageUrls);
};

}  // namespace zu
