#include "engine/tasks/posts/LocalGetUserInfoTask.h"

#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"

namespace zu {

void LocalGetUserInfoTask::run() {
  Task::run();
  auto engine = gDataEngine();
  auto info = engine ? engine->getLoginUserInfo() : nullptr;
  if (info) {
    if (auto observer = TaskUtil::observer()) observer->onUserInfoResult(sharedTask(), info);
  }
  done(kErrOk, std::nullopt);
}

}  // namespace zu
