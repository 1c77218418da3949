// Thread: a named thread with its own run loop (the engine's "task" thread, for instance).
// Thread::start(name) starts a thread that turns its RunLoop until stopAndJoin(); the overload
// taking a body runs that function instead (the body usually turns RunLoop::current() itself,
// e.g. to catch what tasks throw). runLoop() is usable as soon as start() returns.
//
// Thread names live in our own registry (not the OS's 15-character names) so log lines can
// print them: setCurrentName / currentName work on any thread; a thread without a name (the
// main thread, unless set) reports nullopt, and an empty name stays empty.
//
// Ownership: shared. Destroying the last reference stops and joins the thread (from the thread
// itself it is detached instead, since a thread cannot join itself). stopAndJoin is meant for
// the owner: call it from one thread at a time.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/runtime/RunLoop.h"

namespace zu {

class Thread {
 public:
  // Starts a thread named `name` whose body turns its run loop until stopAndJoin().
  static std::shared_ptr<Thread> start(std::string name);
  // Starts a thread named `name` that runs `body`. RunLoop::current() inside the body is
  // runLoop(); stopAndJoin() stops that loop and waits for the body to return. The body must
  // not throw (an escaping exception ends the process, as for any std::thread).
  static std::shared_ptr<Thread> start(std::string name, std::function<void()> body);

  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  const std::string& name() const { return name_; }
  // The thread's run loop (stays valid after the thread ended; posts to it are then dropped).
  std::shared_ptr<RunLoop> runLoop() const { return runLoop_; }
  // True when called on this thread.
  bool isCurrent() const;
  // Stops the run loop and waits for the thread to end. Idempotent. Called on the thread
  // itself it only stops the loop.
  void stopAndJoin();

  // Names the calling thread in our registry (nullopt removes the name).
  static void setCurrentName(std::optional<std::string> name);
  // The calling thread's name, or nullopt when it has none.
  static std::optional<std::string> currentName();

 private:
  explicit Thread(std::string name);

  std::string name_;
  std::shared_ptr<RunLoop> runLoop_;
  std::thread thread_;
  std::thread::id id_;
};

}  // namespace zu
