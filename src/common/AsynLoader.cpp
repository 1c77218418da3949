#include "common/AsynLoader.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "common/AsynLoaderDelegate.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {

// The loader's state, shared with its threads so that a thread still finishing after the
// loader was destroyed (the load thread that destroyed it, the switcher waiting for that
// thread) works on live state.
struct AsynLoader::Impl : std::enable_shared_from_this<Impl> {
  // Where the current load is: started but before loadBegin, in loadBegin, in loadSource, past
  // loadSource.
  enum class Phase { NotBegun, Begin, Source, Done };

  explicit Impl(AsynLoader* loader) : owner(loader) {}

  // Sends one callback unless the loader is closed or the delegate gone. Callbacks on threads
  // other than the destroying one are counted, so destruction can wait for them.
  template <typename Call>
  void callback(Call&& call) {
    std::shared_ptr<AsynLoaderDelegate> d;
    const auto me = std::this_thread::get_id();
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (closed) return;
      d = delegate.lock();
      if (!d) return;
      inCallback.push_back(me);
    }
    struct Done {
      Impl* impl;
      std::thread::id id;
      ~Done() {
        {
          std::lock_guard<std::mutex> lock(impl->mutex);
          impl->inCallback.erase(
              std::find(impl->inCallback.begin(), impl->inCallback.end(), id));
        }
        impl->cv.notify_all();
      }
    } done{this, me};
    call(*d, *owner);
    // The owner may have let go of the delegate while this callback held it, leaving this the
    // last reference. A delegate is a screen more often than not, and a screen is taken down on
    // the main thread only, so the reference is dropped there.
    if (RunLoop::current() != RunLoop::main()) RunLoop::main()->post([d = std::move(d)] {});
  }

  void request(Value object) {
    callback([&](AsynLoaderDelegate& d, AsynLoader& l) { d.loadWillBegin(l, object); });
    std::lock_guard<std::mutex> lock(mutex);
    if (closed) return;
    // A request still waiting is superseded by this newer one.
    pending = std::move(object);
    if (switchQueued) return;
    switchQueued = true;
    if (!switcher) switcher = Thread::start("loader");
    switcher->runLoop()->post([weak = weak_from_this()] {
      if (auto self = weak.lock()) self->switchLoads();
    });
  }

  // On the switcher thread: stop the running load, wait for its thread, start the newest
  // request's load.
  void switchLoads() {
    std::shared_ptr<Thread> previous;
    bool inSource;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (closed) return;
      previous = loadThread;
      stopRequested = true;
      inSource = phase == Phase::Source;
    }
    if (previous) {
      if (inSource) callback([](AsynLoaderDelegate& d, AsynLoader& l) { d.stopLoad(l); });
      previous->stopAndJoin();
    }
    std::lock_guard<std::mutex> lock(mutex);
    switchQueued = false;
    if (closed || !pending) return;
    Value object = std::move(*pending);
    pending.reset();
    phase = Phase::NotBegun;
    stopRequested = false;
    loadThread = Thread::start("load", [self = shared_from_this(), object = std::move(object)] {
      self->load(object);
    });
  }

  // Moves the current load to `next` unless it was asked to stop; false when it was.
  bool enter(Phase next) {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopRequested) {
      phase = Phase::Done;
      return false;
    }
    phase = next;
    return true;
  }

  // On the load thread. The delegate hears stopLoad only while loadSource runs: a load stopped
  // before loadBegin is dropped whole, one stopped during loadBegin skips loadSource.
  void load(const Value& object) {
    if (!enter(Phase::Begin)) return;
    callback([&](AsynLoaderDelegate& d, AsynLoader& l) { d.loadBegin(l, object); });
    if (enter(Phase::Source)) {
      callback([&](AsynLoaderDelegate& d, AsynLoader& l) { d.loadSource(l, object); });
    }
    // Finished before loadComplete, so a delegate that hands its result to the main thread
    // there is sure the main thread sees loadFinished() true.
    {
      std::lock_guard<std::mutex> lock(mutex);
      phase = Phase::Done;
    }
    callback([&](AsynLoaderDelegate& d, AsynLoader& l) { d.loadComplete(l, object); });
    // The finished thread is joined on the switcher, so a loader that lives on after its last
    // load leaves no ended thread unjoined.
    std::lock_guard<std::mutex> lock(mutex);
    if (closed || !switcher || !loadThread || !loadThread->isCurrent()) return;
    switcher->runLoop()->post([weak = weak_from_this(), finished = std::weak_ptr<Thread>(loadThread)] {
      if (auto self = weak.lock()) self->reap(finished.lock());
    });
  }

  // On the switcher thread: joins `finished` when it is still the current load (no switch has
  // joined it since) and the loader is open (close() joins it otherwise).
  void reap(const std::shared_ptr<Thread>& finished) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (closed || !finished || loadThread != finished) return;
      loadThread.reset();
    }
    finished->stopAndJoin();
  }

  void close() {
    const auto me = std::this_thread::get_id();
    std::shared_ptr<Thread> load, sw;
    bool inSource;
    {
      std::lock_guard<std::mutex> lock(mutex);
      closed = true;
      pending.reset();
      load = loadThread;
      sw = switcher;
      stopRequested = true;
      inSource = phase == Phase::Source;
    }
    const bool onLoad = load && load->isCurrent();
    // The running load must hear it before anyone waits for it (its loadSource may run until
    // told to stop). Sent directly: callbacks are closed now, but the loader is still alive.
    if (load && inSource && !onLoad) {
      if (auto d = delegate.lock()) d->stopLoad(*owner);
    }
    {
      std::unique_lock<std::mutex> lock(mutex);
      cv.wait(lock, [&] {
        return std::all_of(inCallback.begin(), inCallback.end(),
                           [&](std::thread::id id) { return id == me; });
      });
    }
    if (sw) {
      // The switcher may be waiting for this very load thread to end: then only stop it.
      if (onLoad) {
        sw->runLoop()->stop();
      } else {
        sw->stopAndJoin();
      }
    }
    if (load && !onLoad) load->stopAndJoin();
    // Threads still running (this one, or a switcher waiting for it) send no callback now.
    owner = nullptr;
  }

  AsynLoader* owner;
  mutable std::mutex mutex;
  std::condition_variable cv;
  std::weak_ptr<AsynLoaderDelegate> delegate;
  std::optional<Value> pending;
  bool switchQueued = false;  // a switch is posted to the switcher or under way
  Phase phase = Phase::Done;  // of the current load
  bool stopRequested = false;  // the current load was asked to stop
  bool closed = false;
  std::shared_ptr<Thread> switcher;
  std::shared_ptr<Thread> loadThread;
  std::vector<std::thread::id> inCallback;
};

AsynLoader::AsynLoader() : impl_(std::make_shared<Impl>(this)) {}

AsynLoader::~AsynLoader() { impl_->close(); }

std::shared_ptr<AsynLoaderDelegate> AsynLoader::delegate() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->delegate.lock();
}

void AsynLoader::setDelegate(std::weak_ptr<AsynLoaderDelegate> delegate) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->delegate = std::move(delegate);
}

void AsynLoader::loadDataAsynchronousWithObject(Value object) {
  // loadWillBegin may destroy the loader: the request goes on with state that outlives it.
  const std::shared_ptr<Impl> impl = impl_;
  impl->request(std::move(object));
}

bool AsynLoader::loadFinished() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return !impl_->pending && !impl_->switchQueued && impl_->phase == Impl::Phase::Done;
}

}  // namespace zu
