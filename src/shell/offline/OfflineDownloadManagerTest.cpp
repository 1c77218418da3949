// The offline download manager and its pop-up against the sample service, through the real
// engine and the application's Observer: what every report does to the rows and the bar, the
// summary, a cancel, a lost network, hiding and opening again, and a finish while hidden.
#include "shell/offline/OfflineDownloadManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SampleService.h"
#include "common/ServiceHosts.h"
#include "engine/core/DataEngine.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/views/Window.h"
#include "shell/offline/DownloadTableViewCell.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/app/Observer.h"
#include "shell/offline/OfflineDownloadDelegate.h"
#include "shell/offline/OfflineDownloadView.h"
#include "shell/app/ShellTestSupport.h"
#include "store/EntryPersistenter.h"
#include "testing/SettableNetworkProbe.h"

namespace zu {
namespace {

// The home screen's part: the download button in its view, and it lets the manager go when told.
class Home : public OfflineDownloadDelegate {
 public:
  Home() {
    window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    // The screen's view fills the area under the status bar, as inside its navigation controller.
    auto content = std::make_shared<ui::View>(ui::Rect(0, 20, 320, 460));
    view = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 460));
    view->setBackgroundColor(MyFaceSettings::getBackgroundColorForMainView());
    button = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(232, 6, 44, 44));
    MyFaceSettings::setImageForOfflineDownloadButton(*button);
    view->addSubview(button);
    content->addSubview(view);
    window->addSubview(content);
    window->makeKeyAndVisible();
  }
  std::shared_ptr<ui::Button> getDownloadButton() override { return button; }
  void finishOfflineDownload() override {
    ++finishes;
    manager.reset();
  }

  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::View> view;
  std::shared_ptr<ui::Button> button;
  std::shared_ptr<OfflineDownloadManager> manager;
  int finishes = 0;
};

// What one report left on screen and in the manager.
struct Step {
  std::string report;  // "i/total:percent", "bytes" or "stale"
  std::string rows;    // the stored states, " | " between rows
  std::string cells;   // the visible cells' state texts, or "hidden"
  float bar = -1;      // the fill's width, -1 while hidden
  std::string dump() const {
    char bar_text[32];
    std::snprintf(bar_text, sizeof bar_text, "%.2f", bar);
    return report + "  rows[" + rows + "]  cells[" + cells + "]  bar " + bar_text;
  }
};

class OfflineDownloadManagerTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NetworkProbe::setShared(probe_);
    ASSERT_TRUE(service_.start());
    ServiceHosts::setAllHosts(service_.host());
    DataEngine::initGlobalInstance();
    engine_ = gDataEngine();
    observer_ = std::make_shared<Observer>();
    engine_->setObserver(observer_);
    home_ = std::make_shared<Home>();
    // The service's addresses, as the application has them from its first requests.
    auto urls = std::make_shared<testing::ServiceUrlProbeTask>();
    std::optional<int64_t> code;
    NotificationCenter::defaultCenter().add(urls->getTaskIdStr(), this, [&](const Notification& n) {
      if (n.userInfo.get("ResultType").stringValue() == std::optional<std::string>("TaskStatus")) {
        code = n.userInfo.get("Result").intValue();
      }
    });
    engine_->asyncRunTask(urls);
    ASSERT_TRUE(turnUntil([&] { return code.has_value(); }));
    NotificationCenter::defaultCenter().remove(this);
    ASSERT_EQ(code, 0);
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    MyFaceSettings::setModeIsNight(false);
    home_.reset();
    engine_.reset();
    DataEngine::uninitGlobalInstance();
    ServiceHosts::setAllHosts(std::nullopt);
    service_.stop();
    NetworkProbe::setShared(nullptr);
    ShellFixture::TearDown();
  }

  // Stores a column of the sample service ("col-gen-<n>": n articles) with its switch.
  std::shared_ptr<Column> column(int articles, const std::string& title, bool offline = true) {
    auto column = std::make_shared<Column>();
    const std::string n = std::to_string(articles);
    column->setEntryId("col-gen-" + n);
    column->setTitle(title);
    auto link = std::make_shared<Link>();
    link->setRel(std::string("alternate"));
    link->setHref(service_.baseUrl() + "/col/gen-" + n + ".atom");
    column->setAlternatelink(link);
    EXPECT_TRUE(engine_->getSubPersist()->insertEntry(column));
    engine_->setColumnOfflineDownload(*column->entryId(), offline);
    return column;
  }

  // What the home screen does on its button: a manager, itself as delegate, the pop-up (before
  // the main loop turns, so a test can watch every report).
  std::weak_ptr<OfflineDownloadManager> start(const std::vector<std::shared_ptr<Column>>& columns) {
    home_->manager = OfflineDownloadManager::create(columns);
    home_->manager->setDelegate(home_, home_->view);
    home_->manager->openDownloadView();
    return home_->manager;
  }

  // Turns the main loop, letting the fake clock run on, until `done` holds (30 s real at most).
  bool turnUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
      if (done()) return true;
      clock_->advance(0.05);
      RunLoop::main()->runUntil(done, 0.01);
    }
    return done();
  }

  OfflineDownloadView* panel() const {
    return home_->manager ? home_->manager->downloadView().get() : nullptr;
  }
  // The state text a visible row shows, or "-" for a row without a cell.
  std::string cellText(int row) const {
    auto* view = panel();
    auto cell = view ? std::dynamic_pointer_cast<DownloadTableViewCell>(
                           view->tableView()->cellForRow(ui::IndexPath{0, row}))
                     : nullptr;
    return cell ? cell->detailLabel()->text() : "-";
  }
  Step snapshot(const std::string& report) const {
    Step step{report, "", "hidden", -1};
    const auto& manager = *home_->manager;
    for (size_t i = 0; i < manager.columnsState().size(); ++i) {
      step.rows += (i ? " | " : "") + manager.columnsState()[i];
    }
    if (auto* view = panel()) {
      view->layoutIfNeeded();
      step.cells.clear();
      for (int i = 0; i < manager.columnsCount(); ++i) step.cells += (i ? " | " : "") + cellText(i);
      step.bar = view->progressImageView()->frame().size.width;
    }
    return step;
  }
  // Records a step after the manager has handled each of its task's reports.
  void watchReports() {
    NotificationCenter::defaultCenter().add(home_->manager->task()->getTaskIdStr(), this, [this](const Notification& n) {
      if (!home_->manager) return;
      auto progress = n.userInfo.get("Result").asObject<OfflineDownloadProgress>();
      if (!progress) return;
      if (progress->isFlowNotify()) {
        maxBytes_ = std::max(maxBytes_, static_cast<int64_t>(progress->bytes()));
        steps_.push_back(snapshot("bytes"));
      } else {
        steps_.push_back(snapshot(std::to_string(progress->index()) + "/" + std::to_string(progress->total()) +
                                  ":" + std::to_string(progress->percent())));
      }
    });
  }
  bool sawReport(const std::string& prefix) const {
    for (const auto& step : steps_) {
      if (step.report.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  // Beside the pictures: in $ZU_SNAPSHOT_DIR, or snapshots/.
  void writeTranscript(const std::string& name) const {
    const char* env = std::getenv("ZU_SNAPSHOT_DIR");
    const std::filesystem::path dir = env && *env ? env : "snapshots";
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / (name + ".txt"));
    for (const auto& step : steps_) out << step.dump() << "\n";
  }

  std::shared_ptr<SettableNetworkProbe> probe_ = std::make_shared<SettableNetworkProbe>();
  SampleService service_;
  std::shared_ptr<DataEngine> engine_;
  std::shared_ptr<Observer> observer_;
  std::shared_ptr<Home> home_;
  std::vector<Step> steps_;
  int64_t maxBytes_ = 0;
};

// Two columns downloaded; a third, switched off, gets no row. Every report is dumped: the first
// changes no row, byte counts change nothing, a report for column 2 marks row 0 done (the
// pop-up shows the next row checking), a stale report for column 1 is ignored, and the last
// row is left downloading. The summary shows the download's article count and traffic, then
// the pop-up shrinks into the button, the button stops and the manager is let go.
TEST_F(OfflineDownloadManagerTest, TwoColumnsEveryReportTheSummaryAndTheEnd) {
  auto first = column(3, "三篇新闻");
  auto off = column(4, "不下载", false);
  auto second = column(2, "两篇图片");
  auto weak = start({first, off, second});
  auto manager = weak.lock();
  ASSERT_TRUE(manager);
  EXPECT_EQ(manager->columnsTitle(), (std::vector<std::string>{"三篇新闻", "两篇图片"}));
  EXPECT_EQ(manager->task()->userIdentity(), std::optional<std::string>("offlineDownload"));
  EXPECT_TRUE(OfflineDownloadManager::isDownloading());
  ASSERT_TRUE(panel());
  EXPECT_EQ(panel()->titleLabel()->text(), "三篇新闻");
  EXPECT_EQ(panel()->numeratorLabel()->text(), "1");
  EXPECT_EQ(panel()->denominatorLabel()->text(), "/ 2");
  EXPECT_TRUE(home_->button->imageView()->isAnimating());
  EXPECT_EQ(home_->button->imageView()->animationImages().size(), 17u);
  EXPECT_EQ(manager->backgroundView()->superview().get(), home_->window.get());
  manager.reset();
  watchReports();
  // A stale report for column 1, sent through the observer once column 2 has begun.
  ASSERT_TRUE(turnUntil([&] { return sawReport("2/2:0"); }));
  EXPECT_EQ(panel()->stateLabel()->text(), "正在检查新文章:");
  EXPECT_EQ(panel()->titleLabel()->text(), "两篇图片");
  EXPECT_EQ(panel()->numeratorLabel()->text(), "2");
  auto stale = std::make_shared<OfflineDownloadProgress>();
  stale->setIndex(1);
  stale->setTotal(2);
  stale->setPercent(50);
  observer_->onOfflineDownloadProgress(home_->manager->task(), *stale);
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  writeTranscript("offline-download-reports");

  // Byte counts, and the stale report (1/2:50 once column 2 has begun), change nothing.
  std::vector<Step> reports;
  bool secondBegun = false;
  bool staleSeen = false;
  for (size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    SCOPED_TRACE(step.dump());
    secondBegun = secondBegun || step.report.rfind("2/", 0) == 0;
    const bool isStale = secondBegun && step.report == "1/2:50";
    staleSeen = staleSeen || isStale;
    if (step.report == "bytes" || isStale) {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(step.rows, steps_[i - 1].rows);
      EXPECT_EQ(step.cells, steps_[i - 1].cells);
      EXPECT_EQ(step.bar, steps_[i - 1].bar);
    } else {
      reports.push_back(step);
    }
  }
  EXPECT_TRUE(staleSeen);
  std::vector<std::string> percents, rows, cells;
  std::vector<float> bars;
  for (const auto& step : reports) {
    percents.push_back(step.report);
    rows.push_back(step.rows);
    cells.push_back(step.cells);
    bars.push_back(step.bar);
  }
  EXPECT_EQ(percents, (std::vector<std::string>{"1/2:0", "1/2:33", "1/2:66", "1/2:100", "1/2:100", "2/2:0",
                                                "2/2:50", "2/2:100", "2/2:100"}));
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "等待下载 | 等待下载", "正在下载: 33% | 等待下载", "正在下载: 66% | 等待下载",
                      "正在下载: 100% | 等待下载", "正在下载: 100% | 等待下载", "已经完成 | 等待下载",
                      "已经完成 | 正在下载: 50%", "已经完成 | 正在下载: 100%", "已经完成 | 正在下载: 100%"}));
  ASSERT_EQ(cells.size(), 9u);
  EXPECT_EQ(cells[0], "等待下载 | 等待下载");
  EXPECT_EQ(cells[5], "已经完成 | 正在检查新文章");
  EXPECT_EQ(cells[8], "已经完成 | 正在下载: 100%");
  EXPECT_FLOAT_EQ(bars[0], 0);
  EXPECT_FLOAT_EQ(bars[1], 0.33f * 266);
  EXPECT_FLOAT_EQ(bars[4], 266);
  EXPECT_FLOAT_EQ(bars[5], 0);
  EXPECT_FLOAT_EQ(bars[6], 133);
  EXPECT_FLOAT_EQ(bars[8], 266);

  // The summary: five articles and the traffic of the last byte report.
  ASSERT_GT(maxBytes_, 0);
  auto summary = topAlert();
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->tag(), 345);
  EXPECT_EQ(summary->title(), std::optional<std::string>("离线下载完成"));
  EXPECT_EQ(summary->messageText(), OfflineDownloadManager::summaryMessage(5, maxBytes_));
  EXPECT_EQ(summary->buttonTitles(), std::vector<std::string>{"好"});
  EXPECT_EQ(alertCount(), 1u);
  EXPECT_FALSE(OfflineDownloadManager::isDownloading());
  EXPECT_FALSE(home_->button->imageView()->isAnimating());
  EXPECT_TRUE(home_->button->imageView()->animationImages().empty());
  EXPECT_TRUE(weak.expired());
  settle(1);
  EXPECT_EQ(home_->finishes, 1);
}

// Cancel mid-way: the button turns selected, the panel takes no touches, and the download ends
// without any alert; the pop-up closes and the manager is let go.
TEST_F(OfflineDownloadManagerTest, CancelMidWayEndsSilently) {
  service_.setResponseDelay("/article/gen-30-", 500);
  auto weak = start({column(30, "慢栏目")});
  watchReports();
  ASSERT_TRUE(turnUntil([&] { return sawReport("1/1:3"); }));
  auto cancel = panel()->cancelButton();
  cancel->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_TRUE(cancel->isSelected());
  EXPECT_FALSE(panel()->isUserInteractionEnabled());
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  EXPECT_EQ(alertCount(), 0u);
  EXPECT_TRUE(weak.expired());
  EXPECT_FALSE(OfflineDownloadManager::isDownloading());
  EXPECT_FALSE(home_->button->imageView()->isAnimating());
}

// The network goes mid-way: the error alert of code -13, then the pop-up closes.
TEST_F(OfflineDownloadManagerTest, LostNetworkShowsTheErrorAlert) {
  service_.setResponseDelay("/article/gen-30-", 500);
  auto weak = start({column(30, "慢栏目")});
  watchReports();
  ASSERT_TRUE(turnUntil([&] { return sawReport("1/1:3"); }));
  probe_->setFlags(SettableNetworkProbe::kOffline);
  service_.stop();
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title(), std::optional<std::string>("没有网络连接"));
  EXPECT_NE(alert->tag(), 345);
  EXPECT_EQ(alertCount(), 1u);
  EXPECT_TRUE(weak.expired());
}

// Hidden mid-way, the download goes on (the button keeps playing); opened again after column 2
// began, the pop-up shows the stored rows (row 0 done, with its mark), the saved column's
// number, title and bar. Snapshots of that pop-up by day and by night.
TEST_F(OfflineDownloadManagerTest, HideAndOpenAgainMidWayByDayAndNight) {
  service_.setResponseDelay("/article/gen-30-", 1000);
  auto weak = start({column(2, "快栏目"), column(30, "慢栏目")});
  watchReports();
  settle(0.5);
  panel()->hideButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.5);
  auto manager = weak.lock();
  ASSERT_TRUE(manager);
  EXPECT_FALSE(manager->downloadView());
  EXPECT_FALSE(manager->backgroundView());
  EXPECT_EQ(home_->window->subviews().size(), 1u);  // the dimming layer left the window
  EXPECT_TRUE(OfflineDownloadManager::isDownloading());
  EXPECT_TRUE(home_->button->imageView()->isAnimating());
  EXPECT_EQ(home_->finishes, 0);

  ASSERT_TRUE(turnUntil([&] { return sawReport("2/2:3"); }));
  EXPECT_EQ(steps_.back().cells, "hidden");
  manager->openDownloadView();
  settle(0.5);
  ASSERT_TRUE(panel());
  const auto saved = manager->savedProgress();
  ASSERT_EQ(saved->index(), 2);
  EXPECT_EQ(panel()->numeratorLabel()->text(), "2");
  EXPECT_EQ(panel()->titleLabel()->text(), "慢栏目");
  EXPECT_EQ(panel()->stateLabel()->text(), "正在下载:");
  EXPECT_EQ(panel()->titleLabel()->transform(), ui::Transform::makeTranslation(-39, 0));
  EXPECT_FLOAT_EQ(panel()->progressImageView()->frame().size.width, saved->percent() / 100.f * 266);
  panel()->layoutIfNeeded();
  auto done = std::dynamic_pointer_cast<DownloadTableViewCell>(panel()->tableView()->cellForRow(ui::IndexPath{0, 0}));
  ASSERT_TRUE(done);
  EXPECT_EQ(done->detailLabel()->text(), "已经完成");
  EXPECT_FALSE(done->iconImageView()->isHidden());
  EXPECT_EQ(done->detailLabel()->textColor(), ui::Color::rgba8(102, 163, 0));
  EXPECT_EQ(cellText(1).rfind("正在下载: ", 0), 0u);
  EXPECT_EQ(panel()->center(), home_->view->center());
  EXPECT_EQ(panel()->alpha(), 1.f);
  ASSERT_TRUE(ui::ContrastAudit::snapshotScreen("offline-download-day"));

  manager->hideDownloadView();
  settle(0.5);
  MyFaceSettings::setModeIsNight(true);
  home_->view->setBackgroundColor(MyFaceSettings::getBackgroundColorForMainView());
  MyFaceSettings::setImageForOfflineDownloadButton(*home_->button);
  manager->openDownloadView();
  settle(0.5);
  ASSERT_TRUE(panel());
  EXPECT_EQ(panel()->backgroundColor(), ui::Color::rgba8(58, 59, 63));
  ASSERT_TRUE(ui::ContrastAudit::snapshotScreen("offline-download-night"));
  MyFaceSettings::setModeIsNight(false);

  panel()->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  manager.reset();
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  EXPECT_TRUE(weak.expired());
}

// Opened again while it shrinks into the button: the shrink's end leaves the reopened pop-up
// on screen, taking touches. Opened again while the finish shrinks it, it still goes and the
// work ends.
TEST_F(OfflineDownloadManagerTest, OpenedAgainWhileItShrinks) {
  service_.setResponseDelay("/article/gen-30-", 1000);
  auto weak = start({column(30, "慢栏目")});
  settle(0.5);
  auto manager = weak.lock();
  panel()->hideButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.2);
  manager->openDownloadView();
  settle(1);
  ASSERT_TRUE(panel());
  EXPECT_EQ(manager->backgroundView()->superview().get(), home_->window.get());
  EXPECT_TRUE(panel()->isUserInteractionEnabled());

  panel()->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return !OfflineDownloadManager::isDownloading(); }));
  manager->openDownloadView();
  manager.reset();
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  EXPECT_EQ(home_->window->subviews().size(), 1u);
  EXPECT_TRUE(weak.expired());
}

// The finish arrives while the pop-up is hidden: the summary still shows, the button stops and
// the manager is let go (inside its own callback, which it outlives).
TEST_F(OfflineDownloadManagerTest, FinishWhileHiddenStillEndsTheWork) {
  service_.setResponseDelay("/article/gen-3-", 1000);
  auto weak = start({column(3, "三篇新闻")});
  settle(0.5);
  home_->manager->hideDownloadView();
  settle(0.5);
  ASSERT_FALSE(panel());
  ASSERT_TRUE(OfflineDownloadManager::isDownloading());
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  auto summary = topAlert();
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->tag(), 345);
  EXPECT_EQ(summary->messageText().rfind("此次下载共下载了3篇文章，共消耗流量 ", 0), 0u);
  EXPECT_FALSE(home_->button->imageView()->isAnimating());
  EXPECT_TRUE(weak.expired());
  settle(1);
  EXPECT_EQ(home_->finishes, 1);
}

// A report of a column already left behind that comes last, after the newest column's own,
// leaves the summary the newest report's articles and traffic (it made the summary say there
// were no new articles). The reports are handed to the manager in that order while the real
// download waits on the service, which is cancelled afterwards.
TEST_F(OfflineDownloadManagerTest, ALateReportOfAColumnLeftBehindLeavesTheSummaryItsArticles) {
  service_.setResponseDelay("/article/gen-30-", 1000);
  auto weak = start({column(2, "快栏目"), column(30, "慢栏目")});
  auto manager = weak.lock();
  ASSERT_TRUE(manager);
  auto task = manager->task();
  auto hand = [&](Dictionary userInfo) {
    manager->updateOfflineDownloadInfo(Notification{task->getTaskIdStr(), Value(), std::move(userInfo)});
  };
  auto report = [&](int32_t index, int32_t percent, int32_t articles, int32_t bytes) {
    auto progress = std::make_shared<OfflineDownloadProgress>();
    progress->setIndex(index);
    progress->setTotal(2);
    progress->setPercent(percent);
    progress->setTotalNewsCount(articles);
    progress->setBytes(bytes);
    hand({{"Task", Value(task)}, {"ResultType", "ColumnsOffDownLoad"}, {"Result", Value(progress)}});
  };
  report(1, 100, 2, 2048);
  report(2, 0, 2, 2048);
  report(2, 100, 7, 9216);
  report(1, 50, 0, 0);
  hand({{"Task", Value(task)}, {"ResultType", "TaskStatus"}, {"Result", 0}});
  auto summary = topAlert();
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->messageText(), OfflineDownloadManager::summaryMessage(7, 9216));
  // The real download ends before the test does, so its end cannot reach the next test's
  // download (task numbers start again with each engine).
  bool ended = false;
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [&](const Notification& n) {
    if (n.userInfo.get("ResultType").stringValue() == std::optional<std::string>("TaskStatus")) ended = true;
  });
  manager.reset();
  engine_->asyncCancelTask(task);
  ASSERT_TRUE(turnUntil([&] { return ended && home_->finishes == 1 && weak.expired(); }));
}

// The rows follow the home screen's order, which the engine's download follows once edit mode
// has stored it (after a drag).
TEST_F(OfflineDownloadManagerTest, RowsFollowTheStoredOrderAfterADrag) {
  auto a = column(1, "甲");
  auto b = column(2, "乙");
  auto c = column(3, "丙");
  const std::vector<std::shared_ptr<Column>> dragged = {c, a, b};
  engine_->updateSubscribedColumnsOrder({c, a, b});
  auto weak = start(dragged);
  std::vector<std::string> reported;  // the columns as the engine begins them
  NotificationCenter::defaultCenter().add(home_->manager->task()->getTaskIdStr(), this, [&](const Notification& n) {
    auto progress = n.userInfo.get("Result").asObject<OfflineDownloadProgress>();
    if (progress && !progress->isFlowNotify() && progress->percent() == 0) {
      reported.push_back(progress->column()->title().value_or("?"));
    }
  });
  EXPECT_EQ(weak.lock()->columnsTitle(), (std::vector<std::string>{"丙", "甲", "乙"}));
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  EXPECT_EQ(reported, (std::vector<std::string>{"丙", "甲", "乙"}));
}

// The summary's texts at the traffic's bounds and without articles, and the guarded corners.
TEST_F(OfflineDownloadManagerTest, SummaryTextsAndOutOfRangeNumbers) {
  EXPECT_EQ(OfflineDownloadManager::sizeText(1048575), "1023K");
  EXPECT_EQ(OfflineDownloadManager::sizeText(1048576), "1.00M");
  EXPECT_EQ(OfflineDownloadManager::sizeText(1500), "1K");
  EXPECT_EQ(OfflineDownloadManager::summaryMessage(0, 5000), "未检查到新文章，此次下载已结束。");
  EXPECT_EQ(OfflineDownloadManager::summaryMessage(7, 1572864),
            "此次下载共下载了7篇文章，共消耗流量 1.50M.你现在可在离线环境下，直接阅读文章");

  // The home screen's list lacks the column the store has switched on: no rows, yet the engine
  // reports column 1. No row is written, the title stays empty, and opening again with the
  // saved column past the rows scrolls nowhere.
  service_.setResponseDelay("/article/gen-30-", 1000);
  column(30, "只在存储里");
  auto weak = start({});
  ASSERT_TRUE(panel());
  EXPECT_EQ(panel()->titleLabel()->text(), "");
  EXPECT_EQ(panel()->denominatorLabel()->text(), "/ 0");
  watchReports();
  ASSERT_TRUE(turnUntil([&] { return sawReport("1/1:3"); }));
  auto manager = weak.lock();
  EXPECT_TRUE(manager->columnsState().empty());
  manager->hideDownloadView();
  settle(0.5);
  manager->openDownloadView();
  settle(0.5);
  ASSERT_TRUE(panel());
  EXPECT_EQ(panel()->numeratorLabel()->text(), std::to_string(manager->savedProgress()->index()));
  EXPECT_EQ(panel()->titleLabel()->text(), "");
  EXPECT_EQ(panel()->tableView()->contentOffset().y, 0);
  panel()->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  manager.reset();
  ASSERT_TRUE(turnUntil([&] { return home_->finishes == 1; }));
  EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace zu
