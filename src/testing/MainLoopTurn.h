// runDueMainLoopTasks: turns the main run loop until every task already due has run (tasks due
// later, by the installed clock, stay queued), for tests that advance a FakeClock and then look
// at what happened. Call on the test (main) thread. Fails the test when the loop does not get
// there within ten seconds of real time.
#pragma once

namespace zu {

void runDueMainLoopTasks();

}  // namespace zu
