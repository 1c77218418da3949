// AsynLoader: runs a delegate's loading work on a background thread, one load at a time. A new
// request asks the running load to stop (the delegate's stopLoad), waits for that load's thread
// to end, then starts its own load on a new thread; so two loads of one loader never overlap,
// and the callbacks of one load come in the order loadWillBegin (requesting thread), loadBegin,
// loadSource, loadComplete (load thread). Requests that come while a switch is under way are
// coalesced: the newest always runs after the current load, an older one still waiting is
// dropped (it got loadWillBegin and nothing more). stopLoad is sent only while loadSource runs:
// a load stopped before its loadBegin is dropped too, one stopped during loadBegin skips
// loadSource (loadComplete still follows). Switching happens on the loader's own "loader"
// thread, which waits on a condition, never spinning; it also joins each load thread once that
// load has ended, so a loader kept alive leaves no finished thread behind.
//
// Threads: requests may come from any thread. The delegate is not owned (weak): once it is
// gone callbacks stop. A callback on another thread holds the delegate while it runs; should
// that be the last reference, it is dropped on the main thread, so a delegate is never
// destroyed on the loader's threads. Destruction may happen on any thread, the load thread and inside any
// callback included: it sends the running load stopLoad, waits for the callbacks on other
// threads to end and for the loader's threads (never for the calling thread itself), and from
// then on no callback is sent. A load thread that destroys its loader ends by itself.
//
// Ownership: single (std::unique_ptr or a member). Not copyable.
#pragma once

#include <memory>

#include "platform/runtime/Value.h"

namespace zu {

class AsynLoaderDelegate;

class AsynLoader {
 public:
  AsynLoader();
  ~AsynLoader();
  AsynLoader(const AsynLoader&) = delete;
  AsynLoader& operator=(const AsynLoader&) = delete;

  std::shared_ptr<AsynLoaderDelegate> delegate() const;
  void setDelegate(std::weak_ptr<AsynLoaderDelegate> delegate);

  // Sends loadWillBegin on the calling thread, then has the load for `object` run after the
  // current one is stopped.
  void loadDataAsynchronousWithObject(Value object);
  // True when no request is waiting, no switch is under way and no load is running (so true
  // before the first request). A load counts as finished once its loadSource has returned.
  bool loadFinished() const;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace zu
