// Helpers for the facade's tests (included by *Test.cpp only): a fixture that starts the
// sample service and the whole engine over a fresh home, an observer that records what tasks
// report, tasks that fetch the URL table or any URL on the "task" thread, and a recorder of
// helpers for the open platforms' accounts.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
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
#include "engine/core/TaskEngine.h"
#include "engine/core/TaskTestSupport.h"
#include "engine/http/HttpEngine.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/columns/Column.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/RunLoop.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TempHome.h"

namespace zu::testing {

// Records finishes, data results and column updates; wakes the main loop on each.
class EngineResultRecorder : public DataEngineObserver {
 public:
  struct Finish {
    std::shared_ptr<Task> task;  // kept, so a later task never shares its address
    int code;
    std::optional<std::string> desc;
  };
  template <typename T>
  struct Result {
    std::shared_ptr<Task> task;
    std::shared_ptr<T> value;
  };
  struct Image {
    std::shared_ptr<Task> task;
    std::string url;
    int code;
  };
  // A column event: "will", "did" or "background", in the order they came.
  struct ColumnEvent {
    std::string kind;
    std::shared_ptr<Task> task;
    std::shared_ptr<Column> column;
    bool changed;
  };

  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>& errDesc) override {
    record([&] { finishes_.push_back({task, errCode, errDesc}); });
  }
  void onFeedResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) override {
    record([&] { feeds_.push_back({task, feed}); });
  }
  void onEntryResult(const std::shared_ptr<Task>& task,
                     const std::shared_ptr<Entry>& entry) override {
    record([&] { entries_.push_back({task, entry}); });
  }
  void onUserInfoResult(const std::shared_ptr<Task>& task,
                        const std::shared_ptr<UserInfo>& userInfo) override {
    record([&] { userInfos_.push_back({task, userInfo}); });
  }
  void onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url, int code,
                             const std::optional<std::string>&,
                             const std::optional<std::string>&) override {
    record([&] { images_.push_back({task, url, code}); });
  }
  void onStringResult(const std::shared_ptr<Task>& task,
                      const std::optional<std::string>& string) override {
    record([&] { strings_.push_back({task, string}); });
  }
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>&) override {}
  void columnWillUpdate(const std::shared_ptr<Task>& task,
                        const std::shared_ptr<Column>& column) override {
    record([&] { columnEvents_.push_back({"will", task, column, false}); });
  }
  void columnDidUpdated(const std::shared_ptr<Task>& task, const std::shared_ptr<Column>& column,
                        bool changed) override {
    record([&] { columnEvents_.push_back({"did", task, column, changed}); });
  }
  void columnBackGroundUpdated(const std::shared_ptr<Column>& column) override {
    record([&] {
      backgroundColumns_.push_back(column);
      columnEvents_.push_back({"background", nullptr, column, true});
    });
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
  void onCacheCleanProgress(const std::shared_ptr<Task>& task, int total,
                            int cleaned) override {
    record([&] { cleanProgress_.push_back({task, total, cleaned}); });
  }
  bool respondsToOnCacheCleanProgress() const override { return true; }
  void onOfflineDownloadProgress(const std::shared_ptr<Task>&,
                                 const OfflineDownloadProgress& progress) override {
    record([&] { offlineProgress_.push_back(progress.copy()); });
  }
  bool respondsToOnOfflineDownloadProgress() const override { return true; }
  std::vector<std::shared_ptr<OfflineDownloadProgress>> offlineProgress() const {
    std::lock_guard lock(mutex_);
    return offlineProgress_;
  }

  std::vector<std::shared_ptr<Column>> backgroundColumns() const {
    std::lock_guard lock(mutex_);
    return backgroundColumns_;
  }
  // The (total, cleaned) pairs a cleaning task reported.
  std::vector<std::pair<int, int>> cleanProgressOf(const std::shared_ptr<Task>& task) const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<int, int>> found;
    for (const auto& p : cleanProgress_) {
      if (p.task == task) found.emplace_back(p.total, p.cleaned);
    }
    return found;
  }
  // The feeds, entries, images and column events one task reported, in order.
  std::vector<std::shared_ptr<Feed>> feedsOf(const std::shared_ptr<Task>& task) const {
    return valuesOf(feeds_, task);
  }
  std::vector<std::shared_ptr<Entry>> entriesOf(const std::shared_ptr<Task>& task) const {
    return valuesOf(entries_, task);
  }
  std::vector<std::shared_ptr<UserInfo>> userInfosOf(const std::shared_ptr<Task>& task) const {
    return valuesOf(userInfos_, task);
  }
  std::vector<std::optional<std::string>> stringsOf(const std::shared_ptr<Task>& task) const {
    std::lock_guard lock(mutex_);
    std::vector<std::optional<std::string>> found;
    for (const auto& [from, string] : strings_) {
      if (from == task) found.push_back(string);
    }
    return found;
  }
  std::vector<Image> imagesOf(const std::shared_ptr<Task>& task) const {
    std::lock_guard lock(mutex_);
    std::vector<Image> found;
    for (const auto& i : images_) {
      if (i.task == task) found.push_back(i);
    }
    return found;
  }
  std::vector<ColumnEvent> columnEvents() const {
    std::lock_guard lock(mutex_);
    return columnEvents_;
  }

 private:
  template <typename F>
  void record(F&& add) {
    {
      std::lock_guard lock(mutex_);
      add();
    }
    RunLoop::main()->post([] {});
  }
  template <typename T>
  std::vector<std::shared_ptr<T>> valuesOf(const std::vector<Result<T>>& results,
                                           const std::shared_ptr<Task>& task) const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<T>> found;
    for (const auto& r : results) {
      if (r.task == task) found.push_back(r.value);
    }
    return found;
  }

  mutable std::mutex mutex_;
  std::vector<Finish> finishes_;
  std::vector<Result<Feed>> feeds_;
  std::vector<Result<Entry>> entries_;
  std::vector<Result<UserInfo>> userInfos_;
  std::vector<std::pair<std::shared_ptr<Task>, std::optional<std::string>>> strings_;
  std::vector<Image> images_;
  std::vector<ColumnEvent> columnEvents_;
  std::vector<std::shared_ptr<Column>> backgroundColumns_;
  struct CleanProgress {
    std::shared_ptr<Task> task;
    int total;
    int cleaned;
  };
  std::vector<CleanProgress> cleanProgress_;
  std::vector<std::shared_ptr<OfflineDownloadProgress>> offlineProgress_;
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

// The account `info` of the platform, stored for `user`, with the clients made afresh.
inline void bindAccount(const std::string& user, int platform, const std::string& token,
                        const std::string& secret) {
  PlatformAccountInfo info;
  info.accessToken = token;
  info.secret = secret;
  OpenPlatformFactory::instance().setUserAcountInfo(user, platform, info);
  OpenPlatformFactory::instance().reset();
}

inline std::shared_ptr<OpenPlatformBase> platformClient(int platform) {
  return OpenPlatformFactory::instance().getOpenPlatformInstance(platform);
}

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
    OpenPlatformFactory::instance().reset();
    VESKLogInit();
  }
  void TearDown() override {
    stopEngine();
    VESKLogUninit();
    OpenPlatformFactory::instance().reset();
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
  // Waits until no task runs (for muted tasks, which report no finish): a check posted to the
  // task thread behind its work wakes this loop with the answer.
  bool waitUntilIdle() {
    auto idle = std::make_shared<std::atomic<bool>>(false);
    return RunLoop::current()->runUntil(
        [&] {
          gTaskEngine()->runLoop()->post([idle] {
            if (auto engine = gTaskEngine()) *idle = engine->runningTasks().empty();
            RunLoop::main()->post([] {});
          });
          return idle->load();
        },
        20);
  }
  // Runs the task through the facade and waits for its finish.
  std::optional<EngineResultRecorder::Finish> runTask(const std::shared_ptr<Task>& task) {
    engine_->asyncRunTask(task);
    return observer_->waitForFinish(task);
  }

  TempHome home_;
  std::filesystem::path bundleDir_;
  SampleService service_;
  std::shared_ptr<EngineResultRecorder> observer_ = std::make_shared<EngineResultRecorder>();
  std::shared_ptr<DataEngine> engine_;
};

// The whole engine over a network whose state the test sets through probe_ (Wi-Fi at first),
// with the URL table filled.
class ConnectedEngineFixture : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    NetworkProbe::setShared(probe_);
    startEngine();
    ASSERT_EQ(runTask(std::make_shared<ServiceUrlProbeTask>())->code, 0);
  }
  void TearDown() override {
    EngineFixture::TearDown();
    NetworkProbe::setShared(nullptr);
  }

  std::shared_ptr<SettableNetworkProbe> probe_ = std::make_shared<SettableNetworkProbe>();
};

}  // namespace zu::testing
