// DownloadWithPriorityDLManagerDelegate: how the download lanes report to their session, on the
// session's thread: each finished attempt of a lane's head (with the engine's result
// dictionary), and the moment every lane has run empty.
#pragma once

#include <memory>

#include "platform/runtime/Value.h"

namespace zu {

class DownloadWithPriorityGroupObject;

class DownloadWithPriorityDLManagerDelegate {
 public:
  virtual ~DownloadWithPriorityDLManagerDelegate() = default;
  // `userInfo`: "Task", "ResultType" ("ImageDownLoad"), "Result" (the code), "Url", "ErrDesc".
  virtual void onDownloadResult(const std::shared_ptr<DownloadWithPriorityGroupObject>& object,
                                const Dictionary& userInfo) = 0;
  virtual void onQueueClear() = 0;
};

}  // namespace zu
