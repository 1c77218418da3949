// MyColumnsController: the home tab's first screen — the reader's subscribed columns as tiles
// on a paged grid (3 rows × 2 columns, plain paged scrolling), the add cell last, a page control
// below, and refresh, offline download, edit and finish buttons with a logo above. The main
// interface file makes it as the root of the home tab's navigation controller; its view comes
// from the interface file "MyColumnsController" (registerNib()).
//
// What it does:
//  - At its first load it starts the one-second tip clock, shows the launch cover in a window
//    of its own, logs in automatically (stored "username" and "password", "isAnonymous" NO) or
//    reads the list from the local store at once, and builds the grid. After the first local
//    read the cover slides away ("COLUMN_READY_NOTIFICATION"), the cache tip or the last-refresh
//    tip shows, the info request runs, and — when "autoRefreshOn" allows and the network is up —
//    the server refresh: account sync, a fresh local read, the staged update, the update batch.
//  - A changed list arrives as small steps 0.05 s apart (ColumnListPlanner), never a plain
//    reload; tiles spin while their column updates.
//  - Edit mode (edit button, or a long press) shrinks the tiles and shows their delete buttons;
//    tiles can be dragged; leaving it sends the deletions and stores the order.
//  - A tap on a tile opens the column's article list 0.1 s later (or tells why not: text-only
//    mode, an unbound microblog, no article page); a book not yet downloaded downloads first.
//    The add cell selects the content centre tab.
//  - A tile's detail button flips the tile over into the column detail (on the window, over a
//    darkening backdrop); closing the detail flips back into the tile of the column it shows
//    last, or slides down when that column is no longer subscribed.
//  - The download button opens the offline download (OfflineDownloadManager) or a help picture.
//
// Where we differ on purpose (faults mended):
//  - The order is stored from a copy of the list, not the list the main thread goes on changing.
//  - The add cell can be neither dragged nor dropped on.
//  - A failed automatic login or a failed first local read still posts the ready notification
//    once, so the cover goes.
//  - A column updated while the screen is coming back (its current page drawn again, the other
//    pages not yet) reaches its tile when that tile is on the current page: the drawing of the
//    current page is done by then, so an update skipped there would leave the tile stale (a
//    microblog bound from a screen over the grid kept its "bind to read" picture).
//  - No refresh starts while one runs, and the update count falls only for the finishes of the
//    batches it counted.
//  - Replayed steps are range-checked. A column the reader deletes or subscribes while the
//    steps replay stays deleted or subscribed: the remaining steps are left out, and the batch
//    step sets the list to the plan without the deleted columns and with the subscribed ones
//    appended, reloading the grid when it differs. A change made while the fresh read after a
//    sync is on its way is applied to the list that read brings before the steps are planned.
//  - The daily report's day key includes the year, so a new year's first refresh reports.
//  - The delayed opening of a tap checks that the tile still shows a column of the list.
//  - A book's progress with a total of 0 is 0; a tile not in the list is left alone.
//  - A close of the detail while its flip runs, or a second close, is ignored; a tile that is
//    not there after the page turn gives the slide instead of the flip.
//  - The offline download manager is let go on the loop's next turn after it reports its end,
//    not inside its own completion; a download that outlived an unloaded view is handed the
//    reloaded one, so its pop-up shows on the window again.
//
// Main thread only, except the storing of the order (a detached thread with its own copy). The
// engine is gDataEngine(); without one (a launch over a recording engine) nothing is asked of
// it. The controller owns the grid, the list and the cover window; the outlets belong to the
// view tree.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/runtime/Value.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/ColumnListPlanner.h"
#include "shell/offline/OfflineDownloadDelegate.h"
#include "shell/widgets/PageControl.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Button;
class ImageView;
class NavigationController;
class Timer;
class Window;
}  // namespace ui

class Column;
class DataEngine;
class Feed;
class GridView;
class OfflineDownloadManager;
class Reachability;
class Task;
struct Notification;

class MyColumnsController : public ui::ViewController,
                            public GridViewDataSourceProtocol,
                            public GridViewProtocol,
                            public PageControlDelegate,
                            public ColumnGridCellDelegate,
                            public OfflineDownloadDelegate,
                            public ColumnDetailClosing {
 public:
  static constexpr const char* kNibName = "MyColumnsController";
  static constexpr const char* kSubscribeNotification = "NOTIFICATIONSUBSCRIBECOLUMN";
  static constexpr const char* kBackgroundUpdatedNotification = "NOTIFICATIONCOLUMNBACKGROUNDUPDATED";
  static constexpr const char* kSyncResultNotification = "SyncResultNotification";
  static constexpr const char* kLoginSuccessNotification = "MoreSettingsLoginResultSuccessNotification";
  static constexpr const char* kLogoutNotification = "Notification_Logout";
  static constexpr const char* kNightNotification = "Notification_Night";
  static constexpr const char* kRefreshTimeKey = "refreshTime";
  static constexpr const char* kAutoRefreshKey = "autoRefreshOn";
  static constexpr const char* kNoPictureKey = "kMoreSettingsKeyForNopic";
  static constexpr const char* kBookDownloadNotification = "Notification_EBookDownload";
  static constexpr const char* kBindAlertNotification = "Notification_ShowBindAlert";
  static constexpr const char* kTextOnlyTip = "纯文字模式，此源不可查看";
  static constexpr const char* kNoWifiHelpPicture = "help_download_nowifi.png";
  static constexpr const char* kDownloadHelpPicture = "help_download.png";
  static constexpr int kNoArticlePageCode = -110001;
  static constexpr int kDetailSnapshotTag = 823;
  static constexpr double kOpenDelaySeconds = 0.1;
  static constexpr double kDetailDelaySeconds = 0.001;
  static constexpr double kFlipSeconds = 1.0;
  static constexpr double kSlideSeconds = 0.6;
  static constexpr int kRows = 3;
  static constexpr int kCols = 2;
  static constexpr int kCellsPerPage = kRows * kCols;
  static constexpr double kStepSeconds = 0.05;
  static constexpr double kRefreshTipSeconds = 7200;
  static const ui::Rect kGridFrame;

  static void registerNib();

  MyColumnsController();
  ~MyColumnsController() override;

  // --- the rules, as functions of their inputs
  // Whether the server refresh follows a local read: "autoRefreshOn" absent or YES, or NO at a
  // reader's first login; and the network reachable (status not 0).
  static bool shouldRefreshAfterLocalRead(const Value& autoRefreshOn, bool isUserFirstLogin,
                                          int reachabilityStatus);
  // The whole megabytes to name in the cache tip, or nullopt below 100 MB.
  static std::optional<int> cacheTipMegabytes(int64_t normalCacheBytes);
  // The day key of the login report: a later day (also across a year) gives a greater key.
  static int reportDayKey(int year, int month, int day);
  // The tip's frame: small, or large above 20 UTF-16 units.
  static ui::Rect tipFrame(const std::string& text);

  // --- state
  const std::vector<std::shared_ptr<Column>>& dataSource() const { return dataSource_; }
  const std::shared_ptr<GridView>& gridView() const { return gridView_; }
  bool isEditing() const { return isEditing_; }
  bool isFirst() const { return isFirst_; }
  bool isRemoveView() const { return isRemoveView_; }
  bool isViewActivity() const { return isViewActivity_; }
  bool needToShowLastRefreshTime() const { return needToShowLastRefreshTime_; }
  int pageCount() const { return pageCount_; }
  int currentPage() const { return currentPage_; }
  int updateCount() const { return updateCount_; }
  int lastReportTime() const { return lastReportTime_; }
  bool isRefreshing() const { return refreshing_; }
  const std::shared_ptr<ui::Window>& coverWindow() const { return coverWindow_; }
  ui::ImageView* touchMaskView() const { return touchMaskView_.get(); }
  ui::Button* refreshButton() const { return refreshButton_.lock().get(); }
  ui::Button* downloadButton() const { return downloadButton_.lock().get(); }
  ui::Button* editButton() const { return editButton_.lock().get(); }
  ui::Button* finishButton() const { return finishButton_.lock().get(); }
  ui::ActivityIndicatorView* refreshIndicator() const { return refreshIndicator_.lock().get(); }
  PageControl* pageControl() const { return pageControl_.lock().get(); }
  ui::ImageView* logo() const { return logo_.lock().get(); }
  const std::shared_ptr<OfflineDownloadManager>& offlineDownloadManager() const {
    return offlineDownloadManager_;
  }
  const std::shared_ptr<ui::NavigationController>& detailInfoNavigationController() const {
    return detailInfoNavigationController_;
  }
  const std::shared_ptr<ui::View>& detailBackdrop() const { return detailBackdrop_; }
  std::shared_ptr<ColumnGridCell> currentDetailInfoCell() const { return currentDetailInfoCell_.lock(); }
  // Delayed tasks of this screen still queued on the main loop (tap openings, detail flips, the
  // tip after the cache tip): each leaves the list when it runs.
  size_t queuedTaskCount() const { return stepTokens_.size(); }
  // Order stores still running on their threads (process-wide).
  static int pendingOrderStores() { return pendingOrderStores_.load(); }

  // --- view life
  void viewDidLoad() override;
  void viewDidUnload() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // --- grid answers
  int numberOfCellsInGridView(GridView& grid) override;
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override;
  int rowCountInGridView(GridView&) override { return kRows; }
  int colCountInGridView(GridView&) override { return kCols; }
  bool gridViewSupportLongPressAtIndex(GridView&, int) override { return true; }
  bool gridViewSupportDraggingAtIndex(GridView& grid, int index) override;
  bool gridViewShouldCellMoveFromIndexToIndex(GridView& grid, int from, int to) override;
  void gridViewCellMoveFromIndexToIndex(GridView& grid, int from, int to) override;
  void gridViewPageScrolledFromTo(GridView& grid, int from, int to) override;
  void gridViewChangePageCountTo(GridView& grid, int oldCount, int newCount) override;
  void movePageOverBeginOnGridView(GridView& grid) override;
  void gridViewTouchDownCellAtIndex(GridView& grid, int index) override;
  void gridViewTouchCancelCellAtIndex(GridView& grid, int index) override;
  void gridViewTapGestuseAtIndex(GridView& grid, ui::TapGestureRecognizer& tap, int index) override;
  void gridViewLongPressBeginAtIndex(GridView& grid, int index) override;
  void gridViewLongPressEndAtIndex(GridView& grid, int index) override;
  void pageControlPageDidChange(PageControl& control) override;
  void switchToSubscribeView() override;
  void gridViewDidClickCellAtIndex(GridView& grid, int index) override;

  // --- opening a column
  // The tests of a tap, after its 0.1 s: text-only tip, bind prompt, no-page alert, or the
  // article list pushed; the mask and the spinner end in every case.
  void tapNews(ColumnGridCell& cell);
  // A microblog column is bound when its platform's client is authorised; any other column is.
  static bool isBinding(const Column& column);

  // --- the column detail flip
  void presentCellDetail(ColumnGridCell& cell) override;
  void presentColumnDetailAnimated(bool animated);
  void closeColumnDetailWithEntryId(const std::optional<std::string>& entryId) override;

  // --- downloads
  // The book's download unless it already runs; its progress reaches the tile.
  void startBookDownload(const std::shared_ptr<Column>& column);
  void bookDownload(const Notification& n);
  // The progress a tile is given for one book notification; nullopt for others.
  static std::optional<float> bookProgress(const Dictionary& userInfo);
  void offlineDownloadButtonPressed();
  void createDownloadHelpImageView(const std::string& pictureName);
  void dismissView(ui::View& helpView);
  void checkNetworkConnect(int status);
  void networkStatusChanged();
  std::shared_ptr<ui::Button> getDownloadButton() override;
  void finishOfflineDownload() override;

  // --- buttons and edit mode
  void editButtonPressed();
  void refreshButtonPressed();
  void addTouchMaskView(ColumnGridCell& cell);
  void removeTouchMaskView();
  void setFace();
  void modeChangeNotification(bool night);

  // --- login, loading, refresh
  void autoLogin();
  void asyncRequestSubscribedColumnsFromLocal();
  void updateColumnsFromServer();
  void updateReportTime();
  void userLoginWithMerge();
  void userLogout();
  void create_coverWindow(bool overScreen);

  // --- tips
  void timerCount();
  void showLastRefreshTime();
  void showTipView(const std::string& text);

  // --- staged update and update states
  void dataSourceUpdate(const std::shared_ptr<Feed>& feed);
  void updateWithColumns(const std::vector<std::shared_ptr<Column>>& columns);
  void dataSourceAdd(const std::shared_ptr<Column>& column);
  // The delete step of one index (range-checked), with its tile.
  void dataSourceDelete(int index);
  std::shared_ptr<Column> updateCellWithIndex(int index, const std::optional<std::string>& entryId);

 private:
  // Runs `task` on the main loop after `seconds` unless the controller is gone by then; queued
  // in stepTokens_ (cancelled when the controller goes) until it runs.
  void postDelayedTask(double seconds, std::function<void(MyColumnsController&)> task);
  // Observes the task's id with `handler` and starts it; nothing without an engine.
  void runTask(const std::shared_ptr<Task>& task,
               void (MyColumnsController::*handler)(const Notification&));
  // The finish of a task: stops observing it; its code and description.
  struct Finish {
    int code = 0;
    std::optional<std::string> desc;
  };
  std::optional<Finish> finishOf(const Notification& n);
  void showError(const Finish& finish);

  void loginResultOnMainThread(const Notification& n);
  void subscribedColumnsResultAfterLoginOnMainThread(const Notification& n);
  void syncAccountResultOnMainThread(const Notification& n);
  void subscribedColumnsResultAfterSyncOnMainThread(const Notification& n);
  void updateColumnResultOnMainThread(const Notification& n);
  void subscribeColumnResultOnMainThread(const Notification& n);
  void unsubscribeColumnResultOnMainThread(const Notification& n);
  void columnBackGroundUpdatedOnMainThread(const Notification& n);
  void syncAccount();
  void endRefresh();

  void postColumnReady();
  void firstLoad(const std::shared_ptr<Feed>& feed);
  void replayStep(const ColumnListPlanner::Step& step);
  void replayBatch(const std::vector<std::shared_ptr<Column>>& planned);
  void dropStagedUpdate();
  // The reader unsubscribed (deleted) or subscribed a column (kept while a fresh read is on its
  // way or a staged update runs).
  void noteStagedChange(const std::shared_ptr<Column>& column, bool subscribed);
  void storeOrder();
  void clearSidePageCellsOnMainThread();
  void clearCurPageCellsOnMainThread();
  void drawCurPageCellsOnMainThread();
  void drawSidePageCellsOnMainThread();
  void showPictures(bool currentPage, bool show);
  ColumnGridCell* cellAt(int index);
  // The tile's front view frame in the controller's view.
  ui::Rect detailFrameOf(ColumnGridCell& cell);
  void endDetail();
  void refreshControls();

  std::shared_ptr<ui::Timer> timer_;
  bool isEditing_ = false;
  bool isEverLoaded_ = false;
  bool isFirst_ = true;
  bool isPureTextMode_ = false;
  bool needToShowLastRefreshTime_ = false;
  bool isViewActivity_ = false;
  bool isRemoveView_ = false;
  // The current page's tiles show their columns again (the screen is coming back) while the
  // other pages' pictures may still be released.
  bool curPageDrawn_ = false;
  bool gridBuilt_ = false;
  bool refreshing_ = false;
  int pageCount_ = 1;
  int currentPage_ = 0;
  int updateCount_ = 0;
  int lastReportTime_ = 0;
  double refreshTipMark_ = 0;
  std::shared_ptr<ui::Window> coverWindow_;
  std::vector<std::shared_ptr<Column>> dataSource_;
  // Books whose download task this screen started and whose finish has not come back: the
  // engine marks a book downloading only once the task runs on its own thread, so a second tap
  // in between would start a second download.
  std::set<std::string> bookDownloadsStarted_;
  std::shared_ptr<GridView> gridView_;
  std::shared_ptr<ui::ImageView> touchMaskView_;
  std::shared_ptr<Reachability> reachability_;
  // The ids of the batch tasks whose finish `updateCount_` waits for.
  std::set<std::string> countedBatches_;
  // Delayed tasks still queued (postDelayedTask).
  std::vector<uint64_t> stepTokens_;
  // What the reader deleted and subscribed while a list was on its way or being replayed.
  struct ReaderChanges {
    std::set<std::string> deleted;
    ColumnListPlanner::List subscribed;
    void note(const std::shared_ptr<Column>& column, bool subscribe);
    // `list` without the deleted columns, and with the subscribed ones it lacks appended when
    // `withSubscribed`.
    ColumnListPlanner::List applyTo(const ColumnListPlanner::List& list, bool withSubscribed) const;
  };
  // The staged update under way: its queued steps and batch (none once its batch ran), and
  // what the reader changed meanwhile. After such a change the remaining steps, planned
  // without it, are left out; the batch step shows the plan without the columns deleted and
  // with those subscribed in between, appended.
  struct StagedUpdate {
    std::vector<uint64_t> tokens;
    bool derailed = false;
    ReaderChanges changes;
  };
  StagedUpdate staged_;
  // From the start of the read that follows an account sync to its answer: the read may have
  // taken the list from the store before these changes, so the staged update plans from its
  // list with them applied.
  std::optional<ReaderChanges> readChanges_;
  std::shared_ptr<OfflineDownloadManager> offlineDownloadManager_;
  std::shared_ptr<ui::NavigationController> detailInfoNavigationController_;
  std::shared_ptr<ui::View> detailBackdrop_;
  std::weak_ptr<ColumnGridCell> currentDetailInfoCell_;
  // The detail's opening flip runs, or its close has begun: a close is ignored.
  bool detailFlipping_ = false;
  bool detailClosing_ = false;

  std::weak_ptr<ui::ActivityIndicatorView> refreshIndicator_;
  std::weak_ptr<ui::Button> refreshButton_;
  std::weak_ptr<ui::Button> downloadButton_;
  std::weak_ptr<ui::Button> editButton_;
  std::weak_ptr<ui::Button> finishButton_;
  std::weak_ptr<PageControl> pageControl_;
  std::weak_ptr<ui::ImageView> logo_;

  static std::atomic<int> pendingOrderStores_;
};

}  // namespace zu
