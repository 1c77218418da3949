#include "shell/app/ShellWebResourceProvider.h"

#include <gtest/gtest.h>

#include "common/CommInfo.h"
#include "engine/cache/FileCacheManager.h"
#include "platform/net/UrlConnection.h"
#include "platform/runtime/RunLoop.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;

class ShellWebResourceProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NetworkProbe::setShared(probe_);
    FileCacheManager::initGlobalInstance();
    CommInfo::setUsername(std::string("reader"));
  }
  void TearDown() override {
    server_.stop();
    secure_.stop();
    UrlConnection::setTrustedCertificateForTesting(std::nullopt);
    CommInfo::globalUninit();
    FileCacheManager::uninitGlobalInstance();
    NetworkProbe::setShared(nullptr);
  }

  // The provider's answer, waiting for it on the main loop; `answeredAtOnce` tells whether it
  // came inside the call.
  std::optional<web::WebResource> ask(const std::string& url, bool fetchOnMiss,
                                      bool* answeredAtOnce = nullptr) {
    bool answered = false;
    std::optional<web::WebResource> result;
    provider_.resourceForUrl(url, fetchOnMiss, [&](std::optional<web::WebResource> r) {
      answered = true;
      result = std::move(r);
    });
    if (answeredAtOnce) *answeredAtOnce = answered;
    EXPECT_TRUE(RunLoop::main()->runUntil([&] { return answered; }, 20));
    return result;
  }

  TempHome home_;
  std::shared_ptr<SettableNetworkProbe> probe_ = std::make_shared<SettableNetworkProbe>();
  LoopbackServer server_;
  LoopbackServer secure_{LoopbackServer::Scheme::kHttps};
  ShellWebResourceProvider provider_;
};

TEST_F(ShellWebResourceProviderTest, AMissIsFetchedOnceThenHeldAndAnsweredFromTheCache) {
  server_.setResponse("/pic.png", Response::text(200, "PNG-BYTES", "image/png"));
  const std::string url = server_.url("/pic.png");
  EXPECT_FALSE(provider_.holds(url));

  // A third-party page's miss is not fetched.
  EXPECT_FALSE(ask(url, false).has_value());
  EXPECT_EQ(server_.requestCount(), 0u);

  auto fetched = ask(url, true);
  ASSERT_TRUE(fetched.has_value());
  EXPECT_EQ(std::string(fetched->data.begin(), fetched->data.end()), "PNG-BYTES");
  EXPECT_EQ(fetched->mimeType, "image/png");
  EXPECT_EQ(server_.requestCount(), 1u);
  // No service cookie or session goes to an outside host.
  EXPECT_FALSE(server_.requests()[0].header("Cookie").has_value());

  EXPECT_TRUE(provider_.holds(url));
  bool atOnce = false;
  auto again = ask(url, false, &atOnce);
  ASSERT_TRUE(again.has_value());
  EXPECT_TRUE(atOnce);
  EXPECT_EQ(std::string(again->data.begin(), again->data.end()), "PNG-BYTES");
  EXPECT_EQ(server_.requestCount(), 1u);

  // Pages from elsewhere get what is held only offline, as the reachability rule tells it.
  EXPECT_TRUE(provider_.networkReachable());
  probe_->setFlags(SettableNetworkProbe::kOffline);
  EXPECT_FALSE(provider_.networkReachable());
}

TEST_F(ShellWebResourceProviderTest, FailedFetchesAnswerNothingAndKeepNothing) {
  server_.setResponse("/gone.png", Response::text(404, "no"));
  EXPECT_FALSE(ask(server_.url("/gone.png"), true).has_value());
  EXPECT_FALSE(provider_.holds(server_.url("/gone.png")));
  // Only http and https: no local file leaks through the provider.
  EXPECT_FALSE(ask("file:///etc/passwd", true).has_value());
  EXPECT_FALSE(provider_.holds("file:///etc/passwd"));
}

TEST_F(ShellWebResourceProviderTest, CertificatesAreChecked) {
  secure_.setResponse("/pic.png", Response::text(200, "SECRET", "image/png"));
  const std::string url = secure_.url("/pic.png");
  // The loopback server's certificate is not trusted: nothing comes.
  EXPECT_FALSE(ask(url, true).has_value());
  EXPECT_FALSE(provider_.holds(url));
  UrlConnection::setTrustedCertificateForTesting(LoopbackServer::testCertificatePem());
  auto fetched = ask(url, true);
  ASSERT_TRUE(fetched.has_value());
  EXPECT_EQ(std::string(fetched->data.begin(), fetched->data.end()), "SECRET");
}

}  // namespace
}  // namespace zu
