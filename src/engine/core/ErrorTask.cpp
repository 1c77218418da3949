#include "engine/core/ErrorTask.h"

#include "engine/core/ErrorCodes.h"

namespace zu {

void ErrorTask::run() {
  Task::run();
  done(errCode_, ErrorGetDescription(errCode_));
}

}  // namespace zu
