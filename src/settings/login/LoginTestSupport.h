// Helpers for the login screen's tests (included by *Test.cpp only): an engine whose login
// tasks never run — the test reports their results as the application observer posts them —
// and a fixture that opens the screen the way the shell does (ScreenRequest::showLogin on a
// root controller in a window), with a task engine running so tasks get ids of their own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/entry/Feed.h"
#include "model/service/VeskUrs.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/login/LoginEngine.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu::testing {

class ScriptedLoginTask : public Task {
 public:
  using Text = std::optional<std::string>;
  ScriptedLoginTask(Text name, Text password, bool forced)
      : name(std::move(name)), password(std::move(password)), forced(forced) {}
  std::string className() const override { return "ScriptedLoginTask"; }

  Text name;
  Text password;
  bool forced;
  bool ran = false;
};

class ScriptedLoginEngine : public LoginEngine {
 public:
  std::shared_ptr<Task> createLoginTask(const Text& username, const Text& password, bool force) override {
    tasks.push_back(std::make_shared<ScriptedLoginTask>(username, password, force));
    return tasks.back();
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ScriptedLoginTask>(task)) scripted->ran = true;
  }
  bool setUsername(const std::string& username, const std::string& password) override {
    users.emplace_back(username, password);
    return takesUser;
  }

  std::vector<std::shared_ptr<ScriptedLoginTask>> tasks;
  std::vector<std::pair<std::string, std::string>> users;
  bool takesUser = true;
};

// The login reply feed, with the service's id of the reader when given.
inline std::shared_ptr<Feed> loginFeed(std::optional<std::string> ursId) {
  auto feed = std::make_shared<Feed>();
  auto urs = std::make_shared<VeskUrs>();
  urs->setId(std::move(ursId));
  feed->setVeskUrs(urs);
  return feed;
}
inline void postLoginFeed(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "Feed"}, {"Result", Value(feed)}});
}
inline void postLoginFinish(const std::shared_ptr<Task>& task, int code, const std::string& desc = "null") {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)},
                                              {"ResultType", "TaskStatus"},
                                              {"StateResult", "TaskFinish"},
                                              {"Result", code},
                                              {"ErrDesc", desc}});
}

class LoginFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    // The bundle's skin, whatever an earlier test of the binary loaded.
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, root_);
    NotificationCenter::defaultCenter().add(MoreSettingsLoginViewController::kLoginSuccessNotification, this,
                                            [this](const Notification& n) { successes_.push_back(n.object); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    login_.reset();
    root_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // The screen as the shell opens it, its presentation finished.
  std::shared_ptr<MoreSettingsLoginViewController> open(bool needToAskSync = true) {
    EXPECT_TRUE(ScreenRequest::showLogin("登录", root_, "取消", needToAskSync));
    login_ = std::dynamic_pointer_cast<MoreSettingsLoginViewController>(root_->modalViewController());
    EXPECT_TRUE(login_);
    if (!login_) return nullptr;
    login_->setEngine(engine_);
    settle(1);
    window_->layoutIfNeeded();
    return login_;
  }
  bool presented() const { return root_->modalViewController() == login_; }
  // Typing into a field as the keyboard does: the field becomes first responder first.
  static void type(ui::TextField& field, const std::string& text) {
    field.becomeFirstResponder();
    field.insertText(text);
  }
  void fill(const std::string& name, const std::string& password) {
    type(*login_->nameTextField(), name);
    type(*login_->passwordTextField(), password);
  }
  void press(ui::Button& button) { button.sendActionsForControlEvents(ui::kControlEventTouchUpInside); }

  std::shared_ptr<ScriptedLoginEngine> engine_ = std::make_shared<ScriptedLoginEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<MoreSettingsLoginViewController> login_;
  std::vector<Value> successes_;
};

}  // namespace zu::testing
