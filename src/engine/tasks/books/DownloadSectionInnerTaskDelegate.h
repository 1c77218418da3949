// DownloadSectionInnerTaskDelegate: how a DownloadSectionInnerTask reports to the task that
// runs it, on the "task" thread: progress of the section (0..99 while it runs, 100 when every
// resource arrived) and its one finish.
#pragma once

#include <optional>
#include <string>

namespace zu {

class DownloadSectionInnerTask;

class DownloadSectionInnerTaskDelegate {
 public:
  virtual ~DownloadSectionInnerTaskDelegate() = default;
  virtual void onDownloadSectionProgress(DownloadSectionInnerTask* task, int progress) = 0;
  virtual void onDownloadSectionInnerTaskFinished(DownloadSectionInnerTask* task, int errCode,
                                                  const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
