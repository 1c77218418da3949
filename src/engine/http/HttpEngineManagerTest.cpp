#include "engine/http/HttpEngineManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/CommInfo.h"
#include "engine/core/HttpTask.h"
#include "engine/core/TaskTestSupport.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpResponse.h"
#include "platform/runtime/Paths.h"
#include "testing/LoopbackServer.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;

TEST(HttpEngineManagerTest, CookiesAreKeptPerUserPasswordAndHost) {
  TempHome home;
  HttpEngineManager manager;
  manager.onNewCookie("sid=1", "reader", "secret", "a.example", false);
  manager.onNewCookie("sid=2", "reader", "secret", "a.example", false);
  manager.onNewCookie("sid=3", "reader", "secret", "b.example", false);
  EXPECT_EQ(manager.cookieForUser("reader", "secret", "a.example", false), "sid=2");
  EXPECT_EQ(manager.cookieForUser("reader", "secret", "b.example", false), "sid=3");
  EXPECT_FALSE(manager.cookieForUser("reader", "changed", "a.example", false));
  EXPECT_FALSE(manager.cookieForUser("other", "secret", "a.example", false));
  EXPECT_FALSE(manager.cookieForUser(std::nullopt, std::nullopt, "a.example", false));
  manager.removeAllCookies();
  EXPECT_FALSE(manager.cookieForUser("reader", "secret", "a.example", false));
}

TEST(HttpEngineManagerTest, MakingItRemovesOnlyTheThreeOldCacheFolders) {
  TempHome home;
  namespace fs = std::filesystem;
  const fs::path docs = Paths::documents();
  for (const char* name : {"HttpCache", "FileCache", "LinkCache", "userEntry"}) {
    fs::create_directories(docs / name / "sub");
    std::ofstream(docs / name / "sub" / "f") << "x";
  }
  fs::create_directories(Paths::caches() / "HttpCache");
  HttpEngineManager manager;
  EXPECT_FALSE(fs::exists(docs / "HttpCache"));
  EXPECT_FALSE(fs::exists(docs / "FileCache"));
  EXPECT_FALSE(fs::exists(docs / "LinkCache"));
  EXPECT_TRUE(fs::exists(docs / "userEntry" / "sub" / "f"));
  EXPECT_TRUE(fs::exists(Paths::caches() / "HttpCache"));
}

TEST(HttpEngineManagerTest, EnginesAreLentAndGivenBack) {
  TempHome home;
  auto manager = std::make_unique<HttpEngineManager>();
  struct : HttpEngineObserver {
    void onHttpEngineResult(HttpEngine*, int, const std::shared_ptr<HttpResponse>&) override {}
  } observer;
  auto a = manager->getEngine();
  auto b = manager->getEngine();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->delegate(), manager.get());
  EXPECT_EQ(manager->engineCount(), 2u);
  manager->setObserver(*a, &observer);
  EXPECT_EQ(a->observer(), &observer);
  manager->releaseEngine(a);
  EXPECT_EQ(a->delegate(), nullptr);
  EXPECT_EQ(a->observer(), nullptr);
  EXPECT_EQ(manager->engineCount(), 1u);
  // An engine still out when the manager goes no longer points at it.
  manager.reset();
  EXPECT_EQ(b->delegate(), nullptr);
}

TEST(HttpEngineManagerTest, TheGlobalInstanceIsTheTaskLayersHooks) {
  TempHome home;
  EXPECT_FALSE(HttpEngineManager::globalInstance());
  HttpEngineManager::initGlobalInstance();
  auto manager = HttpEngineManager::globalInstance();
  ASSERT_TRUE(manager);
  EXPECT_EQ(HttpEngineHooks::installed(), manager);
  HttpEngineManager::initGlobalInstance();  // no second instance
  EXPECT_EQ(HttpEngineManager::globalInstance(), manager);
  HttpEngineManager::uninitGlobalInstance();
  EXPECT_FALSE(HttpEngineManager::globalInstance());
  EXPECT_FALSE(HttpEngineHooks::installed());
}

// Tasks on the "task" thread borrowing real engines from the global manager.
class GetTask : public HttpTask {
 public:
  explicit GetTask(std::string url) : url_(std::move(url)) {}
  void run() override {
    HttpTask::run();
    if (httpEngine()) httpEngine()->get(url_);
  }
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override {
    body = std::string(response->responseBody().begin(), response->responseBody().end());
    done(0, std::nullopt);
  }
  std::string body;

 private:
  std::string url_;
};

class HttpEngineManagerTaskTest : public testing::TaskEngineFixture {
 protected:
  void SetUp() override {
    TaskEngineFixture::SetUp();
    CommInfo::setUsername("reader");
    CommInfo::setPassword("secret");
    HttpEngineManager::initGlobalInstance();
  }
  void TearDown() override {
    TaskEngineFixture::TearDown();  // stops the task thread before the engines' manager goes
    HttpEngineManager::uninitGlobalInstance();
    CommInfo::globalUninit();
  }
  LoopbackServer server_;
};

TEST_F(HttpEngineManagerTaskTest, TasksRunOnBorrowedEnginesAndShareTheCookies) {
  server_.setHandler([](const LoopbackServer::Request& r) {
    Response a = Response::text(r.path == "/missing" ? 404 : 200, "body of " + r.path);
    if (r.path == "/login") a.headers.push_back({"Set-Cookie", "sid=77; HttpOnly"});
    return a;
  });
  auto login = std::make_shared<GetTask>(server_.url("/login"));
  engine()->asyncRunTask(login);
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  auto next = std::make_shared<GetTask>(server_.url("/next"));
  engine()->asyncRunTask(next);
  auto missing = std::make_shared<GetTask>(server_.url("/missing"));
  engine()->asyncRunTask(missing);
  ASSERT_TRUE(recorder()->waitForFinishes(3));
  engine()->runLoop()->postAndWait([] {});

  auto finishes = recorder()->finishes();
  EXPECT_EQ(finishes[0].code, 0);
  EXPECT_EQ(finishes[0].thread, "task");
  EXPECT_EQ(login->body, "body of /login");
  EXPECT_EQ(next->body, "body of /next");
  int missingCode = 0;
  for (const auto& f : finishes) {
    if (f.taskId == missing->getTaskId()) missingCode = f.code;
  }
  EXPECT_EQ(missingCode, -3404);
  for (const auto& r : server_.requests()) {
    if (r.path != "/login") {
      EXPECT_EQ(r.header("Cookie"), "sid=77");
    }
  }
  EXPECT_EQ(HttpEngineManager::globalInstance()->engineCount(), 0u);
}

TEST_F(HttpEngineManagerTaskTest, CancellingARunningTaskEndsItWithMinusSix) {
  Response slow = Response::text(200, "late");
  slow.delayBeforeHeaders = std::chrono::milliseconds(5000);
  server_.setResponse("/slow", slow);
  auto task = std::make_shared<GetTask>(server_.url("/slow"));
  engine()->asyncRunTask(task);
  ASSERT_TRUE(server_.waitForRequests(1, std::chrono::seconds(10)));
  engine()->asyncCancelTask(task);
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  engine()->runLoop()->postAndWait([] {});
  EXPECT_EQ(recorder()->finishes()[0].code, -6);
  EXPECT_EQ(HttpEngineManager::globalInstance()->engineCount(), 0u);
}

}  // namespace
}  // namespace zu
