// Helpers for the share screen's tests (included by *Test.cpp only): platform clients that
// record every post and answer at once (success or failure) or when the test says, an account
// engine over the seven of them whose bound accounts live in the reader's real account store, a
// share engine whose tasks never run (the test reports their results as the application observer
// posts them), and a fixture that presents the share screen, opened by its interface file, from
// a controller in a window, on the fake clock.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "engine/http/HttpEngine.h"
#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenPlatform_OAuth2.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskSharing.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "share/accounts/AccountEngine.h"
#include "share/compose/NRCustomStatusBar.h"
#include "share/compose/ShareEngine.h"
#include "share/ShareScreens.h"
#include "share/compose/ShareViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu::testing {

// A platform client that records its posts; an OAuth 2 client so that platform 5 takes the
// three-argument post as the real Renren client does.
class PostingClient : public OpenPlatform_OAuth2 {
 public:
  enum class Answer { kSuccessAtOnce, kErrorAtOnce, kLater };
  struct Post {
    std::string kind;  // "text", "picture", "title"
    std::string text;
    std::optional<std::string> picture;
    std::optional<std::string> title;
    std::optional<std::string> link;
  };

  PostingClient(int platform, std::string name) {
    setPlatform(platform);
    setPlatformName(std::move(name));
  }

  // Binds an account in the reader's store, sharing switched on.
  void bind(const std::string& nick, bool shareOn = true) {
    accountInfo_ = {"secret", "token", nick, "http://t.example/" + nick, std::nullopt};
    auto store = OpenDataManager::instance(CommInfo::getUsername());
    ASSERT_TRUE(store);
    store->updateAccountInfo(platform(), accountInfo_);
    store->updateShareEnable(platform(), shareOn);
  }

  void PostContent(const std::optional<std::string>& text) override { respond({"text", text.value_or("")}); }
  void PostContentWithPic(const std::optional<std::string>& text, const std::optional<std::string>& picture) override {
    respond({"picture", text.value_or(""), picture});
  }
  void PostContentTitle(const std::optional<std::string>& text, const std::optional<std::string>& title,
                        const std::optional<std::string>& link) override {
    respond({"title", text.value_or(""), std::nullopt, title, link});
  }
  // Delivers one held answer.
  void finish(bool success) {
    --pending;
    if (!observer()) return;
    if (success) observer()->onOPPostSuccess(this);
    else observer()->onOPError(this, -4, "refused");
  }

  Answer answer = Answer::kSuccessAtOnce;
  int pending = 0;
  std::vector<Post> posts;

 private:
  void respond(Post post) {
    posts.push_back(std::move(post));
    ++pending;
    if (answer != Answer::kLater) finish(answer == Answer::kSuccessAtOnce);
  }
};

class PostingAccountEngine : public AccountEngine {
 public:
  PostingAccountEngine() {
    const char* names[] = {"泽瓦微博", "新浪微博", "腾讯微博", "搜狐微博", "豆瓣", "人人网", "开心网"};
    for (int i = 0; i < 7; ++i) clients.push_back(std::make_shared<PostingClient>(i, names[i]));
  }
  std::shared_ptr<OpenPlatformBase> getOpenPlatformInstance(int platform) override {
    return platform >= 0 && platform < 7 ? clients[static_cast<size_t>(platform)] : nullptr;
  }
  std::vector<std::shared_ptr<OpenPlatformBase>> allPlatforms() override { return {clients.begin(), clients.end()}; }
  bool OnAuthShouldStartNtf(int, const std::string&) override { return false; }
  void deleteCookiesForDomain(const std::string&) override {}

  std::vector<std::shared_ptr<PostingClient>> clients;
};

class ShareTask : public Task {
 public:
  ShareTask(std::string kind, std::optional<std::string> argument, int platform = -1)
      : kind(std::move(kind)), argument(std::move(argument)), platform(platform) {}
  std::string className() const override { return "ShareTask"; }
  std::string kind;  // "shortUrl", "shortUrlById", "image", "sharing"
  std::optional<std::string> argument;
  int platform;
  std::optional<std::string> sharingUrl;
  bool ran = false;
};

class ScriptedShareEngine : public ShareEngine {
 public:
  std::shared_ptr<Task> createGetShortUrlTask(const Text& url) override { return make("shortUrl", url); }
  std::shared_ptr<Task> createGetShortUrlTaskWithArticleId(const Text& id) override { return make("shortUrlById", id); }
  std::shared_ptr<Task> createDownloadImageTask(const Text& url) override { return make("image", url); }
  std::shared_ptr<Task> createSharingTask(const Text& linkText, const Text& url, int type) override {
    auto task = make("sharing", linkText, type);
    task->sharingUrl = url;
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ShareTask>(task)) scripted->ran = true;
  }
  // The test's files first, then the real image cache (an HttpEngine download lands there).
  Text getImageLocalPath(const Text& url) override {
    if (auto it = url ? localFiles.find(*url) : localFiles.end(); it != localFiles.end()) return it->second;
    return HttpEngine::localFilePathIfExistsForUrl(url);
  }

  std::vector<std::shared_ptr<ShareTask>> of(const std::string& kind) const {
    std::vector<std::shared_ptr<ShareTask>> found;
    for (const auto& task : tasks) {
      if (task->kind == kind) found.push_back(task);
    }
    return found;
  }

  std::vector<std::shared_ptr<ShareTask>> tasks;
  std::map<std::string, std::string> localFiles;

 private:
  std::shared_ptr<ShareTask> make(const std::string& kind, const Text& argument, int platform = -1) {
    tasks.push_back(std::make_shared<ShareTask>(kind, argument, platform));
    return tasks.back();
  }
};

inline void postShortUrl(const std::shared_ptr<Task>& task, const std::string& link) {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "SURLString"}, {"Result", link}});
}
inline void postImage(const std::shared_ptr<Task>& task, const std::string& url, int code) {
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(task)}, {"ResultType", "ImageDownLoad"}, {"Result", code}, {"Url", url}});
}

// An article that takes comments, with a web address, a share-report address and `pictures`
// pictures "http://pictures.test/<i>.png".
inline std::shared_ptr<NewsDetail> shareArticle(const std::string& title, int pictures = 0) {
  auto detail = std::make_shared<NewsDetail>();
  detail->setEntryId("article-7");
  detail->setTitle(title);
  auto link = std::make_shared<Link>();
  link->setHref("http://news.test/article-7.html");
  detail->setAlternatelink(link);
  auto sharing = std::make_shared<VeskSharing>();
  sharing->setHref("http://service.test/report/sharing.atom");
  detail->setVeskSharing(sharing);
  for (int i = 0; i < pictures; ++i) {
    auto picture = std::make_shared<VeskCategory>();
    picture->setA_href("http://pictures.test/" + std::to_string(i) + ".png");
    detail->appendVeskCategorys(picture);
  }
  return detail;
}

class ShareScreenFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    CommInfo::setUsername("reader");
    TaskEngine::initGlobalInstance();
    FileCacheManager::initGlobalInstance();
    accounts_ = std::make_shared<PostingAccountEngine>();
    AccountEngine::setCurrent(accounts_);
    ShareScreens::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    presenter_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, presenter_);
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    if (presenter_->modalViewController()) presenter_->dismissModalViewController(false);
    settle(1);
    presenter_.reset();
    window_.reset();
    NRCustomStatusBar::hide();
    SPWaitingSavePhoto::resign();
    ui::Keyboard::shared().resetForTesting();
    AccountEngine::setCurrent(nullptr);
    FileCacheManager::uninitGlobalInstance();
    TaskEngine::uninitGlobalInstance();
    CommInfo::globalUninit();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // The screen opened through its interface file, presented in its own navigation controller.
  std::shared_ptr<ShareViewController> open(const std::shared_ptr<NewsDetail>& detail, Dictionary extra = {},
                                            std::shared_ptr<Object> father = nullptr) {
    Dictionary parameters{{"newsdetail", Value(std::static_pointer_cast<Object>(detail))},
                          {"newsBrowseController", Value(std::static_pointer_cast<Object>(presenter_))},
                          {"father", father ? Value(father) : Value()},
                          {"postImageIndex", Value(int64_t{0})},
                          {"useEntryIDForShortUrl", Value(false)}};
    for (size_t i = 0; i < extra.size(); ++i) parameters.set(extra.keyAt(i), extra.valueAt(i));
    auto request = std::make_shared<ScreenRequest>(ScreenRequest::kShareNib, parameters);
    auto screen = std::dynamic_pointer_cast<ShareViewController>(request->load());
    EXPECT_TRUE(screen);
    if (!screen) return nullptr;
    screen->setEngine(engine_);
    // In a navigation controller on the skin's bar, as the article's toolbar and the picture
    // viewer present it.
    auto navigation = std::make_shared<ui::NavigationController>(screen);
    NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
    presenter_->presentModalViewController(navigation, false);
    settle(0.5);
    window_->layoutIfNeeded();
    return screen;
  }
  std::shared_ptr<PostingClient> client(int platform) { return accounts_->clients[static_cast<size_t>(platform)]; }
  bool presented() const { return presenter_->modalViewController() != nullptr; }

  std::shared_ptr<PostingAccountEngine> accounts_;
  std::shared_ptr<ScriptedShareEngine> engine_ = std::make_shared<ScriptedShareEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> presenter_;
};

}  // namespace zu::testing
