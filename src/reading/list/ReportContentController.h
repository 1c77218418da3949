// ReportContentController: the list of one column's articles, in the order the server gives them,
// in a plain table whose sections follow the calendar days of the articles (no section titles).
// The home grid opens it for a news tile through the interface file "ReportContentController",
// the request carrying the `Column` itself ("column"). The first page comes through the loader
// (cache allowed, except for the favourites column), a pull at the top refreshes it, a load-more
// row at the end fetches the next page, and a tap on an article opens the paged browser
// (ScrolledNewsBrowseController, pushed directly) on the shared summary list: a row of a text,
// microblog or favourites list, or a half of an album or video row (its button; the row itself
// opens nothing). An empty first page of an ordinary
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
// Rows (ReportContentControllerRows.cpp): each list kind has its cells and heights — text rows
// (90, with a thumbnail when the item has one and pictures are on), album and video pairs (154,
// 116), microblog posts (their text's height + 42, + 80 with a picture, + 23 for a retweet) and
// the load-more row (86). Rows show only images already cached; the thumbnail session (re-centred
// on the first visible row at every cell request) and the authors' icon batch bring the others,
// which then reach the visible cells only. `setNightMode` dresses the bar, the title, the
// backgrounds and a new refresh header for day or night.
//
// The favourites (ReportContentControllerFavorites.cpp): the column of `createFavoriteColumn`,
// given by the tab bar's `controllerSelected` or the settings screen. It never shows error tips
// nor reads the response cache, shows the empty-favourites view instead of an empty list, applies
// the favourites added and removed in the browser when it comes back into view (one record per
// id: 1 added, -1 removed, 0 cancelled out), warns a guest with 20 or more favourites after each
// load, and shows the count in its title. Only the favourites list keeps the records of changes
// and refreshes on coming into view after a login, a logout or a network event it missed; an
// ordinary list does neither (it refreshes on a pull, or at once on a network event while its
// tab is selected and it is empty). The browser's "AddFavoriteWithIdSuccessNotification"
// carries the added NewsSummary in its user info ("NewsSummary"),
// "DelFavoriteWithIdSuccessNotification" the removed id ("EntryId").
//
// Where we differ on purpose (the sound behaviour where the plain design has a fault):
// - The sections are computed on the main thread from the list as it is, and each change is one
//   table update there; there is no detached builder, so a next-page walk can never overlap a
//   whole-list build and the table's consistency check cannot fire.
// - The loader's thread only hands its work to the main loop, holding a weak reference; results
//   of a screen that is gone are dropped. Observers are removed before the members go.
// - Only one next-page task runs at a time; a next page whose entries all repeat listed ones adds
//   nothing.
// - A failed first load shows the empty-list picture only when the list is empty.
// - The thumbnail session is made anew over the whole list for a whole build, an animated
//   rebuild and new items at the top, so its indexes are always the list's; a next page is
//   appended to it.
// - The swipe to the right is recognised alongside the table's own pan, so it pops the screen
//   whatever the table's scrolling (and the table made again after an unload has it too).
// - An added favourite's record keeps the latest summary; an addition without a summary is
//   ignored; a removal matches only equal non-empty ids, never the load-more placeholder.
//
// Its appearance starts the web process of the article pages ahead of the first article
// (web::WebView::prewarm, which only an interactive run allows), so opening one does not wait
// for the engine.
//
// Threads: main thread only (the loader's callbacks post to it). Owns its table, header, loading
// view and tasks' observations; the engine is shared.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/AsynLoaderDelegate.h"
#include "reading/images/DownloadWithPrioritySessionDelegate.h"
#include "reading/cells/ReportContentTableCellImageAndVideoProtocol.h"
#include "shell/app/ControllerSelectedProtocol.h"
#include "platform/runtime/Value.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/browser/ScrolledNewsBrowseController.h"

namespace zu {

class AsynLoader;
class Column;
class DownloadWithPrioritySession;
class Feed;
class FavoriteNoneView;
class LoadMoreView;
class LoadMoreViewCell;
class NewsSummary;
class ReportContentEngine;
class RefreshTableHeaderView;
class Task;
class TextWrapAroundView;
struct Notification;

namespace ui {
class Button;
class Image;
class ImageView;
class Label;
class NibLoading;
}

class ReportContentController : public ui::ViewController,
                                public ui::TableViewDataSource,
                                public ui::TableViewDelegate,
                                public ui::AlertViewDelegate,
                                public AsynLoaderDelegate,
                                public ScrolledNewsBrowseDelegate,
                                public DownloadWithPrioritySessionDelegate,
                                public ReportContentTableCellImageAndVideoProtocol,
                                public ControllerSelectedProtocol,
                                public ui::GestureRecognizerDelegate {
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
  static constexpr const char* kAddFavoriteNotification = "AddFavoriteWithIdSuccessNotification";
  static constexpr const char* kDelFavoriteNotification = "DelFavoriteWithIdSuccessNotification";
  // The guest's favourites limit and its alert.
  static constexpr int64_t kGuestFavoriteLimit = 20;
  static constexpr int kLimitAlertTag = 1;
  static constexpr const char* kLimitAlertTitle = "达到收藏上限啦";
  static constexpr const char* kLimitAlertMessage = "立即登陆，以获取更多收藏容量～";
  // Row heights.
  static constexpr float kLoadMoreHeight = 86;
  static constexpr float kAlbumHeight = 154;
  static constexpr float kVideoHeight = 116;
  static constexpr float kTextHeight = 90;
  static constexpr int kBackgroundTag = 9101;

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
  bool isNoPic() const { return isNoPic_; }
  const std::shared_ptr<DownloadWithPrioritySession>& thumbSession() const { return DLThumbSession_; }
  const std::shared_ptr<FavoriteNoneView>& favoriteNoneView() const { return favoriteNoneView_; }
  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  // The favourite changes recorded since the list was last shown (favourites mode only).
  size_t favoriteActionRecordCount() {
    std::lock_guard<std::mutex> lock(favoriteActionLock_);
    return favoriteActionRecords_.size();
  }

  // The tab bar's choice of the favourites tab: the engine's favourites column becomes the list's.
  void controllerSelected() override;
  // Dresses the screen for day or night: bar, title, back item (favourites), a new refresh
  // header, backgrounds, the loading view.
  void setNightMode(bool night);
  // The height of a microblog row for `item` (its text laid out as the row lays it out).
  float microblogRowHeight(const NewsSummary& item) const;

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
  // A text, microblog or favourites row opens its article; the load-more row of any list asks
  // for the next page; an album or video row does nothing (its halves are buttons).
  void didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  void scrollViewDidScroll(ui::ScrollView&) override;
  void scrollViewDidEndDragging(ui::ScrollView&, bool willDecelerate) override;

  // ui::AlertViewDelegate: closing the empty-column tips leaves the screen.
  void alertViewDidDismissWithButtonIndex(ui::AlertView&, int index) override;

  // DownloadWithPrioritySessionDelegate: a thumbnail arrived (or failed) for `url`.
  void onDownloadResult(const std::shared_ptr<DownloadWithPrioritySession>& session, const std::string& url,
                        const std::optional<std::string>& localPath) override;
  // ui::GestureRecognizerDelegate: the swipe to the right is recognised while the table's own
  // pan follows the finger, so that a horizontal swipe on the scrolling table still pops.
  bool shouldRecognizeSimultaneously(ui::GestureRecognizer&, ui::GestureRecognizer&) override { return true; }
  // ReportContentTableCellImageAndVideoProtocol: a tap on one half of an album or video row.
  void ImageAndVideoButtonPressed(ReportContentTableCellImageAndVideo& cell, int pressedButton) override;

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
  void viewDidUnload() override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<ReportContentController> sharedList();

  // Loading.
  void startFirstLoad();
  void startTask(const std::shared_ptr<Task>& task, const char* tag);
  void getResultOnMainThread(const Notification& notification);
  void onSummaryFeed(const std::shared_ptr<Feed>& feed);
  void refreshUpdateFeedOnMainThread(const std::shared_ptr<Feed>& feed);
  void mergeRefresh(const std::shared_ptr<Feed>& feed, const Items& entries);
  void onNextFeed(const std::shared_ptr<Feed>& feed);
  void onTaskStatus(const std::string& tag, int code, const std::optional<std::string>& errDesc);
  void setRefreshHeaderDate();
  void showEmptyListView();
  // The screen's own day or night look: backgrounds, the refresh header, the loading view and the
  // bar buttons (the rows' looks come with the rows).
  void applyBackgrounds(bool night);
  void applyTitleView(bool night);
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

  // Rows (ReportContentControllerRows.cpp).
  void reprioritiseThumbnails(ui::TableView& table);
  std::shared_ptr<ui::TableViewCell> loadMoreCell(ui::TableView& table);
  std::shared_ptr<ui::TableViewCell> albumCell(ui::TableView& table, const ui::IndexPath& indexPath);
  std::shared_ptr<ui::TableViewCell> textCell(ui::TableView& table, const NewsSummary& item);
  std::shared_ptr<ui::TableViewCell> microblogCell(ui::TableView& table, const NewsSummary& item);
  // The cached image of an address, or null.
  std::shared_ptr<ui::Image> cachedImage(const std::optional<std::string>& url) const;
  bool showsThumbnail(const NewsSummary& item) const;
  // The thumbnails and authors' icons of `items`: a new session (whole list) or appended to it.
  void startDownloads(const Items& items, bool newSession);
  void closeThumbSession();
  // Authors' icons of the visible microblog rows (`url` or, when none, every one).
  void updateImageInVisibleCells(const std::optional<std::string>& url);
  // Marks read the visible text rows whose items are read.
  void markVisibleRowsRead();

  // Favourites (ReportContentControllerFavorites.cpp).
  void addFavoriteWithIdNotification(const Notification& notification);
  void delFavoriteWithIdNotification(const Notification& notification);
  void deleteTableViewRowForFavorite();
  void showFavoriteNoneView();
  void removeFavoriteNoneView();
  void checkGuestFavoriteLimit();
  void updateFavoriteTitle();
  void backButtonPressed();

  // Pull to refresh.
  void doneLoadingTableViewData();
  void openArticle(size_t index);
  // The press mask of the album or video item at list index `index` (null when its row is not
  // on screen).
  std::shared_ptr<ui::View> maskOfItem(size_t index) const;
  // The bar's own buttons: home (pops) and, without a customisation record, "i" (the detail).
  void applyOwnBar();
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
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<FavoriteNoneView> favoriteNoneView_;
  std::shared_ptr<DownloadWithPrioritySession> DLThumbSession_;
  // The favourites changed in the browser since the list was last shown, one per id.
  struct FavoriteAction {
    std::string id;
    int action = 0;  // 1 added, -1 removed, 0 cancelled out
    std::shared_ptr<NewsSummary> summary;
  };
  std::mutex favoriteActionLock_;
  std::vector<FavoriteAction> favoriteActionRecords_;
  bool isUnloaded_ = false;
  ui::Point currentOffset_;
  // Microblog row heights by item, each laid out once per whole build (the table asks for a
  // row's height more than once); the items are held so that an address is never reused.
  std::unordered_map<const NewsSummary*, std::pair<std::shared_ptr<NewsSummary>, float>> rowHeights_;
  // The text view that lays out microblog texts for their rows' heights.
  mutable std::shared_ptr<TextWrapAroundView> measureView_;
  std::unique_ptr<AsynLoader> loader_;
};

}  // namespace zu
