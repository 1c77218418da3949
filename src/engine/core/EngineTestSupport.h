// Helpers for the facade's tests (included by *Test.cpp only): a fixture that starts the
// sample service and the whole engine over a fresh home, an observer that records what tasks
// report, tasks that fetch the URL table or any URL on the "task" thread, and a recorder of
// what the engine asks of the open platforms.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "SampleService.h"
#include "common/Log.h"
#include "common/ServiceHosts.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/GetServiceUrlInnerTask.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/core/HttpTask.h"
#include "engine/core/OpenPlatformHooks.h"
#include "engine/core/TaskTestSupport.h"
#include "engine/http/HttpEngine.h"
#include "model/Column.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/RunLoop.h"
#include "testing/TempHome.h"

namespace zu::testing {

// Records finishes and background column updates; wakes the main loop on each.
class RecordingObserver : public DataEngineObserver {
 public:
  struct Finish {
    std::shared_ptr<Task> task;  // kept, so a later task never shares its address
    int code;
    std::optional<std::string> desc;
  };

  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>& errDesc) override {
    {
      std::lock_guard lock(mutex_);
      finishes_.push_back({task, errCode, errDesc});
    }
    RunLoop::main()->post([] {});
  }
  void onFeedResult(const std::shared_ptr<Task>&, const std::shared_ptr<Feed>&) override {}
  void onEntryResult(const std::shared_ptr<Task>&, const std::shared_ptr<Entry>&) override {}
  void onUserInfoResult(const std::shared_ptr<Task>&, const std::shared_ptr<UserInfo>&) override {}
  void onImageDownloadResult(const std::shared_ptr<Task>&, const std::string&, int,
                             const std::optional<std::string>&,
                             const std::optional<std::string>&) override {}
  void onStringResult(const std::shared_ptr<Task>&, const std::optional<std::string>&) override {}
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>&) override {}
  void columnWillUpdate(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&) override {}
  void columnDidUpdated(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&,
                        bool) override {}
  void columnBackGroundUpdated(const std::shared_ptr<Column>& column) override {
    std::lock_guard lock(mutex_);
    backgroundColumns_.push_back(column);
  }

  std::vector<Finish> finishes() const {
    std::lock_guard lock(mutex_);
    return finishes_;
  }
  std::optional<Finish> finishOf(const std::shared_ptr<Task>& task) const {
    for (const auto& f : finishes()) {
      if (f.task == task) return f;
    }
    return std::nullopt;
  }
  // Turns the main loop until the task finished (20 s at most).
  std::optional<Finish> waitForFinish(const std::shared_ptr<Task>& task) {
    RunLoop::current()->runUntil([&] { return finishOf(task).has_value(); }, 20);
    return finishOf(task);
  }
  std::vector<std::shared_ptr<Column>> backgroundColumns() const {
    std::lock_guard lock(mutex_);
    return backgroundColumns_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Finish> finishes_;
  std::vector<std::shared_ptr<Column>> backgroundColumns_;
};

// Fills the URL table on its engine and finishes with the inner task's code.
class ServiceUrlProbeTask : public HttpTask, public GetServiceUrlInnerTaskDelegate {
 public:
  void run() override {
    HttpTask::run();
    if (!httpEngine()) return;
    auto self = std::dynamic_pointer_cast<GetServiceUrlInnerTaskDelegate>(sharedTask());
    std::make_shared<GetServiceUrlInnerTask>(httpEngine(), self)->run();
  }
  void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask*, int errCode,
                                        const std::optional<std::string>& errDesc) override {
    hooks()->setObserver(*httpEngine(), this);
    done(errCode, errDesc);
  }
};

// GETs one URL through the installed result parser; finishes with 0 or the failure code.
class FetchTask : public HttpTask {
 public:
  explicit FetchTask(std::string url) : url_(std::move(url)) {}
  void run() override {
    HttpTask::run();
    if (httpEngine()) httpEngine()->get(url_);
  }
  void onHttpSuccess(const std::shared_ptr<HttpResponse>&) override { done(0, std::nullopt); }

 private:
  std::string url_;
};

// Records every call the engine makes to the open platforms, in order.
class RecordingPlatforms : public OpenPlatformHooks {
 public:
  void reset() override { record("reset"); }
  bool authorized(int platform) override {
    std::lock_guard lock(mutex_);
    return platform == authorizedPlatform_;
  }
  void clearAuthInfo(int platform) override { record("clear " + std::to_string(platform)); }
  std::optional<std::pair<std::string, std::string>> accessTokenAndSecret(int platform) override {
    std::lock_guard lock(mutex_);
    if (platform != authorizedPlatform_) return std::nullopt;
    return std::make_pair(std::string("token"), secret_);
  }
  void setSecret(std::string secret) {
    std::lock_guard lock(mutex_);
    secret_ = std::move(secret);
  }
  void copyUserAccountInfo(const std::string& from, const std::string& to, int platform) override {
    record("copy " + from + ">" + to + " " + std::to_string(platform));
  }
  void setAuthorizedPlatform(int platform) {
    std::lock_guard lock(mutex_);
    authorizedPlatform_ = platform;
  }
  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  int authorizedPlatform_ = -1;
  std::string secret_ = "secret";
};

// A fresh home, the sample service, a bundle of the test's own, and the whole engine started
// (startEngine) and stopped again at the end.
class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bundleDir_ = home_.path() / "bundle";
    std::filesystem::create_directories(bundleDir_);
    writeBundleFile("Info.plist",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                    "<key>CFBundleVersion</key><string>2.0.0</string></dict></plist>\n");
    Bundle::setMainBundleForTesting(bundleDir_);
    ASSERT_TRUE(service_.start());
    ServiceHosts::setAllHosts(service_.host());
    OpenPlatformHooks::install(platforms_);
    VESKLogInit();
  }
  void TearDown() override {
    stopEngine();
    VESKLogUninit();
    OpenPlatformHooks::install(nullptr);
    ServiceHosts::setAllHosts(std::nullopt);
    service_.stop();
    Bundle::resetMainBundleForTesting();
  }

  void writeBundleFile(const std::string& name, const std::string& bytes) {
    std::ofstream(bundleDir_ / name, std::ios::binary) << bytes;
  }
  void startEngine() {
    DataEngine::initGlobalInstance();
    engine_ = gDataEngine();
    engine_->setObserver(observer_);
  }
  void stopEngine() {
    if (!engine_) return;
    engine_.reset();
    DataEngine::uninitGlobalInstance();
  }
  // Runs the task through the facade and waits for its finish.
  std::optional<RecordingObserver::Finish> runTask(const std::shared_ptr<Task>& task) {
    engine_->asyncRunTask(task);
    return observer_->waitForFinish(task);
  }

  TempHome home_;
  std::filesystem::path bundleDir_;
  SampleService service_;
  std::shared_ptr<RecordingPlatforms> platforms_ = std::make_shared<RecordingPlatforms>();
  std::shared_ptr<RecordingObserver> observer_ = std::make_shared<RecordingObserver>();
  std::shared_ptr<DataEngine> engine_;
};

}  // namespace zu::testing
