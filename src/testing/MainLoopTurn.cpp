#include "testing/MainLoopTurn.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/runtime/RunLoop.h"

namespace zu {

void runDueMainLoopTasks() {
  // A marker posted now runs after every task due now or earlier (the queue is ordered by due
  // time, then by posting order).
  bool reached = false;
  RunLoop::main()->post([&reached] { reached = true; });
  EXPECT_TRUE(RunLoop::main()->runUntil([&reached] { return reached; }, 10));
}

bool turnMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(timeoutSeconds));
  auto loop = RunLoop::main();
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    auto woke = std::make_shared<bool>(false);
    RunLoop::Token token = loop->postDelayed(0.01, [woke] { *woke = true; });
    loop->runUntil([&] { return *woke || done(); }, 1);
    loop->cancel(token);
  }
  return done();
}

}  // namespace zu
