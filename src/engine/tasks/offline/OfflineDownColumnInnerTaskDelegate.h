// OfflineDownColumnInnerTaskDelegate: the offline download batch hears one column's download
// here, on the "task" thread: its percent (0..100 of the column's articles), the bytes it moved
// since the last report, and its one finish.
#pragma once

#include <optional>
#include <string>

namespace zu {

class OfflineDownColumnInnerTask;

class OfflineDownColumnInnerTaskDelegate {
 public:
  virtual ~OfflineDownColumnInnerTaskDelegate() = default;
  virtual void onOfflineDownColumnInnerTaskFinished(OfflineDownColumnInnerTask* task, int errCode,
                                                    const std::optional<std::string>& errDesc) = 0;
  virtual void onOfflineDownColumnInnerTaskProgress(OfflineDownColumnInnerTask* task,
                                                    int percent) = 0;
  virtual void onOfflineDownColumnInnerTaskFlow(OfflineDownColumnInnerTask* task, int bytes) = 0;
};

}  // namespace zu
