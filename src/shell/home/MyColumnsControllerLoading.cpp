// MyColumnsController: the automatic login, the local reads of the list, the server refresh,
// the daily login report, the account changes and the tips.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "common/DateUtil.h"
#include "common/Log.h"
#include "common/Reachability.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/Window.h"
#include "shell/home/CoverViewController.h"
#include "shell/app/ErrorTips.h"
#include "shell/home/MyColumnsController.h"
#include "views/GridView.h"

namespace zu {

namespace {

constexpr const char* kUsernameKey = "username";
constexpr const char* kPasswordKey = "password";
constexpr const char* kAnonymousKey = "isAnonymous";
constexpr const char* kErrorContext = " ";
constexpr int kCacheTipMegabytes = 100;
constexpr double kTipAfterCacheTipSeconds = 4.0;
constexpr int kLargeTipUnits = 20;
constexpr double kTipFadeSeconds = 0.3;
constexpr double kTipInDelay = 0.01;
constexpr double kTipOutDelay = 2.0;

bool nonEmpty(const std::optional<std::string>& text) { return text && !text->empty(); }

}  // namespace

// --- the rules ---------------------------------------------------------------------------------

bool MyColumnsController::shouldRefreshAfterLocalRead(const Value& autoRefreshOn,
                                                      bool isUserFirstLogin,
                                                      int reachabilityStatus) {
  const bool allowed = autoRefreshOn.isNull() || autoRefreshOn.boolValue() || isUserFirstLogin;
  return allowed && reachabilityStatus != 0;
}

std::optional<int> MyColumnsController::cacheTipMegabytes(int64_t normalCacheBytes) {
  const int64_t megabytes = normalCacheBytes >> 20;
  if (megabytes < kCacheTipMegabytes) return std::nullopt;
  return static_cast<int>(std::min<int64_t>(megabytes, INT32_MAX));
}

int MyColumnsController::reportDayKey(int year, int month, int day) {
  return year * 1000 + month * 40 + day;
}

ui::Rect MyColumnsController::tipFrame(const std::string& text) {
  if (StringUtil::utf16Length(text) > static_cast<size_t>(kLargeTipUnits)) {
    return ui::Rect(40, 350, 239, 60);
  }
  return ui::Rect(63, 350, 193, 30);
}

// --- tasks -------------------------------------------------------------------------------------

void MyColumnsController::runTask(const std::shared_ptr<Task>& task,
                                  void (MyColumnsController::*handler)(const Notification&)) {
  auto engine = gDataEngine();
  if (!engine || !task) return;
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this,
                                          [this, handler](const Notification& n) { (this->*handler)(n); });
  engine->asyncRunTask(task);
}

std::optional<MyColumnsController::Finish> MyColumnsController::finishOf(const Notification& n) {
  const std::string* type = n.userInfo.get("ResultType").asString();
  const std::string* state = n.userInfo.get("StateResult").asString();
  if (!type || *type != "TaskStatus" || !state || *state != "TaskFinish") return std::nullopt;
  NotificationCenter::defaultCenter().remove(this, n.name);
  Finish finish;
  finish.code = static_cast<int>(n.userInfo.get("Result").intValue());
  if (const std::string* desc = n.userInfo.get("ErrDesc").asString()) finish.desc = *desc;
  return finish;
}

void MyColumnsController::showError(const Finish& finish) {
  ErrorTips::showErrorInfo(finish.code, finish.desc, std::string(kErrorContext));
}

// --- first load, login and the local read -------------------------------------------------------

void MyColumnsController::create_coverWindow(bool overScreen) {
  if (!coverWindow_) {
    coverWindow_ = std::make_shared<ui::Window>(ui::Rect(overScreen ? 0 : -320, 0, 320, 480));
    coverWindow_->setWindowLevel(ui::kWindowLevelStatusBar + 1);
    auto cover = std::make_shared<CoverViewController>();
    coverWindow_->setRootViewController(cover);
    ViewController::installAsRoot(*coverWindow_, cover);
  }
  coverWindow_->setHidden(false);
}

void MyColumnsController::autoLogin() {
  auto& defaults = UserDefaults::standard();
  const auto username = defaults.stringForKey(kUsernameKey);
  const auto password = defaults.stringForKey(kPasswordKey);
  auto engine = gDataEngine();
  if (engine && nonEmpty(username) && nonEmpty(password) && !defaults.boolForKey(kAnonymousKey)) {
    runTask(engine->createLoginTask(username, password, false),
            &MyColumnsController::loginResultOnMainThread);
  } else {
    asyncRequestSubscribedColumnsFromLocal();
  }
}

void MyColumnsController::loginResultOnMainThread(const Notification& n) {
  auto finish = finishOf(n);
  if (!finish) return;
  if (finish->code < 0) {
    showError(*finish);
    if (isFirst_) postColumnReady();
    return;
  }
  auto& defaults = UserDefaults::standard();
  if (auto engine = gDataEngine()) {
    engine->setUsername(defaults.stringForKey(kUsernameKey), defaults.stringForKey(kPasswordKey));
  }
  defaults.set(kAnonymousKey, Value(false));
  asyncRequestSubscribedColumnsFromLocal();
}

void MyColumnsController::asyncRequestSubscribedColumnsFromLocal() {
  auto engine = gDataEngine();
  if (!engine) return;
  runTask(engine->createGetSubscribedColumnsTask(true),
          &MyColumnsController::subscribedColumnsResultAfterLoginOnMainThread);
}

void MyColumnsController::subscribedColumnsResultAfterLoginOnMainThread(const Notification& n) {
  if (auto finish = finishOf(n)) {
    if (finish->code != 0) {
      showError(*finish);
      if (isFirst_) postColumnReady();
    }
    return;
  }
  const std::string* type = n.userInfo.get("ResultType").asString();
  if (!type || *type != "Feed") return;
  auto feed = n.userInfo.get("Result").asObject<Feed>();
  dropStagedUpdate();
  dataSource_.clear();
  if (feed && feed->entrys()) {
    for (const auto& entry : *feed->entrys()) {
      if (auto column = std::dynamic_pointer_cast<Column>(entry)) dataSource_.push_back(column);
    }
  }
  currentPage_ = 0;
  if (gridView_) {
    gridView_->reloadData();
    gridView_->setPage(0, false);
  }
  if (isFirst_) firstLoad(feed);
  auto engine = gDataEngine();
  if (!engine) return;
  engine->getInfo();
  const int status = reachability_ ? reachability_->currentReachabilityStatus() : 0;
  if (shouldRefreshAfterLocalRead(UserDefaults::standard().objectForKey(kAutoRefreshKey),
                                  engine->isUserFirstLogin(), status)) {
    updateColumnsFromServer();
  }
}

// The first load is over, shown or failed: the cover slides away, once. A failed automatic
// login or a failed first read would otherwise leave the reader behind it for good.
void MyColumnsController::postColumnReady() {
  isFirst_ = false;
  NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification, Value(shared()));
}

void MyColumnsController::firstLoad(const std::shared_ptr<Feed>&) {
  postColumnReady();
  auto engine = gDataEngine();
  const auto megabytes = engine ? cacheTipMegabytes(engine->getNormalCacheSize()) : std::nullopt;
  if (megabytes) {
    char text[160];
    std::snprintf(text, sizeof text, "您的缓存已达 %d MB，\n建议您先手动清除缓存以提升性能", *megabytes);
    showTipView(text);
    postDelayedTask(kTipAfterCacheTipSeconds, [](MyColumnsController& self) { self.showLastRefreshTime(); });
  } else {
    showLastRefreshTime();
  }
}

// --- the server refresh -------------------------------------------------------------------------

void MyColumnsController::refreshButtonPressed() {
  if (auto engine = gDataEngine()) engine->getInfo();
  updateColumnsFromServer();
}

void MyColumnsController::updateColumnsFromServer() {
  if (refreshing_ || !gDataEngine()) return;
  refreshing_ = true;
  refreshControls();
  syncAccount();
  updateReportTime();
}

// The account sync brings the service's list into the local store; the fresh local read
// follows its success.
void MyColumnsController::syncAccount() {
  auto engine = gDataEngine();
  if (!engine) return;
  runTask(engine->createSyncAccountDataTask(), &MyColumnsController::syncAccountResultOnMainThread);
}

void MyColumnsController::syncAccountResultOnMainThread(const Notification& n) {
  NotificationCenter::defaultCenter().post(kSyncResultNotification);
  auto finish = finishOf(n);
  if (!finish) return;
  if (finish->code != 0) {
    showError(*finish);
    endRefresh();
    return;
  }
  if (auto engine = gDataEngine()) {
    readChanges_.emplace();
    runTask(engine->createGetSubscribedColumnsTask(true),
            &MyColumnsController::subscribedColumnsResultAfterSyncOnMainThread);
  }
}

void MyColumnsController::subscribedColumnsResultAfterSyncOnMainThread(const Notification& n) {
  if (auto finish = finishOf(n)) {
    readChanges_.reset();
    if (finish->code != 0) {
      showError(*finish);
      endRefresh();
    }
    return;
  }
  const std::string* type = n.userInfo.get("ResultType").asString();
  if (type && *type == "Feed") dataSourceUpdate(n.userInfo.get("Result").asObject<Feed>());
}

void MyColumnsController::endRefresh() {
  refreshing_ = false;
  refreshControls();
}

void MyColumnsController::updateReportTime() {
  const std::time_t now = static_cast<std::time_t>(Clock::get()->now());
  std::tm local{};
  localtime_r(&now, &local);
  const int key = reportDayKey(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  if (key > lastReportTime_) {
    if (auto engine = gDataEngine()) engine->reportLogin();
    lastReportTime_ = key;
  }
}

void MyColumnsController::userLoginWithMerge() {
  // Stored here, before the read below starts: stored on another thread it could land after
  // the read, which would then show the store's older order.
  if (auto engine = gDataEngine()) {
    engine->updateSubscribedColumnsOrder(
        std::vector<std::shared_ptr<Entry>>(dataSource_.begin(), dataSource_.end()));
  }
  lastReportTime_ = -1;
  asyncRequestSubscribedColumnsFromLocal();
}

void MyColumnsController::userLogout() {
  lastReportTime_ = -1;
  asyncRequestSubscribedColumnsFromLocal();
}

// --- tips --------------------------------------------------------------------------------------

void MyColumnsController::timerCount() {
  const double now = Clock::get()->now();
  if (now - refreshTipMark_ <= kRefreshTipSeconds) return;
  if (isViewActivity_) {
    showLastRefreshTime();
  } else {
    needToShowLastRefreshTime_ = true;
  }
  refreshTipMark_ = now;
}

void MyColumnsController::showLastRefreshTime() {
  const Value stored = UserDefaults::standard().objectForKey(kRefreshTimeKey);
  if (stored.isNull()) return;
  showTipView("上次刷新 " + DateUtil::getFormatedCommentDateString(stored.doubleValue()));
  needToShowLastRefreshTime_ = false;
}

void MyColumnsController::showTipView(const std::string& text) {
  if (!isViewLoaded()) return;
  auto tip = std::make_shared<ui::View>(tipFrame(text));
  tip->setBackgroundColor(ui::Color::white(0, 0.8f));
  tip->layer().cornerRadius = 4.0f;
  auto label = std::make_shared<ui::Label>(tip->bounds());
  label->setText(text);
  label->setTextColor(ui::Color::whiteColor());
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::named("HelveticaNeue-Bold", 15));
  label->setShadowColor(ui::Color::blackColor());
  label->setShadowOffset(ui::Size{1, 1});
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setNumberOfLines(0);
  tip->addSubview(label);
  view()->addSubview(tip);
  tip->setAlpha(0);
  ui::Animations::animate(
      kTipFadeSeconds, kTipInDelay, ui::kAnimationOptionCurveEaseIn, [tip] { tip->setAlpha(1); },
      [tip](bool) {
        ui::Animations::animate(
            kTipFadeSeconds, kTipOutDelay, ui::kAnimationOptionCurveEaseOut,
            [tip] { tip->setAlpha(0); }, [tip](bool) { tip->removeFromSuperview(); });
      });
}

}  // namespace zu
