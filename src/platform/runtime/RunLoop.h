// RunLoop: the event loop of one thread. At most one exists per thread: RunLoop::current()
// creates the calling thread's loop on first use, RunLoop::main() is the process main
// thread's loop ("on the main thread" means posted to RunLoop::main(); the executable's main
// thread runs it, tests turn it with runUntil on the test thread).
//
// The loop keeps one queue ordered by (due time, sequence): a plain post is due now, so a plain
// post made before a delayed one runs first, and tasks with equal due times run in post order.
// Due times are measured on Clock::get()'s monotonic scale, so a FakeClock drives timers.
// The loop also watches file descriptors (poll) for the network layer and can be woken from
// any thread.
//
// Threads: post, postDelayed, cancel, postAndWait, stop, wakeUp, watchFd, updateFd, unwatchFd
// may be called from any thread. run and runUntil only on the loop's own thread (a broken
// invariant otherwise: std::logic_error). Tasks and fd callbacks run on the loop's thread.
//
// Stopping: stop() is final. It makes run()/runUntil() return (waking a blocked loop), later
// calls to them return at once, postAndWait() returns false, and posts are dropped. A thread's
// loop is stopped when the thread ends. Tasks still queued are dropped (destroyed without
// running) when the loop is destroyed.
//
// Exceptions: a task or fd callback that throws is not caught here. The exception propagates
// out of run()/runUntil() to their caller (the task engine catches and logs it there and may
// turn the loop again); the loop stays usable, the throwing task is gone from the queue.
//
// Ownership: shared. The loop's thread holds it while it lives; others may hold it longer
// (posts after the thread ended are dropped).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace zu {

class RunLoop : public std::enable_shared_from_this<RunLoop> {
 public:
  using Task = std::function<void()>;
  // Identifies a delayed task for cancel(). Never 0.
  using Token = uint64_t;
  // Identifies a file-descriptor watch. Never 0.
  using WatchId = uint64_t;
  // Called on the loop's thread when `fd` is readable and/or writable (errors and hang-ups
  // are reported as both, so the owner's next read/write sees them).
  using FdCallback = std::function<void(int fd, bool readable, bool writable)>;

  // The process main thread's loop (created on first use, from any thread).
  static std::shared_ptr<RunLoop> main();
  // The calling thread's loop, created on first use. On the main thread this is main().
  static std::shared_ptr<RunLoop> current();
  // Wakes every live run loop (used when the clock jumps).
  static void wakeAll();

  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Queues `fn` to run as soon as possible. False (and `fn` dropped) when the loop is stopped.
  bool post(Task fn);
  // Queues `fn` to run `seconds` from now (negative or NaN means now). Returns a token for
  // cancel(), or 0 when the loop is stopped and `fn` was dropped.
  Token postDelayed(double seconds, Task fn);
  // Removes a delayed task that has not started. True when it was still queued.
  bool cancel(Token token);
  // Runs `fn` on the loop's thread and waits for it. On the loop's own thread it runs inline.
  // True when `fn` ran to completion. False, without running it, when the loop is stopped or
  // stops before reaching it; false also when `fn` threw on the loop's thread (the exception
  // goes to that thread's run()). Inline, an exception propagates to the caller. Waiting on a
  // loop that nobody turns blocks until it is turned or stopped.
  bool postAndWait(Task fn);

  // Turns the loop until stop(). Own thread only.
  void run();
  // Turns the loop until `pred` holds (checked before waiting and after each task or fd
  // callback), stop(), or `timeoutSeconds` pass (negative: no timeout). Returns pred's value
  // at the end. Own thread only. May be nested inside a task.
  // The timeout is real steady time even under a fake clock: it guards tests against hanging,
  // while the tasks' due times follow the installed clock.
  bool runUntil(const std::function<bool()>& pred, double timeoutSeconds);
  // Stops the loop for good and wakes it. Pending postAndWait calls return false.
  void stop();
  bool isStopped() const;
  // True when called on the loop's own thread.
  bool isCurrent() const;
  // Makes a blocked loop look at its queue and watches again (harmless when not blocked).
  void wakeUp();

  // Watches `fd` for readability and/or writability; `callback` runs on the loop's thread
  // while the loop is turned. Returns an id for updateFd/unwatchFd. The caller keeps owning
  // the descriptor and must unwatch it before closing it.
  WatchId watchFd(int fd, bool read, bool write, FdCallback callback);
  // Changes what a watch waits for. False when the id is unknown.
  bool updateFd(WatchId id, bool read, bool write);
  // Ends a watch; safe from inside any fd callback (a removed watch is not called again,
  // not even for readiness already reported in the same turn). False when the id is unknown.
  bool unwatchFd(WatchId id);

 private:
  struct Impl;
  // `ownerTid`: the kernel thread id of the loop's thread.
  explicit RunLoop(int ownerTid);
  // Turns the loop until `done` (may be null) holds, stop, or the deadline (real monotonic
  // micros, -1: none) passes.
  void turn(const std::function<bool()>* done, int64_t deadlineMicros);
  void checkOwnThread(const char* what) const;
  // Shifts every queued due time of every loop by `deltaMicros` (the clock was switched).
  static void rebaseAll(int64_t deltaMicros);
  friend class Clock;

  std::unique_ptr<Impl> impl_;
};

}  // namespace zu
