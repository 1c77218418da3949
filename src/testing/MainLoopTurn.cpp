#include "testing/MainLoopTurn.h"

#include <gtest/gtest.h>

#include "platform/runtime/RunLoop.h"

namespace zu {

void runDueMainLoopTasks() {
  // A marker posted now runs after every task due now or earlier (the queue is ordered by due
  // time, then by posting order).
  bool reached = false;
  RunLoop::main()->post([&reached] { reached = true; });
  EXPECT_TRUE(RunLoop::main()->runUntil([&reached] { return reached; }, 10));
}

}  // namespace zu
