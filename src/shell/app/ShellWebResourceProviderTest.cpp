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
using Reach = web::WebResourceProvider::Reach;

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
  std::optional<web::WebResource> ask(const std::string& url, Reach reach = Reach::kCacheThenNetwork,
                                      bool* answeredAtOnce = nullptr) {
    bool answered = false;
    std::optional<web::WebResource> result;
    provider_.resourceForUrl(url, reach, [&](std::optional<web::WebResource> r) {
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

  auto fetched = ask(url);
  ASSERT_TRUE(fetched.has_value());
  EXPECT_EQ(std::string(fetched->data.begin(), fetched->data.end()), "PNG-BYTES");
  EXPECT_EQ(fetched->mimeType, "image/png");
  EXPECT_EQ(server_.requestCount(), 1u);
  // No service cookie or session goes to an outside host.
  EXPECT_FALSE(server_.requests()[0].header("Cookie").has_value());

  EXPECT_TRUE(provider_.holds(url));
  bool atOnce = false;
  auto again = ask(url, Reach::kCacheThenNetwork, &atOnce);
  ASSERT_TRUE(again.has_value());
  EXPECT_TRUE(atOnce);
  EXPECT_EQ(std::string(again->data.begin(), again->data.end()), "PNG-BYTES");
  EXPECT_EQ(server_.requestCount(), 1u);
}

// An address the page does not name comes from the network though the cache holds it, and what
// comes is not kept: an article's script cannot tell a held picture by how fast it comes.
TEST_F(ShellWebResourceProviderTest, AnAddressThePageDoesNotNameComesFromTheNetworkAndIsNotKept) {
  server_.setResponse("/held.png", Response::text(200, "HELD", "image/png"));
  server_.setResponse("/other.png", Response::text(200, "OTHER", "image/png"));
  ASSERT_TRUE(ask(server_.url("/held.png")).has_value());
  ASSERT_EQ(server_.requestCount(), 1u);

  bool atOnce = true;
  auto held = ask(server_.url("/held.png"), Reach::kNetworkOnly, &atOnce);
  ASSERT_TRUE(held.has_value());
  EXPECT_FALSE(atOnce);
  EXPECT_EQ(std::string(held->data.begin(), held->data.end()), "HELD");
  EXPECT_EQ(server_.requestCount(), 2u);

  auto other = ask(server_.url("/other.png"), Reach::kNetworkOnly);
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(server_.requestCount(), 3u);
  EXPECT_FALSE(provider_.holds(server_.url("/other.png")));
}

TEST_F(ShellWebResourceProviderTest, FailedFetchesAnswerNothingAndKeepNothing) {
  server_.setResponse("/gone.png", Response::text(404, "no"));
  EXPECT_FALSE(ask(server_.url("/gone.png")).has_value());
  EXPECT_FALSE(provider_.holds(server_.url("/gone.png")));
  // Only http and https: no local file leaks through the provider.
  EXPECT_FALSE(ask("file:///etc/passwd").has_value());
  EXPECT_FALSE(provider_.holds("file:///etc/passwd"));
}

TEST_F(ShellWebResourceProviderTest, CertificatesAreChecked) {
  secure_.setResponse("/pic.png", Response::text(200, "SECRET", "image/png"));
  const std::string url = secure_.url("/pic.png");
  // The loopback server's certificate is not trusted: nothing comes.
  EXPECT_FALSE(ask(url).has_value());
  EXPECT_FALSE(provider_.holds(url));
  UrlConnection::setTrustedCertificateForTesting(LoopbackServer::testCertificatePem());
  auto fetched = ask(url);
  ASSERT_TRUE(fetched.has_value());
  EXPECT_EQ(std::string(fetched->data.begin(), fetched->data.end()), "SECRET");
}

}  // namespace
}  // namespace zu
