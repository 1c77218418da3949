// Helpers for the sharing library's tests (included by *Test.cpp only): scripted open-platform
// clients that answer at once or when the test says, an account engine over seven of them with
// a cookie jar matched as the web engine matches it, and a fixture that installs both, registers
// the library's interface files and puts the process-wide state back after each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/openplatform/OpenPlatformBase.h"
#include "platform/web/CookieStorage.h"
#include "share/accounts/AccountEngine.h"
#include "share/compose/NRCustomStatusBar.h"
#include "share/ShareScreens.h"
#include "shell/app/ShellTestSupport.h"

namespace zu::testing {

inline constexpr const char* kCallbackPrefix = "http://callback.test/bound";

class ScriptedClient : public OpenPlatformBase {
 public:
  enum class Answer { kAtOnce, kLater };

  ScriptedClient(int platform, std::string name) {
    setPlatform(platform);
    setPlatformName(std::move(name));
  }

  void bind(std::string nick, std::string url) {
    accountInfo_ = {"secret", "token", std::move(nick), std::move(url), std::nullopt};
  }

  // authLogin sends the page address at once or keeps it for answerPending().
  Answer answer = Answer::kAtOnce;
  // The error reported at the callback address instead of success (code 0: success).
  int callbackError = 0;
  std::string callbackErrorText;
  int authLogins = 0;
  int clears = 0;

  std::string pageUrl() const { return "http://auth.test/authorize?p=" + std::to_string(platform()); }

  void authLogin() override {
    ++authLogins;
    if (answer == Answer::kAtOnce) {
      if (observer()) observer()->onOPAuthorizeUrl(this, pageUrl());
    } else {
      pending_ = [this] {
        if (observer()) observer()->onOPAuthorizeUrl(this, pageUrl());
      };
    }
  }
  void clearAuthInfo() override {
    ++clears;
    accountInfo_ = {};
  }
  bool isCallbackUrl(const std::string& url) const override { return url.rfind(kCallbackPrefix, 0) == 0; }
  void OnAuthoriztionRet(const std::optional<std::string>&) override {
    auto finish = [this] {
      if (!observer()) return;
      if (callbackError != 0) {
        observer()->onOPError(this, callbackError, callbackErrorText);
      } else {
        bind("已绑定的读者", "http://t.example/reader");
        observer()->onOPLoginSucc(this);
      }
    };
    if (answer == Answer::kAtOnce) finish();
    else pending_ = finish;
  }
  // Scripted clients send no requests.
  void myConnectionDidFinishLoading(MyUrlConnection&) override {}
  void myConnectionDidFailWithError(MyUrlConnection&, const UrlError&) override {}

  // Delivers the answer held back.
  void answerPending() {
    auto pending = std::move(pending_);
    pending_ = nullptr;
    if (pending) pending();
  }

 private:
  std::function<void()> pending_;
};

class ScriptedAccountEngine : public AccountEngine {
 public:
  ScriptedAccountEngine() {
    const char* names[] = {"泽瓦微博", "新浪微博", "腾讯微博", "搜狐微博", "豆瓣", "人人网", "开心网"};
    for (int i = 0; i < 7; ++i) clients.push_back(std::make_shared<ScriptedClient>(i, names[i]));
  }

  std::vector<std::shared_ptr<ScriptedClient>> clients;
  // How many clients the list shows (allPlatforms).
  size_t listed = 7;
  std::vector<std::pair<int, std::string>> navigations;
  std::set<std::string> cookieSites;
  std::vector<std::string> deletedFragments;

  std::shared_ptr<OpenPlatformBase> getOpenPlatformInstance(int platform) override {
    if (platform < 0 || platform >= static_cast<int>(clients.size())) return nullptr;
    return clients[platform];
  }
  std::vector<std::shared_ptr<OpenPlatformBase>> allPlatforms() override {
    return {clients.begin(), clients.begin() + static_cast<long>(std::min(listed, clients.size()))};
  }
  bool OnAuthShouldStartNtf(int platform, const std::string& url) override {
    navigations.emplace_back(platform, url);
    auto client = getOpenPlatformInstance(platform);
    if (!client || !client->isCallbackUrl(url)) return false;
    client->OnAuthoriztionRet(url);
    return true;
  }
  void deleteCookiesForDomain(const std::string& fragment) override {
    deletedFragments.push_back(fragment);
    std::erase_if(cookieSites, [&](const std::string& site) { return web::CookieStorage::siteMatches(site, fragment); });
  }
};

class ShareFixture : public ShellFixture {
 protected:
  void SetUp() override {
    engine_ = std::make_shared<ScriptedAccountEngine>();
    AccountEngine::setCurrent(engine_);
    ShareScreens::registerNibs();
    ShellFixture::SetUp();
  }
  void TearDown() override {
    NRCustomStatusBar::hide();
    AccountEngine::setCurrent(nullptr);
    ShellFixture::TearDown();
  }

  std::shared_ptr<ScriptedAccountEngine> engine_;
};

}  // namespace zu::testing
