// NRSubscribeColumnsArrayController: the custom subscription list. The content centre pushes it
// (type 10003) for a catalogue entry whose category holds custom content: its header
// (NRSubscribeSelfsearchHeaderView) offers the scopes the service has under that entry (a
// microblog user, a QQ zone, a blog or an RSS address), the reader types a keyword, the list shows
// what the service found page by page (NRSubscribeSelfdefCell rows), and a row's button subscribes
// the reader to that column; the subscription is reposted as "NOTIFICATIONSUBSCRIBECOLUMN", so the
// home grid adds the tile. The types 10000 to 10002 (a top-level list, a nested list, a search
// result list) are kept in the compact form the service's lists need; no screen opens them.
//
// Sections: a new list gives each entry without a category term a section of its own and joins
// consecutive entries of one term; a next page goes wholly to the last section (and is dropped
// when there is none). The load-more row asks for the next page as it comes into view ("正在加载
// 更多..."); after a failure it reads "点击加载更多" and each tap asks for one page. A search that
// finds nothing shows the no-result view, "正在搜索中..." shows while one runs. A QQ-zone keyword must
// read as one decimal integer (outer blanks and a sign allowed, any length), else the QQ alert
// shows and nothing is asked.
//
// Where we differ on purpose (faults mended):
//  - at most one page request is in flight (the table asks for the load-more row every time it
//    shows it, and each ask used to start another request: duplicate rows), and a new list or
//    search stops hearing every earlier list task — but not a subscription on its way, whose
//    entry must still reach the home grid (also when the list has gone meanwhile) and which
//    turns the view's touches back on;
//  - a subscription posted by another screen is read from "Result" first, then from the
//    notification's object, so the self-defined subscription screen and this list hear each
//    other; a column without a subscribe record gets one when it is marked;
//  - empty entry ids match no row.
//
// Tasks come from a ColumnPickerEngine (the data engine's by default); results arrive as task
// notifications on the main thread. Main thread only. Owns its views and lists; the delegate is
// weak; the header holds this controller weakly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "catalog/centre/ColumnSections.h"
#include "catalog/custom/NRSubscribeCell.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class ImageView;
}

struct Notification;
class ColumnPickerEngine;
class Feed;
class Link;
class LoadMoreCell;
class NRSubscribeColumnsArrayViewDelegate;
class NRSubscribeNoResultView;
class NRSubscribeSearchWaitingView;
class Task;
class VeskCustomization;

class NRSubscribeColumnsArrayController : public ui::ViewController,
                                          public ui::TableViewDataSource,
                                          public ui::TableViewDelegate,
                                          public ui::AlertViewDelegate,
                                          public NRSubscribeCellDelegate {
 public:
  static constexpr int kTopListType = 10000;
  static constexpr int kNestedListType = 10001;
  static constexpr int kSearchListType = 10002;
  static constexpr int kCustomListType = 10003;
  static constexpr int kSubscribeAlertTag = 10000;
  static constexpr const char* kLoadingMoreText = "正在加载更多...";
  static constexpr const char* kTapToLoadText = "点击加载更多";
  static constexpr float kRowHeight = 60;

  explicit NRSubscribeColumnsArrayController(int type);
  ~NRSubscribeColumnsArrayController() override;

  int type() const { return type_; }
  const std::shared_ptr<ColumnPickerEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<ColumnPickerEngine> engine);
  std::shared_ptr<NRSubscribeColumnsArrayViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<NRSubscribeColumnsArrayViewDelegate> delegate) { delegate_ = std::move(delegate); }
  const std::shared_ptr<Column>& parentColumn() const { return parentColumn_; }
  void setParentColumn(std::shared_ptr<Column> column) { parentColumn_ = std::move(column); }

  // --- state (read by tests and the header)
  const std::shared_ptr<Link>& link() const { return link_; }
  const std::shared_ptr<VeskCustomization>& customization() const { return customization_; }
  const std::optional<std::string>& keyword() const { return keyword_; }
  const std::shared_ptr<Feed>& curFeed() const { return curFeed_; }
  // Null before anything is loaded.
  const std::optional<ColumnSections::List>& dataSource() const { return dataSource_; }
  bool lastErrorOccurred() const { return lastErrorOccurred_; }
  bool isLoadingPage() const { return pageTaskId_.has_value(); }
  int headerTotal() const { return headerTotal_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ui::View>& headerView() const { return headerView_; }
  const std::shared_ptr<NRSubscribeNoResultView>& noResultView() const { return noResultView_; }
  const std::shared_ptr<NRSubscribeSearchWaitingView>& searchWaitingView() const { return searchWaitingView_; }
  const std::shared_ptr<ui::ImageView>& searchIconImageView() const { return searchIconImageView_; }
  const std::shared_ptr<LoadMoreCell>& loadMoreCell() const { return loadMoreCell_; }

  // A keyword reads as one decimal integer: outer white space skipped, an optional sign, digits.
  static bool isNumber(const std::string& keyword);

  // --- filling
  void loadColumnsOfLink(const std::shared_ptr<Link>& link, const std::shared_ptr<Column>& parentColumn);
  void loadColumnsOfSearchLink(const std::shared_ptr<Link>& link, const std::optional<std::string>& keyword,
                               const std::shared_ptr<VeskCustomization>& customization);
  void loadColumnsOfDataSource(std::optional<ColumnSections::List> sections);
  void showSearchIconImageView(bool show);
  void setHeaderViewTotal(int total);
  void returnButtonAction();
  // NRSubscribeCellDelegate: subscribes to the row's column.
  void subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) override;

  // --- results and notifications
  void loadColumnsResultOnMainThread(const Notification& notification);
  void subscribeResultOnMainThread(const Notification& notification);
  void onSubscribedNotification(const Notification& notification);
  void onUnsubscribedNotification(const Notification& notification);
  void onChangeSkin();

  // --- the view
  void loadView() override;
  void viewDidLoad() override;
  void viewDidUnload() override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // --- the table
  int64_t numberOfSections(ui::TableView& table) override;
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void didDeselectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  void alertViewClickedButtonAtIndex(ui::AlertView&, int) override {}

 private:
  std::shared_ptr<NRSubscribeColumnsArrayController> sharedList();
  void observeListNotifications();
  bool startTask(const std::shared_ptr<Task>& task,
                 void (NRSubscribeColumnsArrayController::*handler)(const Notification&));
  void preloadColumns();
  void getSearchFeed();
  void getNextFeed();
  void updateLoadMoreView();
  void initHeaderView();
  void applyNavigationItems();
  void takeCovers(const ColumnSections::List& list);
  bool isLoadMoreRow(const ui::IndexPath& indexPath) const;
  std::shared_ptr<Column> columnAt(const ui::IndexPath& indexPath) const;
  std::optional<ui::IndexPath> findColumn(const std::optional<std::string>& entryId) const;
  void reloadColumnRow(const std::optional<std::string>& entryId);

  int type_;
  std::shared_ptr<ColumnPickerEngine> engine_;
  std::weak_ptr<NRSubscribeColumnsArrayViewDelegate> delegate_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<NRSubscribeNoResultView> noResultView_;
  std::shared_ptr<NRSubscribeSearchWaitingView> searchWaitingView_;
  std::shared_ptr<ui::ImageView> searchIconImageView_;
  std::shared_ptr<ui::ImageView> backgroundView_;
  std::shared_ptr<ui::View> headerView_;
  int headerTotal_ = 0;
  std::shared_ptr<Link> link_;
  std::shared_ptr<Column> parentColumn_;
  std::shared_ptr<VeskCustomization> customization_;
  std::optional<std::string> keyword_;
  std::shared_ptr<Feed> curFeed_;
  std::optional<ColumnSections::List> dataSource_;
  bool lastErrorOccurred_ = false;
  std::shared_ptr<LoadMoreCell> loadMoreCell_;
  // The page request on its way (a search or a next page), until its page or its failure
  // arrives; one at a time.
  std::optional<std::string> pageTaskId_;
};

}  // namespace zu
