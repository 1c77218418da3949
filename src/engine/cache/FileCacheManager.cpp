#include "engine/cache/FileCacheManager.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <utility>
#include <vector>

#include "common/Log.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {

namespace {

std::mutex gGlobalLock;
std::shared_ptr<FileCacheManager> gGlobal;

// To the log file and the console.
void logLine(const std::string& text) {
  VESKLogImpl("%s", text.c_str());
  std::fprintf(stderr, "%s\n", text.c_str());
}

int64_t nowMillis() { return Clock::get()->nowMillis(); }

// Runs `fn` on `loop`'s thread and waits for it. Gives up (false) when the loop has stopped, or
// when `abandon` becomes true, instead of waiting for a loop nobody turns any more. `fn` must own
// everything it touches: after a give-up it may still run later.
bool callOnLoop(const std::shared_ptr<RunLoop>& loop, std::function<void()> fn,
                const std::atomic<bool>& abandon) {
  if (!loop) return false;
  struct State {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  };
  auto state = std::make_shared<State>();
  bool posted = loop->post([state, fn = std::move(fn)] {
    fn();
    std::lock_guard<std::mutex> guard(state->m);
    state->done = true;
    state->cv.notify_all();
  });
  if (!posted) return false;
  std::unique_lock<std::mutex> lk(state->m);
  while (!state->done) {
    if (abandon.load() || loop->isStopped()) return false;
    state->cv.wait_for(lk, std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

void FileCacheManager::initGlobalInstance() {
  std::lock_guard<std::mutex> guard(gGlobalLock);
  if (!gGlobal) gGlobal = create((Paths::caches() / kRootFolderName).string());
}

void FileCacheManager::uninitGlobalInstance() {
  std::shared_ptr<FileCacheManager> old;
  {
    std::lock_guard<std::mutex> guard(gGlobalLock);
    old.swap(gGlobal);
  }
}

std::shared_ptr<FileCacheManager> FileCacheManager::globalInstance() {
  std::lock_guard<std::mutex> guard(gGlobalLock);
  return gGlobal;
}

std::shared_ptr<FileCacheManager> FileCacheManager::create(std::string rootDir) {
  return std::shared_ptr<FileCacheManager>(new FileCacheManager(std::move(rootDir)));
}

FileCacheManager::FileCacheManager(std::string rootDir) : rootDir_(std::move(rootDir)) {}

FileCacheManager::~FileCacheManager() {
  shuttingDown_ = true;
  quit_ = true;
  std::shared_ptr<Thread> autoThread, cleanThread;
  {
    std::lock_guard<std::mutex> guard(lock_);
    autoThread = std::move(autoCleanThread_);
    cleanThread = std::move(cleanAllThread_);
  }
  if (autoThread) autoThread->stopAndJoin();
  if (cleanThread) cleanThread->stopAndJoin();
  // A cache may outlive its manager (HttpDataEngine keeps its own): what it was given to write
  // is written before the manager is gone, so a manager made next over the same folder finds
  // every save in place and no writer of the old cache still at work there.
  std::map<std::string, std::shared_ptr<FileCache>> caches;
  {
    std::lock_guard<std::mutex> guard(lock_);
    caches = caches_;
  }
  for (auto& [name, cache] : caches) cache->flush();
}

std::shared_ptr<FileCache> FileCacheManager::getCache(const std::string& name,
                                                      FileCache::Writes writes) {
  if (name.empty()) return nullptr;
  std::lock_guard<std::mutex> guard(lock_);
  auto it = caches_.find(name);
  if (it != caches_.end()) return it->second;
  auto cache = FileCache::create(name, rootDir_, weak_from_this(), writes);
  if (cache) caches_.emplace(name, cache);
  return cache;
}

void FileCacheManager::flush() {
  std::vector<std::shared_ptr<FileCache>> caches;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [name, cache] : caches_) caches.push_back(cache);
  }
  for (auto& cache : caches) cache->flush();
}

int64_t FileCacheManager::getCacheSizeWithItemType(int itemType) {
  std::vector<std::shared_ptr<FileCache>> caches;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [name, cache] : caches_) caches.push_back(cache);
  }
  int64_t total = 0;
  for (auto& cache : caches) total += cache->getCurrentSize(itemType);
  return total;
}

void FileCacheManager::asyncAutoCleanCache(const std::shared_ptr<FileCache>& cache) {
  if (!cache) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (!autoCleanEnable_ || shuttingDown_) return;
  {
    std::lock_guard<std::mutex> listGuard(toCleanCachesLock_);
    bool queued = false;
    for (auto& c : toCleanCaches_) queued = queued || c == cache;
    if (!queued) toCleanCaches_.push_back(cache);
    if (autoCleanRunning_) return;
    autoCleanRunning_ = true;
  }
  // The previous thread, if any, has finished its body; joining it is immediate.
  if (autoCleanThread_) autoCleanThread_->stopAndJoin();
  autoCleanThread_ = Thread::start(kAutoCleanThreadName, [this] { autoCleanThreadMain(); });
}

std::shared_ptr<FileCache> FileCacheManager::getNextToCleanCache(bool removeHead) {
  std::lock_guard<std::mutex> guard(toCleanCachesLock_);
  if (removeHead && !toCleanCaches_.empty()) toCleanCaches_.pop_front();
  return toCleanCaches_.empty() ? nullptr : toCleanCaches_.front();
}

// Like getNextToCleanCache, but when there is nothing (more) to do the thread is marked as
// finished in the same step, so a cache queued meanwhile starts a new thread.
std::shared_ptr<FileCache> FileCacheManager::nextToCleanOrFinish(bool removeHead) {
  std::lock_guard<std::mutex> guard(toCleanCachesLock_);
  if (removeHead && !toCleanCaches_.empty()) toCleanCaches_.pop_front();
  if (quit_ || toCleanCaches_.empty()) {
    autoCleanRunning_ = false;
    return nullptr;
  }
  return toCleanCaches_.front();
}

void FileCacheManager::autoCleanThreadMain() {
  // Trimming is background work: run it at a low priority (the thread's own nice value).
  setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 15);
  logLine("autoCleanThread started");
  const int64_t start = nowMillis();
  int count = 0;
  int64_t size = 0;
  auto cache = nextToCleanOrFinish(false);
  while (cache) {
    cache->startAutoClean();
    int64_t itemSize = 0;
    while (!quit_ && cache->needMoreAutoClean() && cache->autoCleanOneNormalItem(&itemSize)) {
      size += itemSize;
      ++count;
    }
    cache->finishAutoClean();
    cache = nextToCleanOrFinish(true);
  }
  char line[128];
  std::snprintf(line, sizeof line, "autoCleanThread finished clean count=%d size=%lld cost=%lld",
                count, static_cast<long long>(size), static_cast<long long>(nowMillis() - start));
  logLine(line);
}

void FileCacheManager::disableAutoClean() {
  std::lock_guard<std::mutex> guard(lock_);
  autoCleanEnable_ = false;
  quit_ = true;
  if (autoCleanThread_) {
    autoCleanThread_->stopAndJoin();
    autoCleanThread_.reset();
  }
}

void FileCacheManager::enableAutoClean() {
  quit_ = false;
  autoCleanEnable_ = true;
}

bool FileCacheManager::cleanAllCache(std::weak_ptr<FileCacheCleanDelegate> delegate,
                                     int itemType) {
  if (cleaning_) return false;
  std::shared_ptr<RunLoop> delegateLoop = RunLoop::current();
  disableAutoClean();
  std::lock_guard<std::mutex> guard(lock_);
  if (shuttingDown_ || cleaning_.exchange(true)) return false;
  if (cleanAllThread_) cleanAllThread_->stopAndJoin();
  cleanAllThread_ = Thread::start(
      kCleanAllThreadName, [this, delegateLoop, delegate = std::move(delegate), itemType] {
        cleanAllThreadMain(delegateLoop, delegate, itemType);
      });
  return true;
}

void FileCacheManager::cleanAllThreadMain(std::shared_ptr<RunLoop> delegateLoop,
                                          std::weak_ptr<FileCacheCleanDelegate> delegate,
                                          int itemType) {
  logLine("cleanAllCacheThreadV2 started");
  const int64_t start = nowMillis();
  std::vector<std::shared_ptr<FileCache>> caches;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [name, cache] : caches_) caches.push_back(cache);
  }
  for (auto& cache : caches) cache->disable();

  int total = 0;
  for (auto& cache : caches) total += cache->getCachedItemsCount(itemType);
  int cleaned = 0;
  // Set when the delegate's thread can no longer be reached: the pass then stops without
  // further calls instead of waiting for ever.
  bool unreachable = false;

  for (auto& cache : caches) {
    while (!unreachable) {
      auto canceled = std::make_shared<std::atomic<bool>>(false);
      if (!callOnLoop(delegateLoop,
                      [delegate, canceled] {
                        if (auto d = delegate.lock()) *canceled = d->isCanceled();
                      },
                      shuttingDown_)) {
        unreachable = true;
        break;
      }
      if (*canceled) break;
      int n = cache->cleanBatchItems(itemType);
      if (n <= 0) break;
      cleaned += n;
      if (!callOnLoop(delegateLoop,
                      [delegate, total, cleaned] {
                        if (auto d = delegate.lock()) d->onCleanProgress(total, cleaned);
                      },
                      shuttingDown_)) {
        unreachable = true;
      }
    }
    if (unreachable) break;
  }

  for (auto& cache : caches) cache->enable();
  if (!shuttingDown_) enableAutoClean();
  if (!unreachable) {
    callOnLoop(delegateLoop,
               [delegate] {
                 if (auto d = delegate.lock()) d->cleanFinished();
               },
               shuttingDown_);
  }
  cleaning_ = false;
  char line[96];
  std::snprintf(line, sizeof line, "cleanAllCacheThreadV2 finished cost=%lld",
                static_cast<long long>(nowMillis() - start));
  logLine(line);
}

}  // namespace zu
