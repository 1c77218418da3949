#include "engine/core/HttpTask.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/core/HttpInnerTask.h"
#include "engine/core/TaskTestSupport.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpResponse.h"

namespace zu {
namespace {

using testing::TaskEngineFixture;

std::shared_ptr<HttpResponse> makeResponse(int status, const std::string& body = "") {
  auto header = std::make_shared<HttpResponse::Header>();
  header->statusCode = status;
  auto response = std::make_shared<HttpResponse>();
  response->setResponseHeader(header);
  response->setResponseBody(Bytes(body.begin(), body.end()));
  response->setRequestUrl("http://127.0.0.1/feed");
  return response;
}

class FeedTask : public HttpTask {
 public:
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override {
    parsed = response;
    done(0, std::nullopt);
  }
  std::shared_ptr<HttpResponse> parsed;
};

class HttpTaskTest : public TaskEngineFixture {
 protected:
  void TearDown() override {
    HttpTask::setHttpErrorParser(nullptr);
    TaskEngineFixture::TearDown();  // stops the engine before its hooks go
    HttpEngineHooks::install(nullptr);
  }

  // Hands one engine result to a fresh task on the task thread; returns the task.
  std::shared_ptr<FeedTask> deliver(int errCode, std::shared_ptr<HttpResponse> response) {
    auto task = std::make_shared<FeedTask>();
    engine()->runLoop()->postAndWait(
        [&] { task->onHttpEngineResult(nullptr, errCode, response); });
    return task;
  }

  testing::FinishRecorder::Finish lastFinish() { return recorder()->finishes().back(); }
};

TEST_F(HttpTaskTest, ResultRoadWithTheBasicParser) {
  auto ok = deliver(0, makeResponse(200, "<feed/>"));
  ASSERT_TRUE(ok->parsed);
  EXPECT_EQ(lastFinish().code, 0);

  // 206 is no success for the basic parser.
  auto partial = deliver(0, makeResponse(206));
  EXPECT_FALSE(partial->parsed);
  EXPECT_EQ(lastFinish().code, -3206);
  EXPECT_EQ(lastFinish().desc, "HTTP响应码: 206(Partial Content)");

  auto missing = deliver(0, makeResponse(404, "<html>gone</html>"));
  EXPECT_EQ(lastFinish().code, -3404);
  EXPECT_TRUE(logContains("task " + missing->getTaskIdStr() +
                          " FeedTask onHttpEngineResult httpCode=404 reponse=not found."));

  auto timeout = deliver(kErrNetTimeout, nullptr);
  EXPECT_EQ(lastFinish().code, -3002);
  EXPECT_EQ(lastFinish().desc, "网络连接超时");
  EXPECT_TRUE(logContains("task " + timeout->getTaskIdStr() +
                          " FeedTask onHttpEngineResult fail errCode=-3002"));

  // A success without a reply cannot be parsed: it is a network error.
  deliver(0, nullptr);
  EXPECT_EQ(lastFinish().code, kErrNetError);
  EXPECT_EQ(lastFinish().desc, "网络连接出错");

  // A cached copy reads as 200.
  auto cached = std::make_shared<HttpResponse>();
  cached->setIsCache(true);
  EXPECT_TRUE(deliver(0, cached)->parsed);
  EXPECT_EQ(recorder()->finishes().size(), 6u);
}

TEST_F(HttpTaskTest, LoggedBodiesAreCutAfter1024Characters) {
  std::string exact(1024, 'a');
  auto whole = deliver(0, makeResponse(500, exact));
  EXPECT_TRUE(logContains("task " + whole->getTaskIdStr() +
                          " FeedTask onHttpEngineResult httpCode=500 reponse=" + exact + "."));

  std::string han;
  for (int i = 0; i < 1025; ++i) han += "中";
  auto cut = deliver(0, makeResponse(503, han));
  std::string expected = han.substr(0, 1024 * 3);
  EXPECT_TRUE(logContains("task " + cut->getTaskIdStr() +
                          " FeedTask onHttpEngineResult httpCode=503 reponse=" + expected + "."));
  EXPECT_FALSE(logContains(han));
}

bool acceptPartial(int status, const HttpResponse&, int* code, std::optional<std::string>* desc) {
  if (status == 200 || status == 206) return true;
  *code = GetServerErrorCode(1);
  (void)desc;  // left unset, as the service parser does for a 403
  return false;
}

TEST_F(HttpTaskTest, InstalledParserDecidesAndNullRestoresTheBasicOne) {
  HttpTask::setHttpErrorParser(&acceptPartial);
  EXPECT_TRUE(deliver(0, makeResponse(206))->parsed);
  deliver(0, makeResponse(403));
  EXPECT_EQ(lastFinish().code, -100001);
  EXPECT_EQ(lastFinish().desc, std::nullopt);

  HttpTask::setHttpErrorParser(nullptr);
  EXPECT_EQ(HttpTask::httpErrorParser(), &basicHttpErrorParser);
  EXPECT_FALSE(deliver(0, makeResponse(206))->parsed);
}

TEST_F(HttpTaskTest, RunWithoutAnHttpEngineLayerFinishesWithBadState) {
  auto task = std::make_shared<FeedTask>();
  engine()->asyncRunTask(task);
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  EXPECT_EQ(lastFinish().code, -8);
  EXPECT_EQ(lastFinish().desc, "状态错误");
  engine()->runLoop()->postAndWait([] {});  // the finish pass has ended
  EXPECT_EQ(task->httpEngine(), nullptr);
  EXPECT_TRUE(engine()->runningTasks().empty());
}

// The engine layer as the hooks show it to tasks: the manager keeps each engine only while it is
// lent, and a busy engine's cancel reports -6 to its observer at once and then goes on with its
// own bookkeeping, as a connection does when it tears itself down. The engines are plain
// records behind the opaque HttpEngine handle.
class LendingHooks : public HttpEngineHooks {
 public:
  struct Engine {
    HttpEngineObserver* observer = nullptr;
    bool busy = true;
    int cancelsHandled = 0;
  };

  std::shared_ptr<HttpEngine> getEngine() override {
    auto engine = std::make_shared<Engine>();
    std::lock_guard lock(mutex_);
    lent_.push_back(engine);
    return std::shared_ptr<HttpEngine>(engine, reinterpret_cast<HttpEngine*>(engine.get()));
  }
  void releaseEngine(const std::shared_ptr<HttpEngine>& engine) override {
    as(*engine).observer = nullptr;
    std::lock_guard lock(mutex_);
    std::erase_if(lent_, [&](const auto& e) { return e.get() == &as(*engine); });
  }
  void setObserver(HttpEngine& engine, HttpEngineObserver* observer) override {
    as(engine).observer = observer;
  }
  HttpEngineObserver* observer(const HttpEngine& engine) override {
    return as(const_cast<HttpEngine&>(engine)).observer;
  }
  void cancel(HttpEngine& engine) override {
    Engine& e = as(engine);
    if (!e.busy) return;
    e.busy = false;
    e.observer->onHttpEngineResult(&engine, kErrCancelled, nullptr);
    e.cancelsHandled++;  // the engine must still exist here
  }

  size_t lentCount() const {
    std::lock_guard lock(mutex_);
    return lent_.size();
  }

 private:
  static Engine& as(HttpEngine& engine) { return reinterpret_cast<Engine&>(engine); }
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Engine>> lent_;
};

TEST_F(HttpTaskTest, CancelInFlightFinishesWithMinus6AndGivesTheEngineBack) {
  auto hooks = std::make_shared<LendingHooks>();
  HttpEngineHooks::install(hooks);
  auto task = std::make_shared<FeedTask>();
  engine()->asyncRunTask(task);
  engine()->runLoop()->postAndWait([] {});
  ASSERT_TRUE(task->httpEngine());
  EXPECT_EQ(hooks->lentCount(), 1u);

  engine()->asyncCancelTask(task);
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  engine()->runLoop()->postAndWait([] {});
  EXPECT_EQ(lastFinish().code, -6);
  EXPECT_EQ(lastFinish().desc, "操作被取消");
  EXPECT_EQ(task->httpEngine(), nullptr);
  EXPECT_EQ(hooks->lentCount(), 0u);
  EXPECT_TRUE(engine()->runningTasks().empty());
  EXPECT_TRUE(logContains("task " + task->getTaskIdStr() +
                          " FeedTask onHttpEngineResult fail errCode=-6"));
}

// An inner task that settles a list of items from a cache, or waits for the engine's answer.
class ListInnerTask : public HttpInnerTask {
 public:
  ListInnerTask(bool allCached, std::vector<std::string>* events,
                std::shared_ptr<HttpEngine> engine = nullptr)
      : HttpInnerTask(std::move(engine)), allCached_(allCached), events_(events) {}
  void onHttpError(int code, const std::optional<std::string>& desc) override {
    done(code, desc);
    done(-1, "again");  // ignored
  }

 protected:
  void start() override {
    events_->push_back("start");
    if (allCached_) done(0, std::nullopt);
    events_->push_back("start returned");
  }
  void finish(int code, const std::optional<std::string>& desc) override {
    events_->push_back("finish " + std::to_string(code) + " " + desc.value_or("nil"));
  }

 private:
  bool allCached_;
  std::vector<std::string>* events_;
};

TEST_F(HttpTaskTest, InnerTaskFinishingInsideRunIsDeferredAndKeepsItselfAlive) {
  std::vector<std::string> events;
  auto inner = std::make_shared<ListInnerTask>(true, &events);
  std::weak_ptr<ListInnerTask> weak = inner;
  inner->run();
  inner.reset();  // the creator lets go at once
  EXPECT_FALSE(weak.expired());
  ASSERT_TRUE(RunLoop::current()->runUntil([&] { return events.size() == 3; }, 10));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "start returned", "finish 0 nil"}));
  EXPECT_TRUE(weak.expired());
}

TEST_F(HttpTaskTest, InnerTaskFinishesOnceFromTheEngineResult) {
  std::vector<std::string> events;
  auto inner = std::make_shared<ListInnerTask>(false, &events);
  std::weak_ptr<ListInnerTask> weak = inner;
  inner->run();
  inner.reset();
  ASSERT_FALSE(weak.expired());  // alive while the exchange is out
  weak.lock()->onHttpEngineResult(nullptr, 0, makeResponse(502, "down"));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "start returned",
                                              "finish -3502 HTTP响应码: 502(Bad Gateway)"}));
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(logContains("ListInnerTask parseHttpResult fail httpCode=502 reponse=down."));
}

// Made before the engine layer installed its hooks, it could never hear its engine's answer.
TEST_F(HttpTaskTest, InnerTaskOnAnEngineItCannotObserveFailsInsteadOfWaitingForever) {
  HttpEngineHooks::install(nullptr);
  std::vector<std::string> events;
  auto inner = std::make_shared<ListInnerTask>(false, &events, std::make_shared<HttpEngine>());
  std::weak_ptr<ListInnerTask> weak = inner;
  inner->run();
  inner.reset();
  ASSERT_TRUE(RunLoop::current()->runUntil([&] { return !events.empty(); }, 10));
  EXPECT_EQ(events, (std::vector<std::string>{"finish -8 状态错误"}));
  EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace zu
