#include "platform/runtime/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/runtime/Clock.h"

namespace zu {

namespace {

int currentTid() {
  thread_local int tid = static_cast<int>(gettid());
  return tid;
}

bool isMainThread() { return currentTid() == static_cast<int>(getpid()); }

int64_t nowMono() { return Clock::get()->monotonicMicros(); }

// Real steady time, for runUntil's timeout.
int64_t realMono() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// Seconds of delay to microseconds: negative or NaN is 0, huge values saturate at ~30 years.
int64_t delayMicros(double seconds) {
  if (!(seconds > 0)) return 0;
  constexpr double kMax = 1e15;
  // Rounded up so a task never runs early, but a delay computed as the difference of two
  // clock readings in seconds carries a few ulps of error ((a + 0.3) - a is 0.3000000000002):
  // that error must not push the task a whole microsecond past the time it was aimed at.
  double us = std::ceil(seconds * 1e6 - 1e-3);
  return us >= kMax ? static_cast<int64_t>(kMax) : static_cast<int64_t>(us);
}

int64_t addSaturating(int64_t a, int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

// The thread that waits in postAndWait.
struct Waiter {
  enum class State { Pending, Done, Failed };
  std::mutex mutex;
  std::condition_variable cv;
  State state = State::Pending;

  void finish(State s) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (state != State::Pending) return;
      state = s;
    }
    cv.notify_all();
  }
};

// Every live loop, for wakeAll and rebaseAll. Never destroyed.
std::mutex& registryMutex() {
  static auto* m = new std::mutex;
  return *m;
}
std::vector<RunLoop*>& registry() {
  static auto* r = new std::vector<RunLoop*>;
  return *r;
}

}  // namespace

struct RunLoop::Impl {
  struct Item {
    Task fn;
    std::shared_ptr<Waiter> waiter;  // set for postAndWait
    bool delayed = false;
  };
  struct Watch {
    int fd;
    bool read;
    bool write;
    std::shared_ptr<FdCallback> callback;
  };
  using Key = std::pair<int64_t, uint64_t>;  // (due time, sequence)

  int ownerTid = 0;
  int wakeFd = -1;
  mutable std::mutex mutex;
  bool stopped = false;
  uint64_t nextSeq = 1;
  std::map<Key, Item> queue;
  std::unordered_map<Token, int64_t> delayedDue;  // token (= sequence) -> due time
  uint64_t nextWatchId = 1;
  std::map<WatchId, Watch> watches;

  // The poll set of a turn and the watch of each entry, kept from one turn() to the next so
  // that turning the loop allocates nothing; one pair per nesting level (a task may turn the
  // loop again). Used on the loop's own thread only.
  struct PollSet {
    std::vector<pollfd> fds;
    std::vector<WatchId> ids;
  };
  std::vector<std::unique_ptr<PollSet>> pollSets;
  size_t turnDepth = 0;

  // Queues under the lock; returns the sequence number, or 0 when stopped.
  uint64_t enqueue(int64_t due, Item item) {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopped) return 0;
    uint64_t seq = nextSeq++;
    if (item.delayed) delayedDue[seq] = due;
    queue.emplace(Key{due, seq}, std::move(item));
    return seq;
  }

  void wake() const {
    uint64_t one = 1;
    // EAGAIN means the counter is already non-zero: the loop is woken anyway.
    while (write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }

  void drainWake() const {
    uint64_t value;
    while (read(wakeFd, &value, sizeof value) < 0 && errno == EINTR) {
    }
  }
};

RunLoop::RunLoop(int ownerTid) : impl_(std::make_unique<Impl>()) {
  impl_->ownerTid = ownerTid;
  impl_->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (impl_->wakeFd < 0) throw std::runtime_error("RunLoop: eventfd failed");
  std::lock_guard<std::mutex> lock(registryMutex());
  registry().push_back(this);
}

RunLoop::~RunLoop() {
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
  }
  std::map<Impl::Key, Impl::Item> dropped;
  std::map<WatchId, Impl::Watch> watches;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopped = true;
    dropped.swap(impl_->queue);
    watches.swap(impl_->watches);
  }
  for (auto& [key, item] : dropped) {
    if (item.waiter) item.waiter->finish(Waiter::State::Failed);
  }
  // Dropped tasks are destroyed here, outside the lock.
  dropped.clear();
  close(impl_->wakeFd);
}

std::shared_ptr<RunLoop> RunLoop::main() {
  // Never destroyed: threads may still post to it while the process exits.
  static auto* loop = new std::shared_ptr<RunLoop>(new RunLoop(static_cast<int>(getpid())));
  return *loop;
}

std::shared_ptr<RunLoop> RunLoop::current() {
  if (isMainThread()) return main();
  // The thread's loop lives as long as the thread; when the thread ends, the loop is stopped
  // so that nobody waits on it for ever.
  struct Holder {
    std::shared_ptr<RunLoop> loop;
    ~Holder() {
      if (loop) loop->stop();
    }
  };
  thread_local Holder holder;
  if (!holder.loop) holder.loop = std::shared_ptr<RunLoop>(new RunLoop(currentTid()));
  return holder.loop;
}

void RunLoop::wakeAll() {
  std::lock_guard<std::mutex> lock(registryMutex());
  for (RunLoop* loop : registry()) loop->impl_->wake();
}

void RunLoop::rebaseAll(int64_t deltaMicros) {
  if (deltaMicros == 0) return;
  std::lock_guard<std::mutex> lock(registryMutex());
  for (RunLoop* loop : registry()) {
    Impl& impl = *loop->impl_;
    std::lock_guard<std::mutex> loopLock(impl.mutex);
    std::map<Impl::Key, Impl::Item> shifted;
    for (auto& [key, item] : impl.queue) {
      int64_t due = addSaturating(key.first, deltaMicros);
      if (item.delayed) impl.delayedDue[key.second] = due;
      shifted.emplace(Impl::Key{due, key.second}, std::move(item));
    }
    impl.queue.swap(shifted);
  }
}

bool RunLoop::post(Task fn) {
  if (!fn) return false;
  if (!impl_->enqueue(nowMono(), Impl::Item{std::move(fn), nullptr, false})) return false;
  // The loop's own thread is not waiting: its next turn reads the queue before it waits.
  if (!isCurrent()) impl_->wake();
  return true;
}

RunLoop::Token RunLoop::postDelayed(double seconds, Task fn) {
  if (!fn) return 0;
  int64_t due = addSaturating(nowMono(), delayMicros(seconds));
  Token token = impl_->enqueue(due, Impl::Item{std::move(fn), nullptr, true});
  if (token && !isCurrent()) impl_->wake();
  return token;
}

bool RunLoop::cancel(Token token) {
  Task victim;  // destroyed outside the lock
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->delayedDue.find(token);
    if (it == impl_->delayedDue.end()) return false;
    auto q = impl_->queue.find(Impl::Key{it->second, token});
    impl_->delayedDue.erase(it);
    if (q == impl_->queue.end()) return false;
    victim = std::move(q->second.fn);
    impl_->queue.erase(q);
  }
  return true;
}

bool RunLoop::postAndWait(Task fn) {
  if (!fn) return false;
  if (isCurrent()) {
    if (isStopped()) return false;
    fn();
    return true;
  }
  auto waiter = std::make_shared<Waiter>();
  if (!impl_->enqueue(nowMono(), Impl::Item{std::move(fn), waiter, false})) return false;
  impl_->wake();
  std::unique_lock<std::mutex> lock(waiter->mutex);
  waiter->cv.wait(lock, [&] { return waiter->state != Waiter::State::Pending; });
  return waiter->state == Waiter::State::Done;
}

void RunLoop::run() {
  checkOwnThread("run");
  turn(nullptr, -1);
}

bool RunLoop::runUntil(const std::function<bool()>& pred, double timeoutSeconds) {
  checkOwnThread("runUntil");
  int64_t deadline = -1;
  if (timeoutSeconds >= 0) deadline = addSaturating(realMono(), delayMicros(timeoutSeconds));
  turn(pred ? &pred : nullptr, deadline);
  return pred ? pred() : false;
}

void RunLoop::stop() {
  std::vector<std::shared_ptr<Waiter>> waiters;
  std::vector<Task> dropped;  // postAndWait tasks that will never run, destroyed unlocked
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopped = true;
    for (auto it = impl_->queue.begin(); it != impl_->queue.end();) {
      if (it->second.waiter) {
        waiters.push_back(std::move(it->second.waiter));
        dropped.push_back(std::move(it->second.fn));
        it = impl_->queue.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& w : waiters) w->finish(Waiter::State::Failed);
  impl_->wake();
}

bool RunLoop::isStopped() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->stopped;
}

bool RunLoop::isCurrent() const { return currentTid() == impl_->ownerTid; }

void RunLoop::wakeUp() { impl_->wake(); }

RunLoop::WatchId RunLoop::watchFd(int fd, bool read, bool write, FdCallback callback) {
  if (fd < 0 || !callback) return 0;
  WatchId id;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    id = impl_->nextWatchId++;
    impl_->watches.emplace(
        id, Impl::Watch{fd, read, write, std::make_shared<FdCallback>(std::move(callback))});
  }
  impl_->wake();
  return id;
}

bool RunLoop::updateFd(WatchId id, bool read, bool write) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->watches.find(id);
    if (it == impl_->watches.end()) return false;
    it->second.read = read;
    it->second.write = write;
  }
  impl_->wake();
  return true;
}

bool RunLoop::unwatchFd(WatchId id) {
  std::shared_ptr<FdCallback> callback;  // released outside the lock
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->watches.find(id);
    if (it == impl_->watches.end()) return false;
    callback = std::move(it->second.callback);
    impl_->watches.erase(it);
  }
  impl_->wake();
  return true;
}

void RunLoop::checkOwnThread(const char* what) const {
  if (!isCurrent()) {
    throw std::logic_error(std::string("RunLoop::") + what + " called off the loop's thread");
  }
}

void RunLoop::turn(const std::function<bool()>* done, int64_t deadline) {
  Impl& impl = *impl_;
  if (impl.pollSets.size() <= impl.turnDepth) {
    impl.pollSets.push_back(std::make_unique<Impl::PollSet>());
  }
  std::vector<pollfd>& fds = impl.pollSets[impl.turnDepth]->fds;
  std::vector<WatchId>& ids = impl.pollSets[impl.turnDepth]->ids;
  struct Nesting {
    size_t& depth;
    explicit Nesting(size_t& d) : depth(d) { ++depth; }
    ~Nesting() { --depth; }
  } nesting(impl.turnDepth);
  for (;;) {
    if (done && (*done)()) return;

    // 1. Decide how long to wait and what to watch.
    int64_t waitMicros = -1;  // -1: until woken
    fds.clear();
    ids.clear();
    fds.push_back(pollfd{impl.wakeFd, POLLIN, 0});
    ids.push_back(0);
    {
      std::lock_guard<std::mutex> lock(impl.mutex);
      if (impl.stopped) return;
      int64_t now = nowMono();
      if (!impl.queue.empty()) waitMicros = std::max<int64_t>(0, impl.queue.begin()->first.first - now);
      if (deadline >= 0) {
        int64_t left = std::max<int64_t>(0, deadline - realMono());
        waitMicros = waitMicros < 0 ? left : std::min(waitMicros, left);
      }
      for (auto& [id, watch] : impl.watches) {
        short events = (watch.read ? POLLIN : 0) | (watch.write ? POLLOUT : 0);
        if (!events) continue;
        fds.push_back(pollfd{watch.fd, events, 0});
        ids.push_back(id);
      }
    }

    // 2. Wait for a wake-up, a ready descriptor or the next due time.
    timespec ts{};
    timespec* timeout = nullptr;
    if (waitMicros >= 0) {
      ts.tv_sec = static_cast<time_t>(waitMicros / 1000000);
      ts.tv_nsec = static_cast<long>(waitMicros % 1000000) * 1000;
      timeout = &ts;
    }
    int ready = ppoll(fds.data(), fds.size(), timeout, nullptr);
    if (ready < 0 && errno != EINTR) throw std::runtime_error("RunLoop: poll failed");
    if (ready > 0 && fds[0].revents) impl.drainWake();

    // 3. Descriptor callbacks. A watch removed meanwhile (even by an earlier callback of this
    // turn) is skipped.
    for (size_t i = 1; ready > 0 && i < fds.size(); ++i) {
      short revents = fds[i].revents;
      if (!revents) continue;
      std::shared_ptr<FdCallback> callback;
      int fd;
      {
        std::lock_guard<std::mutex> lock(impl.mutex);
        if (impl.stopped) return;
        auto it = impl.watches.find(ids[i]);
        if (it == impl.watches.end()) continue;
        callback = it->second.callback;
        fd = it->second.fd;
      }
      bool failed = revents & (POLLERR | POLLHUP | POLLNVAL);
      (*callback)(fd, (revents & POLLIN) || failed, (revents & POLLOUT) || failed);
      if (done && (*done)()) return;
    }

    // 4. Tasks due now, in (due, sequence) order. Tasks posted while these run wait for the
    // next turn, so a task that re-posts itself cannot starve the descriptors.
    uint64_t seqLimit;
    int64_t now = nowMono();
    {
      std::lock_guard<std::mutex> lock(impl.mutex);
      seqLimit = impl.nextSeq;
    }
    for (;;) {
      Impl::Item item;
      {
        std::lock_guard<std::mutex> lock(impl.mutex);
        if (impl.stopped) return;
        if (impl.queue.empty()) break;
        auto first = impl.queue.begin();
        if (first->first.first > now || first->first.second >= seqLimit) break;
        if (first->second.delayed) impl.delayedDue.erase(first->first.second);
        item = std::move(first->second);
        impl.queue.erase(first);
      }
      if (item.waiter) {
        // The waiter learns whether the task completed even when it throws.
        struct Finish {
          Waiter* waiter;
          bool ok = false;
          ~Finish() { waiter->finish(ok ? Waiter::State::Done : Waiter::State::Failed); }
        } finish{item.waiter.get()};
        item.fn();
        item.fn = nullptr;  // captures go before the waiter resumes
        finish.ok = true;
      } else {
        item.fn();
      }
      item.fn = nullptr;
      if (done && (*done)()) return;
    }

    if (deadline >= 0 && realMono() >= deadline) return;
  }
}

}  // namespace zu
