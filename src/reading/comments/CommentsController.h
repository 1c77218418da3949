// CommentsController: the comments of one article, newest first, paging through older ones with
// the more-comments row; the reader writes a comment in the box at the top (optionally sent at
// once to every bound microblog or social account), deletes their own comments and opens a
// commenter's profile. Every appearance fetches the first page and the article's counts again;
// its title is "评论(<count>)" and its right button "原文" closes the whole modal screen.
//
// The opener makes it from the interface file "CommentsController" (ScreenRequest::kCommentsNib;
// registerNibs() registers it and the comment row's file) and sets newsSummary, detailData,
// columnData, currentIndex and viewController (the controller that presented it and dismisses
// it, not retained) — by a request, its parameters "newsSummary", "detailData", "column",
// "currentIndex" and "viewController" — then presents it in a navigation controller of its own
// whose bar is hidden (the screen has its own bar).
//
// It hears "CommentsUpdate" from anyone (a posted comment goes to the top of the list and the
// counts are fetched again) and "StatusUpdateNotification" for its own article's index; it posts
// "StatusUpdateNotification" (status 2, the comment count) after a delete. Its bar at the bottom
// is an article toolbar (ReportToolBarController) of its own, with this screen as owner. Task errors of the
// list, the counts and the delete show one ErrorTips alert until a task of any comments screen
// succeeds (isShowError, shared by every instance).
//
// Where we differ on purpose (faults mended):
// - the row sheet deletes, or opens the profile of, the comment that was tapped, even when a new
//   comment moved its row while the sheet was open;
// - a delete's result removes the comment whose id was remembered for that delete task, wherever
//   it has moved in the list since (nothing when it is gone), and the count never goes below 0;
//   a screen that goes while a delete runs hides the delete's spinner;
// - the cut of a text over 500 units never splits a surrogate pair (CommentWordCount);
// - the more-comments button is enabled again when its page task ends, whatever the result;
// - a failed post keeps the typed text and the check box, so the reader can send it again;
// - a share with failed replies shows one alert, once every platform has replied;
// - the platform clients lose this screen as their observer when it goes;
// - a favourite task of the toolbar that failed shows its error and changes no state.
//
// Tasks come from a CommentsEngine (the data engine's by default); their results arrive as task
// notifications on the main thread. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/openplatform/OpenPlatformObserver.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/toolbar/ReportToolBarOwner.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Button;
class Label;
class NavigationBar;
class NavigationItem;
class NibLoading;
}  // namespace ui

struct Notification;
class Column;
class CommentsEngine;
class Entry;
class Feed;
class Link;
class MSPlaceHolderTextView;
class NewsDetail;
class NewsSummary;
class OpenPlatformBase;
class ReportToolBarController;
class Task;

class CommentsController : public ui::ViewController,
                           public ui::TableViewDataSource,
                           public ui::TableViewDelegate,
                           public ui::TextViewDelegate,
                           public ui::ActionSheetDelegate,
                           public OpenPlatformObserver,
                           public ReportToolBarOwner {
 public:
  static constexpr const char* kNibName = "CommentsController";
  static constexpr const char* kStatusUpdateNotification = "StatusUpdateNotification";
  static constexpr const char* kCommentsUpdateNotification = "CommentsUpdate";
  static constexpr int kStatusFavorite = 0;
  static constexpr int kStatusBump = 1;
  static constexpr int kStatusCommentCount = 2;
  static constexpr int kSheetTag = 2;
  static constexpr int kMoreCommentsTag = 1;
  static constexpr float kWritingHeight = 140;
  static constexpr float kWriteBoxHeight = 52;
  static constexpr float kLoadRowHeight = 54;

  // Registers the screen's file and the comment row's.
  static void registerNibs();

  CommentsController();
  ~CommentsController() override;

  // --- set by the opener
  void setNewsSummary(std::shared_ptr<NewsSummary> summary) { newsSummary_ = std::move(summary); }
  const std::shared_ptr<NewsSummary>& newsSummary() const { return newsSummary_; }
  void setDetailData(std::shared_ptr<NewsDetail> detail) { detailData_ = std::move(detail); }
  const std::shared_ptr<NewsDetail>& detailData() const { return detailData_; }
  void setColumnData(std::shared_ptr<Column> column) { columnData_ = std::move(column); }
  const std::shared_ptr<Column>& columnData() const { return columnData_; }
  void setCurrentIndex(int index) { currentIndex_ = index; }
  void setViewController(std::weak_ptr<ui::ViewController> controller) { viewController_ = std::move(controller); }
  std::shared_ptr<ui::ViewController> viewController() const { return viewController_.lock(); }
  void setEngine(std::shared_ptr<CommentsEngine> engine) { engine_ = std::move(engine); }
  const std::shared_ptr<CommentsEngine>& engine() const { return engine_; }
  bool isFavorited() const { return isFavorited_; }
  void setFavorited(bool favorited) { isFavorited_ = favorited; }
  bool isBumped() const { return isBumped_; }
  void setBumped(bool bumped) { isBumped_ = bumped; }

  // --- state (read by tests)
  const std::vector<std::shared_ptr<Entry>>& commentsArray() const { return commentsArray_; }
  const std::shared_ptr<Feed>& commentsFeed() const { return commentsFeed_; }
  bool isWriting() const { return isWriting_; }
  const std::optional<std::string>& shortUrlString() const { return shortUrlString_; }
  static bool isShowError() { return isShowError_; }
  // The article's comment count (its assess record's times, 0 without one).
  int32_t commentCount() const;
  std::string titleText() const;

  // --- views (null until the view loaded)
  const std::shared_ptr<ui::NavigationBar>& navBar() const { return navBar_; }
  const std::shared_ptr<ui::TableView>& commentsTable() const { return commentsTable_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }
  const std::shared_ptr<ui::Button>& moreComments() const { return moreComments_; }
  const std::shared_ptr<ui::View>& toolBarView() const { return toolBarView_; }
  const std::shared_ptr<MSPlaceHolderTextView>& writeTextView() const { return writeTextView_; }
  const std::shared_ptr<ui::Label>& writeNumberArroundLabel() const { return writeNumberArroundLabel_; }
  const std::shared_ptr<ui::Label>& writeNumberLabel() const { return writeNumberLabel_; }
  const std::shared_ptr<ui::Label>& writeUnitLabel() const { return writeUnitLabel_; }
  const std::shared_ptr<ui::Button>& writeForwardButton() const { return writeForwardButton_; }
  const std::shared_ptr<ui::Button>& writeForwardLabel() const { return writeForwardLabel_; }
  const std::shared_ptr<ui::View>& writeForwardView() const { return writeForwardView_; }
  const std::shared_ptr<ui::Button>& writeSendButton() const { return writeSendButton_; }
  const std::shared_ptr<ui::Button>& rightButton() const { return rightButton_; }
  const std::shared_ptr<ReportToolBarController>& reportToolBarController() const { return reportToolBarController_; }

  // --- actions
  void fetchData();
  void fetchNextData();
  void showMoreComments();
  void getNewsDetailDynamic();
  void postAction();
  void writeForwardButtonAction();
  void switchView();
  void asyncGetShortUrlString();
  void postNotificatonWithIndex(int64_t index, int status);
  void resetWriteNumberLabel();
  void textChanged();
  // The reader tapped comment row `row` (the sheet of tag 2 opens).
  void selectComment(int64_t row);

  // --- the view
  void loadView() override;
  void viewDidLoad() override;
  void viewDidUnload() override;
  void viewWillAppear(bool animated) override;

  // --- the table
  int64_t numberOfSections(ui::TableView&) override { return 2; }
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<ui::IndexPath> willSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;

  // --- the write box
  void textViewDidBeginEditing(ui::TextView& textView) override;

  // --- the sheet
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;

  // --- the platforms' replies to a share
  void onOPAuthorizeUrl(OpenPlatformBase*, const std::string&) override {}
  void onOPLoginSucc(OpenPlatformBase*) override {}
  void onOPPostSuccess(OpenPlatformBase* client) override;
  void onOPError(OpenPlatformBase* client, int errorCode, const std::string& errorDesc) override;

  // --- the toolbar's owner: this screen presents what it opens; its return leaves the screen
  std::shared_ptr<ui::ViewController> presenter() override { return shared(); }
  void clickPop() override { switchView(); }
  std::shared_ptr<NewsSummary> currentNewsSummary() override { return newsSummary_; }
  std::shared_ptr<NewsDetail> currentDetailData() override { return detailData_; }
  int currentIndex() override { return currentIndex_; }
  std::shared_ptr<Column> dataColumn() override { return columnData_; }
  // A favourite added or removed from the toolbar: the notice, the button, the article's
  // state and the status notification (status 0) for the article's index.
  void onAddFavoriteTaskResult(const Notification& notification) override;
  void onDelFavoriteTaskResult(const Notification& notification) override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<CommentsController> sharedComments();

  void paintRow(ui::TableViewCell& cell);
  void buildWriteBox();
  void layoutWriteBox();
  void setWriting(bool writing);
  void setTitleCount();

  // Observes the task's notifications with `handler`, then runs it. False without a task.
  bool startTask(const std::shared_ptr<Task>& task, void (CommentsController::*handler)(const Notification&));
  void stopObserving(const std::optional<std::string>& taskId);
  // A page of comments from `link`, tagged `tag`: observed, run, the indicator on, the button off.
  void startPageTask(const std::shared_ptr<Link>& link, const char* tag);
  void getResultOnMainThread(const Notification& notification);
  void onCommentResult(const Notification& notification);
  void onGetShortUrlString(const Notification& notification);
  void commentsUpdate(const Notification& notification) override;
  void commentsCountUpdate(const Notification& notification);
  void feedReceived(const std::shared_ptr<Feed>& feed, bool nextPage);
  void deleteSucceeded(const std::string& taskId);
  void showError(int code, const std::optional<std::string>& desc);
  void releaseClients();
  void favoriteResult(const Notification& notification, bool added);

  std::shared_ptr<NewsSummary> newsSummary_;
  std::shared_ptr<NewsDetail> detailData_;
  std::shared_ptr<Column> columnData_;
  int currentIndex_ = 0;
  std::weak_ptr<ui::ViewController> viewController_;
  bool isFavorited_ = false;
  bool isBumped_ = false;
  std::shared_ptr<CommentsEngine> engine_;

  std::vector<std::shared_ptr<Entry>> commentsArray_;
  std::shared_ptr<Feed> commentsFeed_;
  int64_t selectedRow_ = -1;
  // The comment of the tapped row: the sheet acts on it even when a new comment moved it down.
  std::shared_ptr<Entry> selectedComment_;
  std::optional<std::string> currentTaskID_;
  // Delete task id -> the id of the comment it deletes.
  std::map<std::string, std::optional<std::string>> deletions_;

  bool isWriting_ = false;
  int maxWriteNumber_ = 500;
  std::vector<std::shared_ptr<OpenPlatformBase>> bindedSocialArray_;
  std::optional<std::string> shortUrlString_;
  int shareReturnedNumber_ = 0;
  int shareExpected_ = 0;
  // The first failed reply of the current share: its code and text.
  std::optional<std::pair<int, std::string>> shareFailure_;
  static bool isShowError_;

  std::shared_ptr<ui::NavigationBar> navBar_;
  std::shared_ptr<ui::NavigationItem> navItem_;
  std::shared_ptr<ui::Button> rightButton_;
  std::shared_ptr<ui::TableView> commentsTable_;
  std::shared_ptr<ui::ActivityIndicatorView> indicator_;
  std::shared_ptr<ui::Button> moreComments_;
  std::shared_ptr<ui::TableViewCell> loadCell_;
  std::shared_ptr<ui::View> toolBarView_;
  std::shared_ptr<ReportToolBarController> reportToolBarController_;
  std::shared_ptr<ui::TableViewCell> writeCell_;
  std::shared_ptr<MSPlaceHolderTextView> writeTextView_;
  std::shared_ptr<ui::Button> writeTextBackground_;
  std::shared_ptr<ui::Label> writeNumberArroundLabel_;
  std::shared_ptr<ui::Label> writeNumberLabel_;
  std::shared_ptr<ui::Label> writeUnitLabel_;
  std::shared_ptr<ui::Button> writeForwardButton_;
  std::shared_ptr<ui::Button> writeForwardLabel_;
  std::shared_ptr<ui::View> writeForwardView_;
  std::shared_ptr<ui::Button> writeSendButton_;
  std::shared_ptr<ui::ImageView> writeBottomLine_;
};

}  // namespace zu
