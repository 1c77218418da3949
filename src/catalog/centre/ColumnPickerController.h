// ColumnPickerController: the content centre ("内容中心" tab) — the service's catalogue level by
// level. Each level is one instance: the root is the tab's first screen (interface file
// "ColumnPickerController" without a parent column); a category row pushes a further instance
// with that row's column as parentColumn. A level asks for its first catalogue page when its view
// loads, shows the columns in sections (ColumnSections: runs of one category term, headed by
// the term's label) with covers, stars and subscriber counts (ColumnCell), pages through a
// load-more row at the end of the last section while the last page has a next link, searches
// through the search bar in the table's header (a search display over the level: a typing tip
// while the reader types, then the results in sections headed "共搜索到<n>个结果"), subscribes
// to a column from its row's button, and opens a leaf column's detail (modal), a further level
// (pushed), the custom subscription list of a custom-content category (pushed; a column picked
// there changes nothing here) or the authorisation of a bound-account column that is not
// authorised (modal).
//
// A failed first load leaves the table hidden and is retried on the next appearance, the return
// to the foreground, or the network becoming reachable; its alert (tag 10000, closing it pops a
// deeper level) shows only while this tab is the selected one. A failed page (alert tag 10002)
// stops the automatic paging until the reader taps the row. A subscription is broadcast as
// "NOTIFICATIONSUBSCRIBECOLUMN" (the home grid adds the tile) and reloads the column's row
// either way; an unsubscription from elsewhere ("NOTIFICATIONUNSUBSCRIBECOLUMN") and a
// subscription from the detail screen update the row too.
//
// Where we differ on purpose (faults mended):
//  - at most one page request is in flight per list: the table asks for the load-more row every
//    time it shows it, and each ask used to start another request (duplicate rows); the next
//    page may be asked for once a page is in, while its task still reports covers (and those
//    covers still reload their rows); a page of a request that is no longer the current one is
//    dropped;
//  - a level without search takes the bar away together with the offset that tucked it away,
//    which would otherwise hide the first row; with search, the first page shows with the bar
//    tucked even when a layout of the empty table brought the offset back to 0;
//  - only the newest search counts: another search's results are dropped, and every search is
//    stopped being observed when it finishes, even when its results were ignored;
//  - coming back to the screen (another tab, a closed detail) while a search shows leaves the
//    offset alone: tucking the bar away then hid the only way out of the search for good;
//  - a subscription made from the search list creates the column's record there too;
//  - an empty entry id never matches a row when a subscription result comes back;
//  - "name contains the title" with an empty title matches no platform
//    (NRSubscribeSocialCell::openPlatformBaseForColumn).
//
// Tasks come from a ColumnPickerEngine (the data engine's by default); their results arrive as
// task notifications on the main thread. Main thread only. The controller owns its lists and
// feeds; rows hold no reference back beyond a weak delegate.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/centre/ColumnCell.h"
#include "catalog/centre/ColumnSections.h"
#include "catalog/custom/NRSubscribeCell.h"
#include "catalog/custom/NRSubscribeColumnsArrayViewDelegate.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/SearchDisplayController.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/detail/ColumnDetailViewController.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class ImageView;
class Label;
class NibLoading;
class ScrollView;
}  // namespace ui

struct Notification;
class ColumnPickerEngine;
class Feed;
class LoadMoreCell;
class Task;

class ColumnPickerController : public ui::ViewController,
                               public ui::TableViewDataSource,
                               public ui::TableViewDelegate,
                               public ui::AlertViewDelegate,
                               public ui::SearchBarDelegate,
                               public ui::SearchDisplayDelegate,
                               public ColumnCellDelegate,
                               public NRSubscribeCellDelegate,
                               public NRSubscribeColumnsArrayViewDelegate,
                               public ColumnDetailViewControllerProtocol {
 public:
  static constexpr const char* kNibName = "ColumnPickerController";
  static constexpr const char* kRootTitle = "内容中心";
  static constexpr const char* kNoSearchPlaceholder = "无搜索功能";
  static constexpr int kFirstLoadAlertTag = 10000;
  static constexpr int kSearchMoreAlertTag = 10001;
  static constexpr int kLoadMoreAlertTag = 10002;
  static constexpr int kMyColumnsTab = 0;
  static constexpr float kRowHeight = 60;
  static constexpr float kHeaderHeight = 32;
  static constexpr float kTipRowHeight = 200;
  static constexpr const char* kTypingTip = "点击软键盘中的搜索键进行搜索";
  static constexpr const char* kSearchMoreText = "载入更多订阅源";

  // Registers the screen's file and its rows' files.
  static void registerNibs();

  ColumnPickerController();
  ~ColumnPickerController() override;

  const std::shared_ptr<Column>& parentColumn() const { return parentColumn_; }
  void setParentColumn(std::shared_ptr<Column> column) { parentColumn_ = std::move(column); }
  const std::shared_ptr<ColumnPickerEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<ColumnPickerEngine> engine);

  // --- state (read by tests)
  const ColumnSections::List& dataSource() const { return dataSource_; }
  const std::shared_ptr<Feed>& firstFeed() const { return firstFeed_; }
  const std::shared_ptr<Feed>& curFeed() const { return curFeed_; }
  bool lastLoadFailed() const { return lastLoadFailed_; }
  bool lastLoadMoreFailed() const { return lastLoadMoreFailed_; }
  bool isLoadingMore() const { return loadingMore_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ui::Label>& noSourceLabel() const { return noSourceLabel_; }
  const std::shared_ptr<ui::SearchBar>& searchBar() const { return searchBar_; }
  const std::shared_ptr<LoadMoreCell>& loadMoreCell() const { return loadMoreCell_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& waitingIndicator() const { return waitingIndicator_; }
  const ColumnSections::List& searchedDataSource() const { return searchedDataSource_; }
  const std::shared_ptr<ui::SearchDisplayController>& searchDisplay() const { return searchDisplay_; }
  const std::shared_ptr<LoadMoreCell>& searchTipCell() const { return searchTipCell_; }
  bool inInput() const { return inInput_; }
  bool isSearchResult() const { return isSearchResult_; }

  // --- actions
  void backButtonPressed();
  void mycolumnsButtonAction();
  void authReturnButtonAction();
  // ColumnCellDelegate: the subscribe road.
  void subscribe(const std::shared_ptr<Column>& column) override;
  // NRSubscribeCellDelegate: the same road from a bound-account row.
  void subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) override;
  // ColumnDetailViewControllerProtocol: the detail subscribed the column.
  void columnDetailViewController(ColumnDetailViewController& detail,
                                  const std::shared_ptr<Column>& column) override;

  // --- task results
  void firstLoadColumnsResultOnMainThread(const Notification& notification);
  void loadMoreColumnsResultOnMainThread(const Notification& notification);
  void getIconImageResultOnMainThread(const Notification& notification);
  void subscribleResultOnMainThread(const Notification& notification);
  void dissubscribleResultOnMainThread(const Notification& notification);
  // The start both search answers share: a task's end stops its observation (and clears
  // `taskId` when it is the current one); true when the answer is the current task's and the
  // results are shown.
  bool acceptSearchResult(const Notification& notification, std::optional<std::string>& taskId);
  void searchColumnsResultOnMainThread(const Notification& notification);
  void searchMoreColumnsResultOnMainThread(const Notification& notification);
  void onEnterForeground();
  // "Notification_Night": the colours, bars, buttons and rows of the new skin.
  void onChangeSkin();
  void onNetworkStatus(const Notification& notification);

  // --- the view
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidUnload() override;

  // --- the table
  int64_t numberOfSections(ui::TableView& table) override;
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView& table, int64_t section) override;
  void willDisplayCell(ui::TableView& table, ui::TableViewCell& cell, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  std::optional<ui::IndexPath> willSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  // The search bar stays pinned to the top when the catalogue is pulled down, and a drag that
  // ends without deceleration shows it whole or tucks it away whole.
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;

  // --- search
  bool searchBarShouldBeginEditing(ui::SearchBar& bar) override;
  void searchBarTextDidEndEditing(ui::SearchBar& bar) override;
  void searchBarSearchButtonClicked(ui::SearchBar& bar) override;
  void searchBarCancelButtonClicked(ui::SearchBar& bar) override;
  bool shouldReloadTableForSearchString(ui::SearchDisplayController& controller, const std::string& text) override;

  // --- alerts
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;

 private:
  static void buildScreen(ui::NibLoading& file);
  std::shared_ptr<ColumnPickerController> sharedPicker();

  // Observes the task's notifications with `handler`, then runs it. False without a task.
  bool startTask(const std::shared_ptr<Task>& task, void (ColumnPickerController::*handler)(const Notification&));
  void stopObserving(const std::string& taskId);
  void requestFirstPage();
  void requestNextPage();
  // True while this screen's navigation controller is the selected tab.
  bool isSelectedTab() const;
  void applyNavigationItems();
  void applySearchLink();
  void applySkin();
  void requestNextSearchPage();
  bool isSearchTable(const ui::TableView& table) const;
  // The search table's rows are the results (not a tip row).
  bool showsSearchResults() const { return !inInput_ && isSearchResult_; }
  const ColumnSections::List& listOf(const ui::TableView& table) const;
  bool isLoadMoreRow(const ui::TableView& table, const ui::IndexPath& indexPath) const;
  std::shared_ptr<Column> columnAt(const ui::TableView& table, const ui::IndexPath& indexPath) const;
  static std::optional<ui::IndexPath> findColumn(const ColumnSections::List& list,
                                                 const std::optional<std::string>& entryId);
  void reloadCoverRows(ui::TableView* table, const ColumnSections::List& list, const std::optional<std::string>& url,
                       bool onlyNotLoaded);
  std::shared_ptr<ui::TableViewCell> tipRow(const std::string& text);
  std::optional<std::string> headerText(ui::TableView& table, int64_t section) const;
  void loadCover(ColumnCell& cell, Column& column);
  // Marks the first column of each list with the id, creating its record when asked, and
  // reloads its row; a failed subscription (subscribed < 0) only reloads.
  void setSubscribed(const std::optional<std::string>& entryId, int32_t subscribed, bool createRecord);
  void openColumn(const std::shared_ptr<Column>& column);

  std::shared_ptr<Column> parentColumn_;
  std::shared_ptr<ColumnPickerEngine> engine_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::Label> noSourceLabel_;
  std::shared_ptr<ui::ImageView> noContentLogo_;
  std::shared_ptr<ui::SearchBar> searchBar_;
  std::shared_ptr<ui::ActivityIndicatorView> waitingIndicator_;
  std::shared_ptr<LoadMoreCell> loadMoreCell_;
  std::shared_ptr<Feed> firstFeed_;
  std::shared_ptr<Feed> curFeed_;
  ColumnSections::List dataSource_;
  bool unLoaded_ = false;
  bool lastLoadFailed_ = false;
  bool lastLoadMoreFailed_ = false;
  float lastScrollY_ = 0;
  // The search words kept when the view is unloaded, so a search shown then comes back with them.
  std::string lastSearchText_;
  // The requests whose results count; any other's are dropped.
  std::optional<std::string> firstLoadTaskId_;
  std::optional<std::string> loadMoreTaskId_;
  // A next page is on its way (until its page or its failure arrives).
  bool loadingMore_ = false;

  std::shared_ptr<ui::SearchDisplayController> searchDisplay_;
  std::shared_ptr<LoadMoreCell> searchTipCell_;
  std::shared_ptr<Feed> curSearchedFeed_;
  ColumnSections::List searchedDataSource_;
  bool isSearchResult_ = false;
  bool inInput_ = false;
  bool lastSearchMoreFailed_ = false;
  std::optional<std::string> searchTaskId_;
  std::optional<std::string> searchMoreTaskId_;
  bool searchingMore_ = false;
};

}  // namespace zu
