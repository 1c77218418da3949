// MoreSettingsMainInterfaceViewController: the "更多" tab — a grouped table whose sections and
// row titles come from the bundle's property list "MoreSettingsSections", whose rows open the
// account, favourites, font, offline, feedback, about and guide screens, clean the two caches,
// and switch text-only mode, automatic refresh, night mode and the screen lightness. Made by the
// main interface file as the settings tab's root (interface file
// "MoreSettingsMainInterfaceViewController"); portrait only.
//
// The section table: one entry per section, its key the section's index in decimal, one
// separator character, then the header title; its value the row titles. Rows are handled by
// position: 0,0 the user; 0,1 bound accounts; 0,2 favourites; 1,0 font; 2 offline switches;
// 3 clean the reading cache; 4 clean the offline content; 5,0 text-only mode; 6,0 automatic
// refresh; 6,1 night; 6,2 lightness; 7,0 feedback; 7,1 store review; 7,2 about; 8,0 guide.
// Actions run when a row is about to be selected, and no row stays selected.
//
// Where we differ on purpose (faults mended):
//  - A section's key is the one that begins with the index's digits followed by a non-digit,
//    not the first key (in the dictionary's own order) that contains those digits somewhere:
//    "1…" would otherwise also answer for section 11, or a title holding a digit for another.
//  - A user-info or portrait result that arrives after the view unloaded changes nothing, and a
//    portrait that arrives after the reader logged out does not show in the guest's cell.
//  - Header heights other than section 0's are the table's default rather than 0 (which the
//    kit's table takes as no room at all), so the titles show as intended.
//  - The store row opens an https address (the opener refuses the store's own scheme, so the
//    row did nothing visible).
//
// Tasks come from a MoreSettingsEngine (the data engine's by default); their results arrive as
// task notifications on the main thread. Main thread only. The outlets belong to the view tree.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Value.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class Label;
class NibLoading;
class Slider;
class Switch;
}  // namespace ui

struct Notification;
class MoreSettingsEngine;
class UserInfo;

class MoreSettingsMainInterfaceViewController : public ui::ViewController,
                                                public ui::TableViewDataSource,
                                                public ui::TableViewDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsMainInterfaceViewController";
  static constexpr const char* kSectionsResource = "MoreSettingsSections";
  static constexpr const char* kTitle = "更多";
  static constexpr const char* kNoPictureKey = "kMoreSettingsKeyForNopic";
  static constexpr const char* kDisplayModeNotification = "ColumnDisplayModeChange";
  static constexpr const char* kNightNotification = "Notification_Night";
  static constexpr const char* kLogoutNotification = "Notification_Logout";
  static constexpr const char* kSyncResultNotification = "SyncResultNotification";
  static constexpr const char* kCacheCleanEndNotification = "kNotificationCachecleanEnd";
  // Info.plist: the store's user-review page of this application.
  static constexpr const char* kStoreReviewUrlKey = "ZUStoreReviewURL";
  // The environment's choice of that page, before Info.plist's (a sample run's own page).
  static constexpr const char* kStoreReviewUrlVariable = "ZU_STORE_REVIEW_URL";
  static constexpr int kCenteredLabelTag = 10000;
  static constexpr int kGuideLabelTag = 10001;
  static constexpr float kUserRowHeight = 70;
  static constexpr float kRowHeight = 43;

  // Registers the interface file: the screen for an owner that is not one (the main interface
  // asks for it), the view for the screen itself.
  static void registerNib();

  MoreSettingsMainInterfaceViewController();
  ~MoreSettingsMainInterfaceViewController() override;

  const std::shared_ptr<MoreSettingsEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<MoreSettingsEngine> engine);

  // The size text of the cleaning footers: below 1024 MB "%.1fMB" from 1 MB, else "%dKB" of
  // whole kilobytes; from 1024 MB "%.1fGB".
  static std::string cacheSizeStringWithSize(int64_t bytes);
  // The page the store row opens: $ZU_STORE_REVIEW_URL when set, else Info.plist's
  // "ZUStoreReviewURL", else the store's https review address of this application.
  static std::string storeReviewUrl();

  // --- state (read by tests)
  const Dictionary& sectionsDictionary() const { return sectionsDictionary_; }
  const std::shared_ptr<UserInfo>& userInfo() const { return userInfo_; }
  std::optional<std::string> getKeyByIndexFromSectionDictionary(int64_t section) const;
  std::optional<std::string> moreSettingsDetailTextByIndexPath(const ui::IndexPath& indexPath) const;

  // --- outlets (null until the view loaded)
  const std::shared_ptr<ui::TableView>& sectionsTableView() const { return sectionsTableView_; }
  const std::shared_ptr<ui::TableViewCell>& userInfoTableViewCell() const { return userInfoTableViewCell_; }
  const std::shared_ptr<ui::Switch>& nightSwitch() const { return nightSwitch_; }
  const std::shared_ptr<ui::Slider>& lightnessSlider() const { return lightnessSlider_; }

  // --- actions
  void nopicSwitchAction(ui::Switch& sender);
  void autoRefreshSwitchAction(ui::Switch& sender);
  void nightAction(ui::Switch& sender);
  void lightnessAction(ui::Slider& sender);
  void rejustInterface();
  void refreshUserInfoCell();
  void LoadUserInfo();
  void reloadMoreSettingsData();
  void getUserInfoResultOnMainThread(const Notification& notification);
  void getIconImageResultOnMainThread(const Notification& notification);

  // --- the table
  int64_t numberOfSections(ui::TableView& table) override;
  int64_t numberOfRowsInSection(ui::TableView& table, int64_t section) override;
  std::optional<std::string> titleForHeaderInSection(ui::TableView& table, int64_t section) override;
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
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

 private:
  static void buildView(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsMainInterfaceViewController> sharedScreen();
  void loadSections();
  void observeNotifications();
  void stopObserving();
  void stopObservingTask(std::optional<std::string>& taskId);
  void setPortraitFromFile();
  void pushScreen(const std::shared_ptr<ui::ViewController>& screen, bool hidesBottomBar);
  void selectRow(const ui::IndexPath& indexPath);
  std::shared_ptr<ui::TableViewCell> dequeueCell(ui::TableView& table, const char* identifier,
                                                 ui::TableViewCellStyle style);
  std::shared_ptr<ui::TableViewCell> cleaningCell(ui::TableView& table, int64_t section);
  std::shared_ptr<ui::TableViewCell> switchCell(ui::TableView& table, const ui::IndexPath& indexPath);
  void dressCell(ui::TableViewCell& cell) const;
  std::string rowTitle(const ui::IndexPath& indexPath) const;
  std::shared_ptr<ui::View> footerView(const std::string& text);

  std::shared_ptr<MoreSettingsEngine> engine_;
  Dictionary sectionsDictionary_;
  std::shared_ptr<UserInfo> userInfo_;
  std::optional<std::string> userInfoTaskId_;
  std::optional<std::string> iconTaskId_;
  bool observing_ = false;

  std::shared_ptr<ui::TableView> sectionsTableView_;
  std::shared_ptr<ui::TableViewCell> userInfoTableViewCell_;
  std::weak_ptr<ui::Label> clearCacheLabel_;
  std::shared_ptr<ui::Label> clearOfflineLabel_;
  std::shared_ptr<ui::Switch> nightSwitch_;
  std::shared_ptr<ui::Slider> lightnessSlider_;
};

}  // namespace zu
