#include "common/AsynLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/AsynLoaderDelegate.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {
namespace {

constexpr double kTimeout = 30;

struct Event {
  std::string what;
  int64_t object;
  std::thread::id thread;
  std::optional<std::string> threadName;
};

// Records every callback and hands it to the main thread, as a screen would. loadSource runs
// until told to stop, except for the object `finalObject`.
class BlockingDelegate : public AsynLoaderDelegate {
 public:
  explicit BlockingDelegate(int64_t finalObject) : finalObject_(finalObject) {}

  void loadWillBegin(AsynLoader&, const Value& o) override { record("willBegin", *o.asInt()); }
  void loadBegin(AsynLoader&, const Value& o) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = false;
    }
    record("begin", *o.asInt());
  }
  void loadSource(AsynLoader&, const Value& o) override {
    record("source", *o.asInt());
    if (*o.asInt() == finalObject_) return;
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [&] { return stopped_; });
  }
  void loadComplete(AsynLoader&, const Value& o) override { record("complete", *o.asInt()); }
  void stopLoad(AsynLoader&) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    cv_.notify_all();
    record("stop", -1);
  }

  void record(const char* what, int64_t object) {
    Event e{what, object, std::this_thread::get_id(), Thread::currentName()};
    RunLoop::main()->post([sink = sink_, e] { sink->push_back(e); });
  }

  // Main thread only.
  const std::vector<Event>& events() const { return *sink_; }

 private:
  int64_t finalObject_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stopped_ = false;
  std::shared_ptr<std::vector<Event>> sink_ = std::make_shared<std::vector<Event>>();
};

bool sawEvent(const std::vector<Event>& events, const std::string& what, int64_t object) {
  for (const Event& e : events) {
    if (e.what == what && e.object == object) return true;
  }
  return false;
}

TEST(AsynLoaderTest, QuickRequestsFromAnotherThreadNeverOverlapAndTheNewestRuns) {
  const auto main = RunLoop::main();
  constexpr int kRequests = 6;
  auto delegate = std::make_shared<BlockingDelegate>(kRequests);
  auto loader = std::make_unique<AsynLoader>();
  loader->setDelegate(delegate);
  EXPECT_TRUE(loader->loadFinished());

  std::thread::id requester;
  std::thread client([&] {
    requester = std::this_thread::get_id();
    for (int i = 1; i <= kRequests; ++i) {
      loader->loadDataAsynchronousWithObject(Value(i));
      EXPECT_FALSE(loader->loadFinished());
    }
  });
  client.join();
  ASSERT_TRUE(main->runUntil([&] { return sawEvent(delegate->events(), "complete", kRequests); },
                             kTimeout));
  EXPECT_TRUE(loader->loadFinished());
  loader.reset();
  main->runUntil([] { return false; }, 0);

  const auto& ev = delegate->events();
  // Every request was announced on the requesting thread, in order.
  std::vector<int64_t> announced;
  for (const Event& e : ev) {
    if (e.what == "willBegin") {
      announced.push_back(e.object);
      EXPECT_EQ(e.thread, requester);
    }
  }
  EXPECT_EQ(announced, (std::vector<int64_t>{1, 2, 3, 4, 5, 6}));

  // Loads run one after another: begin, source, complete of one object on a load thread, a
  // later load only after the previous one completed, newer objects only.
  int64_t current = 0;
  int64_t lastBegun = 0;
  std::thread::id loadThread;
  std::string expect = "begin";
  for (const Event& e : ev) {
    if (e.what == "willBegin" || e.what == "stop") continue;
    SCOPED_TRACE(e.what + " " + std::to_string(e.object));
    // A load stopped while in loadBegin skips loadSource.
    if (expect == "source" && e.what == "complete") expect = "complete";
    ASSERT_EQ(e.what, expect);
    if (e.what == "begin") {
      EXPECT_GT(e.object, lastBegun);
      lastBegun = current = e.object;
      loadThread = e.thread;
      EXPECT_EQ(e.threadName, "load");
      expect = "source";
    } else {
      EXPECT_EQ(e.object, current);
      EXPECT_EQ(e.thread, loadThread);
      expect = e.what == "source" ? "complete" : "begin";
    }
  }
  EXPECT_EQ(lastBegun, kRequests);
  EXPECT_EQ(expect, "begin");
}

class SourceOnlyDelegate : public AsynLoaderDelegate {
 public:
  void loadSource(AsynLoader&, const Value& o) override {
    RunLoop::main()->post([sink = loaded, s = *o.asString()] { sink->push_back(s); });
  }
  std::shared_ptr<std::vector<std::string>> loaded =
      std::make_shared<std::vector<std::string>>();
};

TEST(AsynLoaderTest, ADelegateWithOnlyLoadSourceGetsEachLoad) {
  auto delegate = std::make_shared<SourceOnlyDelegate>();
  AsynLoader loader;
  loader.setDelegate(delegate);
  loader.loadDataAsynchronousWithObject(Value("first"));
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return delegate->loaded->size() == 1; }, kTimeout));
  loader.loadDataAsynchronousWithObject(Value("second"));
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return delegate->loaded->size() == 2; }, kTimeout));
  EXPECT_EQ(*delegate->loaded, (std::vector<std::string>{"first", "second"}));
}

// Destroys its loader from inside loadSource, on the load thread.
class SelfDestroyingDelegate : public AsynLoaderDelegate {
 public:
  void loadSource(AsynLoader&, const Value&) override {
    loader.reset();
    RunLoop::main()->post([flags = flags] { flags->destroyed = true; });
  }
  void loadComplete(AsynLoader&, const Value&) override {
    RunLoop::main()->post([flags = flags] { flags->completedAfterDestruction = true; });
  }
  struct Flags {
    bool destroyed = false;
    bool completedAfterDestruction = false;
  };
  std::unique_ptr<AsynLoader> loader;
  std::shared_ptr<Flags> flags = std::make_shared<Flags>();
};

TEST(AsynLoaderTest, DestructionFromTheLoadThreadOrDuringALoadEndsCleanly) {
  const auto main = RunLoop::main();
  {
    auto delegate = std::make_shared<SelfDestroyingDelegate>();
    delegate->loader = std::make_unique<AsynLoader>();
    delegate->loader->setDelegate(delegate);
    delegate->loader->loadDataAsynchronousWithObject(Value(1));
    ASSERT_TRUE(main->runUntil([&] { return delegate->flags->destroyed; }, kTimeout));
    main->runUntil([] { return false; }, 0.05);
    EXPECT_FALSE(delegate->flags->completedAfterDestruction);
  }
  {
    // Destroyed on the requesting thread while loadSource waits to be stopped: the destructor
    // stops it and returns, and no load is left running.
    auto delegate = std::make_shared<BlockingDelegate>(-1);
    auto loader = std::make_unique<AsynLoader>();
    loader->setDelegate(delegate);
    loader->loadDataAsynchronousWithObject(Value(7));
    ASSERT_TRUE(
        main->runUntil([&] { return sawEvent(delegate->events(), "source", 7); }, kTimeout));
    loader.reset();
    main->runUntil([] { return false; }, 0);
    EXPECT_TRUE(sawEvent(delegate->events(), "stop", -1));
    EXPECT_FALSE(sawEvent(delegate->events(), "complete", 7));
  }
  {
    // Destroyed inside loadWillBegin, on the requesting thread, before any load thread exists:
    // the request ends without touching the loader again and no load follows.
    struct WillBeginDestroyer : AsynLoaderDelegate {
      void loadWillBegin(AsynLoader&, const Value&) override { loader.reset(); }
      void loadBegin(AsynLoader&, const Value&) override { begun = true; }
      std::unique_ptr<AsynLoader> loader;
      std::atomic<bool> begun{false};
    };
    auto delegate = std::make_shared<WillBeginDestroyer>();
    delegate->loader = std::make_unique<AsynLoader>();
    delegate->loader->setDelegate(delegate);
    delegate->loader->loadDataAsynchronousWithObject(Value(3));
    EXPECT_EQ(delegate->loader, nullptr);
    EXPECT_FALSE(delegate->begun);
  }
  {
    // A delegate that is gone receives nothing, and the loader still finishes.
    auto delegate = std::make_shared<SourceOnlyDelegate>();
    AsynLoader loader;
    loader.setDelegate(delegate);
    delegate.reset();
    EXPECT_EQ(loader.delegate(), nullptr);
    loader.loadDataAsynchronousWithObject(Value("x"));
  }
}

// Owns its loader, as a screen does, and notes the thread it is destroyed on. loadSource waits
// until released, so the screen's owner can let go of it while a load still holds it.
class OwningDelegate : public AsynLoaderDelegate {
 public:
  ~OwningDelegate() override {
    loader.reset();
    std::lock_guard<std::mutex> lock(*mutex);
    *destroyedOn = std::this_thread::get_id();
  }
  void loadSource(AsynLoader&, const Value&) override {
    {
      std::lock_guard<std::mutex> lock(*mutex);
      *inSource = true;
    }
    cv->notify_all();
    std::unique_lock<std::mutex> lock(*mutex);
    cv->wait(lock, [&] { return *released; });
  }
  std::unique_ptr<AsynLoader> loader;
  std::shared_ptr<std::mutex> mutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::condition_variable> cv = std::make_shared<std::condition_variable>();
  std::shared_ptr<bool> inSource = std::make_shared<bool>(false);
  std::shared_ptr<bool> released = std::make_shared<bool>(false);
  std::shared_ptr<std::optional<std::thread::id>> destroyedOn =
      std::make_shared<std::optional<std::thread::id>>();
};

TEST(AsynLoaderTest, ADelegateLetGoDuringALoadIsDestroyedOnTheMainThread) {
  const auto main = RunLoop::main();
  auto delegate = std::make_shared<OwningDelegate>();
  delegate->loader = std::make_unique<AsynLoader>();
  delegate->loader->setDelegate(delegate);
  delegate->loader->loadDataAsynchronousWithObject(Value(1));
  const auto mutex = delegate->mutex;
  const auto cv = delegate->cv;
  const auto inSource = delegate->inSource;
  const auto released = delegate->released;
  const auto destroyedOn = delegate->destroyedOn;
  {
    std::unique_lock<std::mutex> lock(*mutex);
    ASSERT_TRUE(cv->wait_for(lock, std::chrono::seconds(30), [&] { return *inSource; }));
  }
  // The owner lets go while the load thread holds the delegate for its callback; the last
  // reference then goes with that callback's end, which must not destroy a screen off the main
  // thread.
  delegate.reset();
  {
    std::lock_guard<std::mutex> lock(*mutex);
    *released = true;
  }
  cv->notify_all();
  const auto destroyed = [&] {
    std::lock_guard<std::mutex> lock(*mutex);
    return destroyedOn->has_value();
  };
  ASSERT_TRUE(main->runUntil(destroyed, kTimeout));
  EXPECT_EQ(**destroyedOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace zu
