// runDueMainLoopTasks: turns the main run loop until every task already due has run (tasks due
// later, by the installed clock, stay queued), for tests that advance a FakeClock and then look
// at what happened. Call on the test (main) thread. Fails the test when the loop does not get
// there within ten seconds of real time.
//
// turnMainLoopUntil: turns the main run loop until `done` holds, for state that other threads
// change without posting anything to the main loop (a muted task, a log line, a worker's flag):
// a timer wakes the loop every 10 ms (real time) to look again. False when `done` still does
// not hold after `timeoutSeconds`.
#pragma once

#include <functional>

namespace zu {

void runDueMainLoopTasks();
bool turnMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds = 20);

}  // namespace zu
