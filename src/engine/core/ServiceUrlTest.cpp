#include <gtest/gtest.h>

#include <filesystem>

#include "common/CommInfo.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ServiceErrorReport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/core/VeskHttpErrorParser.h"
#include "engine/http/HttpResponse.h"
#include "model/entry/Link.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/Thread.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using testing::EngineFixture;
using testing::FetchTask;
using testing::ServiceUrlProbeTask;

std::shared_ptr<Link> link(const char* rel, const char* href) {
  auto l = std::make_shared<Link>();
  l->setRel(std::string(rel));
  l->setHref(std::string(href));
  return l;
}

TEST(UrlManagerTest, EachRelationFillsItsEntryAndMissingOnesAreDropped) {
  UrlManager urls;
  EXPECT_FALSE(urls.isEverSet());
  urls.setUrls({link("vesk_font", "http://h/font-1"), link("vesk_font", "http://h/font-2"),
                link("vesk_login", "http://h/login"), link("vesk_Login", "http://h/wrong-case")});
  EXPECT_TRUE(urls.isEverSet());
  EXPECT_EQ(urls.fontUrl(), "http://h/font-1");  // the first of two wins
  EXPECT_EQ(urls.loginUrl(), "http://h/login");
  EXPECT_EQ(urls.errorReportUrl(), std::nullopt);
  // A later feed without a relation drops the entry learned before.
  urls.setUrls({link("vesk_errReport", "http://h/err")});
  EXPECT_EQ(urls.fontUrl(), std::nullopt);
  EXPECT_EQ(urls.errorReportUrl(), "http://h/err");
}

class ServiceUrlTest : public EngineFixture {};

TEST_F(ServiceUrlTest, TableIsFetchedOnceAndReusedOffline) {
  startEngine();
  auto first = runTask(std::make_shared<ServiceUrlProbeTask>());
  ASSERT_TRUE(first);
  EXPECT_EQ(first->code, 0);
  auto urls = gUrlManager();
  EXPECT_EQ(urls->loginUrl(), service_.baseUrl() + "/login");
  EXPECT_EQ(urls->favoriteSearchUrl(), service_.baseUrl() + "/fav/search.atom");
  EXPECT_TRUE(DESettings::allowOperationalStatistic());
  EXPECT_TRUE(DESettings::allowPageSeqStatistic());
  EXPECT_FALSE(DESettings::allowContentStatistic());
  EXPECT_FALSE(DESettings::allowWifiOnlyStatistic());

  // Filled once per process: the next task needs no request.
  auto second = runTask(std::make_shared<ServiceUrlProbeTask>());
  ASSERT_TRUE(second);
  EXPECT_EQ(second->code, 0);
  EXPECT_EQ(service_.requestsTo("/getServiceUrl.atom").size(), 1u);

  // A later start without the service (and without the response cache's copy) falls back to
  // the feed kept in the unique cache; the statistics switches are left as they are.
  stopEngine();
  service_.stop();
  std::filesystem::remove_all(Paths::caches() / "FileCaches");
  DESettings::setOperationalSatistic(false);
  startEngine();
  EXPECT_FALSE(gUrlManager()->isEverSet());
  auto offline = runTask(std::make_shared<ServiceUrlProbeTask>());
  ASSERT_TRUE(offline);
  EXPECT_EQ(offline->code, 0);
  EXPECT_EQ(gUrlManager()->loginUrl(), service_.baseUrl() + "/login");
  EXPECT_FALSE(DESettings::allowOperationalStatistic());

  // Without a kept copy the transport failure is the task's result and the table stays empty.
  stopEngine();
  std::filesystem::remove_all(Paths::caches() / "FileCaches");
  std::filesystem::remove_all(Paths::caches() / "UniqueCaches");
  startEngine();
  auto failed = runTask(std::make_shared<ServiceUrlProbeTask>());
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->code, kErrNetConnect);
  EXPECT_FALSE(gUrlManager()->isEverSet());
}

TEST_F(ServiceUrlTest, SampleServiceAnswersConditionalGets) {
  startEngine();
  const std::string catalogue = service_.baseUrl() + "/sub/list.atom";
  EXPECT_EQ(runTask(std::make_shared<FetchTask>(catalogue))->code, 0);
  EXPECT_EQ(runTask(std::make_shared<FetchTask>(catalogue))->code, 0);  // 304: the kept copy
  auto sent = service_.requestsTo("/sub/list.atom");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].headers.count("if-none-match"), 0u);
  EXPECT_EQ(sent[1].headers.count("if-none-match"), 1u);
}

HttpResponse reply(int status, const std::string& url, const std::string& body,
                   std::vector<std::pair<std::string, std::string>> headers = {}) {
  HttpResponse response;
  auto header = std::make_shared<UrlResponse>();
  header->statusCode = status;
  header->headers = std::move(headers);
  header->url = url;
  response.setResponseHeader(header);
  response.setResponseBody(Bytes(body.begin(), body.end()));
  response.setRequestUrl(url);
  return response;
}

std::string errorDocument(int reason, const std::string& customizationType = "") {
  std::string doc = "<error xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"><id>x</id><reason>" +
                    std::to_string(reason) + "</reason><desc>reason text</desc>";
  if (!customizationType.empty()) {
    doc += "<vesk:customization type=\"" + customizationType + "\" id=\"m1\"/>";
  }
  return doc + "</error>";
}

struct Parsed {
  bool ok;
  int code;
  std::optional<std::string> desc;
};

Parsed parse(const HttpResponse& response) {
  int code = -1;
  std::optional<std::string> desc;
  bool ok = veskHttpErrorParser(response.statusCode(), response, &code, &desc);
  return {ok, code, desc};
}

TEST_F(ServiceUrlTest, ParserTurnsRepliesIntoEngineCodes) {
  startEngine();
  const std::string url = service_.baseUrl() + "/any.atom";
  EXPECT_TRUE(parse(reply(200, url, "")).ok);
  EXPECT_TRUE(parse(reply(206, url, "")).ok);

  auto upgrade = parse(reply(400, url, errorDocument(90000)));
  EXPECT_FALSE(upgrade.ok);
  EXPECT_EQ(upgrade.code, -190000);
  EXPECT_EQ(upgrade.desc, "reason text");
  EXPECT_EQ(parse(reply(400, url, errorDocument(91000))).code, -11);
  EXPECT_EQ(parse(reply(400, url, errorDocument(91001))).code, -191001);
  auto garbage = parse(reply(400, url, "not xml"));
  EXPECT_EQ(garbage.code, -5000);
  EXPECT_EQ(garbage.desc, "数据解析失败");

  // An invalid binding drops that microblog's account only.
  testing::bindAccount("wayfarers", 1, "sina-token", "sina-secret");
  testing::bindAccount("wayfarers", 2, "qq-token", "qq-secret");
  EXPECT_EQ(parse(reply(400, url, errorDocument(501, "rss"))).code, -100501);
  EXPECT_TRUE(testing::platformClient(1)->authorized());
  EXPECT_EQ(parse(reply(400, url, errorDocument(502, "sinamblog"))).code, -100502);
  EXPECT_FALSE(testing::platformClient(1)->authorized());
  EXPECT_TRUE(testing::platformClient(2)->authorized());
  EXPECT_EQ(OpenPlatformFactory::instance().getUserAcountInfo(std::string("wayfarers"), 1),
            std::nullopt);

  // 403: the X-Error reason, no text; the service's own host forgets the stored login.
  CommInfo::setCustomKey(DataEngine::kLastLoginUsernameKey, Value(std::string("alice")));
  auto forbiddenElsewhere = parse(reply(403, "http://other.example/x", "", {{"X-Error", "12"}}));
  EXPECT_EQ(forbiddenElsewhere.code, -100012);
  EXPECT_EQ(forbiddenElsewhere.desc, std::nullopt);
  EXPECT_TRUE(isServerAuthorizeError(forbiddenElsewhere.code));
  EXPECT_EQ(engine_->getLastLoginUsername(), "alice");
  EXPECT_EQ(parse(reply(403, url, "")).code, -100001);
  EXPECT_EQ(engine_->getLastLoginUsername(), std::nullopt);

  auto conflict = parse(reply(409, url, "body"));
  EXPECT_EQ(conflict.code, -3409);
  EXPECT_EQ(conflict.desc, ErrorGetDescription(-3409));
}

TEST_F(ServiceUrlTest, NotFoundAndServerErrorsAreReportedOnce) {
  startEngine();
  ASSERT_EQ(runTask(std::make_shared<ServiceUrlProbeTask>())->code, 0);
  auto posts = [&] {
    std::vector<SampleService::Request> out;
    for (const auto& r : service_.requestsTo("/report/error.atom")) {
      if (r.method == "POST") out.push_back(r);
    }
    return out;
  };

  auto missing = runTask(std::make_shared<FetchTask>(service_.baseUrl() + "/missing.atom"));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->code, -3404);
  ASSERT_TRUE(service_.waitForRequests("/report/error.atom", 1, std::chrono::seconds(10)));
  ASSERT_EQ(posts().size(), 1u);
  const auto report = posts()[0];
  EXPECT_EQ(report.headers.at("content-type"), "application/xml");
  EXPECT_NE(report.body.find("404"), std::string::npos);
  EXPECT_NE(report.body.find(service_.baseUrl() + "/missing.atom"), std::string::npos);

  service_.setStatusForPath("/broken.atom", 503);
  EXPECT_EQ(runTask(std::make_shared<FetchTask>(service_.baseUrl() + "/broken.atom"))->code,
            -3503);
  ASSERT_TRUE(service_.waitForRequests("/report/error.atom", 2, std::chrono::seconds(10)));
  ASSERT_EQ(posts().size(), 2u);
  EXPECT_NE(posts()[1].body.find("503"), std::string::npos);

  // A failing error-report endpoint is not reported again; a 409 is never reported.
  service_.setStatusForPath("/report/error.atom", 404);
  EXPECT_EQ(runTask(std::make_shared<FetchTask>(gUrlManager()->errorReportUrl().value()))->code,
            -3404);
  service_.setStatusForPath("/conflict.atom", 409);
  EXPECT_EQ(runTask(std::make_shared<FetchTask>(service_.baseUrl() + "/conflict.atom"))->code,
            -3409);
  EXPECT_FALSE(service_.waitForRequests("/report/error.atom", 4, std::chrono::seconds(1)));
  EXPECT_EQ(posts().size(), 2u);
}

TEST(ServiceErrorReportTest, ReportsGoWithTheirAnswerOrWithTheirThread) {
  TempHome home;
  LoopbackServer server;
  server.setResponse("/quick", LoopbackServer::Response::text(200, "ok"));
  auto slow = LoopbackServer::Response::text(200, "ok");
  slow.delayBeforeHeaders = std::chrono::seconds(60);
  server.setResponse("/slow", slow);
  const size_t before = ServiceErrorReport::pendingCount();
  const Bytes document = {'<', 'e', '/', '>'};

  auto thread = Thread::start("reports");
  ASSERT_TRUE(thread->runLoop()->postAndWait([&] {
    EXPECT_TRUE(ServiceErrorReport::send(server.url("/quick"), document));
    EXPECT_TRUE(ServiceErrorReport::send(server.url("/slow"), document));
    EXPECT_FALSE(ServiceErrorReport::send(std::nullopt, document));
  }));
  ASSERT_TRUE(server.waitForRequests(2, std::chrono::seconds(10)));
  // The answered report is let go; the other still waits.
  EXPECT_TRUE(turnMainLoopUntil([&] { return ServiceErrorReport::pendingCount() == before + 1; }));

  // Its thread ends before the answer: the report and its engine go with the thread instead of
  // keeping each other alive.
  thread->stopAndJoin();
  EXPECT_EQ(ServiceErrorReport::pendingCount(), before);
}

}  // namespace
}  // namespace zu
