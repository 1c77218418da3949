// MSOfflineManageViewController: "离线阅读管理", where the reader chooses which subscribed columns
// the offline download fetches — a switch per column, buttons that switch all on or all off, and
// a switch that lets the offline download run on WiFi only. The switches only record choices in
// the engine; the download itself is the engine's. Pushed on the settings' navigation controller;
// its "  更多" button pops it.
//
// Sections: on a phone 0 is the WiFi switch (one row) and 1 the columns; on an iPod touch (no
// mobile data) only the columns. The device is read once, when the view loads. Each appearance
// asks the engine for the subscribed columns again (no pictures); a failure other than a
// cancellation (0 and −6 are quiet) shows the error tip. Column rows carry a switch tagged
// 10 + row, on as the engine says for the column each time the row is shown; the WiFi switch is
// on exactly when offline download under 3G is not allowed, and storing it stores the opposite.
// The all-on button is enabled while the engine's count of columns switched on differs from the
// number of columns, the all-off button while that count is not 0. Switching all moves the
// visible switches (animated) and tells the engine; rows out of sight read the engine when they
// come back.
//
// Where we differ on purpose (faults mended):
//  - A column switch's tag is checked against the current list (replaced on every appearance): a
//    switch whose row no longer exists changes nothing.
//  - Only the latest subscribed-columns task is listened to; a new appearance stops listening to
//    the one before.
//
// Tasks come from an OfflineManageEngine (the data engine's by default); their results arrive as
// task notifications on the main thread. Main thread only. The outlets belong to the view tree.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
class Switch;
}  // namespace ui

struct Notification;
class Entry;
class OfflineManageEngine;

class MSOfflineManageViewController : public ui::ViewController,
                                      public ui::TableViewDataSource,
                                      public ui::TableViewDelegate {
 public:
  static constexpr const char* kNibName = "MSOfflineManageViewController";
  static constexpr const char* kTitle = "离线阅读管理";
  // The two-line text, broken where its phrases meet (the condition, then what it allows), not
  // where the first line runs out of room.
  static constexpr const char* kWifiText = "只允许WiFi网络\n进行离线下载";
  static constexpr const char* kColumnCellIdentifier = "OfflinesCellIdentifier";
  static constexpr const char* kWifiCellIdentifier = "G3AlertCellIdentifier";
  static constexpr int kSwitchTagBase = 10;

  static void registerNib();

  MSOfflineManageViewController();
  ~MSOfflineManageViewController() override;

  const std::shared_ptr<OfflineManageEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<OfflineManageEngine> engine);

  // --- state (read by tests)
  const std::vector<std::shared_ptr<Entry>>& subscribedColumns() const { return subscribedColumns_; }
  bool isItouch() const { return itouch_; }
  // The section of the columns (0 on an iPod touch, else 1).
  int64_t columnsSection() const { return itouch_ ? 0 : 1; }

  // --- outlets (null until the view loaded)
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ui::Button>& openAllButton() const { return openAllButton_; }
  const std::shared_ptr<ui::Button>& closeAllButton() const { return closeAllButton_; }

  // --- actions
  void offlineSwitchValueChangedAction(ui::Switch& sender);
  void g3AlertSwitchValueChangedAction(ui::Switch& sender);
  void allopenButtonPressedAction();
  void allcloseButtonPressedAction();
  void returnButtonPressedAction();
  void setAllOn(bool on);
  void updateAllButtons();
  void getSubscribedColmunsResultOnMainThread(const Notification& notification);

  // --- the table
  int64_t numberOfSections(ui::TableView& table) override;
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView& table, int64_t section) override;
  std::optional<float> heightForFooterInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView& table, int64_t section) override;
  std::optional<ui::IndexPath> willSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // --- the view
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidUnload() override;

 private:
  static void buildView(ui::NibLoading& file);
  std::shared_ptr<MSOfflineManageViewController> sharedScreen();
  void applySkin();
  void stopObserving();
  std::shared_ptr<ui::TableViewCell> columnCell(ui::TableView& table, int64_t row);
  std::shared_ptr<ui::TableViewCell> wifiCell(ui::TableView& table);
  void dressCell(ui::TableViewCell& cell) const;

  std::shared_ptr<OfflineManageEngine> engine_;
  std::vector<std::shared_ptr<Entry>> subscribedColumns_;
  bool itouch_ = false;
  std::optional<std::string> columnsTaskId_;

  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::View> headerView0_;
  std::shared_ptr<ui::View> footerView0_;
  std::shared_ptr<ui::View> footerView1_;
  std::shared_ptr<ui::Button> openAllButton_;
  std::shared_ptr<ui::Button> closeAllButton_;
  std::shared_ptr<ui::ImageView> buttonsBackgroundImageView_;
  std::shared_ptr<ui::Label> buttonTextLabel_;
  std::shared_ptr<ui::Label> wifiTextLabel_;
};

}  // namespace zu
