// Helpers for the profile screens' tests (included by *Test.cpp only): an engine whose tasks
// never run — the test reports their results as the application observer posts them — with a
// stored profile, local picture copies and portrait files of its own, and a fixture that shows
// screens on a navigation controller in a window, with a task engine running so tasks get ids.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/Icon.h"
#include "model/columns/Label.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Paths.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/ImagePickerController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/profile/UserInfoEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu::testing {

class ScriptedProfileTask : public Task {
 public:
  std::string className() const override { return "ScriptedProfileTask"; }
  std::optional<std::string> text;  // the user name or the picture's address
  std::shared_ptr<UserInfo> userInfo;
  std::optional<std::string> iconPath;
  bool ran = false;
};

class ScriptedUserInfoEngine : public UserInfoEngine {
 public:
  std::shared_ptr<Task> createGetUserInfoTask(const Text& username) override {
    auto task = std::make_shared<ScriptedProfileTask>();
    task->text = username;
    getTasks.push_back(task);
    return task;
  }
  std::shared_ptr<Task> createUpdateUserInfoTask(const std::shared_ptr<UserInfo>& info, const Text& path) override {
    if (refuseUpdates) return nullptr;
    auto task = std::make_shared<ScriptedProfileTask>();
    task->userInfo = info;
    task->iconPath = path;
    updateTasks.push_back(task);
    return task;
  }
  std::shared_ptr<Task> createDownloadImageTask(const Text& url) override {
    auto task = std::make_shared<ScriptedProfileTask>();
    task->text = url;
    downloads.push_back(task);
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override {
    if (auto scripted = std::dynamic_pointer_cast<ScriptedProfileTask>(task)) scripted->ran = true;
  }
  std::shared_ptr<UserInfo> getLoginUserInfo() override { return stored; }
  std::string getUsername() override { return username; }
  Text getImageLocalPath(const Text& url) override {
    auto it = url ? localCopies.find(*url) : localCopies.end();
    return it == localCopies.end() ? std::nullopt : Text(it->second);
  }
  Text addCustomPortrait(const Bytes& png) override {
    const auto path = Paths::library() / ("portrait-" + std::to_string(portraits.size()) + ".png");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                static_cast<std::streamsize>(png.size()));
    portraits.push_back(path.string());
    return path.string();
  }
  void logout() override { ++logouts; }

  // A picture of one colour written to the home, as a downloaded copy of `url`.
  std::string keepLocalCopy(const std::string& url, uint32_t argb, int side = 40) {
    auto image = ui::Image::create(side, side);
    uint32_t* pixels = image->mutablePixels();
    for (int i = 0; i < side * side; ++i) pixels[i] = argb;
    const auto path = Paths::caches() / ("copy-" + std::to_string(localCopies.size()) + ".png");
    image->writePng(path);
    localCopies[url] = path.string();
    return path.string();
  }

  std::vector<std::shared_ptr<ScriptedProfileTask>> getTasks, updateTasks, downloads;
  std::shared_ptr<UserInfo> stored;
  std::string username = "reader";
  std::map<std::string, std::string> localCopies;
  std::vector<std::string> portraits;
  int logouts = 0;
  bool refuseUpdates = false;
};

inline std::shared_ptr<MinMaxValue> minMaxValue(std::optional<std::string> text, int32_t minLength = 0,
                                                int32_t maxLength = 0) {
  auto value = std::make_shared<MinMaxValue>();
  value->setValue(std::move(text));
  value->setMinLength(minLength);
  value->setMaxLength(maxLength);
  return value;
}

// A profile; empty strings leave the value out.
inline std::shared_ptr<UserInfo> profile(const std::string& name, const std::string& email,
                                         const std::string& introduction, std::vector<std::string> labels,
                                         const std::string& iconHref = std::string(), int gender = 0) {
  auto info = std::make_shared<UserInfo>();
  if (!name.empty()) info->setName(minMaxValue(name, 2, 20));
  if (!email.empty()) info->setEmail(minMaxValue(email, 0, 64));
  if (!introduction.empty()) info->setIntroduction(minMaxValue(introduction, 0, 140));
  info->setGender(gender);
  auto label = std::make_shared<Label>();
  label->setMaxLength(14);
  label->setMaxCount(5);
  label->setType(std::string("tags"));
  if (!labels.empty()) label->setLabelItems(std::move(labels));
  info->setLabels(label);
  if (!iconHref.empty()) {
    auto icon = std::make_shared<Icon>();
    icon->setHref(iconHref);
    info->setIcon(icon);
  }
  return info;
}

inline void postResult(const std::shared_ptr<Task>& task, const std::string& type, Value result,
                       Dictionary extra = Dictionary()) {
  Dictionary info{{"Task", Value(task)}, {"ResultType", Value(type)}, {"Result", std::move(result)}};
  for (size_t i = 0; i < extra.size(); ++i) info.set(extra.keyAt(i), extra.get(extra.keyAt(i)));
  Observer::postResultOnMainThread(info);
}
inline void postFinish(const std::shared_ptr<Task>& task, int code, const std::string& desc = "null") {
  postResult(task, "TaskStatus", Value(code), Dictionary{{"StateResult", "TaskFinish"}, {"ErrDesc", desc}});
}

class ProfileFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    ui::ImagePickerController::resetForTesting();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    navigation_ = std::make_shared<ui::NavigationController>(root_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    settle(1);
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    ui::ImagePickerController::resetForTesting();
    navigation_.reset();
    root_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }
  void push(const std::shared_ptr<ui::ViewController>& screen) {
    navigation_->pushViewController(screen, false);
    settle(1);
    window_->layoutIfNeeded();
  }
  std::string titleOf(ui::ViewController& screen) const {
    return NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*screen.navigationItem());
  }

  std::shared_ptr<ScriptedUserInfoEngine> engine_ = std::make_shared<ScriptedUserInfoEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

}  // namespace zu::testing
