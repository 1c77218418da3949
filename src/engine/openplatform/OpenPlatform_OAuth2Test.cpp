#include "engine/openplatform/OpenPlatform_OAuth2.h"

#include <gtest/gtest.h>

#include <atomic>

#include "common/UrlEncode.h"
#include "engine/openplatform/OpenPlatformTestSupport.h"
#include "engine/openplatform/OpenSns_KaiXin.h"
#include "engine/openplatform/OpenSns_Renren.h"
#include "platform/crypto/Md5.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;
using testing::paramOf;
using testing::splitForm;

class OAuth2Test : public testing::OpenPlatformTest {
 protected:
  // Renren's servers: the session exchange, users.getInfo and status.set.
  void serveRenren(const std::string& sessionAnswer) {
    server.setHandler([this, sessionAnswer](const LoopbackServer::Request& r) {
      if (r.path == "/renren_api/session_key") return Response::text(200, sessionAnswer);
      if (r.path == "/restserver.do") {
        std::string method = paramOf(splitForm(r.body), "method");
        if (method == "users.getInfo") {
          return Response::text(200, R"([{"uid":77,"name":"人人 Ren","headurl":"http://h/1.jpg"}])");
        }
        if (method == "status.set") return Response::text(postStatus.load(), R"({"result":1})");
      }
      return Response::text(404, "");
    });
  }
  std::vector<std::string> renrenCalls() {
    std::vector<std::string> out;
    for (const auto& r : server.requests()) {
      out.push_back(r.path == "/restserver.do" ? paramOf(splitForm(r.body), "method") : r.path);
    }
    return out;
  }
  // The signature as Renren computes it: MD5 of the sorted "keyvalue" pairs and the secret.
  std::string renrenSig(testing::Pairs fields) {
    std::sort(fields.begin(), fields.end());
    std::string text;
    for (const auto& [k, v] : fields) {
      if (k != "sig") text += k + "=" + v;
    }
    return crypto::Md5::hexLower(text + row(5).appSecret);
  }
  static constexpr char kSession[] =
      R"({"renren_token":{"session_secret":"ss","expires_in":3600,"session_key":"SK"},"user":{"id":77}})";
  std::atomic<int> postStatus{200};
};

TEST_F(OAuth2Test, RenrenBindsFromTheRedirectThroughSessionAndUserInfo) {
  serveRenren(kSession);
  auto renren = std::dynamic_pointer_cast<OpenSns_Renren>(client(5));
  renren->authLogin();
  ASSERT_EQ(observer.events, std::vector<std::string>{"authorize"});
  ASSERT_TRUE(renren->authState());
  const std::string state = *renren->authState();
  EXPECT_EQ(*observer.authorizeUrl,
            row(5).authorizeUrl + "?client_id=" + row(5).appKey +
                "&response_type=token&redirect_uri=" + OpenSns_Renren::loginSuccessUrl() +
                "&display=touch&scope=status_update,publish_share&state=" + state);
  auto& factory = OpenPlatformFactory::instance();
  // A redirect without the token is a bad argument.
  EXPECT_TRUE(factory.OnAuthShouldStartNtf(5, OpenSns_Renren::loginSuccessUrl() + "#error=denied&state=" + state));
  EXPECT_EQ(observer.events.back(), "error -3");
  EXPECT_TRUE(factory.OnAuthShouldStartNtf(
      5, OpenSns_Renren::loginSuccessUrl() + "#access_token=195|x.y&expires_in=2592000&scope=a&state=" + state));
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_BindOk 5"});
  ASSERT_TRUE(waitForEvents(3));
  EXPECT_EQ(observer.events.back(), "login");
  EXPECT_EQ(renrenCalls(),
            (std::vector<std::string>{"/renren_api/session_key", "users.getInfo"}));
  auto session = server.requests()[0];
  EXPECT_EQ(session.method, "POST");
  EXPECT_EQ(session.query, "oauth_token=195|x.y");
  EXPECT_EQ(session.body, "");

  auto info = server.requests()[1];
  EXPECT_EQ(info.header("Content-Type"), "application/x-www-form-urlencoded");
  auto fields = splitForm(info.body);
  std::vector<std::string> keys;
  for (const auto& f : fields) keys.push_back(f.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"api_key", "call_id", "format", "method",
                                            "session_key", "sig", "v"}));
  EXPECT_EQ(paramOf(fields, "session_key"), "SK");
  EXPECT_EQ(paramOf(fields, "sig"), renrenSig(fields));

  auto stored = store()->getAccountInfo(5);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->accessToken, "195|x.y");
  EXPECT_EQ(stored->secret, "SK");
  EXPECT_EQ(stored->nickName, "人人 Ren");
  EXPECT_EQ(stored->imageUrl, "http://h/1.jpg");
  EXPECT_EQ(renren->userID(), "77");
  EXPECT_EQ(renren->status(), 3);
  EXPECT_TRUE(store()->getShareEnable(5));

  // With the session in hand a post goes straight out, signed.
  renren->PostContent(std::string("分享 a&b"));
  ASSERT_TRUE(waitForEvents(4));
  EXPECT_EQ(observer.events.back(), "post");
  auto post = server.requests().back();
  auto postFields = splitForm(post.body);
  EXPECT_EQ(paramOf(postFields, "status"), "分享 a&b");
  EXPECT_EQ(paramOf(postFields, "session_key"), "SK");
  EXPECT_EQ(paramOf(postFields, "sig"), renrenSig(postFields));
}

TEST_F(OAuth2Test, RenrenHoldsAPostUntilTheSessionIsBack) {
  serveRenren(kSession);
  PlatformAccountInfo info;
  info.accessToken = "195|x.y";
  info.secret = "old";
  store()->updateAccountInfo(5, info);
  auto renren = std::dynamic_pointer_cast<OpenSns_Renren>(client(5));
  EXPECT_EQ(renren->status(), 3);
  renren->PostContentTitle(std::string("held text"), std::string("title"),
                           std::string("http://link"));
  EXPECT_TRUE(renren->isPostContentHold());
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events, (std::vector<std::string>{"login", "post"}));
  EXPECT_EQ(renrenCalls(), (std::vector<std::string>{"/renren_api/session_key", "users.getInfo",
                                                     "status.set"}));
  EXPECT_EQ(paramOf(splitForm(server.requests().back().body), "status"), "held text");
  EXPECT_FALSE(renren->isPostContentHold());
  EXPECT_EQ(store()->getAccountInfo(5)->secret, "SK");
}

TEST_F(OAuth2Test, RenrenReportsAFailedSessionInsteadOfWaiting) {
  serveRenren("<html>busy</html>");
  PlatformAccountInfo info;
  info.accessToken = "tok";
  info.secret = "old";
  store()->updateAccountInfo(5, info);
  auto renren = std::dynamic_pointer_cast<OpenSns_Renren>(client(5));
  renren->PostContent(std::string("text"));
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(observer.events, std::vector<std::string>{"error -4"});
  EXPECT_FALSE(renren->isPostContentHold());
  EXPECT_EQ(renrenCalls(), std::vector<std::string>{"/renren_api/session_key"});

  // Refused credentials on the session exchange unbind the account.
  server.setHandler([](const LoopbackServer::Request&) { return Response::text(400, "{}"); });
  renren->PostContent(std::string("text"));
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "error -6");
  EXPECT_EQ(renren->status(), 0);
  EXPECT_EQ(store()->getAccountInfo(5), std::nullopt);
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_UnbindOk 5"});
}

TEST_F(OAuth2Test, RenrenSignatureAndParameters) {
  auto renren = std::dynamic_pointer_cast<OpenSns_Renren>(client(5));
  EXPECT_EQ(renren->calcSig({{"b", "2"}, {"a", "1"}}),
            crypto::Md5::hexLower("a=1b=2" + row(5).appSecret));
  EXPECT_EQ(OpenSns_Renren::genPostParametersString({{"z", "a b&c"}, {"Y", "中"}}),
            "Y=%E4%B8%AD&z=a%20b%26c");
  EXPECT_EQ(OpenSns_Renren::genPostParametersString({}), std::nullopt);
}

// A token counts only when it answers this client's own request: the state it sent, at exactly
// the configured callback, once. Anything else binds nothing and sends nothing.
TEST_F(OAuth2Test, ACallbackBindsOnlyWithTheBindingsStateAtTheExactCallback) {
  serveRenren(kSession);
  auto renren = std::dynamic_pointer_cast<OpenSns_Renren>(client(5));
  auto& factory = OpenPlatformFactory::instance();
  const std::string callback = OpenSns_Renren::loginSuccessUrl();
  // No binding under way: no state to match.
  EXPECT_TRUE(factory.OnAuthShouldStartNtf(5, callback + "#access_token=stolen"));
  EXPECT_EQ(observer.events.back(), "error -3");

  renren->authLogin();
  const std::string state = renren->authState().value_or("");
  ASSERT_EQ(32u, state.size());
  renren->authLogin();  // a new binding, a new state
  EXPECT_NE(state, renren->authState().value_or(state));
  const std::string fresh = *renren->authState();
  for (const std::string& forged : {callback + "#access_token=stolen",
                                    callback + "#access_token=stolen&state=" + state,
                                    callback + "#access_token=stolen&state=" + fresh.substr(1),
                                    callback + "#access_token=stolen&state="}) {
    EXPECT_TRUE(factory.OnAuthShouldStartNtf(5, forged)) << forged;
    EXPECT_EQ(observer.events.back(), "error -3") << forged;
  }
  // Only the exact address is the callback: a longer path, another host or port is not.
  for (const std::string& other : {callback + "x#access_token=stolen&state=" + fresh,
                                   callback + "/..x#access_token=stolen&state=" + fresh,
                                   std::string("http://evil.test/oauth/login_success.html#access_token=stolen&state=") + fresh}) {
    EXPECT_FALSE(factory.OnAuthShouldStartNtf(5, other)) << other;
  }
  EXPECT_TRUE(notifications.seen.empty());
  EXPECT_TRUE(server.requests().empty());

  // The real answer binds, once.
  EXPECT_TRUE(factory.OnAuthShouldStartNtf(5, callback + "?x=1#access_token=mine&state=" + fresh));
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_BindOk 5"});
  EXPECT_FALSE(renren->authState());
  ASSERT_TRUE(waitForEvents(observer.count() + 1));
  EXPECT_EQ(server.requests().front().query, "oauth_token=mine");
}

TEST_F(OAuth2Test, KaixinBindsAndPostsWithTheTokenInTheQuery) {
  server.setResponse("/users/me.json",
                     Response::text(200, R"({"uid":5,"name":"开心","logo50":"http://l/50.png"})"));
  auto kaixin = std::dynamic_pointer_cast<OpenSns_KaiXin>(client(6));
  kaixin->authLogin();
  const auto& config = OpenPlatformConfig::current();
  ASSERT_TRUE(kaixin->authState());
  EXPECT_EQ(*observer.authorizeUrl,
            row(6).authorizeUrl + "?display=touch&response_type=token&redirect_uri=" +
                config.shareToolsCallbackUrl +
                "&scope=basic+create_records&oauth_client=1&client_id=" + row(6).appKey +
                "&state=" + *kaixin->authState());
  ASSERT_TRUE(OpenPlatformFactory::instance().OnAuthShouldStartNtf(
      6, config.shareToolsCallbackUrl + "#access_token=KX&expires_in=1&state=" + *kaixin->authState()));
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "login");
  EXPECT_EQ(requestTo("/users/me.json").query,
            "access_token=KX&fields=name,ccity,logo50,hometown,status");
  PlatformAccountInfo expected;
  expected.accessToken = "KX";
  expected.secret = "secret";
  expected.nickName = "开心";
  expected.userUrl = "";
  expected.imageUrl = "http://l/50.png";
  EXPECT_EQ(store()->getAccountInfo(6), expected);

  struct Case {
    int status;
    std::string event;
    std::string desc;
    bool unbinds;
  };
  const Case cases[] = {{200, "post", "", false},
                        {201, "post", "", false},
                        {500, "error -4", "操作错误", false},
                        {304, "error -1", "微博服务器没有数据返回", false},
                        {401, "error -6", "认证失败", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    server.setResponse("/records/add.xml", Response::text(c.status, ""));
    size_t before = observer.count();
    kaixin->PostContent(std::string("a b&中"));
    ASSERT_TRUE(waitForEvents(before + 1));
    EXPECT_EQ(observer.events.back(), c.event);
    if (c.event != "post") {
      EXPECT_EQ(observer.errorDesc, c.desc);
    }
    EXPECT_EQ(kaixin->status(), c.unbinds ? 0 : 3);
  }
  auto posts = server.requests();
  EXPECT_EQ(posts[1].method, "POST");
  EXPECT_EQ(posts[1].target, "/records/add.xml?access_token=KX&content=" + UrlEncode::encode("a b&中"));
  EXPECT_EQ(store()->getAccountInfo(6), std::nullopt);
  EXPECT_EQ(notifications.seen, (std::vector<std::string>{"Notification_Opt_BindOk 6",
                                                          "Notification_Opt_UnbindOk 6"}));
  kaixin->PostContent(std::string("x"));
  EXPECT_EQ(observer.events.back(), "error -9");
}

}  // namespace
}  // namespace zu
