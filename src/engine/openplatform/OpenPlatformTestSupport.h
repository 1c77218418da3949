// Helpers for the open-platform tests (included by *Test.cpp only): a fixture that gives each
// test a fresh home, a reader, a loopback server standing in for every platform host, and the
// factory loaded with that configuration; an observer and a notification recorder; and an
// OAuth 1.0a signature check written from the protocol's rules (not from the signer's code) so
// the fakes can judge what the clients send.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Base64.h"
#include "common/CommInfo.h"
#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "engine/openplatform/OpenPlatformObserver.h"
#include "platform/crypto/HmacSha1.h"
#include "platform/net/UrlConnection.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "testing/LoopbackServer.h"
#include "testing/TempHome.h"

namespace zu::testing {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// ---- OAuth 1.0a as the protocol states it ----------------------------------------------------

inline std::string rfcEncode(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

inline std::string percentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

inline Pairs splitForm(std::string_view text) {
  Pairs out;
  while (!text.empty()) {
    size_t amp = text.find('&');
    std::string_view piece = text.substr(0, amp);
    size_t eq = piece.find('=');
    if (eq != std::string_view::npos) {
      out.emplace_back(percentDecode(piece.substr(0, eq)), percentDecode(piece.substr(eq + 1)));
    }
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp + 1);
  }
  return out;
}

// Signature of HMAC-SHA1 over the normalised request: parameters encoded, sorted by name then
// value, key of the encoded consumer secret and token secret.
inline std::string rfcSignature(const std::string& method, const std::string& url, Pairs params,
                                const std::string& consumerSecret, const std::string& tokenSecret) {
  for (auto& [k, v] : params) {
    k = rfcEncode(k);
    v = rfcEncode(v);
  }
  std::sort(params.begin(), params.end());
  std::string normalised;
  for (const auto& [k, v] : params) {
    if (!normalised.empty()) normalised += '&';
    normalised += k + "=" + v;
  }
  std::string base = method + "&" + rfcEncode(url) + "&" + rfcEncode(normalised);
  auto digest = crypto::HmacSha1::sign(rfcEncode(consumerSecret) + "&" + rfcEncode(tokenSecret),
                                       base);
  return Base64::encode(digest.data(), digest.size());
}

// The text fields of a multipart body, in order (the picture part is left out).
inline Pairs multipartTextFields(const std::string& body, const std::string& boundary) {
  Pairs out;
  std::string delimiter = "--" + boundary + "\r\n";
  size_t at = 0;
  while ((at = body.find(delimiter, at)) != std::string::npos) {
    at += delimiter.size();
    size_t headerEnd = body.find("\r\n\r\n", at);
    if (headerEnd == std::string::npos) break;
    std::string header = body.substr(at, headerEnd - at);
    if (header.find("filename=") != std::string::npos) continue;
    size_t nameAt = header.find("name=\"") + 6;
    std::string name = header.substr(nameAt, header.find('"', nameAt) - nameAt);
    size_t valueStart = headerEnd + 4;
    size_t valueEnd = body.find("\r\n--" + boundary, valueStart);
    out.emplace_back(name, body.substr(valueStart, valueEnd - valueStart));
  }
  return out;
}

// Every parameter a request carries (query, form body, multipart text fields, "OAuth"
// Authorization header but its realm), the signature taken out.
struct SignedParts {
  Pairs params;
  std::string signature;
};

inline SignedParts signedPartsOf(const LoopbackServer::Request& r) {
  SignedParts out;
  Pairs all = splitForm(r.query);
  std::string type = r.header("Content-Type").value_or("");
  if (type.rfind("multipart/form-data; boundary=", 0) == 0) {
    for (auto& p : multipartTextFields(r.body, type.substr(30))) all.push_back(p);
  } else if (type.empty() || type.rfind("application/x-www-form-urlencoded", 0) == 0) {
    for (auto& p : splitForm(r.body)) all.push_back(p);
  }
  if (auto auth = r.header("Authorization"); auth && auth->rfind("OAuth ", 0) == 0) {
    std::string_view rest(*auth);
    rest.remove_prefix(6);
    while (!rest.empty()) {
      size_t comma = rest.find(',');
      std::string_view item = rest.substr(0, comma);
      while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
      size_t eq = item.find('=');
      std::string key(item.substr(0, eq));
      std::string value(item.substr(eq + 2, item.size() - eq - 3));
      if (key != "realm") all.emplace_back(key, percentDecode(value));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  for (auto& p : all) {
    // A pair sent twice (Douban repeats its query in the header) was signed once.
    if (std::count(out.params.begin(), out.params.end(), p) > 0) continue;
    if (p.first == "oauth_signature") {
      out.signature = p.second;
    } else {
      out.params.push_back(p);
    }
  }
  return out;
}

// Whether the request is signed correctly for `baseUrl` + its path.
inline bool signatureValid(const LoopbackServer::Request& r, const std::string& baseUrl,
                           const std::string& consumerSecret, const std::string& tokenSecret) {
  SignedParts parts = signedPartsOf(r);
  return !parts.signature.empty() &&
         parts.signature == rfcSignature(r.method, baseUrl + r.path, parts.params,
                                         consumerSecret, tokenSecret);
}

inline std::string paramOf(const Pairs& params, const std::string& key) {
  for (const auto& p : params) {
    if (p.first == key) return p.second;
  }
  return "<none>";
}

// ---- Observers ---------------------------------------------------------------------------

struct RecordingObserver : OpenPlatformObserver {
  std::vector<std::string> events;
  std::optional<std::string> authorizeUrl;
  int errorCode = 0;
  std::string errorDesc;

  void onOPAuthorizeUrl(OpenPlatformBase*, const std::string& url) override {
    events.push_back("authorize");
    authorizeUrl = url;
  }
  void onOPLoginSucc(OpenPlatformBase*) override { events.push_back("login"); }
  void onOPPostSuccess(OpenPlatformBase*) override { events.push_back("post"); }
  void onOPError(OpenPlatformBase*, int code, const std::string& desc) override {
    events.push_back("error " + std::to_string(code));
    errorCode = code;
    errorDesc = desc;
  }
  size_t count() const { return events.size(); }
};

struct NotificationRecorder {
  std::vector<std::string> seen;
  NotificationRecorder() {
    for (const char* name : {kNotificationOptBindOk, kNotificationOptUnbindOk}) {
      NotificationCenter::defaultCenter().add(name, this, [this](const Notification& n) {
        seen.push_back(n.name + " " + std::to_string(n.object.intValue()));
      });
    }
  }
  ~NotificationRecorder() { NotificationCenter::defaultCenter().remove(this); }
};

// ---- Fixture -----------------------------------------------------------------------------

class OpenPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommInfo::setUsername("alice");
    OpenPlatformConfig config = OpenPlatformConfig::defaults();
    std::string base = server.baseUrl();
    for (std::string* b : {&config.zelvaneBase, &config.sinaBase, &config.qqSecureBase,
                           &config.qqBase, &config.sohuBase, &config.doubanAuthBase,
                           &config.doubanApiBase, &config.renrenAuthBase, &config.renrenApiBase,
                           &config.renrenFeedBase, &config.kaixinBase}) {
      *b = base;
    }
    OpenPlatformConfig::setCurrent(config);
    OpenPlatformFactory::instance().Init();
  }
  void TearDown() override {
    // Handlers may use the fixture (and a subclass's members, which go first): none runs
    // past this point.
    server.stop();
    OpenPlatformFactory::instance().reset();
    OpenPlatformConfig::setCurrent(OpenPlatformConfig::defaults());
    OpenPlatformFactory::instance().Init();
    CommInfo::globalUninit();
  }

  std::shared_ptr<OpenPlatformBase> client(int platform) {
    auto c = OpenPlatformFactory::instance().getOpenPlatformInstance(platform);
    c->setObserver(&observer);
    return c;
  }
  std::shared_ptr<OpenDataManager> store() { return OpenDataManager::instance("alice"); }
  const PlatformItemInfo& row(int platform) {
    return *OpenPlatformFactory::instance().GetPlatformAuthParam(platform);
  }
  // Turns the main loop until the observer has heard `n` reports in all.
  bool waitForEvents(size_t n) {
    return RunLoop::current()->runUntil([&] { return observer.count() >= n; }, 20);
  }
  // Plays the web view: loads the authorisation page, whose body is the address it sends the
  // browser to, and passes that address on to the factory.
  bool followAuthorizePage(int platform) {
    if (!observer.authorizeUrl) return false;
    auto page = UrlConnection::sendSync(UrlRequest(*observer.authorizeUrl));
    std::string next(page.data.begin(), page.data.end());
    return OpenPlatformFactory::instance().OnAuthShouldStartNtf(platform, next);
  }
  // The only recorded request to `path`.
  LoopbackServer::Request requestTo(const std::string& path) {
    LoopbackServer::Request found;
    int n = 0;
    for (const auto& r : server.requests()) {
      if (r.path == path) {
        found = r;
        ++n;
      }
    }
    EXPECT_EQ(n, 1) << path;
    return found;
  }

  TempHome home;
  LoopbackServer server;
  RecordingObserver observer;
  NotificationRecorder notifications;
};

}  // namespace zu::testing
