// NRSubscribeSelfdefController: the self-defined subscription screen — "我的社交网络": the reader's
// social networks, one row (70 high) for each of the first two columns of the list at the custom
// column's address, each tied to an open-platform account by its title. A bound account's row
// shows the nick name and a subscribe button (enabled while the column is not subscribed); an
// unbound one "点击绑定" and an arrow, and selecting it opens the authorisation screen (modally,
// presentation style 3, under a return header). The search section that would open the custom
// subscription list is never shown. No screen opens this one.
//
// Where we differ on purpose (faults mended):
//  - a subscription is posted as "NOTIFICATIONSUBSCRIBECOLUMN" with the column as object and
//    {"Result": column, "ResultType": "Entry"} as user info, and the subscription notifications
//    are read from "Result" first, then from the object, so the home grid, the custom
//    subscription list and this screen hear each other;
//  - a subscribe button's tag is checked against the rows; empty entry ids match no row;
//  - only the newest custom column's list counts (an earlier fetch answering late is dropped);
//  - a column without a subscribe record gets one when it is marked.
//
// Tasks come from a ColumnPickerEngine; results arrive as task notifications on the main thread.
// Main thread only. Owns its table and list; the delegate is weak.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/custom/NRSubscribeColumnsArrayViewDelegate.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
}  // namespace ui

struct Notification;
class ColumnPickerEngine;
class NRSubscribeSelfdefControllerDelegate;
class OpenPlatformBase;
class Task;

class NRSubscribeSelfdefController : public ui::ViewController,
                                     public ui::TableViewDataSource,
                                     public ui::TableViewDelegate,
                                     public ui::AlertViewDelegate,
                                     public NRSubscribeColumnsArrayViewDelegate {
 public:
  static constexpr const char* kSocialTitle = "我的社交网络";
  static constexpr const char* kUnboundText = "点击绑定";
  static constexpr float kRowHeight = 70;
  static constexpr float kHeaderHeight = 55;

  NRSubscribeSelfdefController();
  ~NRSubscribeSelfdefController() override;

  void setEngine(std::shared_ptr<ColumnPickerEngine> engine);
  void setDelegate(std::weak_ptr<NRSubscribeSelfdefControllerDelegate> delegate) { delegate_ = std::move(delegate); }
  const std::shared_ptr<Column>& customColumn() const { return customColumn_; }
  // Stores the column and, when there is one, fetches the social columns at its address.
  void setCustomColumn(std::shared_ptr<Column> column);
  const std::vector<std::shared_ptr<Column>>& socialColumnsArray() const { return socialColumnsArray_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  // The first platform whose display name contains the column's title (none for an empty title).
  std::shared_ptr<OpenPlatformBase> openPlatformBaseForColumn(const std::shared_ptr<Column>& column) const;

  void subscribeButtonPressed(const ui::Button& button);
  void loadColumnsResultOnMainThread(const Notification& notification);
  void subscribeResultOnMainThread(const Notification& notification);
  void onSubscribedNotification(const Notification& notification);
  void onUnsubscribedNotification(const Notification& notification);
  // NRSubscribeColumnsArrayViewDelegate: a picked column goes on to this screen's delegate.
  void columnsArrayControllerDidSelectColumn(NRSubscribeColumnsArrayController& controller,
                                             const std::shared_ptr<Column>& column) override;

  void loadView() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  int64_t numberOfSections(ui::TableView&) override { return 1; }
  int64_t numberOfRowsInSection(ui::TableView&, int64_t) override { return 2; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath&) override { return kRowHeight; }
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t) override { return kHeaderHeight; }
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView& table, int64_t section) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void alertViewClickedButtonAtIndex(ui::AlertView&, int) override {}

 private:
  std::shared_ptr<Column> columnAtRow(int64_t row) const;
  void markSubscribed(const Notification& notification, int32_t subscribed);

  std::shared_ptr<ColumnPickerEngine> engine_;
  std::weak_ptr<NRSubscribeSelfdefControllerDelegate> delegate_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<Column> customColumn_;
  std::vector<std::shared_ptr<Column>> socialColumnsArray_;
  // The fetch of the social columns whose answer counts.
  std::optional<std::string> socialTaskId_;
};

}  // namespace zu
