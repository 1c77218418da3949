// OfflineDownDetailInnerTaskDelegate: the article batch hears one article's download here, on
// the "task" thread: the bytes moved since the last report, and its one finish.
#pragma once

#include <optional>
#include <string>

namespace zu {

class OfflineDownDetailInnerTask;

class OfflineDownDetailInnerTaskDelegate {
 public:
  virtual ~OfflineDownDetailInnerTaskDelegate() = default;
  virtual void onOfflineDownDetailInnerTaskFinished(OfflineDownDetailInnerTask* task, int errCode,
                                                    const std::optional<std::string>& errDesc) = 0;
  virtual void onOfflineDownDetailInnerFlow(OfflineDownDetailInnerTask* task, int bytes) = 0;
};

}  // namespace zu
