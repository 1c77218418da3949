// AsynLoaderDelegate: the loading work an AsynLoader runs for its owner. Every callback has a
// default that does nothing, so a delegate overrides only what it needs; `object` is the value
// the request was made with.
//
// Threads: loadWillBegin runs on the thread that made the request; loadBegin, loadSource and
// loadComplete on the load's own thread; stopLoad on whichever thread is switching loads (or
// destroying the loader) and may overlap loadSource, so the delegate makes loadSource return
// soon after it (the next request waits for that). Results go to the main thread by the
// delegate's own posting.
#pragma once

#include "platform/runtime/Value.h"

namespace zu {

class AsynLoader;

class AsynLoaderDelegate {
 public:
  virtual ~AsynLoaderDelegate() = default;

  virtual void loadWillBegin(AsynLoader& /*loader*/, const Value& /*object*/) {}
  virtual void loadBegin(AsynLoader& /*loader*/, const Value& /*object*/) {}
  virtual void loadSource(AsynLoader& /*loader*/, const Value& /*object*/) {}
  virtual void loadComplete(AsynLoader& /*loader*/, const Value& /*object*/) {}
  // The running load should end: make loadSource return.
  virtual void stopLoad(AsynLoader& /*loader*/) {}
};

}  // namespace zu
