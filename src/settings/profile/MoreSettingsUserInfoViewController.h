// MoreSettingsUserInfoViewController: a reader's profile — portrait, name and gender, self-
// introduction and labels — in a grouped table of three one-row sections. The settings tab opens
// it for the logged-in reader, who can also edit (the "编辑" button pushes the profile editor
// without animation); the comments screen opens it for a comment's author. Pushed on a
// navigation controller; upright portrait only.
//
// Opening: lower screens ask for the interface file "MoreSettingsUserInfoViewController" through
// a ScreenRequest with the parameters "userName" (fetch that reader's profile) and
// "isLoginUser", or "userInfo" (a UserInfo record; the profile fetched is then the engine's
// current user's) with "isLoginUser" (SettingsNibs registers the file). In code: create() or
// createWithUserInfo(). Either starts the engine's user-info task; its "UserInfo" result
// replaces the profile shown.
//
// What is shown: the display name is the profile's name, else the part of its e-mail before
// the "@" (the whole address without one); the title is "%@的资料" with it, or "个人资料" when it
// is empty — also after a fetched result. The own profile is re-read from the engine's stored
// copy on every appearance, and from the second appearance on the table fades in from 0.95.
// Introduction and labels rows are the height of the profile's text (skin font
// "fontKdmsCellSubtitle", character wrap, 205 wide, at most 1000 / 2600 high) plus 32, never
// under 40 (so an empty one is 40 high, whatever stands in its place); an empty
// introduction reads "您还没有输入任何内容" (own) or "TA没留下任何内容" (another's), no labels "空".
// The portrait is the engine's local copy of the icon, else "imageKdpTouxiang152" while the
// picture downloads (one download per address at a time).
//
// Where we differ on purpose (faults mended):
//  - The title after a fetched result follows the display-name rule (never "的资料" alone).
//  - A reappearance while the engine holds no stored profile keeps the profile shown instead
//    of blanking it.
//  - Only the female gender (1) reads "女"; a profile whose gender is not given reads "男" like
//    a male one rather than "女".
//  - Results arriving after the screen has gone do nothing (its observations end with it).
// There is no pad idiom on this platform: the phone's widths and its leaving by pop are used.
//
// Tasks come from a UserInfoEngine (the data engine's by default); their results arrive as task
// notifications on the main thread. Main thread only; owned by its navigation controller.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/TableViewController.h"

namespace zu {

namespace ui {
class Image;
class ImageView;
class NibLoading;
}  // namespace ui

struct Notification;
class UserInfo;
class UserInfoEngine;

class MoreSettingsUserInfoViewController : public ui::TableViewController {
 public:
  using Text = std::optional<std::string>;

  static constexpr const char* kNibName = "MoreSettingsUserInfoViewController";
  static constexpr float kMinimumRowHeight = 40;
  static constexpr float kTextWidth = 205;
  static constexpr float kIntroductionMaxHeight = 1000;
  static constexpr float kLabelsMaxHeight = 2600;
  static constexpr const char* kOwnEmptyIntroduction = "您还没有输入任何内容";
  static constexpr const char* kOtherEmptyIntroduction = "TA没留下任何内容";

  static void registerNib();

  // initWithUserName:isLoginUser: — fetches that reader's profile.
  static std::shared_ptr<MoreSettingsUserInfoViewController> create(const Text& userName, bool isLoginUser,
                                                                    std::shared_ptr<UserInfoEngine> engine = nullptr);
  // initWithUserInfo:isLoginUser: — the record is not kept; the current user's profile is
  // fetched.
  static std::shared_ptr<MoreSettingsUserInfoViewController> createWithUserInfo(
      const std::shared_ptr<UserInfo>& userInfo, bool isLoginUser, std::shared_ptr<UserInfoEngine> engine = nullptr);

  MoreSettingsUserInfoViewController(Text userName, bool fetchCurrentUser, bool isLoginUser,
                                     std::shared_ptr<UserInfoEngine> engine);
  ~MoreSettingsUserInfoViewController() override;

  // The name a profile is shown under: its name, else its e-mail before the "@" (all of it
  // without one), else "".
  static std::string displayName(const UserInfo* info);
  // "%@的资料" with the display name, or "个人资料".
  static std::string titleFor(const UserInfo* info);
  // The height of an introduction or labels row showing `text`.
  static float textRowHeight(const std::string& text, float maxHeight);

  const std::shared_ptr<UserInfoEngine>& engine() const { return engine_; }
  const std::shared_ptr<UserInfo>& loginUserInfo() const { return loginUserInfo_; }
  bool isLoginUser() const { return isLoginUser_; }
  bool isFirstIn() const { return isFirstIn_; }
  // The introduction and the labels (each followed by a line break) as the profile holds them,
  // which the rows' heights measure, and the texts the rows show.
  std::string introduction() const;
  std::string labels() const;
  std::string introductionText() const;
  std::string labelsText() const;
  // Tasks observed now (for tests).
  bool isObservingUserInfo() const { return userInfoTaskId_.has_value(); }
  size_t portraitDownloads() const { return portraitTasks_.size(); }

  // --- actions
  void leftButtonPressed();
  void editButtonPressed();
  void userInfoResult(const Notification& notification);
  void portraitResult(const Notification& notification);

  // --- the view
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;

  // --- the table
  int64_t numberOfSections(ui::TableView&) override { return 3; }
  int64_t numberOfRowsInSection(ui::TableView&, int64_t) override { return 1; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t section) override;
  std::optional<float> heightForFooterInSection(ui::TableView&, int64_t) override;
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView&, int64_t) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView&, int64_t) override;
  std::optional<ui::IndexPath> willSelectRow(ui::TableView&, const ui::IndexPath&) override { return std::nullopt; }

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsUserInfoViewController> sharedScreen();
  // Starts the user-info task (after making: observing needs the shared screen).
  void startLoading();
  void applyTitle();
  // The portrait for the profile: the local copy, else the placeholder and a download.
  std::shared_ptr<ui::Image> portrait();
  void stopObserving(const std::string& taskId);

  Text userName_;
  bool fetchCurrentUser_;
  bool isLoginUser_;
  bool isFirstIn_ = true;
  std::shared_ptr<UserInfoEngine> engine_;
  std::shared_ptr<UserInfo> loginUserInfo_;
  Text userInfoTaskId_;
  // Portrait downloads running: task id → address.
  std::map<std::string, std::string> portraitTasks_;
  std::weak_ptr<ui::ImageView> portraitView_;
};

}  // namespace zu
