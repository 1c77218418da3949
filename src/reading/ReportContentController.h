// ReportContentController: the list of one column's articles, in the order the server gives them,
// in a plain table whose sections follow the calendar days of the articles (no section titles).
// The home grid opens it for a news tile through the interface file "ReportContentController",
// the request carrying the `Column` itself ("column"). The first page comes through the loader
// (cache allowed, except for the favourites column), a pull at the top refreshes it, a load-more
// row at the end fetches the next page, and a tap on an article opens the paged browser
// (ScrolledNewsBrowseController, pushed directly) on the shared summary list. An empty first page of an ordinary
// column shows the error tips -110001 (closing them leaves the screen); a failed first load shows
// the empty-list picture when nothing is listed.
//
// How the table is built: `dataSource` (every summary shown, shared with the browser: a
// replacement is a new array, a next page mutates the shared one) and `sortdataSource` (the
// sections' items) change together with the table, on the main thread, in one table update each:
// the whole list, a next page after the last listed id, new items at the top (1–6 new), or an
// animated rebuild 0.01 s later (album and video lists, or ≥ 7 new). Album and video lists pair
// items in section 0, an empty filler standing for a missing second; text lists open a section
// for each local calendar day of an item of type 0 or 2. The load-more row is an empty summary
// at the end while the feed has a next link.
//
// Where we differ on purpose (faults of the original built soundly):
// - The sections are computed on the main thread from the list as it is, and each change is one
//   table update there; there is no detached builder, so a next-page walk can never overlap a
//   whole-list build and the table's consistency check cannot fire.
// - The loader's thread only hands its work to the main loop, holding a weak reference; results
//   of a screen that is gone are dropped. Observers are removed before the members go.
// - Only one next-page task runs at a time; a next page whose entries all repeat listed ones adds
//   nothing.
// - A failed first load shows the empty-list picture only when the list is empty.
//
// Threads: main thread only (the loader's callbacks post to it). Owns its table, header, loading
// view and tasks' observations; the engine is shared.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/AsynLoaderDelegate.h"
#include "platform/runtime/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "reading/ScrolledNewsBrowseController.h"

namespace zu {

class AsynLoader;
class Column;
class Feed;
class LoadMoreView;
class LoadMoreViewCell;
class NewsSummary;
class ReportContentEngine;
class RefreshTableHeaderView;
class Task;
struct Notification;

namespace ui {
class Button;
class NibLoading;
}

class ReportContentController : public ui::ViewController,
                                public ui::TableViewDataSource,
                                public ui::TableViewDelegate,
                                public ui::AlertViewDelegate,
                                public AsynLoaderDelegate,
                                public ScrolledNewsBrowseDelegate {
 public:
  static constexpr const char* kNibName = "ReportContentController";
  static constexpr const char* kSummaryTag = "getFeedallSummary";
  static constexpr const char* kUpdateTag = "getFeedallupdate";
  static constexpr const char* kNextTag = "getFeedallNext";
  static constexpr int kEmptyColumnCode = -110001;
  static constexpr int kOfflineCode = -3003;
  static constexpr float kPullThreshold = -65;
  static constexpr float kPullInset = 60;
  static constexpr int kRebuildFromNew = 7;
  static constexpr const char* kLoadingText = "正在读取内容";
  static constexpr const char* kLoadingMoreText = "正在载入更多";
  static constexpr const char* kTapForMoreText = "点击载入更多";
  static constexpr int kEmptyListTag = 9100;
  static constexpr const char* kCurrentIndexNotification = "CurrentIndexNotification";

  using Items = std::vector<std::shared_ptr<NewsSummary>>;
  using SharedItems = std::shared_ptr<Items>;

  // Adds the builder of "ReportContentController" (the screen, from a request's "column").
  static void registerNib();

  ReportContentController();
  ~ReportContentController() override;

  void setEngine(std::shared_ptr<ReportContentEngine> engine) { engine_ = std::move(engine); }
  void setDataColumn(std::shared_ptr<Column> column);
  const std::shared_ptr<Column>& dataColumn() const { return dataColumn_; }
  // 0 text, 1 album, 2 video, 3 microblog, 4 favourites; set when the view loads.
  int cellType() const { return cellType_; }

  const SharedItems& dataSource() const { return dataSource_; }
  const std::vector<Items>& sortdataSource() const { return sortdataSource_; }
  const std::shared_ptr<Feed>& feedData() const { return feedData_; }
  const std::shared_ptr<ui::TableView>& contenttable() const { return contenttable_; }
  const std::shared_ptr<RefreshTableHeaderView>& refreshHeaderView() const { return refreshHeaderView_; }
  const std::shared_ptr<LoadMoreView>& loadingView() const { return loadingView_; }
  bool isReloading() const { return reloading_; }
  bool isNextPageRunning() const { return nextTaskId_.has_value(); }
  bool isNeedRefresh() const { return isNeedRefresh_; }
  bool nightMode() const { return nightMode_; }
  const std::shared_ptr<ui::Button>& leftButton() const { return leftButton_; }
  const std::shared_ptr<ui::Button>& rightButton() const { return rightButton_; }
  int indexPush() const { return indexPush_; }
  int indexPushOffset() const { return indexPushOffset_; }

  // Loading operations (main thread).
  void fetchUpdateData();
  void fetchNextData();
  // A network or foreground event: with the network up and nothing listed, refresh now when the
  // screen's tab is the selected one, else at the next appearance.
  void networkStatusChanged();
  void becomeForeground() { networkStatusChanged(); }

  // ui::TableViewDataSource / Delegate
  int64_t numberOfSections(ui::TableView&) override;
  int64_t numberOfRowsInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t) override { return 0.0f; }
  void didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  void scrollViewDidScroll(ui::ScrollView&) override;
  void scrollViewDidEndDragging(ui::ScrollView&, bool willDecelerate) override;

  // ui::AlertViewDelegate: closing the empty-column tips leaves the screen.
  void alertViewDidDismissWithButtonIndex(ui::AlertView&, int index) override;

  // AsynLoaderDelegate (loader thread): hands the work to the main loop.
  void loadBegin(AsynLoader&, const Value&) override;
  void loadSource(AsynLoader&, const Value&) override;

  // ScrolledNewsBrowseDelegate: the browser nears the end of the list.
  void needMorePages() override { fetchNextData(); }


 protected:
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<ReportContentController> sharedList();

  // Loading.
  void startFirstLoad();
  void startTask(const std::shared_ptr<Task>& task, const char* tag);
  void getResultOnMainThread(const Notification& notification);
  void onSummaryFeed(const std::shared_ptr<Feed>& feed);
  void refreshUpdateFeedOnMainThread(const std::shared_ptr<Feed>& feed);
  void onNextFeed(const std::shared_ptr<Feed>& feed);
  void onTaskStatus(const std::string& tag, int code, const std::optional<std::string>& errDesc);
  void setRefreshHeaderDate();
  void showEmptyListView();
  // The screen's own day or night look: backgrounds, the refresh header, the loading view and the
  // bar buttons (the rows' looks come with the rows).
  void applyNightMode(bool night);
  void removeLoadingView();
  static Items summariesOf(const Feed& feed);
  bool isAlbumOrVideo() const { return cellType_ == 1 || cellType_ == 2; }
  bool isFavorite() const;

  // Table building (ReportContentControllerTable.cpp).
  void sortData();
  void sortDataNext(const Items& items);
  void insertPreData(const Items& items);
  void sortDataUpdate(const Items& entries);
  void appendSections(const Items& items, std::optional<double> previousDay, bool withLoadMore);
  void deleteLoadMoreCell();
  void pauseLoadMoreCell();
  bool hasLoadMoreRow() const;
  std::shared_ptr<NewsSummary> itemAt(const ui::IndexPath& indexPath) const;
  static bool isPlaceholder(const NewsSummary& item);

  // Pull to refresh.
  void doneLoadingTableViewData();
  void openArticle(size_t index);
  // The bar's own buttons: home (pops) and, without a customisation record, "i" (the detail).
  void layBarButtons();
  void removeBarButtons();
  void presentColumnDetail();
  // Coming back from the browser: the row of the article it ended on is brought into view and
  // selected (text lists), the item found by object so that album fillers never shift it.
  void showReturnedArticle();
  std::optional<ui::IndexPath> indexPathOfItem(const std::shared_ptr<NewsSummary>& item) const;

  std::shared_ptr<ReportContentEngine> engine_;
  std::shared_ptr<Column> dataColumn_;
  std::shared_ptr<Feed> feedData_;
  SharedItems dataSource_;
  std::vector<Items> sortdataSource_;
  int cellType_ = 0;
  int indexPush_ = -1;
  int indexPushOffset_ = 0;
  bool firstIn_ = true;
  bool isNeedRefresh_ = false;
  bool reloading_ = false;
  bool isNoPic_ = false;
  bool nightMode_ = false;
  bool loadMorePaused_ = false;
  // An animated rebuild waits its 0.01 s: changes meanwhile go only to dataSource_, which it
  // builds from.
  bool rebuildPending_ = false;
  std::optional<std::string> nextTaskId_;
  std::shared_ptr<ui::TableView> contenttable_;
  std::shared_ptr<RefreshTableHeaderView> refreshHeaderView_;
  std::shared_ptr<LoadMoreView> loadingView_;
  std::shared_ptr<ui::View> emptyListView_;
  std::shared_ptr<ui::Button> leftButton_;
  std::shared_ptr<ui::Button> rightButton_;
  std::unique_ptr<AsynLoader> loader_;
};

}  // namespace zu
