// FileCacheCleanDelegate: what a clean-all pass of FileCacheManager reports to. Every call
// arrives on the thread that started the pass (through its run loop), with the pass waiting for
// each call. The manager keeps only a weak reference.
#pragma once

namespace zu {

class FileCacheCleanDelegate {
 public:
  virtual ~FileCacheCleanDelegate() = default;
  // `total` items of the pass's type, `cleaned` removed so far.
  virtual void onCleanProgress(int total, int cleaned) = 0;
  // Asked before every batch; yes stops the pass (which still finishes normally).
  virtual bool isCanceled() = 0;
  virtual void cleanFinished() = 0;
};

}  // namespace zu
