#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "testing/LoopbackServer.h"

namespace zu {
namespace {

using namespace std::chrono_literals;

struct CurlResult {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
  std::string headers;
};

size_t appendTo(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

class Curl {
 public:
  Curl() : handle_(curl_easy_init()) {}
  ~Curl() {
    curl_slist_free_all(headers_);
    curl_easy_cleanup(handle_);
  }
  CURL* get() { return handle_; }
  void addHeader(const char* header) { headers_ = curl_slist_append(headers_, header); }

  CurlResult perform(const std::string& url) {
    CurlResult result;
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, appendTo);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, &result.headers);
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(handle_, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    result.code = curl_easy_perform(handle_);
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &result.status);
    return result;
  }

 private:
  CURL* handle_;
  curl_slist* headers_ = nullptr;
};

int connectTo(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string readAll(int fd) {
  std::string out;
  char buf[4096];
  for (;;) {
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return out;
    out.append(buf, static_cast<size_t>(n));
  }
}

TEST(LoopbackServerTest, AnswersPerPathAndRecordsRequests) {
  LoopbackServer server;
  auto feed = LoopbackServer::Response::text(201, "<feed/>", "application/atom+xml");
  feed.headers.emplace_back("X-Vesk-Code", "7");
  server.setResponse("/feed", feed);

  Curl post;
  post.addHeader("Cookie: a=b");
  curl_easy_setopt(post.get(), CURLOPT_POSTFIELDS, "x=1&y='2'");
  CurlResult r = post.perform(server.url("/feed?page=2&n=3"));
  ASSERT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.status, 201);
  EXPECT_EQ(r.body, "<feed/>");
  EXPECT_NE(r.headers.find("X-Vesk-Code: 7\r\n"), std::string::npos);
  EXPECT_NE(r.headers.find("Content-Type: application/atom+xml\r\n"), std::string::npos);

  Curl get;
  CurlResult missing = get.perform(server.url("/other"));
  EXPECT_EQ(missing.code, CURLE_OK);
  EXPECT_EQ(missing.status, 404);

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/feed?page=2&n=3");
  EXPECT_EQ(requests[0].path, "/feed");
  EXPECT_EQ(requests[0].query, "page=2&n=3");
  EXPECT_EQ(requests[0].body, "x=1&y='2'");
  EXPECT_EQ(requests[0].header("cookie"), "a=b");
  EXPECT_EQ(requests[0].header("Host"), "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(requests[0].header("X-Absent"), std::nullopt);
  EXPECT_EQ(requests[1].method, "GET");
  EXPECT_EQ(requests[1].body, "");
}

TEST(LoopbackServerTest, KeepsConnectionsAliveUnlessToldToClose) {
  LoopbackServer server;
  server.setResponse("/a", LoopbackServer::Response::text(200, "a"));
  auto closing = LoopbackServer::Response::text(200, "b");
  closing.closeConnection = true;
  server.setResponse("/b", closing);

  Curl curl;
  EXPECT_EQ(curl.perform(server.url("/a")).body, "a");
  EXPECT_EQ(curl.perform(server.url("/a")).body, "a");
  EXPECT_EQ(curl.perform(server.url("/b")).body, "b");
  EXPECT_EQ(curl.perform(server.url("/a")).body, "a");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].connection, 1);
  EXPECT_EQ(requests[1].connection, 1);
  EXPECT_EQ(requests[2].connection, 1);
  EXPECT_EQ(requests[3].connection, 2);  // "/b" closed the first one
  EXPECT_EQ(server.connectionCount(), 2);
}

TEST(LoopbackServerTest, ChunkedAndGzipBodiesDecodeToTheOriginal) {
  LoopbackServer server;
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + "\n";

  auto chunked = LoopbackServer::Response::text(200, text);
  chunked.chunked = true;
  chunked.chunkSize = 1000;
  chunked.delayBetweenChunks = 1ms;
  chunked.delayBeforeHeaders = 1ms;
  server.setResponse("/chunked", chunked);

  auto gzipped = LoopbackServer::Response::text(200, text);
  gzipped.gzip = true;
  server.setResponse("/gzip", gzipped);
  auto both = gzipped;
  both.chunked = true;
  both.chunkSize = 100;
  server.setResponse("/both", both);

  Curl curl;
  CurlResult r = curl.perform(server.url("/chunked"));
  ASSERT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.body, text);
  EXPECT_NE(r.headers.find("Transfer-Encoding: chunked"), std::string::npos);

  // Without decoding, the bytes are exactly the gzip stream.
  r = curl.perform(server.url("/gzip"));
  ASSERT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.body, LoopbackServer::gzipCompress(text));
  EXPECT_LT(r.body.size(), text.size());
  EXPECT_NE(r.headers.find("Content-Encoding: gzip"), std::string::npos);

  curl_easy_setopt(curl.get(), CURLOPT_ACCEPT_ENCODING, "");
  EXPECT_EQ(curl.perform(server.url("/gzip")).body, text);
  r = curl.perform(server.url("/both"));
  EXPECT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.body, text);
}

TEST(LoopbackServerTest, BrokenAnswersReachTheClientAsErrors) {
  LoopbackServer server;
  std::string body(10000, 'z');

  LoopbackServer::Response nothing;
  nothing.dropWithoutAnswer = true;
  server.setResponse("/nothing", nothing);

  auto cut = LoopbackServer::Response::text(200, body);
  cut.dropAfterBodyBytes = 4000;
  server.setResponse("/cut", cut);

  auto cutChunked = cut;
  cutChunked.chunked = true;
  cutChunked.chunkSize = 3000;
  server.setResponse("/cut-chunked", cutChunked);

  auto longer = LoopbackServer::Response::text(200, body);
  longer.contentLength = body.size() + 10;
  server.setResponse("/longer", longer);

  auto shorter = LoopbackServer::Response::text(200, body);
  shorter.contentLength = 10;
  server.setResponse("/shorter", shorter);

  auto unframed = LoopbackServer::Response::text(200, body);
  unframed.noContentLength = true;
  server.setResponse("/unframed", unframed);

  Curl curl;
  EXPECT_EQ(curl.perform(server.url("/nothing")).code, CURLE_GOT_NOTHING);

  CurlResult r = curl.perform(server.url("/cut"));
  EXPECT_EQ(r.code, CURLE_PARTIAL_FILE);
  EXPECT_EQ(r.body, body.substr(0, 4000));

  r = curl.perform(server.url("/cut-chunked"));
  EXPECT_NE(r.code, CURLE_OK);
  EXPECT_EQ(r.body, body.substr(0, 4000));

  r = curl.perform(server.url("/longer"));
  EXPECT_EQ(r.code, CURLE_PARTIAL_FILE);
  EXPECT_EQ(r.body, body);

  r = curl.perform(server.url("/shorter"));
  EXPECT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.body, body.substr(0, 10));

  r = curl.perform(server.url("/unframed"));
  EXPECT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.body, body);

  // After each broken answer the connection was closed; nothing leaked into the next answer.
  server.setResponse("/ok", LoopbackServer::Response::text(200, "fine"));
  EXPECT_EQ(curl.perform(server.url("/ok")).body, "fine");
}

TEST(LoopbackServerTest, HandlerSeesChunkedAndContinuedUploads) {
  LoopbackServer server;
  server.setHandler([](const LoopbackServer::Request& request) {
    auto response = LoopbackServer::Response::text(200, request.method + " " + request.body);
    response.status = request.path == "/teapot" ? 418 : 200;
    return response;
  });

  std::string upload(200000, 'u');
  upload += "end";
  Curl curl;
  curl.addHeader("Transfer-Encoding: chunked");
  curl.addHeader("Expect: 100-continue");
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, upload.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, -1L);
  CurlResult r = curl.perform(server.url("/teapot"));
  ASSERT_EQ(r.code, CURLE_OK);
  EXPECT_EQ(r.status, 418);
  EXPECT_EQ(r.body, "POST " + upload);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, upload);
  EXPECT_EQ(requests[0].header("Transfer-Encoding"), "chunked");
}

TEST(LoopbackServerTest, ShutsDownPromptlyWithBusyAndIdleClients) {
  auto server = std::make_unique<LoopbackServer>();
  auto slow = LoopbackServer::Response::text(200, "late");
  slow.delayBeforeHeaders = std::chrono::hours(1);
  server->setResponse("/slow", slow);

  int idle = connectTo(server->port());  // connected, never sends
  ASSERT_GE(idle, 0);
  int partial = connectTo(server->port());  // sends half a request
  ASSERT_GE(partial, 0);
  std::string half = "GET /slow HTTP/1.1\r\nHost: x\r\n";
  ASSERT_EQ(::send(partial, half.data(), half.size(), 0), static_cast<ssize_t>(half.size()));
  int waiting = connectTo(server->port());  // waits for the delayed answer
  ASSERT_GE(waiting, 0);
  std::string full = "GET /slow HTTP/1.1\r\nHost: x\r\n\r\n";
  ASSERT_EQ(::send(waiting, full.data(), full.size(), 0), static_cast<ssize_t>(full.size()));
  ASSERT_TRUE(server->waitForRequests(1, 30s));

  server.reset();  // must not wait for the hour
  EXPECT_EQ(readAll(waiting), "");
  EXPECT_EQ(readAll(partial), "");
  EXPECT_EQ(readAll(idle), "");
  ::close(idle);
  ::close(partial);
  ::close(waiting);
}

TEST(LoopbackServerTest, MalformedRequestsCloseTheConnection) {
  LoopbackServer server;
  int fd = connectTo(server.port());
  ASSERT_GE(fd, 0);
  std::string garbage = "NONSENSE\r\nNoColonHere\r\n\r\n";
  ::send(fd, garbage.data(), garbage.size(), 0);
  EXPECT_EQ(readAll(fd), "");
  ::close(fd);
  EXPECT_EQ(server.requestCount(), 0u);
}

}  // namespace
}  // namespace zu
