#include "platform/runtime/Thread.h"

#include <pthread.h>

#include <future>
#include <utility>

namespace zu {

namespace {

thread_local std::optional<std::string> tCurrentName;

}  // namespace

void Thread::setCurrentName(std::optional<std::string> name) {
  if (name) {
    // The kernel keeps at most 15 bytes; debuggers show that, our registry keeps the whole name.
    std::string shortName = name->substr(0, 15);
    pthread_setname_np(pthread_self(), shortName.c_str());
  }
  tCurrentName = std::move(name);
}

std::optional<std::string> Thread::currentName() { return tCurrentName; }

Thread::Thread(std::string name) : name_(std::move(name)) {}

std::shared_ptr<Thread> Thread::start(std::string name) {
  return start(std::move(name), [] { RunLoop::current()->run(); });
}

std::shared_ptr<Thread> Thread::start(std::string name, std::function<void()> body) {
  std::shared_ptr<Thread> thread(new Thread(name));
  std::promise<std::shared_ptr<RunLoop>> loopReady;
  auto loopFuture = loopReady.get_future();
  // The promise moves into the thread, so start() may return while set_value is finishing.
  thread->thread_ = std::thread(
      [name, body = std::move(body), loopReady = std::move(loopReady)]() mutable {
        Thread::setCurrentName(name);
        loopReady.set_value(RunLoop::current());
        if (body) body();
      });
  thread->id_ = thread->thread_.get_id();
  thread->runLoop_ = loopFuture.get();
  return thread;
}

Thread::~Thread() { stopAndJoin(); }

bool Thread::isCurrent() const { return std::this_thread::get_id() == id_; }

void Thread::stopAndJoin() {
  if (runLoop_) runLoop_->stop();
  if (!thread_.joinable()) return;
  if (isCurrent()) {
    // A thread cannot join itself; it ends when its body returns.
    thread_.detach();
    return;
  }
  thread_.join();
}

}  // namespace zu
