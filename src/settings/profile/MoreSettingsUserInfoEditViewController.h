// MoreSettingsUserInfoEditViewController: the logged-in reader edits the public profile —
// portrait, nickname, gender, self-introduction and up to five tags — saves it to the service,
// or logs out. The profile screen makes it with the reader's record and pushes it without
// animation; upright portrait only.
//
// Its view comes from the interface file "MoreSettingsUserInfoEditViewController" (SettingsNibs
// registers it): the table (320 × 416), the portrait header with the portrait button, its mask
// and the nickname field, and the introduction cell with its MSPlaceHolderTextView. The table is
// always editing, rows selectable: gender (section 0, "男" / "女", the chosen one checked), the
// introduction (1), one section per tag (2 to n + 1: title "个人标签" and the tag's field, with
// the delete control while there is more than one tag, its button reading "删除") and, below five
// tags, the add row with the insert control; logout sits in the last section's footer. Every
// delete, insert and reload of sections keeps the table's counts consistent. A tag field takes
// no non-empty change once it holds 1000 UTF-16 units. The keyboard shrinks the table by 216 and scrolls the entry being
// edited into sight: a tag's or the introduction's row (the one remembered) to the top, the
// nickname with the portrait header; an entry that begins editing while the keyboard is up is
// scrolled into sight too. Tab walks the nickname, the introduction and the tags (FocusOrder).
//
// Portrait: with a camera an action sheet (tag 201) offers the library or the camera; without,
// the library opens at once (or, without a library, an alert). The edited image is drawn into a
// 64 × 64 picture stored as a portrait file by the engine; its path is uploaded with the save.
// Save: the bar buttons are disabled and the title reads "正在保存..." while the engine's update
// task runs with a new record (the old record's limits, the non-empty tags in order); success
// posts "userInfoChangeMsg" ("USERINFO" the new record, "PORTRAITPATH" only with a portrait file)
// and the screen pops itself 0.5 s later; a failure shows the error (context " ") and keeps every
// edit, the buttons enabled again. Logout (action sheet tag 202) removes "username" and
// "password" from the user defaults ("isAnonymous" is left alone), logs the engine out, posts
// "Notification_Logout" and pops to the root.
//
// Where we differ on purpose (faults mended):
//  - The keyboard scrolled the remembered row (at first 男, row 0 of section 0) to the top
//    whatever was being edited, so the nickname, in that section's header above it, went under
//    the navigation bar as it began editing: the nickname is kept in sight instead.
//  - A picker that returns no edited image changes nothing (it is only dismissed).
//  - Results, and the pop 0.5 s after a save, that arrive after the screen has gone do
//    nothing; the pop happens only while this screen is on top. A logout while a save runs
//    ends its observation, so its success posts nothing after "Notification_Logout".
//  - An engine that makes no update task is a failed save (buttons enabled again), not a wait
//    for ever.
//
// Tasks and portrait files come from a UserInfoEngine (the profile screen's); results arrive as
// task notifications on the main thread. Main thread only; owned by its navigation controller.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/system/ImagePickerController.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/text/FocusOrder.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Button;
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

struct Notification;
class MSPlaceHolderTextView;
class UserInfo;
class UserInfoEngine;

class MoreSettingsUserInfoEditViewController : public ui::ViewController,
                                               public ui::TableViewDataSource,
                                               public ui::TableViewDelegate,
                                               public ui::TextFieldDelegate,
                                               public ui::TextViewDelegate,
                                               public ui::ActionSheetDelegate,
                                               public ui::ImagePickerControllerDelegate,
                                               public ui::FocusOrder {
 public:
  static constexpr const char* kNibName = "MoreSettingsUserInfoEditViewController";
  static constexpr const char* kUserInfoChangeNotification = "userInfoChangeMsg";
  static constexpr const char* kLogoutNotification = "Notification_Logout";
  static constexpr size_t kMaxTags = 5;
  static constexpr size_t kMaxTagLength = 1000;
  static constexpr int kCheckmarkTag = 200;
  static constexpr int kPortraitSheetTag = 201;
  static constexpr int kLogoutSheetTag = 202;
  static constexpr int kTagFieldTag = 203;
  static constexpr float kKeyboardHeight = 216;
  static constexpr float kPortraitSide = 64;

  static void registerNib();
  // initWithUserInfo: — `userInfo` may be null (then every value starts empty).
  static std::shared_ptr<MoreSettingsUserInfoEditViewController> create(std::shared_ptr<UserInfo> userInfo,
                                                                        std::shared_ptr<UserInfoEngine> engine);

  MoreSettingsUserInfoEditViewController(std::shared_ptr<UserInfo> userInfo, std::shared_ptr<UserInfoEngine> engine);
  ~MoreSettingsUserInfoEditViewController() override;

  // --- state (read by tests)
  const std::shared_ptr<UserInfo>& oldUserInfo() const { return oldUserInfo_; }
  const std::shared_ptr<UserInfo>& currentUserInfo() const { return currentUserInfo_; }
  int currentGender() const { return currentGender_; }
  const std::optional<std::string>& currentImagePath() const { return currentImagePath_; }
  const std::vector<std::shared_ptr<ui::TextField>>& biaoqianArray() const { return biaoqianArray_; }
  bool infoChanged() const { return infoChanged_; }
  bool isSaving() const { return saveTaskId_.has_value(); }
  // The table's sections: the add row's, or -1 with five tags.
  int64_t addSection() const;

  // --- outlets (null until the view loaded)
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<ui::TextField>& nicknameTextField() const { return nicknameTextField_; }
  const std::shared_ptr<MSPlaceHolderTextView>& selfintroTextView() const { return selfintroTextView_; }
  const std::shared_ptr<ui::TableViewCell>& selfintroCell() const { return selfintroCell_; }
  const std::shared_ptr<ui::Button>& touxiangButton() const { return touxiangButton_; }
  const std::shared_ptr<ui::ImageView>& zhezhaoImageView() const { return zhezhaoImageView_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& saveIndicator() const { return saveIndicator_; }
  const std::shared_ptr<ui::Button>& logoutButton() const { return logoutButton_; }

  // --- actions
  void returnButtonPressedAction();
  void saveButtonPressedAction();
  void touxiangImagePressedAction();
  void logoutButtonPressedAction();
  void hideKeyboard();
  void addOneBiaoqianWithString(const std::string& text);
  void saveUserInfoResultOnMainThread(const Notification& notification);

  // --- the view
  void viewDidLoad() override;
  void viewDidUnload() override;
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // --- the table
  int64_t numberOfSections(ui::TableView&) override;
  int64_t numberOfRowsInSection(ui::TableView&, int64_t section) override { return section == 0 ? 2 : 1; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  void commitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                          const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t section) override;
  std::optional<float> heightForFooterInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView& table, int64_t section) override;
  ui::TableViewCellEditingStyle editingStyleForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<std::string> titleForDeleteConfirmationButton(ui::TableView&, const ui::IndexPath&) override {
    return std::string("删除");
  }
  // Gender and introduction rows have no control and keep their place.
  bool shouldIndentWhileEditingRow(ui::TableView&, const ui::IndexPath& indexPath) override {
    return indexPath.section >= 2;
  }
  std::optional<ui::IndexPath> willSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // --- the fields
  void textFieldDidBeginEditing(ui::TextField& field) override;
  bool textFieldShouldChangeCharacters(ui::TextField& field, ui::TextRange range,
                                       const std::string& replacement) override;
  bool textFieldShouldReturn(ui::TextField& field) override;
  void textViewDidBeginEditing(ui::TextView& view) override;
  void textViewDidChange(ui::TextView& view) override;

  // --- Tab: the nickname, the introduction, then the tags in order, each scrolled into sight
  std::vector<std::shared_ptr<ui::View>> focusEntries() override;
  void revealFocusEntry(ui::View& entry) override;

  // --- sheets and the picker
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;
  void imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController& picker,
                                                  const ui::PickedMedia& media) override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsUserInfoEditViewController> sharedEditor();
  void setTitle(const std::string& title);
  void setBarButtonsEnabled(bool enabled);
  void keyboardWillShow();
  void keyboardWillHide();
  // Scrolls `entry` (the nickname in the portrait header, the introduction or a tag) just into
  // the table's sight and lays the table out, so its cell is made.
  void scrollEntryIntoSight(const ui::View& entry);
  // Resizes the introduction view and its cell to the text.
  void fitIntroduction();
  float introductionTextHeight() const;
  void removeTag(size_t index);
  void openPicker(ui::ImagePickerSourceType source);
  void showPortrait();
  void stopObserving();
  void popAfterSave();
  int tagIndexOf(const ui::TextField& field) const;

  std::shared_ptr<UserInfo> oldUserInfo_;
  std::shared_ptr<UserInfo> currentUserInfo_;
  std::shared_ptr<UserInfoEngine> engine_;
  int currentGender_ = 0;
  std::optional<std::string> currentImagePath_;
  std::vector<std::shared_ptr<ui::TextField>> biaoqianArray_;
  int64_t lastTextinSection_ = 0;
  int64_t lastTextinRow_ = 0;
  bool infoChanged_ = false;
  // The tags of the record are being made (viewDidLoad): the table is not told.
  bool filling_ = false;
  std::optional<std::string> saveTaskId_;
  uint64_t popToken_ = 0;
  float introductionNibHeight_ = 0;

  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::TableViewCell> touxiangCell_;
  std::shared_ptr<ui::TableViewCell> selfintroCell_;
  std::shared_ptr<MSPlaceHolderTextView> selfintroTextView_;
  std::shared_ptr<ui::Label> selfintroLabel_;
  std::shared_ptr<ui::Button> touxiangButton_;
  std::shared_ptr<ui::ImageView> zhezhaoImageView_;
  std::shared_ptr<ui::ImageView> nicknameBackgroundImageView_;
  std::shared_ptr<ui::TextField> nicknameTextField_;
  std::shared_ptr<ui::ActivityIndicatorView> saveIndicator_;
  std::shared_ptr<ui::View> logoutFooter_;
  std::shared_ptr<ui::Button> logoutButton_;
};

}  // namespace zu
