#include "platform/net/UrlConnection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/DesktopProxy.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "testing/LoopbackProxy.h"
#include "testing/LoopbackServer.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;

// Records every event with the thread it arrived on; optional hooks run inside the callbacks.
struct Recorder : UrlConnectionDelegate {
  std::vector<std::string> events;
  std::shared_ptr<const UrlResponse> response;
  std::string body;
  std::optional<UrlError> error;
  bool finished = false;
  int64_t sentTotal = 0, sentDeltas = 0, sentExpected = 0;
  std::thread::id thread;
  bool wrongThread = false;
  std::function<void(UrlConnection&)> onResponse, onData;
  std::function<void()> onEnd;

  void note(const std::string& e) {
    events.push_back(e);
    if (std::this_thread::get_id() != thread) wrongThread = true;
  }
  void connectionDidReceiveResponse(UrlConnection& c,
                                    const std::shared_ptr<const UrlResponse>& r) override {
    note("response");
    response = r;
    if (onResponse) onResponse(c);
  }
  void connectionDidReceiveData(UrlConnection& c, const uint8_t* data, size_t length) override {
    if (events.empty() || events.back() != "data") note("data");
    body.append(reinterpret_cast<const char*>(data), length);
    if (onData) onData(c);
  }
  void connectionDidSendBodyData(UrlConnection&, int64_t written, int64_t total,
                                 int64_t expected) override {
    if (events.empty() || events.back() != "sent") note("sent");
    sentDeltas += written;
    sentTotal = total;
    sentExpected = expected;
  }
  void connectionDidFinishLoading(UrlConnection&) override {
    note("finish");
    finished = true;
    if (onEnd) onEnd();
  }
  void connectionDidFailWithError(UrlConnection&, const UrlError& e) override {
    note("fail");
    error = e;
    if (onEnd) onEnd();
  }
  bool done() const { return finished || error.has_value(); }
};

class UrlConnectionTest : public ::testing::Test {
 protected:
  std::shared_ptr<UrlConnection> start(UrlRequest request, Recorder& rec) {
    rec.thread = std::this_thread::get_id();
    return UrlConnection::start(std::move(request), &rec);
  }
  bool turn(const std::function<bool()>& pred, double seconds = 10) {
    return RunLoop::current()->runUntil(pred, seconds);
  }
  LoopbackServer server;
};

TEST_F(UrlConnectionTest, DeliversInOrderOnTheStartingLoopNeverInsideStart) {
  Response r = Response::text(200, std::string(100000, 'x'), "Text/HTML; charset=utf-8");
  r.headers.push_back({"X-Error", "7"});
  r.headers.push_back({"Set-Cookie", "a=1"});
  r.headers.push_back({"Set-Cookie", "b=2"});
  server.setResponse("/page", r);
  Recorder rec;
  auto c = start(UrlRequest(server.url("/page?q=1")), rec);
  EXPECT_TRUE(rec.events.empty());  // nothing is delivered from within start()
  EXPECT_TRUE(c->isRunning());
  ASSERT_TRUE(turn([&] { return rec.done(); }));
  EXPECT_EQ(rec.events, (std::vector<std::string>{"response", "data", "finish"}));
  EXPECT_FALSE(rec.wrongThread);
  EXPECT_FALSE(c->isRunning());
  EXPECT_EQ(rec.response->statusCode, 200);
  EXPECT_EQ(rec.response->mimeType, "text/html");
  EXPECT_EQ(rec.response->expectedContentLength, 100000);
  EXPECT_EQ(rec.response->field("x-error"), "7");
  EXPECT_EQ(rec.response->field("SET-COOKIE"), "a=1, b=2");
  EXPECT_EQ(rec.response->url, server.url("/page?q=1"));
  EXPECT_EQ(rec.body.size(), 100000u);
}

TEST_F(UrlConnectionTest, RequestBytesOnTheWire) {
  server.setResponse("/post", Response::text(201, "ok"));
  server.setResponse("/del", Response::text(204, ""));
  UrlRequest post(server.url("/post"));
  post.setMethod("POST");
  post.setBody(std::vector<uint8_t>(3000, 'b'));
  post.setValue("Content-Type", "application/atom+xml");
  post.setValue("X-Empty", "");
  post.setValue("X-Evil", "a\r\nInjected: yes");
  post.setValue("x-evil", "replaced\r\nInjected: yes");
  Recorder rec;
  auto c = start(post, rec);
  UrlRequest del(server.url("/del"));
  del.setMethod("DELETE");
  Recorder rec2;
  auto c2 = start(del, rec2);
  ASSERT_TRUE(turn([&] { return rec.done() && rec2.done(); }));
  ASSERT_TRUE(rec.finished);
  ASSERT_TRUE(rec2.finished);
  auto reqs = server.requests();
  ASSERT_EQ(reqs.size(), 2u);
  const auto& p = reqs[0].method == "POST" ? reqs[0] : reqs[1];
  const auto& d = reqs[0].method == "POST" ? reqs[1] : reqs[0];
  EXPECT_EQ(p.body, std::string(3000, 'b'));
  EXPECT_EQ(p.header("Content-Type"), "application/atom+xml");
  EXPECT_EQ(p.header("X-Empty"), "");
  EXPECT_EQ(p.header("X-Evil"), "replacedInjected: yes");
  EXPECT_FALSE(p.header("Injected"));
  EXPECT_FALSE(p.header("Expect"));
  EXPECT_FALSE(p.header("Cookie"));
  EXPECT_TRUE(p.header("Accept-Encoding"));  // transparent decoding offered
  EXPECT_EQ(d.method, "DELETE");
  EXPECT_EQ(d.body, "");
  EXPECT_FALSE(d.header("Content-Type"));
  // Upload progress adds up to the body.
  EXPECT_EQ(rec.sentDeltas, 3000);
  EXPECT_EQ(rec.sentTotal, 3000);
  EXPECT_EQ(rec.sentExpected, 3000);
  EXPECT_EQ(rec.events.front(), "sent");
  EXPECT_EQ(rec2.response->statusCode, 204);
}

TEST_F(UrlConnectionTest, ATransferCarriesNothingOverFromTheOneBeforeIt) {
  // One after another on one loop, so each reuses the previous transfer's libcurl handle.
  server.setHandler([](const LoopbackServer::Request& r) {
    return Response::text(200, r.method == "HEAD" ? "" : r.method + " " + r.body);
  });
  auto run = [&](const std::string& method, std::optional<std::string> body,
                 UrlRequest::Headers headers = {}) {
    UrlRequest req(server.url("/r"));
    req.setMethod(method);
    if (body) req.setBody(std::vector<uint8_t>(body->begin(), body->end()));
    req.setHeaders(std::move(headers));
    Recorder rec;
    auto c = start(req, rec);
    EXPECT_TRUE(turn([&] { return rec.done(); }));
    EXPECT_TRUE(rec.finished) << method;
    return rec.body;
  };
  EXPECT_EQ(run("POST", "first body", {{"Content-Type", "text/xml"}, {"Accept-Encoding", ""}}),
            "POST first body");
  EXPECT_EQ(run("GET", std::nullopt), "GET ");
  EXPECT_EQ(run("DELETE", std::nullopt), "DELETE ");
  EXPECT_EQ(run("HEAD", std::nullopt), "");
  EXPECT_EQ(run("PUT", "second"), "PUT second");
  EXPECT_EQ(run("GET", std::nullopt, {{"Range", "bytes=0-"}}), "GET ");
  EXPECT_EQ(run("GET", std::nullopt), "GET ");
  // A field of one plain GET is not sent with the next.
  EXPECT_EQ(run("GET", std::nullopt, {{"X-Once", "1"}}), "GET ");
  EXPECT_EQ(run("GET", std::nullopt), "GET ");
  auto reqs = server.requests();
  ASSERT_EQ(reqs.size(), 9u);
  EXPECT_EQ(reqs[7].header("X-Once"), "1");
  EXPECT_FALSE(reqs[8].header("X-Once"));
  EXPECT_EQ(reqs[0].header("Content-Type"), "text/xml");
  EXPECT_EQ(reqs[0].header("Accept-Encoding"), "");
  for (size_t i : {1u, 2u, 3u, 5u, 6u}) {
    EXPECT_EQ(reqs[i].body, "") << i;
    EXPECT_FALSE(reqs[i].header("Content-Type")) << i;
    EXPECT_FALSE(reqs[i].header("Content-Length")) << i;
  }
  EXPECT_EQ(reqs[1].header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(reqs[3].method, "HEAD");
  EXPECT_EQ(reqs[4].method, "PUT");
  EXPECT_FALSE(reqs[5].header("Accept-Encoding"));
  EXPECT_EQ(reqs[5].header("Range"), "bytes=0-");
  EXPECT_FALSE(reqs[6].header("Range"));
  EXPECT_EQ(reqs[6].header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(UrlConnectionTest, RedirectsAreFollowedAndOnlyTheFinalResponseIsSeen) {
  Response redirect = Response::text(302, "moved body");
  redirect.headers.push_back({"Location", "/final"});
  server.setResponse("/start", redirect);
  server.setResponse("/final", Response::text(200, "here"));
  Recorder rec;
  auto c = start(UrlRequest(server.url("/start")), rec);
  ASSERT_TRUE(turn([&] { return rec.done(); }));
  ASSERT_TRUE(rec.finished);
  EXPECT_EQ(rec.response->statusCode, 200);
  EXPECT_EQ(rec.response->url, server.url("/final"));
  EXPECT_EQ(rec.body, "here");
  EXPECT_FALSE(rec.response->field("Location"));
  // The next transfer on the same handle goes where it is sent, not where the redirect went.
  server.setResponse("/other", Response::text(200, "other"));
  Recorder next;
  auto c2 = start(UrlRequest(server.url("/other")), next);
  ASSERT_TRUE(turn([&] { return next.done(); }));
  EXPECT_EQ(next.body, "other");
  Recorder again;
  auto c3 = start(UrlRequest(server.url("/start")), again);
  ASSERT_TRUE(turn([&] { return again.done(); }));
  EXPECT_EQ(again.body, "here");
  EXPECT_EQ(again.response->url, server.url("/final"));
}

TEST_F(UrlConnectionTest, GzipIsDecodedUnlessTheRequestNegotiatesOrAsksForARange) {
  std::string text(5000, 'z');
  Response gz = Response::text(200, text);
  gz.gzip = true;
  server.setResponse("/gz", gz);

  Recorder plain;
  auto c1 = start(UrlRequest(server.url("/gz")), plain);
  ASSERT_TRUE(turn([&] { return plain.done(); }));
  EXPECT_EQ(plain.body, text);
  EXPECT_EQ(plain.response->field("Content-Encoding"), "gzip");

  UrlRequest own(server.url("/gz"));
  own.setValue("Accept-Encoding", "");
  Recorder raw;
  auto c2 = start(own, raw);
  ASSERT_TRUE(turn([&] { return raw.done(); }));
  EXPECT_EQ(raw.body, LoopbackServer::gzipCompress(text));

  UrlRequest ranged(server.url("/gz"));
  ranged.setValue("Range", "bytes=10-");
  Recorder rangedRec;
  auto c3 = start(ranged, rangedRec);
  ASSERT_TRUE(turn([&] { return rangedRec.done(); }));
  EXPECT_EQ(rangedRec.body, LoopbackServer::gzipCompress(text));

  auto reqs = server.requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[1].header("Accept-Encoding"), "");
  EXPECT_FALSE(reqs[2].header("Accept-Encoding"));
  EXPECT_EQ(reqs[2].header("Range"), "bytes=10-");
}

TEST_F(UrlConnectionTest, CancelFromAnyCallbackStopsEveryLaterCallback) {
  Response big = Response::text(200, std::string(300000, 'q'));
  big.chunked = true;
  big.chunkSize = 1000;
  big.delayBetweenChunks = std::chrono::milliseconds(1);
  server.setResponse("/big", big);
  server.setResponse("/small", Response::text(200, "s"));

  Recorder atResponse;
  atResponse.onResponse = [](UrlConnection& c) { c.cancel(); };
  Recorder atData;
  atData.onData = [](UrlConnection& c) { c.cancel(); };
  Recorder immediately;
  Recorder control;
  auto c1 = start(UrlRequest(server.url("/big")), atResponse);
  auto c2 = start(UrlRequest(server.url("/big")), atData);
  auto c3 = start(UrlRequest(server.url("/small")), immediately);
  c3->cancel();
  auto c4 = start(UrlRequest(server.url("/big")), control);
  ASSERT_TRUE(turn([&] { return control.done(); }));
  // Give the cancelled ones every chance to misbehave.
  server.setResponse("/marker", Response::text(200, "m"));
  Recorder marker;
  auto c5 = start(UrlRequest(server.url("/marker")), marker);
  ASSERT_TRUE(turn([&] { return marker.done(); }));
  EXPECT_EQ(atResponse.events, (std::vector<std::string>{"response"}));
  EXPECT_EQ(atData.events, (std::vector<std::string>{"response", "data"}));
  EXPECT_TRUE(immediately.events.empty());
  EXPECT_TRUE(control.finished);
  EXPECT_EQ(control.body.size(), 300000u);
  EXPECT_FALSE(c1->isRunning());
  EXPECT_FALSE(c2->isRunning());
  c1->cancel();  // idempotent
}

TEST_F(UrlConnectionTest, ConnectionsOnOneLoopReuseTheirSocket) {
  server.setResponse("/r", Response::text(200, "r"));
  for (int i = 0; i < 3; ++i) {
    Recorder rec;
    auto c = start(UrlRequest(server.url("/r")), rec);
    ASSERT_TRUE(turn([&] { return rec.done(); }));
    ASSERT_TRUE(rec.finished);
  }
  EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(UrlConnectionTest, FailuresCarryPlatformCodes) {
  Recorder refused;
  auto c1 = start(UrlRequest("http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/x"), refused);
  Response shortBody = Response::text(200, "12345");
  shortBody.contentLength = 50;
  server.setResponse("/short", shortBody);
  Recorder lost;
  auto c2 = start(UrlRequest(server.url("/short")), lost);
  Response dropped;
  dropped.dropWithoutAnswer = true;
  server.setResponse("/drop", dropped);
  Recorder nothing;
  auto c3 = start(UrlRequest(server.url("/drop")), nothing);
  Recorder badScheme;
  auto c4 = start(UrlRequest("ftp://127.0.0.1/file"), badScheme);
  Recorder malformed;
  auto c5 = start(UrlRequest("http://exa mple.com:99999999/"), malformed);
  // Without a scheme libcurl would guess http and take "127.0.0.1:<port>" for the host.
  Recorder noScheme;
  auto c6 = start(UrlRequest("127.0.0.1:" + std::to_string(server.port()) + "/ok"), noScheme);
  ASSERT_TRUE(turn([&] {
    return refused.done() && lost.done() && nothing.done() && badScheme.done() &&
           malformed.done() && noScheme.done();
  }));
  ASSERT_TRUE(noScheme.error);
  EXPECT_EQ(noScheme.error->code, UrlError::kUnsupportedUrl);
  EXPECT_EQ(noScheme.events, (std::vector<std::string>{"fail"}));
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, UrlError::kCannotConnectToHost);
  ASSERT_TRUE(lost.error);
  EXPECT_EQ(lost.error->code, UrlError::kNetworkConnectionLost);
  EXPECT_EQ(lost.events, (std::vector<std::string>{"response", "data", "fail"}));
  ASSERT_TRUE(nothing.error);
  EXPECT_EQ(nothing.error->code, UrlError::kNetworkConnectionLost);
  ASSERT_TRUE(badScheme.error);
  EXPECT_EQ(badScheme.error->code, UrlError::kUnsupportedUrl);
  ASSERT_TRUE(malformed.error);
  EXPECT_EQ(malformed.error->code, UrlError::kBadUrl);
}

// The limit counts the body as delivered (decoded), not the bytes on the wire.
TEST_F(UrlConnectionTest, ABodyPastTheRequestsLimitFailsOneAtTheLimitArrives) {
  Response packed = Response::text(200, std::string(300000, 'z'));
  packed.gzip = true;
  server.setResponse("/packed", packed);
  UrlRequest over(server.url("/packed"));
  over.setMaxBodyLength(299999);
  UrlRequest at(server.url("/packed"));
  at.setMaxBodyLength(300000);
  Recorder tooLong, whole;
  auto c1 = start(over, tooLong);
  auto c2 = start(at, whole);
  ASSERT_TRUE(turn([&] { return tooLong.done() && whole.done(); }));
  ASSERT_TRUE(tooLong.error);
  EXPECT_EQ(tooLong.error->code, UrlError::kDataLengthExceedsMaximum);
  EXPECT_LE(tooLong.body.size(), 299999u);
  ASSERT_TRUE(whole.finished);
  EXPECT_EQ(whole.body.size(), 300000u);

  UrlConnection::SyncResult sync = UrlConnection::sendSync(over);
  ASSERT_TRUE(sync.error);
  EXPECT_EQ(sync.error->code, UrlError::kDataLengthExceedsMaximum);
}

TEST_F(UrlConnectionTest, TimeOutIsIdleTimeNotTransferTime) {
  Response silent = Response::text(200, "late");
  silent.delayBeforeHeaders = std::chrono::milliseconds(5000);
  server.setResponse("/silent", silent);
  // 40 one-byte chunks 50 ms apart: the body takes at least 1.95 s (the server sleeps between
  // them, and a busy machine only makes that longer), more than the 1.5 s time-out, while the
  // gap between two bytes stays far below it even when a loaded machine stalls a thread for
  // a while.
  Response trickle = Response::text(200, std::string(40, 't'));
  trickle.chunked = true;
  trickle.chunkSize = 1;
  trickle.delayBetweenChunks = std::chrono::milliseconds(50);
  server.setResponse("/trickle", trickle);

  UrlRequest a(server.url("/silent"));
  a.setTimeoutInterval(0.3);
  Recorder timedOut;
  auto c1 = start(a, timedOut);
  UrlRequest b(server.url("/trickle"));
  b.setTimeoutInterval(1.5);
  Recorder slow;
  auto c2 = start(b, slow);
  ASSERT_TRUE(turn([&] { return timedOut.done() && slow.done(); }, 20));
  ASSERT_TRUE(timedOut.error);
  EXPECT_EQ(timedOut.error->code, UrlError::kTimedOut);
  EXPECT_TRUE(slow.finished) << (slow.error ? slow.error->code : 0) << " after "
                             << slow.body.size() << " bytes";
  EXPECT_EQ(slow.body, std::string(40, 't'));

  // The process default applies to requests that set none.
  UrlConnection::setDefaultTimeoutIntervalForTesting(0.3);
  Recorder byDefault;
  auto c3 = start(UrlRequest(server.url("/silent")), byDefault);
  bool ended = turn([&] { return byDefault.done(); }, 20);
  UrlConnection::setDefaultTimeoutIntervalForTesting(0);
  ASSERT_TRUE(ended);
  ASSERT_TRUE(byDefault.error);
  EXPECT_EQ(byDefault.error->code, UrlError::kTimedOut);
  EXPECT_EQ(UrlConnection::defaultTimeoutInterval(), 60);
}

TEST_F(UrlConnectionTest, ChunkedBodyArrivesWhole) {
  Response chunked = Response::text(200, std::string(70000, 'c'));
  chunked.chunked = true;
  chunked.chunkSize = 4096;
  server.setResponse("/c", chunked);
  Recorder rec;
  auto c = start(UrlRequest(server.url("/c")), rec);
  ASSERT_TRUE(turn([&] { return rec.done(); }));
  ASSERT_TRUE(rec.finished);
  EXPECT_EQ(rec.body, std::string(70000, 'c'));
  EXPECT_EQ(rec.response->expectedContentLength, -1);
}

TEST_F(UrlConnectionTest, ConnectionsStartedOnAnotherThreadDeliverThere) {
  server.setResponse("/t", Response::text(200, "thread"));
  auto worker = Thread::start("net-test");
  Recorder rec;
  std::shared_ptr<UrlConnection> c;
  bool done = false;
  auto testLoop = RunLoop::current();
  rec.onEnd = [&] { testLoop->post([&] { done = true; }); };
  worker->runLoop()->post([&] {
    rec.thread = std::this_thread::get_id();
    c = UrlConnection::start(UrlRequest(server.url("/t")), &rec);
  });
  ASSERT_TRUE(turn([&] { return done; }));
  EXPECT_TRUE(rec.finished);
  EXPECT_FALSE(rec.wrongThread);
  EXPECT_EQ(rec.body, "thread");
  worker->runLoop()->postAndWait([&] { c.reset(); });
  worker->stopAndJoin();
}

TEST_F(UrlConnectionTest, SendSyncBlocksForTheWholeExchange) {
  Response gz = Response::text(200, "attachment bytes", "image/png");
  gz.gzip = true;
  server.setResponse("/att", gz);
  auto ok = UrlConnection::sendSync(UrlRequest(server.url("/att")));
  EXPECT_FALSE(ok.error);
  ASSERT_TRUE(ok.response);
  EXPECT_EQ(ok.response->statusCode, 200);
  EXPECT_EQ(ok.response->mimeType, "image/png");
  EXPECT_EQ(std::string(ok.data.begin(), ok.data.end()), "attachment bytes");

  auto refused =
      UrlConnection::sendSync(UrlRequest("http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort())));
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, UrlError::kCannotConnectToHost);

  Response silent = Response::text(200, "late");
  silent.delayBeforeHeaders = std::chrono::milliseconds(5000);
  server.setResponse("/silent", silent);
  UrlRequest slow(server.url("/silent"));
  slow.setTimeoutInterval(0.3);
  auto timedOut = UrlConnection::sendSync(slow);
  ASSERT_TRUE(timedOut.error);
  EXPECT_EQ(timedOut.error->code, UrlError::kTimedOut);
}

TEST_F(UrlConnectionTest, WorksAndTimesOutInRealTimeUnderAFakeClock) {
  ScopedFakeClock clock;
  server.setResponse("/ok", Response::text(200, "fine"));
  Response silent = Response::text(200, "late");
  silent.delayBeforeHeaders = std::chrono::milliseconds(5000);
  server.setResponse("/silent", silent);
  Recorder ok;
  auto c1 = start(UrlRequest(server.url("/ok")), ok);
  UrlRequest slow(server.url("/silent"));
  slow.setTimeoutInterval(0.3);
  Recorder timedOut;
  auto c2 = start(slow, timedOut);
  ASSERT_TRUE(turn([&] { return ok.done() && timedOut.done(); }, 4));
  EXPECT_TRUE(ok.finished);
  EXPECT_EQ(ok.body, "fine");
  ASSERT_TRUE(timedOut.error);
  EXPECT_EQ(timedOut.error->code, UrlError::kTimedOut);
}

// The desktop's proxy is the only way to the servers of names it alone knows: plain requests
// and TLS tunnels go through it, the hosts it lists as direct are reached directly (at a redirect
// too), and a desktop without a proxy is reached directly whatever libcurl would read from the
// environment.
TEST_F(UrlConnectionTest, TransfersGoThroughTheDesktopsProxyAndDirectlyOnlyWhereItSays) {
  LoopbackServer tls(LoopbackServer::Scheme::kHttps);
  LoopbackProxy proxy({"feeds.zu-test.invalid", LoopbackServer::kProxiedTlsName});
  UrlConnection::setTrustedCertificateForTesting(LoopbackServer::testCertificatePem());
  struct Restore {
    ~Restore() {
      DesktopProxy::setCurrent({});
      UrlConnection::setTrustedCertificateForTesting(std::nullopt);
      ::unsetenv("http_proxy");
    }
  } restore;
  server.setResponse("/feed", Response::text(200, "through the proxy"));
  server.setResponse("/direct", Response::text(200, "direct"));
  Response hop = Response::text(302, "");
  hop.headers.push_back({"Location", server.url("/direct")});
  server.setResponse("/hop", hop);
  tls.setResponse("/secure", Response::text(200, "tunnelled"));
  DesktopProxy::setCurrent(ProxySettings::fromVariables(
      {{"http_proxy", proxy.address()}, {"https_proxy", proxy.address()}, {"no_proxy", "127.0.0.1"}}));

  const std::string feeds = "http://feeds.zu-test.invalid:" + std::to_string(server.port());
  Recorder feed, secure, direct, redirected, elsewhere;
  auto c1 = start(UrlRequest(feeds + "/feed"), feed);
  auto c2 = start(UrlRequest("https://" + std::string(LoopbackServer::kProxiedTlsName) + ":" +
                             std::to_string(tls.port()) + "/secure"),
                  secure);
  auto c3 = start(UrlRequest(server.url("/direct")), direct);
  auto c4 = start(UrlRequest(feeds + "/hop"), redirected);
  // A host the proxy does not reach: its answer is the proxy's.
  auto c5 = start(UrlRequest("http://elsewhere.zu-test.invalid/"), elsewhere);
  ASSERT_TRUE(turn([&] { return feed.done() && secure.done() && direct.done() && redirected.done() && elsewhere.done(); }));
  EXPECT_EQ(feed.body, "through the proxy");
  EXPECT_EQ(secure.body, "tunnelled");
  EXPECT_EQ(direct.body, "direct");
  EXPECT_EQ(redirected.body, "direct");
  ASSERT_TRUE(elsewhere.response);
  EXPECT_EQ(elsewhere.response->statusCode, 502);
  std::multiset<std::string> asked;
  for (const auto& r : proxy.requests()) asked.insert(r.method + " " + r.target);
  EXPECT_EQ(asked, (std::multiset<std::string>{"GET " + feeds + "/feed", "GET " + feeds + "/hop",
                                               "GET http://elsewhere.zu-test.invalid/",
                                               "CONNECT " + std::string(LoopbackServer::kProxiedTlsName) + ":" +
                                                   std::to_string(tls.port())}));

  // No proxy: libcurl is not left to find one in the environment.
  DesktopProxy::setCurrent({});
  ::setenv("http_proxy", proxy.address().c_str(), 1);
  Recorder alone, unknown;
  auto c6 = start(UrlRequest(server.url("/direct")), alone);
  auto c7 = start(UrlRequest(feeds + "/feed"), unknown);
  ASSERT_TRUE(turn([&] { return alone.done() && unknown.done(); }));
  EXPECT_EQ(alone.body, "direct");
  ASSERT_TRUE(unknown.error);
  EXPECT_EQ(unknown.error->code, UrlError::kCannotFindHost);
  EXPECT_EQ(proxy.requests().size(), 4u);
}

TEST(UrlRequestTest, HeadersAndHosts) {
  UrlRequest r("http://h/");
  r.setValue("Cookie", "a");
  r.setValue("X", "1");
  r.setHeaders({{"cookie", "a"}, {"X", "1"}, {"COOKIE", "b"}});
  r.setValue("Cookie", "c");
  EXPECT_EQ(r.headers(), (UrlRequest::Headers{{"cookie", "c"}, {"X", "1"}}));
  r.removeValue("x");
  EXPECT_FALSE(r.value("X"));
  EXPECT_EQ(UrlRequest::hostOfUrl("http://Example.com:8080/a?b"), "Example.com");
  EXPECT_EQ(UrlRequest::hostOfUrl("https://[::1]:9/"), "::1");
  EXPECT_FALSE(UrlRequest::hostOfUrl("not a url"));
  EXPECT_FALSE(UrlRequest::hostOfUrl(""));
  EXPECT_FALSE(UrlRequest::isValidUrl("/relative/path"));
  EXPECT_TRUE(UrlRequest::isSecureUrl("HTTPS://example.com/"));
  EXPECT_FALSE(UrlRequest::isSecureUrl("http://example.com/https://"));
  EXPECT_FALSE(UrlRequest::isSecureUrl("https:"));
  // One endpoint however it is written; a longer path, another host or port is another one.
  EXPECT_EQ(UrlRequest::endpointOfUrl("HTTP://Zu.Example.com/oauth/cb?x=1#access_token=t"),
            "http://zu.example.com:80/oauth/cb");
  EXPECT_EQ(UrlRequest::endpointOfUrl("http://u:p@zu.example.com:80/a/../oauth/cb"),
            "http://zu.example.com:80/oauth/cb");
  EXPECT_EQ(UrlRequest::endpointOfUrl("https://h"), "https://h:443/");
  EXPECT_NE(UrlRequest::endpointOfUrl("http://zu.example.com/oauth/cbx"), UrlRequest::endpointOfUrl("http://zu.example.com/oauth/cb"));
  EXPECT_NE(UrlRequest::endpointOfUrl("http://zu.example.com.evil.test/oauth/cb"), UrlRequest::endpointOfUrl("http://zu.example.com/oauth/cb"));
  EXPECT_NE(UrlRequest::endpointOfUrl("http://zu.example.com:81/oauth/cb"), UrlRequest::endpointOfUrl("http://zu.example.com/oauth/cb"));
  EXPECT_FALSE(UrlRequest::endpointOfUrl("/oauth/cb"));

  // A cleared request is a fresh one: nothing of a POST carries over into the next exchange.
  r.setMethod("POST");
  r.setBody(std::vector<uint8_t>{1, 2, 3});
  r.setTimeoutInterval(5);
  r.setMaxBodyLength(10);
  r.clear();
  EXPECT_EQ(r.url(), "");
  EXPECT_EQ(r.method(), "GET");
  EXPECT_TRUE(r.headers().empty());
  EXPECT_FALSE(r.body());
  EXPECT_FALSE(r.timeoutInterval());
  EXPECT_FALSE(r.maxBodyLength());
}

// The host of the last URL asked is kept per thread: asking in turns for different URLs, some
// without a host, on two threads at once, always gives each URL's own answer.
TEST(UrlRequestTest, HostsOfAlternatingUrlsOnTwoThreads) {
  auto askInTurns = [](const std::string& mine, const std::string& myHost) {
    int wrong = 0;
    for (int i = 0; i < 2000; ++i) {
      wrong += UrlRequest::hostOfUrl(mine) != myHost;
      wrong += UrlRequest::hostOfUrl("http://[fe80::1]/x") != "fe80::1";
      wrong += UrlRequest::hostOfUrl("no host here").has_value();
      wrong += UrlRequest::hostOfUrl(mine + "?again") != myHost;
    }
    return wrong;
  };
  auto other = std::async(std::launch::async, askInTurns, "https://b.example/feed", "b.example");
  EXPECT_EQ(askInTurns("http://a.example:81/feed", "a.example"), 0);
  EXPECT_EQ(other.get(), 0);
}

}  // namespace
}  // namespace zu
