// The seven platform clients against the sample service, each as `make run` points it there
// (OpenPlatformConfig::servedBy): the client's own exchange (OAuth 1.0a, 1.0 or 2.0), the page's
// "授权" link handed back as the authorisation screen would, the bound account, then a post.
#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <set>

#include "SampleOAuth.h"
#include "SamplePicturePosts.h"
#include "SamplePlatforms.h"
#include "SampleService.h"
#include "engine/openplatform/OpenPlatformTestSupport.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class OpenPlatformServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service_.start());
    CommInfo::setUsername("alice");
    OpenPlatformConfig::setCurrent(OpenPlatformConfig::servedBy(service_.baseUrl()));
    OpenPlatformFactory::instance().Init();
  }
  void TearDown() override {
    OpenPlatformFactory::instance().reset();
    OpenPlatformConfig::setCurrent(OpenPlatformConfig::defaults());
    OpenPlatformFactory::instance().Init();
    CommInfo::globalUninit();
    service_.stop();
  }

  // GET of an address of the service: (status, body).
  std::pair<int, std::string> get(const std::string& url) {
    httplib::Client http("127.0.0.1", service_.port());
    auto answer = http.Get(url.substr(service_.baseUrl().size()));
    return answer ? std::make_pair(answer->status, answer->body) : std::make_pair(0, std::string());
  }
  // The "授权" link of an authorisation page.
  static std::string allowLink(const std::string& page) {
    const std::string marker = "<a id=\"allow\" href=\"";
    const size_t at = page.find(marker);
    if (at == std::string::npos) return {};
    std::string link = page.substr(at + marker.size(), page.find('"', at + marker.size()) - at - marker.size());
    for (size_t amp = link.find("&amp;"); amp != std::string::npos; amp = link.find("&amp;", amp + 1)) {
      link.replace(amp, 5, "&");
    }
    return link;
  }
  // Binds platform `p` as the reader would: the page the client asks to show, its link.
  void bind(int p) {
    auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(p);
    testing::RecordingObserver observer;
    client->setObserver(&observer);
    client->authLogin();
    ASSERT_TRUE(turnMainLoopUntil([&] { return observer.authorizeUrl || observer.errorCode; }, 20)) << p;
    ASSERT_TRUE(observer.authorizeUrl) << p << ": " << observer.errorDesc;
    const auto [status, page] = get(*observer.authorizeUrl);
    ASSERT_EQ(200, status) << p << ": " << page;
    const std::string link = allowLink(page);
    // An OAuth 2.0 page sends the client's state back as it came; the client checks it.
    if (const size_t state = observer.authorizeUrl->find("&state="); p >= 5) {
      ASSERT_NE(std::string::npos, state) << p;
      EXPECT_NE(std::string::npos, link.find(observer.authorizeUrl->substr(state))) << p << ": " << link;
    }
    ASSERT_TRUE(OpenPlatformFactory::instance().OnAuthShouldStartNtf(p, link)) << p << ": " << link;
    ASSERT_TRUE(turnMainLoopUntil([&] { return client->authorized() && !observer.events.empty() &&
                                               observer.events.back() == "login"; }, 20) ||
                observer.errorCode)
        << p;
    ASSERT_EQ(0, observer.errorCode) << p << ": " << observer.errorDesc;
    EXPECT_EQ(std::optional<std::string>(SamplePlatforms::nickName(p)), client->accountInfo().nickName) << p;

    client->PostContent("码头的早班船准时出发。");
    ASSERT_TRUE(turnMainLoopUntil([&] { return observer.events.back() != "login"; }, 20)) << p;
    EXPECT_EQ("post", observer.events.back()) << p << ": " << observer.errorDesc;
    // A platform that takes pictures takes this one with a text, as the share screen sends it.
    if (client->picShare()) {
      const std::string picture = (home_.path() / "harbour.png").string();
      std::ofstream(picture, std::ios::binary) << "\x89PNG\r\n\x1a\n picture of the harbour";
      const size_t posts = observer.events.size();
      client->PostContentWithPic("「渡船」 & 100% 的早班船", picture);
      ASSERT_TRUE(turnMainLoopUntil([&] { return observer.events.size() > posts; }, 20)) << p;
      EXPECT_EQ("post", observer.events.back()) << p << ": " << observer.errorDesc;
    }
    client->setObserver(nullptr);
  }

  TempHome home_;  // the bound accounts are stored in it
  SampleService service_;
};

TEST_F(OpenPlatformServiceTest, EveryPlatformBindsAndPostsAsItsClientSpeaks) {
  for (int p = 0; p < 7; ++p) bind(p);
  EXPECT_EQ(7u, OpenPlatformFactory::instance().getAuthorizedPlatform().size());
  // Each account has a nick name of its own, so the bound rows can be told apart.
  std::set<std::string> names;
  for (int p = 0; p < 7; ++p) {
    names.insert(OpenPlatformFactory::instance().getOpenPlatformInstance(p)->accountInfo().nickName.value_or(""));
  }
  EXPECT_EQ(7u, names.size());
  // The picture posts of the microblogs 1 to 3 carried the text as the reader wrote it.
  for (const char* path : {"/open/1/statuses/upload.json", "/open/2/api/t/add_pic", "/open/3/statuses/upload.json"}) {
    const auto posts = service_.requestsTo(path);
    ASSERT_EQ(1u, posts.size()) << path;
    EXPECT_EQ(std::optional<std::string>("「渡船」 & 100% 的早班船"), SamplePicturePosts::postedText(posts[0])) << path;
  }
}

// A client whose clock is an hour off is told the acceptable timestamps and binds on its retry.
TEST_F(OpenPlatformServiceTest, AClockOffByAnHourIsCorrectedOnTheRetry) {
  ScopedFakeClock clock(Clock::get()->nowMicros() / 1000 - 3600 * 1000);
  bind(1);
  auto refused = service_.requestsTo("/open/1/oauth/request_token");
  EXPECT_EQ(2u, refused.size());
}

// The OAuth 2.0 page sends the client's state back as it came, and refuses a client id, grant or
// redirect address other than the client's, without a link to follow.
TEST_F(OpenPlatformServiceTest, TheOAuth2PageSendsTheStateBackAndRefusesWrongParameters) {
  const std::string redirect = service_.baseUrl() + "/open/5/oauth/login_success.html";
  const std::string page = service_.baseUrl() + "/open/5/oauth/authorize?client_id=" +
                           OpenPlatformConfig::current().phoneCredentials[5].key;
  auto [status, body] = get(page + "&response_type=token&redirect_uri=" + redirect + "&state=a%2Bb%20c");
  ASSERT_EQ(200, status);
  EXPECT_EQ(redirect + "#access_token=" + SamplePlatforms::accessToken(5) +
                "&token_type=bearer&expires_in=2592000&state=a%2Bb%20c",
            allowLink(body));
  for (const std::string& wrong : {std::string("&response_type=token&redirect_uri=http://elsewhere.test/"),
                                   "&response_type=code&redirect_uri=" + redirect}) {
    std::tie(status, body) = get(page + wrong);
    EXPECT_EQ(400, status) << wrong;
    EXPECT_EQ("", allowLink(body)) << wrong;
  }
  std::tie(status, body) = get(service_.baseUrl() + "/open/6/oauth2/authorize?client_id=nobody&response_type=token"
                               "&redirect_uri=" + SamplePlatforms::kShareToolsCallback);
  EXPECT_EQ(400, status);
  EXPECT_NE(std::string::npos, body.find("invalid_client"));
}

// An OAuth 1.0a request signed with another secret, or sent again with the same nonce, is refused.
TEST_F(OpenPlatformServiceTest, TheOAuth1ChecksRefuseForgedAndReplayedRequests) {
  const auto& key = OpenPlatformConfig::current().phoneCredentials[3];
  const std::string url = service_.baseUrl() + "/open/3/oauth/request_token";
  const std::string now = std::to_string(Clock::get()->nowMicros() / 1000000);
  std::multimap<std::string, std::string> parameters = {
      {"oauth_callback", "http://zu.test/cb"}, {"oauth_consumer_key", key.key}, {"oauth_nonce", "4711"},
      {"oauth_signature_method", "HMAC-SHA1"}, {"oauth_timestamp", now}, {"oauth_version", "1.0"}};
  auto query = [&](const std::string& secret) {
    std::string q;
    for (const auto& [k, v] : parameters) q += SampleOAuth::percentEncode(k) + "=" + SampleOAuth::percentEncode(v) + "&";
    return q + "oauth_signature=" + SampleOAuth::percentEncode(SampleOAuth::signature("GET", url, parameters, secret, ""));
  };
  auto [status, body] = get(url + "?" + query("not the secret"));
  EXPECT_EQ(401, status);
  EXPECT_EQ("oauth_problem=signature_invalid", body);
  parameters.find("oauth_nonce")->second = "4712";
  std::tie(status, body) = get(url + "?" + query(key.secret));
  EXPECT_EQ(200, status) << body;
  std::tie(status, body) = get(url + "?" + query(key.secret));
  EXPECT_EQ(401, status);
  EXPECT_EQ("oauth_problem=nonce_used", body);
}

}  // namespace
}  // namespace zu
