// Helpers for the progress board's flows' tests (included by *Test.cpp only): an engine whose
// cleanings and font downloads never run — the test posts what they report, as the application
// Observer would — with the sizes and packs the test chooses, and a record of what was run and
// cancelled; and a fixture with the shell's fake clock, the skin, the task engine (for task ids)
// and the settings' interface files.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Value.h"
#include "settings/progress/ProgressTaskEngine.h"
#include "settings/SettingsNibs.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu::testing {

class ScriptedProgressTask : public Task {
 public:
  explicit ScriptedProgressTask(std::string what) : what(std::move(what)) {}
  std::string className() const override { return "ScriptedProgressTask"; }
  std::string what;
};

class ScriptedProgressEngine : public ProgressTaskEngine {
 public:
  std::shared_ptr<Task> createCleanNormalCacheTask() override { return make("clean-normal"); }
  std::shared_ptr<Task> createCleanOffdownCacheTask() override { return make("clean-offdown"); }
  int64_t getNormalCacheSize() override { return normalSize; }
  int64_t getOffdownCacheSize() override { return offdownSize; }
  bool isFontDownloaded(const Text& name) override { return name && downloaded.count(*name) > 0; }
  std::shared_ptr<Task> createDownloadFontTask(const Text& name) override { return make("font:" + name.value_or("")); }
  void asyncRunTask(const std::shared_ptr<Task>& task) override { ran.push_back(task); }
  void asyncCancelTask(const std::shared_ptr<Task>& task) override { cancelled.push_back(task); }

  std::shared_ptr<ScriptedProgressTask> last() const { return tasks.empty() ? nullptr : tasks.back(); }

  bool makesTasks = true;
  int64_t normalSize = 0;
  int64_t offdownSize = 0;
  std::map<std::string, bool> downloaded;
  std::vector<std::shared_ptr<ScriptedProgressTask>> tasks;
  std::vector<std::shared_ptr<Task>> ran;
  std::vector<std::shared_ptr<Task>> cancelled;

 private:
  std::shared_ptr<Task> make(std::string what) {
    if (!makesTasks) return nullptr;
    tasks.push_back(std::make_shared<ScriptedProgressTask>(std::move(what)));
    return tasks.back();
  }
};

// What the Observer posts for a task, on the main thread at once.
inline void postResult(const std::shared_ptr<Task>& task, Dictionary info) {
  info.set("Task", Value(task));
  Observer::postResultOnMainThread(info);
}
inline void postCleaning(const std::shared_ptr<Task>& task, int total, int cleaned) {
  postResult(task, {{"ResultType", "CacheCleaning"}, {"CacheCleanTotal", total}, {"CacheCleanCleaned", cleaned}});
}
inline void postFontProgress(const std::shared_ptr<Task>& task, int64_t received, int64_t total) {
  postResult(task, {{"ResultType", "FontDownload"}, {"FontTotalSize", total}, {"FontDownloadedSize", received}});
}
inline void postStatus(const std::shared_ptr<Task>& task, int code, std::optional<std::string> desc = std::nullopt) {
  Dictionary info{{"ResultType", "TaskStatus"}, {"StateResult", "TaskFinish"}, {"Result", code}};
  if (desc) info.set("ErrDesc", *desc);
  postResult(task, std::move(info));
}

class ProgressFlowFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    TaskEngine::uninitGlobalInstance();
    ShellFixture::TearDown();
  }

  std::shared_ptr<ScriptedProgressEngine> engine_ = std::make_shared<ScriptedProgressEngine>();
};

}  // namespace zu::testing
