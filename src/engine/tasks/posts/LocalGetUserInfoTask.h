// LocalGetUserInfoTask: the reader's profile as the last account sync kept it in the unique
// cache, reported with onUserInfoResult when there is one. Always finishes with 0.
// Runs on the "task" thread.
#pragma once

#include "engine/core/Task.h"

namespace zu {

class LocalGetUserInfoTask : public Task {
 public:
  void run() override;
};

}  // namespace zu
