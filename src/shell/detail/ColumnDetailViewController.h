// ColumnDetailViewController: one column's detail — a header (ColumnDetailHeaderView) with the
// cover, title, rating, subscriber count, update frequency and the subscribe, unsubscribe and
// review buttons, over a table of three sections: the summary, the readers' reviews (shown five
// at a time) and related columns. From it the reader subscribes or unsubscribes, writes a
// review (AddCommentViewController), opens a related column's detail and closes the screen.
//
// The opener makes it from the interface file "ColumnDetailViewController" (registerNibs()
// registers it with the files of its header and rows), then sets detailFrom (0 the
// subscription centre, 1 an article list, 2 a related row of another detail, 3 the home grid),
// delegateVC, delegate where it has one, and column, and shows it in a navigation controller.
// delegateVC closes the screen when it adopts ColumnDetailClosing; otherwise the screen
// dismisses itself. Neither delegate is retained.
//
// Reviews: the section shows displayedCommentsCount() of the received reviews, plus an extra
// row while more are held or a next page exists (the requesting row while a page is asked for,
// else "更多评价..."); with none shown one row: requesting or "暂无评论". A page adds 5 rows when
// more than 5 received reviews are hidden, all of them while a next page exists, else all but
// the last and the extra row becomes the last review; a tap on the extra row shows more the
// same way or asks for the next page when fewer than 5 are held.
//
// Where we differ on purpose (faults mended): turning the extra row into the last review raises
// the shown count before the row is reloaded, so the table's counts always agree; a failed
// subscription shows the subscribe button again; a page of reviews from a request superseded by
// a written review is dropped (the screen stops observing that task); a view loaded again after
// a memory warning starts its reviews and related columns over, the older requests' results
// dropped, instead of showing them twice; the review button and a related row push their
// screen only while this screen is the top of its navigation controller, so a double tap
// pushes one.
//
// Covers (the header's and each related row's) are decoded off the main thread and shown when
// they arrive, so a slow picture never stalls the screen.
//
// Tasks come from a ColumnDetailEngine (the data engine's by default); their results arrive as
// task notifications on the main thread. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/detail/AddCommentViewController.h"

namespace zu {

namespace ui {
class Button;
class Image;
class NavigationController;
class NibLoading;
class Switch;
}  // namespace ui

struct Notification;
class Column;
class ColumnDetailEngine;
class ColumnDetailHeaderView;
class ColumnDetailViewController;
class Entry;
class Link;

// Told when the reader subscribed to the column of a detail screen.
class ColumnDetailViewControllerProtocol {
 public:
  virtual ~ColumnDetailViewControllerProtocol() = default;
  virtual void columnDetailViewController(ColumnDetailViewController& detail,
                                          const std::shared_ptr<Column>& column) = 0;
};

// A screen that closes the detail it opened itself (the home grid turns its flip back).
class ColumnDetailClosing {
 public:
  virtual ~ColumnDetailClosing() = default;
  virtual void closeColumnDetailWithEntryId(const std::optional<std::string>& entryId) = 0;
};

class ColumnDetailViewController : public ui::ViewController,
                                   public ui::TableViewDataSource,
                                   public ui::TableViewDelegate,
                                   public CommentDelegate,
                                   public ColumnDetailViewControllerProtocol {
 public:
  static constexpr const char* kNibName = "ColumnDetailViewController";
  static constexpr const char* kSubscribeNotification = "NOTIFICATIONSUBSCRIBECOLUMN";
  static constexpr const char* kUnsubscribeNotification = "NOTIFICATIONUNSUBSCRIBECOLUMN";
  static constexpr int32_t kCommentsPerStep = 5;
  static constexpr float kSectionHeaderHeight = 30;

  // Registers the files of the screen, its header and rows, and of the review form.
  static void registerNibs();

  ColumnDetailViewController();
  ~ColumnDetailViewController() override;

  // --- set by the opener
  int32_t detailFrom() const { return detailFrom_; }
  void setDetailFrom(int32_t from) { detailFrom_ = from; }
  std::shared_ptr<ui::ViewController> delegateVC() const { return delegateVC_.lock(); }
  void setDelegateVC(std::weak_ptr<ui::ViewController> controller) { delegateVC_ = std::move(controller); }
  std::shared_ptr<ColumnDetailViewControllerProtocol> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ColumnDetailViewControllerProtocol> delegate) { delegate_ = std::move(delegate); }
  const std::shared_ptr<Column>& column() const { return column_; }
  void setColumn(std::shared_ptr<Column> column) { column_ = std::move(column); }
  const std::shared_ptr<ColumnDetailEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<ColumnDetailEngine> engine);

  // --- state (read by tests and the home grid)
  const std::vector<std::shared_ptr<Entry>>& comments() const { return comments_; }
  int32_t displayedCommentsCount() const { return displayedCommentsCount_; }
  bool isCommentsRequesting() const { return commentsRequesting_; }
  const std::shared_ptr<Link>& nextCommentLink() const { return nextCommentLink_; }
  const std::vector<std::shared_ptr<Column>>& suggestions() const { return suggestions_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ColumnDetailHeaderView>& headerView() const { return headerView_; }
  // The navigation bar's buttons (null until the view loaded; back only when not first).
  const std::shared_ptr<ui::Button>& backButton() const { return backButton_; }
  const std::shared_ptr<ui::Button>& closeButton() const { return closeButton_; }

  // --- actions
  void backButtonPressed();
  void closeButtonPressed();
  void commentButtonPressed();
  void subscribeButtonPressed();
  void unsubscribeButtonPressed();
  void downloadSwitchValueChanged(ui::Switch& sender);
  void requestComments();
  void requestMoreComments();
  void requestSuggestions();
  void commentsReceived(const Notification& notification);
  void suggestionsReceived(const Notification& notification);
  void subscribleResultOnMainThread(const Notification& notification);
  void suggestionDidSelected(int64_t row);
  void updateHeaderView();

  // ColumnDetailViewControllerProtocol: a related column's detail subscribed it.
  void columnDetailViewController(ColumnDetailViewController& detail,
                                  const std::shared_ptr<Column>& column) override;
  // CommentDelegate: a review was posted; the reviews start over.
  void didPostNewComment(const std::shared_ptr<Entry>& entry) override;

  // --- the view
  void viewDidLoad() override;
  void viewDidUnload() override;

  // --- the table
  int64_t numberOfSections(ui::TableView&) override { return 3; }
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t) override { return kSectionHeaderHeight; }
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView& table, int64_t section) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // The texts the summary row shows (blanks trimmed, or "暂无内容简介").
  std::string summaryText() const;
  // " <title>" of the screen below, its title cut to 10 units + "..." from 12 units on.
  static std::string backTitle(const std::string& previousTitle);

 private:
  static void buildScreen(ui::NibLoading& file);
  std::shared_ptr<ColumnDetailViewController> sharedDetail();
  // The navigation controller to push a screen on, or null while this screen is not its top:
  // the second tap of a double tap reaches this screen after the first pushed its screen, and
  // must not push another.
  ui::NavigationController* navigationForPush();

  // Observes the task's notifications with `handler`, then runs it. False without a task.
  bool startTask(const std::shared_ptr<Task>& task, void (ColumnDetailViewController::*handler)(const Notification&));
  void stopObserving(const std::optional<std::string>& taskId);
  // The comments task, tagged with the column's id.
  void startCommentsTask(const std::shared_ptr<Link>& link);
  // Inserts `count` review rows at the end of those shown.
  void showMoreRows(int32_t count);
  // The extra row becomes the last review.
  void turnExtraRowIntoReview();
  void reloadCommentsSection();
  int32_t heldComments() const;
  bool hasExtraRow() const;
  void showSubscribeButtons(bool subscribed);

  std::shared_ptr<ui::TableViewCell> extraRow(const std::string& text, bool requesting, bool touchable);
  std::shared_ptr<ui::TableViewCell> commentRow(ui::TableView& table, const Entry& comment);
  std::shared_ptr<ui::TableViewCell> suggestionRow(ui::TableView& table, const Column& column);
  std::shared_ptr<ui::TableViewCell> summaryRow(ui::TableView& table);
  // The picture in the image cache for the column's cover thumbnail, or null.
  // Decodes the column's cover off the main thread into the row's picture: the header
  // (`keepShown`) from the thumbnail bytes the column carries, else from the cached thumbnail
  // file, keeping what it shows when neither gives a picture; a related row from the cached file
  // only, showing none until it arrives.
  void loadCover(ColumnDetailHeaderView& row, const Column& column, bool keepShown);

  std::weak_ptr<ui::ViewController> delegateVC_;
  std::shared_ptr<Column> column_;
  std::vector<std::shared_ptr<Entry>> comments_;
  bool commentsRequesting_ = false;
  int32_t displayedCommentsCount_ = 0;
  std::shared_ptr<Link> nextCommentLink_;
  std::vector<std::shared_ptr<Column>> suggestions_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ColumnDetailHeaderView> headerView_;
  std::weak_ptr<ColumnDetailViewControllerProtocol> delegate_;
  int32_t detailFrom_ = 0;
  std::shared_ptr<ColumnDetailEngine> engine_;
  std::shared_ptr<ui::Button> backButton_;
  std::shared_ptr<ui::Button> closeButton_;
  // The reviews task whose pages count (an older one's are dropped).
  std::optional<std::string> commentsTaskId_;
  // The related-columns task whose results count (likewise).
  std::optional<std::string> suggestionsTaskId_;
};

}  // namespace zu
