// SlotWriter: the writer thread of a cache whose saves must not wait for the disk (the column
// cache, the response cache). A save is a job put under a slot, the text naming what it
// replaces (a column's page, a response's key); the owner's function runs the job on the
// writer thread.
//
// put() returns at once. Jobs run in the order their slots were first put; a slot put again
// while it waits keeps its place and runs once, with its latest job; put again while its job
// runs, it runs again after the slots already waiting. Until a slot's latest job has run,
// pending() answers it, so the owner's loads can see the latest save before it is on disk.
// flush() returns once every job put before the call has run. The destructor runs what waits,
// then ends the thread.
//
// Owned by the cache it writes for, as its last member (made after, and destroyed before, what
// the job function uses). The job function runs on the writer thread only, with no lock of the
// SlotWriter held, so it may take the owner's locks; the owner may call put() and pending()
// while holding its own lock (the writer never holds its lock while calling the owner). Any
// thread may put, look up and flush; flush() must not be called with a lock the job function
// takes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/runtime/Thread.h"

namespace zu {

template <class Job>
class SlotWriter {
 public:
  using Run = std::function<void(const std::string& slot, const Job& job)>;

  // `name` names the thread (for debuggers and profiles).
  SlotWriter(std::string name, Run run)
      : name_(std::move(name)), run_(std::move(run)), thread_([this] { loop(); }) {}
  ~SlotWriter() {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  SlotWriter(const SlotWriter&) = delete;
  SlotWriter& operator=(const SlotWriter&) = delete;

  // Queues `job` as the slot's latest.
  void put(const std::string& slot, Job job) {
    {
      std::lock_guard guard(lock_);
      Entry entry{std::make_shared<const Job>(std::move(job)), ++sequences_};
      auto [it, added] = pending_.insert_or_assign(slot, std::move(entry));
      // A slot already waiting (or running) keeps its place; the thread takes its latest job.
      if (!added) return;
      queue_.push_back(slot);
    }
    wake_.notify_one();
  }

  // The slot's latest job while it has not run to its end, or null.
  std::shared_ptr<const Job> pending(const std::string& slot) const {
    std::lock_guard guard(lock_);
    auto it = pending_.find(slot);
    return it == pending_.end() ? nullptr : it->second.job;
  }

  void flush() {
    std::unique_lock guard(lock_);
    idle_.wait(guard, [this] { return queue_.empty() && !running_; });
  }

 private:
  struct Entry {
    std::shared_ptr<const Job> job;
    uint64_t sequence = 0;
  };

  void loop() {
    Thread::setCurrentName(name_);
    std::unique_lock guard(lock_);
    for (;;) {
      wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, with everything run
      const std::string slot = std::move(queue_.front());
      queue_.pop_front();
      const Entry entry = pending_.at(slot);
      running_ = true;
      guard.unlock();
      run_(slot, *entry.job);
      guard.lock();
      running_ = false;
      // Loads answered from the job until now; a newer job of the slot put meanwhile runs
      // after the slots already waiting.
      if (auto it = pending_.find(slot); it != pending_.end()) {
        if (it->second.sequence == entry.sequence) {
          pending_.erase(it);
        } else {
          queue_.push_back(slot);
        }
      }
      if (queue_.empty()) idle_.notify_all();
    }
  }

  const std::string name_;
  const Run run_;
  mutable std::mutex lock_;  // the fields below
  std::map<std::string, Entry> pending_;
  std::deque<std::string> queue_;  // slots to run, in the order they were put
  uint64_t sequences_ = 0;
  bool running_ = false;
  bool stopping_ = false;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::thread thread_;  // last: started once the fields above are made
};

}  // namespace zu
