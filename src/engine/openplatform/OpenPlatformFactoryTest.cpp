#include "engine/openplatform/OpenPlatformFactory.h"

#include <gtest/gtest.h>

#include "engine/openplatform/OpenPlatformTestSupport.h"
#include "engine/openplatform/OpenPlatform_OAuth1.h"
#include "engine/openplatform/OpenSns_Renren.h"

namespace zu {
namespace {

using OpenPlatformFactoryTest = testing::OpenPlatformTest;

TEST_F(OpenPlatformFactoryTest, ClientsTableAndKinds) {
  auto& factory = OpenPlatformFactory::instance();
  EXPECT_EQ(factory.getOpenPlatformInstance(7), nullptr);
  EXPECT_EQ(factory.getOpenPlatformInstance(-1), nullptr);
  const char* names[] = {"zu微博", "新浪微博", "腾讯微博", "搜狐微博",
                         "豆瓣开放社区", "人人开放社区", "开心网"};
  for (int p = 0; p < 7; ++p) {
    auto c = factory.getOpenPlatformInstance(p);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->platform(), p);
    EXPECT_EQ(c->platformName(), names[p]);
    EXPECT_EQ(factory.getOpenPlatformInstance(p), c);
    EXPECT_EQ(c->status(), 0);
  }
  // Kaixin has a picture address in its row, but the common lookup stops at Renren.
  EXPECT_FALSE(row(6).postPicUrl.empty());
  EXPECT_EQ(factory.getOpenPlatformInstance(6)->getPlatformItem(6), nullptr);
  EXPECT_FALSE(factory.getOpenPlatformInstance(6)->picShare());
  EXPECT_TRUE(factory.getOpenPlatformInstance(1)->picShare());
  EXPECT_FALSE(factory.getOpenPlatformInstance(4)->picShare());
  // Paths and schemes of the table.
  EXPECT_EQ(row(2).userInfoUrl, server.url("/api/user/info?format=json"));
  EXPECT_EQ(row(4).requestTokenUrl, server.url("/service/auth/request_token"));
  EXPECT_EQ(row(5).postPicUrl, server.url("/feed/send.xml"));
  EXPECT_TRUE(row(6).accessTokenUrl.empty());
  auto defaults = OpenPlatformTable::phoneTable(OpenPlatformConfig::defaults());
  EXPECT_EQ(defaults[2]->requestTokenUrl.rfind("https://", 0), 0u);
  EXPECT_EQ(defaults[2]->postUrl.rfind("http://", 0), 0u);
  EXPECT_FALSE(defaults[7]);
  auto tablet = OpenPlatformTable::tabletTable(OpenPlatformConfig::defaults());
  EXPECT_TRUE(tablet[5]->postPicUrl.empty());
  EXPECT_NE(tablet[1]->appKey, defaults[1]->appKey);
  EXPECT_EQ(tablet[3]->appSecret, defaults[3]->appSecret);

  EXPECT_TRUE(factory.getAuthorizedPlatform().empty());
  EXPECT_EQ(factory.getOpenPlatforms(0)->size(), 7u);
  EXPECT_TRUE(factory.getOpenPlatforms(1)->empty());
  EXPECT_EQ(factory.getOpenPlatforms(2)->size(), 7u);
  EXPECT_EQ(factory.getOpenPlatforms(3), std::nullopt);
}

TEST_F(OpenPlatformFactoryTest, ClientsLoadTheCurrentReadersAccountsAfterReset) {
  auto& factory = OpenPlatformFactory::instance();
  PlatformAccountInfo tokenOnly;
  tokenOnly.accessToken = "t";
  auto sina = factory.getOpenPlatformInstance(1);
  sina->setAccountInfo(tokenOnly);
  EXPECT_FALSE(sina->authorized());

  PlatformAccountInfo full;
  full.accessToken = "acc";
  full.secret = "sec";
  full.nickName = "n";
  ASSERT_TRUE(factory.setUserAcountInfo("bob", 1, full));
  PlatformAccountInfo renren;
  renren.accessToken = "rr";
  renren.secret = "session";
  ASSERT_TRUE(factory.setUserAcountInfo("bob", 5, renren));

  CommInfo::setUsername("bob");
  EXPECT_EQ(factory.getOpenPlatformInstance(1), sina);  // kept until reset
  factory.reset();
  auto fresh = factory.getOpenPlatformInstance(1);
  EXPECT_NE(fresh, sina);
  EXPECT_EQ(fresh->accountInfo(), full);
  EXPECT_TRUE(fresh->authorized());
  EXPECT_EQ(fresh->status(), 3);
  auto* oauth1 = dynamic_cast<OpenPlatform_OAuth1*>(fresh.get());
  ASSERT_TRUE(oauth1);
  EXPECT_EQ(oauth1->oAuth().token(), "acc");
  EXPECT_TRUE(oauth1->oAuth().authorized());
  EXPECT_EQ(factory.getOpenPlatformInstance(5)->status(), 3);
  auto bound = factory.getAuthorizedPlatform();
  ASSERT_EQ(bound.size(), 2u);
  EXPECT_EQ(bound[0]->platform(), 1);
  EXPECT_EQ(bound[1]->platform(), 5);
  EXPECT_EQ(factory.getOpenPlatforms(2)->size(), 5u);

  // The share switch goes through the client to the current reader's store.
  fresh->SwitchShareEnable(false);
  EXPECT_FALSE(fresh->shareEnable());
  EXPECT_FALSE(OpenDataManager::instance("bob")->getShareEnable(1));
}

TEST_F(OpenPlatformFactoryTest, NavigationsReachOnlyTheirClient) {
  auto& factory = OpenPlatformFactory::instance();
  const auto& config = OpenPlatformConfig::current();
  // No client yet: nothing handles the callback.
  EXPECT_FALSE(factory.OnAuthShouldStartNtf(1, config.callbackUrl + "?oauth_token=x"));
  auto sina = client(1);
  EXPECT_FALSE(factory.OnAuthShouldStartNtf(1, "http://www.example.com/login"));
  EXPECT_TRUE(observer.events.empty());
  EXPECT_TRUE(factory.isCallbackUrl(config.callbackUrl + "?a=1"));
  EXPECT_TRUE(factory.isCallbackUrl(OpenSns_Renren::loginSuccessUrl() + "#access_token=a"));
  EXPECT_FALSE(factory.isCallbackUrl("http://www.example.com/"));
  // A callback without the token field is a bad argument.
  EXPECT_TRUE(factory.OnAuthShouldStartNtf(1, config.callbackUrl + "?denied=1"));
  EXPECT_EQ(observer.events, std::vector<std::string>{"error -3"});
  EXPECT_EQ(observer.errorDesc, "参数错误");
  // Kaixin answers to its share-tools address, not the product callback.
  client(6);
  EXPECT_FALSE(factory.OnAuthShouldStartNtf(6, config.callbackUrl + "#access_token=a"));
  EXPECT_EQ(factory.getOpenPlatforms(3), std::nullopt);
  EXPECT_TRUE(factory.release());
  EXPECT_EQ(factory.GetPlatformAuthParam(0), nullptr);
}

}  // namespace
}  // namespace zu
