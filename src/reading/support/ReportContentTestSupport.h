// What the article list's tests share: a scripted engine (tasks recorded, results posted by the
// test through the application observer), summaries and pages made to order, and a fixture with
// the list in a navigation controller in a window, on a fake clock in Asia/Shanghai.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "common/Log.h"
#include "common/Reachability.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/views/Window.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/ReadingNibs.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/detail/ColumnDetailViewController.h"

namespace zu {

constexpr int64_t kNow = 1767585600000;  // 2026-01-05 12:00 in Asia/Shanghai
constexpr int64_t kHour = 3600 * 1000;

class ListTask : public Task {
 public:
  std::string className() const override { return "ListTask"; }
  std::shared_ptr<Link> link;
  bool useCache = false;
};

inline std::shared_ptr<Link> linkTo(const std::string& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

// A thumbnail session that only records what the list asks of it.
class SpySession : public DownloadWithPrioritySession {
 public:
  struct Window {
    int location, length, strategy, type, top;
    bool operator==(const Window&) const = default;
  };
  explicit SpySession(UrlList list) : urls(std::move(list)) {}
  void appendUrlArray(const std::optional<UrlList>& more) override {
    if (more) urls.insert(urls.end(), more->begin(), more->end());
  }
  void setGroupWithStrategy(int location, int length, int strategy, int type, int top) override {
    windows.push_back({location, length, strategy, type, top});
  }
  void sessionPause() override { paused = true; }
  void sessionResume() override { paused = false; }
  void sessionClose() override { closed = true; }

  UrlList urls;
  std::vector<Window> windows;
  bool paused = false;
  bool closed = false;
};

class ScriptedListEngine : public ReportContentEngine {
 public:
  std::shared_ptr<Task> createGetNewsSummarysTask(const std::shared_ptr<Link>& link, const std::shared_ptr<Column>&,
                                                  bool useCache) override {
    auto task = std::make_shared<ListTask>();
    task->link = link;
    task->useCache = useCache;
    tasks.push_back(task);
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>&) override {}
  std::optional<double> getColumnRefreshTime(const Text& key) override {
    auto it = key ? refreshTimes.find(*key) : refreshTimes.end();
    return it == refreshTimes.end() ? std::nullopt : std::optional<double>(it->second);
  }
  void setColumnRefreshTime(const Text& key, double time) override { refreshTimes[key.value_or("")] = time; }
  void markNewsRead(const Text& id) override { read.push_back(id.value_or("")); }
  bool isInternetReachable() override { return reachable; }
  Text getImageLocalPath(const Text& url) override {
    auto it = url ? cachedFiles.find(*url) : cachedFiles.end();
    return it == cachedFiles.end() ? std::nullopt : Text(it->second);
  }
  void downloadImageBatch(const std::vector<std::string>& urls) override { iconBatches.push_back(urls); }
  std::shared_ptr<DownloadWithPrioritySession> createThumbSession(const std::vector<Text>& urls) override {
    auto session = std::make_shared<SpySession>(urls);
    sessions.push_back(session);
    return session;
  }
  std::shared_ptr<Column> createFavoriteColumn() override {
    auto column = std::make_shared<Column>();
    column->setIsFavoriteColumn(true);
    column->setTitle(std::string("我的收藏"));
    column->setAlternatelink(linkTo("http://list/fav"));
    return column;
  }
  bool isAnonymous() override { return anonymous; }
  int64_t getFavoriteNewsCount() override { return favoriteCount; }

  // The tasks tagged `tag`, oldest first.
  std::vector<std::shared_ptr<ListTask>> tagged(const std::string& tag) const {
    std::vector<std::shared_ptr<ListTask>> found;
    for (const auto& task : tasks) {
      if (task->userIdentity() == std::optional<std::string>(tag)) found.push_back(task);
    }
    return found;
  }

  std::vector<std::shared_ptr<ListTask>> tasks;
  std::map<std::string, double> refreshTimes;
  std::vector<std::string> read;
  bool reachable = true;
  std::map<std::string, std::string> cachedFiles;
  std::vector<std::vector<std::string>> iconBatches;
  std::vector<std::shared_ptr<SpySession>> sessions;
  bool anonymous = false;
  int64_t favoriteCount = 0;
};

inline std::shared_ptr<NewsSummary> summary(const std::string& id, int64_t updated, int type = 0) {
  auto item = std::make_shared<NewsSummary>();
  item->setEntryId(id);
  item->setTitle("title " + id);
  auto content = std::make_shared<Content>();
  content->setData("summary of " + id);
  item->setContent(content);
  item->setUpdated(updated);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(type);
  item->setVeskEntryStatus(status);
  return item;
}

inline std::shared_ptr<Feed> page(const std::vector<std::shared_ptr<NewsSummary>>& items, bool withNext) {
  auto feed = std::make_shared<Feed>();
  feed->setEntrys(std::vector<std::shared_ptr<Entry>>());
  for (const auto& item : items) feed->appendEntrys(item);
  if (withNext) feed->setNextLink(linkTo("http://list/next"));
  return feed;
}

// Items "<prefix><i>" an hour apart going back from `start`.
inline std::vector<std::shared_ptr<NewsSummary>> items(const std::string& prefix, int count, int64_t start, int type = 0) {
  std::vector<std::shared_ptr<NewsSummary>> out;
  for (int i = 0; i < count; ++i) out.push_back(summary(prefix + std::to_string(i), start - i * kHour, type));
  return out;
}

inline std::vector<size_t> sectionSizes(const ReportContentController& list) {
  std::vector<size_t> sizes;
  for (const auto& section : list.sortdataSource()) sizes.push_back(section.size());
  return sizes;
}

class ReportContentFixture : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    clock_->setNowMillis(kNow);
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    navigation_.reset();
    tabs_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    TimeZone::setDefault(std::nullopt);
    ShellFixture::TearDown();
  }

  std::shared_ptr<Column> column(int type = 0) {
    auto column = std::make_shared<Column>();
    column->setEntryId("col-1");
    column->setTitle("Harbour");
    column->setAlternatelink(linkTo("http://list/first"));
    column->setUpdated(kNow - kHour);
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(type);
    column->setVeskEntryStatus(status);
    return column;
  }

  // The list in a navigation controller in the window, its first task made through the loader.
  std::shared_ptr<ReportContentController> open(const std::shared_ptr<Column>& shown) {
    const size_t before = engine_->tagged(ReportContentController::kSummaryTag).size();
    auto list = std::make_shared<ReportContentController>();
    list->setEngine(engine_);
    list->setDataColumn(shown);
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    EXPECT_TRUE(RunLoop::main()->runUntil(
        [&] { return engine_->tagged(ReportContentController::kSummaryTag).size() > before; }, 10));
    return list;
  }
  std::shared_ptr<ListTask> last(const char* tag) {
    auto found = engine_->tagged(tag);
    return found.empty() ? nullptr : found.back();
  }
  void report(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed, int code = 0) {
    if (feed) Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "Feed"}, {"Result", Value(feed)}});
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)}, {"ResultType", "TaskStatus"},
                                                {"StateResult", "TaskFinish"}, {"Result", code}, {"ErrDesc", "null"}});
    settle(0);
  }
  // Lays the table out and has every row drawn once, as scrolling to the end would.
  void showAllRows(ReportContentController& list) {
    auto& table = *list.contenttable();
    table.layoutIfNeeded();
    const int64_t sections = table.numberOfSections();
    if (sections == 0) return;
    const int64_t rows = table.numberOfRowsInSection(sections - 1);
    if (rows > 0) table.scrollToRow(ui::IndexPath::forRow(rows - 1, sections - 1), ui::TableViewScrollPosition::Bottom, false);
    table.layoutIfNeeded();
  }

  std::shared_ptr<ScriptedListEngine> engine_ = std::make_shared<ScriptedListEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<ui::TabBarController> tabs_;
};

}  // namespace zu
