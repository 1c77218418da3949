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
// Memory: the jobs waiting hold their bytes (as put() is told them) until they have run. With
// the disk much slower than the saves come (a stalled disk), waitForRoom() holds the saving
// thread while more than kMaxWaitingBytes wait, so the queue cannot grow without end.
//
// Owned by the cache it writes for, as its last member (made after, and destroyed before, what
// the job function uses). The job function runs on the writer thread only, with no lock of the
// SlotWriter held, so it may take the owner's locks; the owner may call put() and pending()
// while holding its own lock (the writer never holds its lock while calling the owner). Any
// thread may put, look up and flush; flush() and waitForRoom() must not be called with a lock
// the job function takes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "platform/runtime/Thread.h"

namespace zu {

template <class Job>
class SlotWriter {
 public:
  using Run = std::function<void(const std::string& slot, const Job& job)>;
  // What the waiting jobs may hold before waitForRoom() waits.
  static constexpr size_t kMaxWaitingBytes = size_t{32} << 20;

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

  // Queues `job`, holding `bytes`, as the slot's latest.
  void put(const std::string& slot, Job job, size_t bytes) {
    {
      std::lock_guard guard(lock_);
      const uint64_t sequence = ++sequences_;
      waitingBytes_ += bytes;
      auto it = pending_.find(slot);
      if (it != pending_.end()) {
        // A slot already waiting (or running) keeps its place; the thread takes its latest job.
        // Running, the job taken does not carry this one: it is owed from now on.
        it->second.job = std::make_shared<const Job>(std::move(job));
        it->second.sequence = sequence;
        waitingBytes_ -= std::exchange(it->second.bytes, bytes);
        if (it->second.running && !it->second.owedNext) it->second.owedNext = sequence;
        return;
      }
      Entry entry{std::make_shared<const Job>(std::move(job)), sequence, bytes};
      entry.owed = sequence;
      pending_.emplace(slot, std::move(entry));
      owed_.insert(sequence);
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

  // Returns once the waiting jobs hold at most kMaxWaitingBytes (at once, mostly).
  void waitForRoom() {
    std::unique_lock guard(lock_);
    ran_.wait(guard, [this] { return waitingBytes_ <= kMaxWaitingBytes; });
  }

  void flush() {
    std::unique_lock guard(lock_);
    // Not until the writer is idle: with jobs put all the time (a refresh's saves), it may
    // never be.
    const uint64_t last = sequences_;
    ran_.wait(guard, [&] { return owed_.empty() || *owed_.begin() > last; });
  }

 private:
  struct Entry {
    std::shared_ptr<const Job> job;
    uint64_t sequence = 0;  // of the latest put
    size_t bytes = 0;       // the latest job's
    // The first put whose job has not run to its end (in owed_), and while the slot runs, the
    // first put made since it started (0: none).
    uint64_t owed = 0;
    uint64_t owedNext = 0;
    bool running = false;
  };

  void loop() {
    Thread::setCurrentName(name_);
    std::unique_lock guard(lock_);
    for (;;) {
      wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, with everything run
      const std::string slot = std::move(queue_.front());
      queue_.pop_front();
      Entry& taken = pending_.at(slot);
      taken.running = true;
      const std::shared_ptr<const Job> job = taken.job;
      const uint64_t sequence = taken.sequence;
      guard.unlock();
      run_(slot, *job);
      guard.lock();
      // Loads answered from the job until now; a newer job of the slot put meanwhile runs
      // after the slots already waiting.
      auto it = pending_.find(slot);
      owed_.erase(it->second.owed);
      if (it->second.sequence == sequence) {
        waitingBytes_ -= it->second.bytes;
        pending_.erase(it);
      } else {
        it->second.running = false;
        it->second.owed = std::exchange(it->second.owedNext, 0);
        owed_.insert(it->second.owed);
        queue_.push_back(slot);
      }
      ran_.notify_all();
    }
  }

  const std::string name_;
  const Run run_;
  mutable std::mutex lock_;  // the fields below
  std::map<std::string, Entry> pending_;
  std::deque<std::string> queue_;  // slots to run, in the order they were put
  std::set<uint64_t> owed_;        // the pending slots' owed puts
  uint64_t sequences_ = 0;
  size_t waitingBytes_ = 0;  // of the pending slots' latest jobs
  bool stopping_ = false;
  std::condition_variable wake_;
  std::condition_variable ran_;
  std::thread thread_;  // last: started once the fields above are made
};

}  // namespace zu
