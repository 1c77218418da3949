#include "engine/openplatform/OpenPlatform_OAuth1.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "common/UrlEncode.h"
#include "engine/openplatform/OpenPlatformTestSupport.h"
#include "engine/openplatform/OpenSns_DouBan.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;
using testing::paramOf;
using testing::rfcEncode;
using testing::signatureValid;
using testing::signedPartsOf;

class OAuth1Test : public testing::OpenPlatformTest {
 protected:
  std::string pathOf(const std::string& url) {
    std::string rest = url.substr(server.baseUrl().size());
    return rest.substr(0, rest.find('?'));
  }
  // A platform that hands out request and access tokens; its authorisation page "redirects" to
  // the callback with `callbackQuery`.
  void serveTokens(int platform, const std::string& callbackQuery,
                   const std::string& accessAnswer = "oauth_token=acctok&oauth_token_secret="
                                                     "accsecret&user_id=7") {
    const PlatformItemInfo& r = row(platform);
    server.setResponse(pathOf(r.requestTokenUrl),
                       Response::text(200, "oauth_token_secret=reqsecret&oauth_token=reqtok"
                                           "&oauth_callback_confirmed=true"));
    server.setResponse(pathOf(r.authorizeUrl),
                       Response::text(200, OpenPlatformConfig::current().callbackUrl +
                                               callbackQuery));
    server.setResponse(pathOf(r.accessTokenUrl), Response::text(200, accessAnswer));
  }
  // A client bound from the store, as after a restart.
  std::shared_ptr<OpenPlatform_OAuth1> bound(int platform) {
    PlatformAccountInfo info;
    info.accessToken = "acctok";
    info.secret = "accsecret";
    info.nickName = "me";
    store()->updateAccountInfo(platform, info);
    OpenPlatformFactory::instance().reset();
    return std::dynamic_pointer_cast<OpenPlatform_OAuth1>(client(platform));
  }
  std::string writePicture() {
    std::string path = (home.path() / "pic.jpg").string();
    std::ofstream(path, std::ios::binary) << picture();
    return path;
  }
  static std::string picture() { return std::string(kPicture, sizeof kPicture - 1); }
  static constexpr char kPicture[] = "\xFF\xD8\xFF\xE0\0\r\n--x\r\n\xFF\xD9";
  // The multipart body a client must send: text parts in the given order, then the picture.
  static std::string multipart(const std::string& boundary, const testing::Pairs& fields,
                               const std::string& pictureHeader) {
    std::string body;
    for (const auto& [k, v] : fields) {
      body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + k +
              "\"\r\nContent-Type: text/plain;charset=UTF-8\r\n\r\n" + v + "\r\n";
    }
    return body + "--" + boundary + "\r\n" + pictureHeader + picture() + "\r\n--" + boundary +
           "--\r\n";
  }
  static std::string boundaryOf(const LoopbackServer::Request& r) {
    return r.header("Content-Type").value_or("").substr(30);
  }
};

TEST_F(OAuth1Test, SinaBindsThroughTheSignedTokenExchange) {
  serveTokens(1, "?oauth_token=reqtok&oauth_verifier=verif");
  server.setResponse("/account/verify_credentials.json",
                     Response::text(200, R"({"id":1234,"name":"Nick O'","profile_image_url":"http://i/1.png"})"));
  auto sina = client(1);
  const PlatformItemInfo& r = row(1);
  sina->authLogin();
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(*observer.authorizeUrl,
            r.authorizeUrl + "?oauth_token=reqtok&oauth_callback=" +
                UrlEncode::encode(OpenPlatformConfig::current().callbackUrl));
  ASSERT_TRUE(followAuthorizePage(1));
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events, (std::vector<std::string>{"authorize", "login"}));
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_BindOk 1"});

  std::string base = server.baseUrl();
  auto requestToken = requestTo("/oauth/request_token");
  EXPECT_TRUE(signatureValid(requestToken, base, r.appSecret, ""));
  auto rt = signedPartsOf(requestToken).params;
  EXPECT_EQ(paramOf(rt, "oauth_callback"), OpenPlatformConfig::current().callbackUrl);
  EXPECT_EQ(paramOf(rt, "oauth_consumer_key"), r.appKey);
  EXPECT_EQ(paramOf(rt, "oauth_version"), "1.0");
  EXPECT_EQ(paramOf(rt, "oauth_token"), "<none>");

  auto accessToken = requestTo("/oauth/access_token");
  EXPECT_TRUE(signatureValid(accessToken, base, r.appSecret, "reqsecret"));
  EXPECT_EQ(paramOf(signedPartsOf(accessToken).params, "oauth_token"), "reqtok");
  EXPECT_EQ(paramOf(signedPartsOf(accessToken).params, "oauth_verifier"), "verif");

  auto userInfo = requestTo("/account/verify_credentials.json");
  EXPECT_EQ(userInfo.method, "GET");
  EXPECT_TRUE(signatureValid(userInfo, base, r.appSecret, "accsecret"));

  PlatformAccountInfo expected;
  expected.accessToken = "acctok";
  expected.secret = "accsecret";
  expected.nickName = "Nick O'";
  expected.userUrl = OpenPlatformConfig::current().sinaWeb + "/1234";
  expected.imageUrl = "http://i/1.png";
  EXPECT_EQ(store()->getAccountInfo(1), expected);
  EXPECT_TRUE(store()->getShareEnable(1));
  EXPECT_EQ(sina->status(), 3);
  EXPECT_TRUE(sina->authorized());
}

TEST_F(OAuth1Test, EachMicroblogReadsItsOwnProfileFields) {
  const auto& config = OpenPlatformConfig::current();
  struct Case {
    int platform;
    std::string callbackQuery;
    std::string userInfoPath;
    std::string answer;
    std::string nick, userUrl, imageUrl;
  };
  const Case cases[] = {
      {0, "?oauth_token=reqtok", "/account/verify_credentials.json",
       R"({"name":"Zed","screen_name":"zed1","profile_image_url":"http://i/z"})", "Zed",
       config.zelvaneWeb + "/zed1", "http://i/z"},
      {2, "?oauth_token=reqtok&oauth_verifier=v2", "/api/user/info",
       R"({"ret":0,"data":{"nick":"小Q","Head":"http://i/q"}})", "小Q", config.qqWeb + "/小Q",
       "http://i/q"},
      {3, "?oauth_token=reqtok&oauth_verifier=v3", "/account/verify_credentials.json",
       R"({"id":99,"screen_name":"搜狐","profile_image_url":"http://i/s"})", "搜狐",
       config.sohuWeb + "/u/99", "http://i/s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    server.clearRequests();
    serveTokens(c.platform, c.callbackQuery);
    server.setResponse(c.userInfoPath, Response::text(200, c.answer));
    size_t before = observer.count();
    client(c.platform)->authLogin();
    ASSERT_TRUE(waitForEvents(before + 1));
    ASSERT_TRUE(followAuthorizePage(c.platform));
    ASSERT_TRUE(waitForEvents(before + 2));
    EXPECT_EQ(observer.events.back(), "login");
    auto info = requestTo(c.userInfoPath);
    EXPECT_TRUE(signatureValid(info, server.baseUrl(), row(c.platform).appSecret, "accsecret"));
    auto stored = store()->getAccountInfo(c.platform);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->nickName, c.nick);
    EXPECT_EQ(stored->userUrl, c.userUrl);
    EXPECT_EQ(stored->imageUrl, c.imageUrl);
    // QQ's user-information address keeps its own query in the signature and the URL.
    if (c.platform == 2) {
      EXPECT_EQ(paramOf(testing::splitForm(info.query), "format"), "json");
    }
  }
}

TEST_F(OAuth1Test, DoubanBindsWithoutVerifierAndPostsAnEscapedEntry) {
  serveTokens(4, "?oauth_token=reqtok",
              "oauth_token=acctok&oauth_token_secret=accsecret&douban_user_id=42");
  server.setResponse("/people/42", Response::text(200, R"({"title":{"$t":"豆友"}})"));
  auto douban = client(4);
  douban->authLogin();
  ASSERT_TRUE(waitForEvents(1));
  ASSERT_TRUE(followAuthorizePage(4));
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "login");
  EXPECT_EQ(paramOf(signedPartsOf(requestTo("/service/auth/access_token")).params,
                    "oauth_verifier"),
            "<none>");
  auto userInfo = requestTo("/people/42");
  EXPECT_EQ(userInfo.target, "/people/42?alt=json");
  EXPECT_EQ(userInfo.header("Authorization"), std::nullopt);
  EXPECT_EQ(store()->getAccountInfo(4)->nickName, "豆友");

  server.setResponse("/miniblog/saying", Response::text(201, "{}"));
  douban->PostContent(std::string("<b>Tom & Jerry</b>"));
  ASSERT_TRUE(waitForEvents(3));
  EXPECT_EQ(observer.events.back(), "post");
  auto post = requestTo("/miniblog/saying");
  EXPECT_EQ(post.target, "/miniblog/saying?alt=json");
  EXPECT_EQ(post.header("Content-Type"), "application/atom+xml;charset=utf-8");
  EXPECT_EQ(post.body, "<?xml version='1.0' encoding='UTF-8'?><entry xmlns:ns0=\"http://www.w3.org/"
                       "2005/Atom\" xmlns:db=\"" + OpenPlatformConfig::current().doubanNamespace +
                       "\"><content>&lt;b&gt;Tom &amp; Jerry&lt;/b&gt;</content></entry>");
  std::string auth = post.header("Authorization").value_or("");
  // The signed parameters in the order they were added, the URL's own query last.
  EXPECT_EQ(auth.rfind("OAuth realm=\"\", oauth_consumer_key=\"", 0), 0u) << auth;
  EXPECT_NE(auth.find("\", alt=\"json\", oauth_signature=\""), std::string::npos) << auth;
  EXPECT_TRUE(signatureValid(post, server.baseUrl(), row(4).appSecret, "accsecret"));
}

TEST_F(OAuth1Test, CallbacksAndTokenAnswersThatCannotBeUsed) {
  // Sina needs a verifier.
  serveTokens(1, "?oauth_token=reqtok");
  auto sina = client(1);
  sina->authLogin();
  ASSERT_TRUE(waitForEvents(1));
  ASSERT_TRUE(followAuthorizePage(1));
  EXPECT_EQ(observer.events.back(), "error -3");
  EXPECT_EQ(server.requestCount(), 2u);  // no access-token request

  // An answer without the token fields, and one that only refuses the timestamp, fail the
  // bind as an authorisation failure.
  for (const char* answer : {"oauth_problem=signature_invalid", "oauth_problem=timestamp_refused",
                             ""}) {
    server.setResponse("/oauth/request_token", Response::text(401, answer));
    size_t before = observer.count();
    sina->authLogin();
    ASSERT_TRUE(waitForEvents(before + 1));
    EXPECT_EQ(observer.events.back(), "error -4") << answer;
    EXPECT_EQ(observer.errorDesc, "认证失败");
  }
  EXPECT_TRUE(notifications.seen.empty());
}

TEST_F(OAuth1Test, RefusedTimestampsMoveTheClockOffsetAndRetryOnce) {
  ScopedFakeClock clock(1200 * 1000);
  // Held by the handler itself: a server thread may still run it after this body returns.
  auto calls = std::make_shared<std::atomic<int>>(0);
  auto range = std::make_shared<std::string>("1000-2000");
  server.setHandler([calls, range](const LoopbackServer::Request& r) {
    if (r.path != "/oauth/request_token") return Response::text(404, "");
    int n = ++*calls;
    if (n == 1 || n == 3 || n >= 5) {
      return Response::text(401, "oauth_problem=timestamp_refused&oauth_acceptable_timestamps=" +
                                     (n == 1 ? std::string("1000-2000") : *range));
    }
    return Response::text(200, "oauth_token=reqtok&oauth_token_secret=reqsecret");
  });
  auto sina = std::dynamic_pointer_cast<OpenPlatform_OAuth1>(client(1));
  auto timestamps = [&] {
    std::vector<std::string> out;
    for (const auto& r : server.requests()) {
      out.push_back(paramOf(signedPartsOf(r).params, "oauth_timestamp"));
    }
    return out;
  };
  sina->authLogin();
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(observer.events.back(), "authorize");
  EXPECT_EQ(timestamps(), (std::vector<std::string>{"1200", "1500"}));
  EXPECT_DOUBLE_EQ(sina->oAuth().timestampOffset(), 300);

  // The next correction adds to the offset already in force: the sent 1500 should be 1700.
  *range = "1600-1800";
  sina->authLogin();
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "authorize");
  EXPECT_EQ(timestamps(), (std::vector<std::string>{"1200", "1500", "1500", "1700"}));
  EXPECT_TRUE(signatureValid(server.requests().back(), server.baseUrl(), row(1).appSecret, ""));

  // A platform that keeps refusing gets one retry, then the bind fails.
  sina->authLogin();
  ASSERT_TRUE(waitForEvents(3));
  EXPECT_EQ(observer.events.back(), "error -4");
  EXPECT_EQ(calls->load(), 6);
}

TEST_F(OAuth1Test, SinaPostsSignedFormsAndMultipartPictures) {
  auto sina = bound(1);
  server.setResponse("/statuses/update.xml", Response::text(200, "<status/>"));
  server.setResponse("/statuses/upload.json", Response::text(200, "{}"));
  std::string text = "Hello & 世界 100% \"ok\"";
  sina->PostContent(text);
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(observer.events.back(), "post");
  auto post = requestTo("/statuses/update.xml");
  EXPECT_EQ(post.method, "POST");
  EXPECT_TRUE(signatureValid(post, server.baseUrl(), row(1).appSecret, "accsecret"));
  auto fields = testing::splitForm(post.body);
  std::vector<std::string> keys;
  for (const auto& f : fields) keys.push_back(f.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"oauth_consumer_key", "oauth_nonce", "oauth_signature",
                                            "oauth_signature_method", "oauth_timestamp",
                                            "oauth_token", "oauth_version", "status"}));
  EXPECT_NE(post.body.find("&status=" + rfcEncode(text)), std::string::npos);

  sina->PostContentWithPic(text, writePicture());
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "post");
  auto pic = requestTo("/statuses/upload.json");
  std::string boundary = boundaryOf(pic);
  auto sent = testing::multipartTextFields(pic.body, boundary);
  std::string once = rfcEncode(text);
  EXPECT_EQ(pic.body, multipart(boundary,
                                {{"oauth_consumer_key", row(1).appKey},
                                 {"oauth_nonce", paramOf(sent, "oauth_nonce")},
                                 {"oauth_signature", paramOf(sent, "oauth_signature")},
                                 {"oauth_signature_method", "HMAC-SHA1"},
                                 {"oauth_timestamp", paramOf(sent, "oauth_timestamp")},
                                 {"oauth_token", "acctok"},
                                 {"oauth_version", "1.0"},
                                 {"source", row(1).appKey},
                                 {"status", once}},
                                OpenPlatform_OAuth1::kJpegPartHeader));
  // The form carries the text encoded once; the signature covers it encoded twice.
  EXPECT_TRUE(signatureValid(pic, server.baseUrl(), row(1).appSecret, "accsecret"));
  EXPECT_EQ(pic.header("Content-Length"), std::to_string(pic.body.size()));
  EXPECT_EQ(pic.header("Expect"), "100-continue");

  // Missing arguments, unreadable pictures and a picture of a second name (a hard link planted
  // in the home: the other name may be a file outside it) never reach the platform.
  size_t requests = server.requestCount();
  sina->PostContent(std::nullopt);
  sina->PostContentWithPic(text, std::nullopt);
  sina->PostContentWithPic(text, (home.path() / "missing.jpg").string());
  std::filesystem::create_hard_link(writePicture(), home.path() / "linked.jpg");
  sina->PostContentWithPic(text, (home.path() / "linked.jpg").string());
  EXPECT_EQ(observer.events, (std::vector<std::string>{"post", "post", "error -3", "error -3",
                                                       "error -3", "error -3"}));
  EXPECT_EQ(server.requestCount(), requests);
}

TEST_F(OAuth1Test, SinaAndSohuAnswersMapToResults) {
  struct Case {
    int platform;
    int status;
    std::string body;
    int code;
    std::string desc;
    bool unbinds;
  };
  std::string dup = "<?xml version=\"1.0\"?><hash><request>/x</request><error>40025:Error: "
                    "repeated</error></hash>";
  std::string refused = "<hash><error>40072:Error: token rejected</error></hash>";
  std::string other = "<hash><error>40013:Text too long:more</error></hash>";
  const Case cases[] = {
      {1, 200, "", 0, "", false},
      {1, 201, "", -1, "发表微博错误", false},
      {1, 304, "", -1, "微博服务器没有数据返回", false},
      {1, 400, "not xml", -1, "发表微博错误", false},
      {3, 400, "<other><error>40025:x</error></other>", -1, "分享失败", false},
      {1, 400, dup, -7, "不能重复发表相同微博", false},
      {3, 400, other, -1, "Text too long", false},
      {1, 500, "", -1, "发表微博错误", false},
      {1, 400, refused, -6, "认证失败", true},
      {3, 401, "", -6, "认证失败", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.platform) + " " + std::to_string(c.status) + " " + c.body);
    notifications.seen.clear();
    auto client = bound(c.platform);
    Response answer = Response::text(c.status, c.body, "text/xml");
    if (c.status == 304) answer.body.clear();
    server.setResponse("/statuses/update.xml", answer);
    size_t before = observer.count();
    client->PostContent(std::string("hi"));
    ASSERT_TRUE(waitForEvents(before + 1));
    if (c.code == 0) {
      EXPECT_EQ(observer.events.back(), "post");
    } else {
      EXPECT_EQ(observer.events.back(), "error " + std::to_string(c.code));
      EXPECT_EQ(observer.errorDesc, c.desc);
    }
    EXPECT_EQ(client->status(), c.unbinds ? 0 : 3);
    EXPECT_EQ(store()->getAccountInfo(c.platform).has_value(), !c.unbinds);
    EXPECT_EQ(notifications.seen.size(), c.unbinds ? 1u : 0u);
    if (c.unbinds) {
      EXPECT_EQ(notifications.seen[0], "Notification_Opt_UnbindOk " + std::to_string(c.platform));
      EXPECT_FALSE(client->oAuth().authorized());
      // An unbound client refuses to post without asking the platform.
      size_t requests = server.requestCount();
      client->PostContent(std::string("again"));
      EXPECT_EQ(observer.events.back(), "error -9");
      EXPECT_EQ(observer.errorDesc, "未登录");
      EXPECT_EQ(server.requestCount(), requests);
    }
  }
}

TEST_F(OAuth1Test, QQAnswersAndPosts) {
  struct Case {
    int status;
    std::string body;
    int code;
    std::string desc;
  };
  const Case cases[] = {
      {200, R"({"ret":0,"msg":"ok"})", 0, ""},
      {200, "not json", 0, ""},
      {200, R"({"ret":4,"errcode":13})", -7, "不能重复发表相同微博"},
      {200, R"({"ret":4,"errcode":10})", -8, "微博发表频率过快"},
      {200, R"({"ret":1})", -5, "参数错误"},
      {200, R"({"ret":2})", -8, "频率受限"},
      {200, R"({"ret":4})", -1, "服务器内部错误"},
      {500, "", -5, "微博请求错误"},
      {200, R"({"ret":3})", -6, "认证失败"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    auto qq = bound(2);
    server.setResponse("/api/t/add", Response::text(c.status, c.body, "application/json"));
    size_t before = observer.count();
    qq->PostContent(std::string("你好 qq"));
    ASSERT_TRUE(waitForEvents(before + 1));
    EXPECT_EQ(observer.events.back(), c.code == 0 ? "post" : "error " + std::to_string(c.code));
    if (c.code != 0) {
      EXPECT_EQ(observer.errorDesc, c.desc);
    }
    EXPECT_EQ(qq->status(), c.code == -6 ? 0 : 3);
  }
  server.clearRequests();
  auto qq = bound(2);
  server.setResponse("/api/t/add", Response::text(200, R"({"ret":0})"));
  server.setResponse("/api/t/add_pic", Response::text(200, R"({"ret":0})"));
  size_t before = observer.count();
  qq->PostContent(std::string("a b"));
  ASSERT_TRUE(waitForEvents(before + 1));
  qq->PostContentWithPic(std::string("a b"), writePicture());
  ASSERT_TRUE(waitForEvents(before + 2));
  EXPECT_EQ(observer.events.back(), "post");
  auto post = requestTo("/api/t/add");
  EXPECT_TRUE(signatureValid(post, server.baseUrl(), row(2).appSecret, "accsecret"));
  auto fields = testing::splitForm(post.body);
  EXPECT_EQ(paramOf(fields, "content"), "a b");
  EXPECT_EQ(paramOf(fields, "format"), "json");
  EXPECT_EQ(paramOf(fields, "clientip"), "127.0.0.1");
  auto pic = requestTo("/api/t/add_pic");
  std::string boundary = boundaryOf(pic);
  auto sent = testing::multipartTextFields(pic.body, boundary);
  EXPECT_EQ(pic.body, multipart(boundary,
                                {{"clientip", "127.0.0.1"},
                                 {"content", "a b"},
                                 {"format", "json"},
                                 {"oauth_consumer_key", row(2).appKey},
                                 {"oauth_nonce", paramOf(sent, "oauth_nonce")},
                                 {"oauth_signature", paramOf(sent, "oauth_signature")},
                                 {"oauth_signature_method", "HMAC-SHA1"},
                                 {"oauth_timestamp", paramOf(sent, "oauth_timestamp")},
                                 {"oauth_token", "acctok"},
                                 {"oauth_version", "1.0"}},
                                "Content-Disposition: form-data; name=\"pic\"; filename=\"img.jpg\""
                                "\r\nContent-Type: application/octet-stream; charset=UTF-8\r\n"
                                "Content-Transfer-Encoding: binary\r\n\r\n"));
  EXPECT_TRUE(signatureValid(pic, server.baseUrl(), row(2).appSecret, "accsecret"));
}

TEST_F(OAuth1Test, ZelvanePicturePostUploadsThenPostsTheLink) {
  auto zelvane = bound(0);
  server.setResponse("/statuses/upload.json",
                     Response::text(200, R"({"upload_image_url":"http://img.z/1.jpg"})"));
  server.setResponse("/statuses/update.json", Response::text(200, "{}"));
  zelvane->PostContentWithPic(std::string("see this"), writePicture());
  ASSERT_TRUE(waitForEvents(1));
  ASSERT_TRUE(RunLoop::current()->runUntil([&] { return server.requestCount() == 2; }, 20));
  EXPECT_EQ(observer.events, std::vector<std::string>{"post"});

  auto upload = requestTo("/statuses/upload.json");
  std::string boundary = boundaryOf(upload);
  EXPECT_EQ(upload.body, multipart(boundary, {}, OpenPlatform_OAuth1::kJpegPartHeader));
  std::string auth = upload.header("Authorization").value_or("");
  EXPECT_EQ(auth.rfind("OAuth oauth_consumer_key=\"" + row(0).appKey + "\",oauth_nonce=\"", 0), 0u)
      << auth;
  EXPECT_EQ(auth.find(' ', 6), std::string::npos);
  EXPECT_TRUE(signatureValid(upload, server.baseUrl(), row(0).appSecret, "accsecret"));

  auto post = requestTo("/statuses/update.json");
  EXPECT_EQ(paramOf(testing::splitForm(post.body), "status"), "see this\r\nhttp://img.z/1.jpg");
  EXPECT_TRUE(signatureValid(post, server.baseUrl(), row(0).appSecret, "accsecret"));

  // Without a picture address the text goes alone; a 401 on the post unbinds.
  server.clearRequests();
  server.setResponse("/statuses/upload.json", Response::text(200, "{}"));
  server.setResponse("/statuses/update.json", Response::text(401, ""));
  zelvane->PostContentWithPic(std::string("plain"), writePicture());
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "error -4");
  EXPECT_EQ(paramOf(testing::splitForm(requestTo("/statuses/update.json").body), "status"),
            "plain");
  EXPECT_EQ(zelvane->status(), 0);
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_UnbindOk 0"});
  zelvane->PostContentWithPic(std::string("x"), writePicture());
  EXPECT_EQ(observer.errorDesc, "无效用户");
}

TEST_F(OAuth1Test, ConnectionFailuresCarryTheirOwnCode) {
  OpenPlatformConfig config = OpenPlatformConfig::current();
  config.sohuBase = "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort());
  OpenPlatformConfig::setCurrent(config);
  OpenPlatformFactory::instance().Init();
  auto sohu = bound(3);
  sohu->PostContent(std::string("hi"));
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(observer.errorCode, UrlError::kCannotConnectToHost);
  EXPECT_EQ(observer.errorDesc, "网络返回错误");
  EXPECT_EQ(sohu->status(), 3);

  // A failed token request is an authorisation failure for the screen.
  sohu->clearAuthInfo();
  sohu->authLogin();
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(observer.events.back(), "error -4");
}

}  // namespace
}  // namespace zu
