// DownloadImageInnerTaskDelegate: how a DownloadImageInnerTask reports to the task that runs it,
// on the "task" thread. The finish is required; the per-URL and traffic reports are optional
// (their default bodies do nothing).
#pragma once

#include <optional>
#include <string>

namespace zu {

class DownloadImageInnerTask;

class DownloadImageInnerTaskDelegate {
 public:
  virtual ~DownloadImageInnerTaskDelegate() = default;

  // The list ended: 0 when every URL was settled (failed images included), else the code of the
  // cancel or of the failure that stopped it.
  virtual void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                                const std::optional<std::string>& errDesc) = 0;
  // One URL settled: from the cache or downloaded (0), or failed (its code and text).
  virtual void onImageUrlProcessed(DownloadImageInnerTask* /*task*/, int /*errCode*/,
                                   const std::optional<std::string>& /*errDesc*/,
                                   const std::string& /*imageUrl*/) {}
  // Bytes sent and received on the engine since the last report (at least 1).
  virtual void onDownloadImageInnerTaskFlow(DownloadImageInnerTask* /*task*/, int /*bytes*/) {}
};

}  // namespace zu
