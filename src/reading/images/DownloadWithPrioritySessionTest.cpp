// Download sessions through the whole engine: images of the sample service, or of a loopback
// server that holds each image until the test releases it, so which downloads are in flight
// (the lanes) can be read from the requests the server has seen.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>

#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "platform/runtime/Thread.h"
#include "reading/images/DownloadWithPriorityDLManager.h"
#include "reading/images/DownloadWithPriorityDLManagerDelegate.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/images/DownloadWithPrioritySessionDelegate.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"

namespace zu {
namespace {

using Session = DownloadWithPrioritySession;
using testing::readLog;

// Serves "/<n>.png" once the test released it; "/dead.png" always fails.
class GatedImages {
 public:
  GatedImages() {
    server_.setHandler([this](const LoopbackServer::Request& request) { return answer(request); });
  }
  ~GatedImages() { releaseAll(); }

  std::string url(int n) const { return server_.url(path(n)); }
  // The URLs of the first `count` images.
  std::vector<std::optional<std::string>> urls(int count) const {
    std::vector<std::optional<std::string>> list;
    for (int n = 0; n < count; ++n) list.push_back(url(n));
    return list;
  }
  static std::string path(int n) { return "/" + std::to_string(n) + ".png"; }
  void release(int n) {
    std::lock_guard lock(mutex_);
    released_.insert(path(n));
    changed_.notify_all();
  }
  void releaseAll() {
    std::lock_guard lock(mutex_);
    all_ = true;
    changed_.notify_all();
  }
  bool waitForRequests(size_t count) const {
    return server_.waitForRequests(count, std::chrono::seconds(20));
  }
  size_t requestCount() const { return server_.requestCount(); }
  // The paths requested, in arrival order.
  std::vector<std::string> arrivals() const {
    std::vector<std::string> paths;
    for (const auto& request : server_.requests()) paths.push_back(request.path);
    return paths;
  }
  std::set<std::string> arrivalsBetween(size_t from, size_t to) const {
    auto paths = arrivals();
    return std::set<std::string>(paths.begin() + from, paths.begin() + std::min(to, paths.size()));
  }

 private:
  LoopbackServer::Response answer(const LoopbackServer::Request& request) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return all_ || released_.count(request.path) > 0; });
    return LoopbackServer::Response::text(200, "image" + request.path, "image/png");
  }

  LoopbackServer server_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> released_;
  bool all_ = false;
};

// What the screen hears, on the main thread.
class ScreenRecorder : public DownloadWithPrioritySessionDelegate {
 public:
  struct Result {
    std::string url;
    std::optional<std::string> path;
  };
  void onDownloadResult(const std::shared_ptr<Session>&, const std::string& url,
                        const std::optional<std::string>& localPath) override {
    EXPECT_TRUE(RunLoop::main()->isCurrent());
    results.push_back({url, localPath});
  }
  size_t count(const std::string& url) const {
    return std::count_if(results.begin(), results.end(),
                         [&](const Result& r) { return r.url == url; });
  }
  std::vector<Result> results;
};

class DownloadWithPrioritySessionTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
  }
  std::string image(const std::string& name) const { return service_.baseUrl() + "/img/" + name; }
  std::shared_ptr<Session> open(const Session::UrlList& urls) {
    auto session = Session::initWithUrlArray(urls);
    session->setDelegate(screen_);
    return session;
  }
  // Results come through the main loop; log lines and the engine's in-flight set do not, so
  // the loop is also woken to look again.
  static bool waitFor(const std::function<bool()>& predicate) {
    return turnMainLoopUntil(predicate);
  }
  static size_t logCount(const std::string& line) {
    const std::string log = readLog();
    size_t count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
  }
  // Every result queued for the main thread so far has been delivered: the image tasks that
  // ran before have finished (the "task" thread handles work in order), then the main loop
  // is turned past what was posted to it.
  void settle() {
    ASSERT_TRUE(runTask(engine_->createErrorTask(kErrFail)));
    bool turned = false;
    RunLoop::main()->post([&] { turned = true; });
    ASSERT_TRUE(waitFor([&] { return turned; }));
  }
  static std::string range(int location, int length, int top) {
    return "setGroupWithStrategy: rangeLocation: " + std::to_string(location) +
           ", rangeLength:" + std::to_string(length) +
           ", topPriorityObject:" + std::to_string(top) + " ";
  }

  std::shared_ptr<ScreenRecorder> screen_ = std::make_shared<ScreenRecorder>();
};

TEST_F(DownloadWithPrioritySessionTest, RangesSelectIndicesForward) {
  auto seq = [](size_t count, int location, int length, int top) {
    return Session::allocCalculateSequenceArray(count, location, length, 0, top);
  };
  using V = std::vector<unsigned>;
  EXPECT_EQ(seq(5, 1, 2, -1), (V{1, 2}));
  EXPECT_EQ(seq(5, 1, 2, 4), (V{4, 1}));   // the top index first, counted in the length
  EXPECT_EQ(seq(5, 1, 2, 1), (V{1, 2}));   // a top inside the range only once
  EXPECT_EQ(seq(5, 3, 0, -1), (V{3}));     // at least one index of the range
  EXPECT_EQ(seq(5, 3, 9, 7), (V{3, 4}));   // up to the end; a top past it is ignored
  EXPECT_EQ(seq(5, 5, 2, 0), V{});         // at the end nothing, not even the top
  EXPECT_EQ(seq(5, -1, 2, 0), V{});        // a negative location is past the end too
  EXPECT_FALSE(Session::initWithUrlArray(std::nullopt));
}

TEST_F(DownloadWithPrioritySessionTest, ANullUrlKeepsItsPlaceAndIsNeverRequested) {
  auto session = open({image("s0.png"), std::nullopt, image("s2.png"), image("s3.png")});
  session->setGroupWithStrategy(0, 4, 0, 0, -1);
  ASSERT_TRUE(waitFor([&] { return screen_->results.size() == 3; }));
  for (const char* name : {"s0.png", "s2.png", "s3.png"}) {
    ASSERT_EQ(screen_->count(image(name)), 1u) << name;
  }
  for (const auto& result : screen_->results) EXPECT_TRUE(result.path) << result.url;
  size_t requested = 0;
  for (const auto& request : service_.requests()) requested += request.path.rfind("/img/", 0) == 0;
  EXPECT_EQ(requested, 3u);
  EXPECT_EQ(logCount(range(0, 4, -1)), 1u);
  EXPECT_EQ(logCount("DownloadWithPrioritySession: Thumb picture object 2 downloaded, notifying"),
            1u);
  session->sessionClose();
  EXPECT_EQ(logCount("DownloadThread sessionCloseOnThread"), 1u);
}

TEST_F(DownloadWithPrioritySessionTest, TheServedGroupIsDealtRoundRobinOverTheLanes) {
  GatedImages gate;
  auto session = open(gate.urls(7));
  // Two lanes for the two items on screen.
  session->setGroupWithStrategy(0, 2, 0, 0, -1);
  ASSERT_TRUE(gate.waitForRequests(2));
  EXPECT_EQ(gate.arrivalsBetween(0, 2), (std::set<std::string>{"/0.png", "/1.png"}));
  // The same range again keeps both downloads running.
  session->setGroupWithStrategy(0, 2, 0, 0, -1);
  ASSERT_TRUE(waitFor([&] { return logCount(range(0, 2, -1)) == 2; }));
  gate.release(0);
  gate.release(1);
  ASSERT_TRUE(waitFor([&] { return screen_->results.size() == 2; }));

  // The lanes ran empty: the background group {2..6} is dealt as {2,4,6} and {3,5}.
  ASSERT_TRUE(gate.waitForRequests(4));
  EXPECT_EQ(gate.arrivalsBetween(2, 4), (std::set<std::string>{"/2.png", "/3.png"}));
  gate.release(3);
  ASSERT_TRUE(gate.waitForRequests(5));
  EXPECT_EQ(gate.arrivals()[4], "/5.png");
  gate.release(5);
  gate.release(2);
  ASSERT_TRUE(gate.waitForRequests(6));
  EXPECT_EQ(gate.arrivals()[5], "/4.png");
  gate.release(4);
  ASSERT_TRUE(gate.waitForRequests(7));
  EXPECT_EQ(gate.arrivals()[6], "/6.png");
  gate.release(6);
  ASSERT_TRUE(waitFor([&] { return screen_->results.size() == 7; }));
  settle();
  EXPECT_EQ(gate.requestCount(), 7u);
  for (int n = 0; n < 7; ++n) EXPECT_EQ(screen_->count(gate.url(n)), 1u) << n;
  session->sessionClose();
}

TEST_F(DownloadWithPrioritySessionTest, NextWaitsForTheLanesAndAnEmptyNowRangeStillDemotes) {
  GatedImages gate;
  auto session = open(gate.urls(4));
  session->setGroupWithStrategy(0, 1, 0, 0, -1);
  ASSERT_TRUE(gate.waitForRequests(1));
  // A "next" range starts nothing while the lane is busy, and goes before the background.
  session->setGroupWithStrategy(2, 1, 0, 1, -1);
  ASSERT_TRUE(waitFor([&] { return logCount(range(2, 1, -1)) == 1; }));
  EXPECT_EQ(gate.requestCount(), 1u);
  gate.release(0);
  ASSERT_TRUE(gate.waitForRequests(2));
  EXPECT_EQ(gate.arrivals()[1], "/2.png");

  // A "now" range past the end selects nothing, keeps the one lane and demotes "next" to the
  // background: the group served is re-chosen, so the download in flight is cancelled and
  // dealt again behind the background's others.
  session->setGroupWithStrategy(4, 2, 0, 0, -1);
  ASSERT_TRUE(gate.waitForRequests(3));
  EXPECT_EQ(gate.arrivals()[2], "/1.png");
  gate.releaseAll();
  ASSERT_TRUE(waitFor([&] { return screen_->results.size() == 4; }));
  settle();
  EXPECT_EQ(gate.requestCount(), 5u);  // 0, 2, 1, 3, and 2 again after its cancel
  for (int n = 0; n < 4; ++n) EXPECT_EQ(screen_->count(gate.url(n)), 1u) << n;
  session->sessionClose();
}

TEST_F(DownloadWithPrioritySessionTest, PauseCancelsTheHeadsAndResumeStartsThemAgain) {
  GatedImages gate;
  auto session = open(gate.urls(3));
  session->setGroupWithStrategy(0, 2, 0, 0, -1);
  ASSERT_TRUE(gate.waitForRequests(2));
  session->sessionPause();
  ASSERT_TRUE(waitFor([&] {
    return !engine_->isImageDownloading(gate.url(0)) && !engine_->isImageDownloading(gate.url(1));
  }));
  session->sessionResume();
  ASSERT_TRUE(gate.waitForRequests(4));
  EXPECT_EQ(gate.arrivalsBetween(2, 4), (std::set<std::string>{"/0.png", "/1.png"}));
  gate.releaseAll();
  ASSERT_TRUE(waitFor([&] { return screen_->results.size() == 3; }));
  settle();
  // The cancelled downloads reported nothing.
  for (int n = 0; n < 3; ++n) EXPECT_EQ(screen_->count(gate.url(n)), 1u) << n;
  session->sessionClose();
}

TEST_F(DownloadWithPrioritySessionTest, ADeadUrlIsRetriedABoundedNumberOfTimes) {
  service_.setStatusForPath("/img/dead.png", 410);
  auto session = open({image("dead.png"), image("good.png")});
  session->setTestMask(1);  // full-size pictures
  session->setGroupWithStrategy(0, 1, 0, 0, -1);
  const size_t tries = Session::kMaxDownloadAttempts;
  ASSERT_TRUE(waitFor([&] { return screen_->count(image("dead.png")) == tries; }));
  // One lane: an image appended now downloads after any further try of the dead one.
  session->appendUrlArray(Session::UrlList{image("late.png")});
  ASSERT_TRUE(waitFor([&] { return screen_->count(image("late.png")) == 1; }));
  EXPECT_EQ(service_.requestsTo("/img/dead.png").size(), tries);
  EXPECT_EQ(screen_->count(image("dead.png")), tries);
  EXPECT_EQ(screen_->count(image("good.png")), 1u);
  EXPECT_EQ(logCount("DownloadWithPrioritySession: Big picture object 1 downloaded, notifying"), 1u);
  for (const auto& result : screen_->results) {
    EXPECT_EQ(result.path.has_value(), result.url != image("dead.png")) << result.url;
  }
  EXPECT_EQ(logCount("DownloadWithPrioritySession: object 0 download fail, error code: " +
                     std::to_string(GetHttpSCErrorCode(410))),
            tries);

  // A range that selects it again gives it its tries back.
  session->setGroupWithStrategy(0, 1, 0, 0, -1);
  ASSERT_TRUE(waitFor([&] { return screen_->count(image("dead.png")) == 2 * tries; }));
  session->appendUrlArray(Session::UrlList{image("later.png")});
  ASSERT_TRUE(waitFor([&] { return screen_->count(image("later.png")) == 1; }));
  EXPECT_EQ(service_.requestsTo("/img/dead.png").size(), 2 * tries);
  session->sessionClose();
}

class LaneRecorder : public DownloadWithPriorityDLManagerDelegate {
 public:
  void onDownloadResult(const std::shared_ptr<DownloadWithPriorityGroupObject>&,
                        const Dictionary&) override {
    ++results;
  }
  void onQueueClear() override { ++clears; }
  std::atomic<int> results{0};
  std::atomic<int> clears{0};
};

TEST_F(DownloadWithPrioritySessionTest, NothingArrivesAfterTheClose) {
  // The lanes' hand-off: a result from another thread reaches the session's thread until the
  // close, and is dropped after it.
  auto thread = Thread::start("DownloadThread");
  auto lanes = std::make_shared<LaneRecorder>();
  auto manager = std::make_shared<DownloadWithPriorityDLManager>(lanes, thread->runLoop());
  auto task = engine_->createErrorTask(kErrFail);
  auto deliver = [&] {
    auto worker = Thread::start("task-like");
    worker->runLoop()->postAndWait([&] {
      manager->onImageDownloadResult(task, "http://h/x.png", 0, std::nullopt, std::nullopt);
    });
    thread->runLoop()->postAndWait([] {});
  };
  deliver();
  EXPECT_EQ(lanes->clears, 1);  // no lane held the task; every lane is empty
  thread->runLoop()->postAndWait([&] { manager->close(); });
  deliver();
  EXPECT_EQ(lanes->clears, 1);
  EXPECT_EQ(lanes->results, 0);
  thread->stopAndJoin();

  // A session closed with a download in flight: its task is cancelled, the image arrives at
  // the server's pace, and the screen hears nothing.
  GatedImages gate;
  auto session = open({gate.url(0)});
  session->setGroupWithStrategy(0, 1, 0, 0, -1);
  ASSERT_TRUE(gate.waitForRequests(1));
  session->sessionClose();
  gate.releaseAll();
  ASSERT_TRUE(waitFor([&] { return !engine_->isImageDownloading(gate.url(0)); }));
  settle();
  EXPECT_TRUE(screen_->results.empty());
  session->sessionClose();  // a second close does nothing
}

}  // namespace
}  // namespace zu
