// FileCacheManager: owns the named file caches (under <Caches>/FileCaches), trims them in the
// background on the thread "FileCache AutoClean", and runs the user-started clean-all pass on the
// thread "FileCache CleanAllCacheV2", reporting to a FileCacheCleanDelegate on the thread that
// started the pass.
//
// One global instance (initGlobalInstance / globalInstance / uninitGlobalInstance), made first
// at engine start-up and released last but one; tests may also create() their own over a
// folder. Shared: caches keep a weak reference back to it. Thread-safe. Destroying it stops both
// threads and waits for the caches' waiting saves (a cache writing behind may outlive it); a
// clean-all pass waiting for its delegate's thread gives up instead of hanging when that
// thread's run loop has stopped or the manager is going away.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/cache/FileCache.h"
#include "engine/cache/FileCacheCleanDelegate.h"

namespace zu {

class RunLoop;
class Thread;

class FileCacheManager : public std::enable_shared_from_this<FileCacheManager> {
 public:
  static constexpr const char* kRootFolderName = "FileCaches";
  static constexpr const char* kAutoCleanThreadName = "FileCache AutoClean";
  static constexpr const char* kCleanAllThreadName = "FileCache CleanAllCacheV2";

  // Makes the global manager over Paths::caches()/FileCaches when there is none.
  static void initGlobalInstance();
  // Releases the global manager (its threads are stopped once the last reference goes).
  static void uninitGlobalInstance();
  // The global manager, or null.
  static std::shared_ptr<FileCacheManager> globalInstance();

  // A manager whose caches live under `rootDir`.
  static std::shared_ptr<FileCacheManager> create(std::string rootDir);
  ~FileCacheManager();
  FileCacheManager(const FileCacheManager&) = delete;
  FileCacheManager& operator=(const FileCacheManager&) = delete;

  const std::string& rootDir() const { return rootDir_; }

  // The cache of that name, opened on first request (writing as that request's `writes` says)
  // and kept; null for an empty name or when the cache cannot be opened.
  std::shared_ptr<FileCache> getCache(const std::string& name,
                                      FileCache::Writes writes = FileCache::Writes::kAtOnce);
  // Writes every cache's waiting saves and pending access times.
  void flush();
  // Sum of the caches' running totals of that item type.
  int64_t getCacheSizeWithItemType(int itemType);

  // Queues a cache for trimming and starts the auto-clean thread when it is not running.
  // Nothing happens while auto-clean is switched off.
  void asyncAutoCleanCache(const std::shared_ptr<FileCache>& cache);
  // The head of the waiting list (after removing the old head when `removeHead`), or null.
  std::shared_ptr<FileCache> getNextToCleanCache(bool removeHead);
  // Switches trimming off and waits for a running trimming pass to stop.
  void disableAutoClean();
  void enableAutoClean();
  bool isAutoCleanEnabled() const { return autoCleanEnable_.load(); }

  // Starts the clean-all pass over every cache for one item type. The delegate (kept weakly) is
  // called on the calling thread's run loop, which must be turned while the pass runs. False,
  // and nothing started, while another pass runs.
  bool cleanAllCache(std::weak_ptr<FileCacheCleanDelegate> delegate, int itemType);
  // True while a clean-all pass runs.
  bool isCleaning() const { return cleaning_.load(); }

 private:
  explicit FileCacheManager(std::string rootDir);
  void autoCleanThreadMain();
  void cleanAllThreadMain(std::shared_ptr<RunLoop> delegateLoop,
                          std::weak_ptr<FileCacheCleanDelegate> delegate, int itemType);
  std::shared_ptr<FileCache> nextToCleanOrFinish(bool removeHead);

  const std::string rootDir_;

  std::mutex lock_;  // caches_, the thread fields
  std::map<std::string, std::shared_ptr<FileCache>> caches_;
  std::shared_ptr<Thread> autoCleanThread_;
  std::shared_ptr<Thread> cleanAllThread_;

  std::mutex toCleanCachesLock_;  // toCleanCaches_, autoCleanRunning_
  std::deque<std::shared_ptr<FileCache>> toCleanCaches_;
  bool autoCleanRunning_ = false;

  std::atomic<bool> quit_{false};
  std::atomic<bool> shuttingDown_{false};
  std::atomic<bool> autoCleanEnable_{true};
  std::atomic<bool> cleaning_{false};
};

}  // namespace zu
