#include "settings/profile/MoreSettingsUserInfoEditViewController.h"

#include <gtest/gtest.h>

#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/FocusChain.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableView.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"
#include "settings/profile/ProfileTestSupport.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {
namespace {

using testing::postFinish;
using testing::profile;
using Editor = MoreSettingsUserInfoEditViewController;
using Style = ui::TableViewCellEditingStyle;

class ProfileEditorTest : public testing::ProfileFixture {
 protected:
  void SetUp() override {
    ProfileFixture::SetUp();
    NotificationCenter::defaultCenter().add(Editor::kUserInfoChangeNotification, this,
                                            [this](const Notification& n) { changes_.push_back(n.userInfo); });
    NotificationCenter::defaultCenter().add(Editor::kLogoutNotification, this,
                                            [this](const Notification&) { ++logouts_; });
  }
  // The profile screen of the logged-in reader with the editor pushed over it.
  std::shared_ptr<Editor> open(const std::shared_ptr<UserInfo>& info) {
    engine_->stored = info;
    profileScreen_ = MoreSettingsUserInfoViewController::create(std::string("reader"), true, engine_);
    push(profileScreen_);
    profileScreen_->editButtonPressed();
    settle(1);
    editor_ = std::dynamic_pointer_cast<Editor>(navigation_->topViewController());
    EXPECT_TRUE(editor_);
    window_->layoutIfNeeded();
    return editor_;
  }
  ui::TableView& table() { return *editor_->tableView(); }
  std::shared_ptr<ui::TableViewCell> cell(int64_t section, int64_t row = 0) { return table().cellForRow({section, row}); }
  Style styleOf(int64_t section) {
    table().scrollToRow({section, 0}, ui::TableViewScrollPosition::Middle, false);
    table().layoutIfNeeded();
    auto shown = cell(section);
    return shown ? shown->editingStyle() : Style::None;
  }
  // The reader deletes tag section `section` with its control and the confirmation button.
  void deleteTag(int64_t section) {
    table().scrollToRow({section, 0}, ui::TableViewScrollPosition::Middle, false);
    table().layoutIfNeeded();
    ASSERT_TRUE(table().tapEditingControl({section, 0}));
    EXPECT_EQ(std::optional<std::string>("删除"), cell(section)->deleteConfirmationTitle());
    ASSERT_TRUE(table().tapDeleteConfirmation({section, 0}));
    table().layoutIfNeeded();
  }
  std::vector<std::string> tags() const {
    std::vector<std::string> texts;
    for (const auto& field : editor_->biaoqianArray()) texts.push_back(field->text());
    return texts;
  }
  bool barButtonsEnabled() {
    return editor_->navigationItem()->leftBarButtonItem()->isEnabled() &&
           editor_->navigationItem()->rightBarButtonItem()->isEnabled();
  }
  static std::shared_ptr<ui::ActionSheet> topSheet() {
    return std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  }
  // The screen from the top, or scrolled to the bottom, or (`scroll` false) as it is.
  void snapshot(const std::string& name, bool bottom = false, bool scroll = true) {
    if (scroll) table().setContentOffset(ui::Point{0, bottom ? table().maximumContentOffset().y : 0}, false);
    window_->layoutIfNeeded();
    auto picture = ui::renderScreen();
    ASSERT_TRUE(picture);
    EXPECT_TRUE(ui::ContrastAudit::writeScreen(*picture, name).has_value());
  }

  std::shared_ptr<MoreSettingsUserInfoViewController> profileScreen_;
  std::shared_ptr<Editor> editor_;
  std::vector<Dictionary> changes_;
  int logouts_ = 0;
};

TEST_F(ProfileEditorTest, NoTagsGiveOneEmptyFieldAndSaveSendsAnEmptyListWithTheOldLimits) {
  open(profile("Ann", "ann@example.org", "", {}));
  EXPECT_EQ(std::vector<std::string>{""}, tags());
  EXPECT_EQ(4, table().numberOfSections());
  EXPECT_EQ(3, editor_->addSection());
  EXPECT_EQ("Ann", editor_->nicknameTextField()->text());
  // The only tag has no delete control; the add row has the insert control; gender none.
  EXPECT_EQ(Style::None, styleOf(2));
  EXPECT_EQ(Style::Insert, styleOf(3));
  EXPECT_EQ(Style::None, styleOf(0));
  EXPECT_TRUE(cell(0, 0)->viewWithTag(Editor::kCheckmarkTag));
  EXPECT_FALSE(cell(0, 1)->viewWithTag(Editor::kCheckmarkTag));
  // Picking "女" moves the check; no row stays selected.
  EXPECT_FALSE(table().tapRow({0, 1}));
  EXPECT_EQ(1, editor_->currentGender());
  EXPECT_TRUE(cell(0, 1)->viewWithTag(Editor::kCheckmarkTag));
  EXPECT_FALSE(table().indexPathForSelectedRow());
  EXPECT_TRUE(editor_->infoChanged());
  // No portrait file: the mask is hidden.
  EXPECT_FALSE(editor_->currentImagePath());
  EXPECT_TRUE(editor_->zhezhaoImageView()->isHidden());

  editor_->nicknameTextField()->becomeFirstResponder();
  editor_->nicknameTextField()->insertText(" B");
  editor_->saveButtonPressedAction();
  EXPECT_FALSE(barButtonsEnabled());
  EXPECT_EQ("正在保存...", titleOf(*editor_));
  EXPECT_TRUE(editor_->saveIndicator()->isAnimating());
  ASSERT_EQ(1u, engine_->updateTasks.size());
  const auto& sent = engine_->updateTasks[0];
  EXPECT_FALSE(sent->iconPath);
  ASSERT_TRUE(sent->userInfo && sent->userInfo->labels());
  EXPECT_EQ(std::optional<std::vector<std::string>>(std::vector<std::string>()), sent->userInfo->labels()->labelItems());
  EXPECT_EQ(14, sent->userInfo->labels()->maxLength());
  EXPECT_EQ(5, sent->userInfo->labels()->maxCount());
  EXPECT_EQ(std::optional<std::string>("Ann B"), sent->userInfo->name()->value());
  EXPECT_EQ(20, sent->userInfo->name()->maxLength());
  EXPECT_EQ(std::optional<std::string>("ann@example.org"), sent->userInfo->email()->value());
  EXPECT_EQ(64, sent->userInfo->email()->maxLength());
  EXPECT_EQ(std::optional<std::string>(""), sent->userInfo->introduction()->value());
  EXPECT_EQ(1, sent->userInfo->gender());
  EXPECT_FALSE(sent->userInfo->icon());

  // Saved: the change is posted with the record only, then the editor pops 0.5 s later.
  postFinish(sent, 0);
  EXPECT_EQ("保存成功", titleOf(*editor_));
  EXPECT_FALSE(editor_->saveIndicator()->isAnimating());
  ASSERT_EQ(1u, changes_.size());
  EXPECT_EQ(sent->userInfo, changes_[0].get("USERINFO").asObject<UserInfo>());
  EXPECT_FALSE(changes_[0].contains("PORTRAITPATH"));
  EXPECT_EQ(editor_, navigation_->topViewController());
  settle(0.4);
  EXPECT_EQ(editor_, navigation_->topViewController());
  settle(0.2);
  EXPECT_EQ(profileScreen_, navigation_->topViewController());
}

TEST_F(ProfileEditorTest, FiveTagsHideTheAddRowAndDeletingBringsItBack) {
  open(profile("Ann", "", "", {"a", "b", "c", "d", "e"}));
  EXPECT_EQ(7, table().numberOfSections());
  EXPECT_EQ(-1, editor_->addSection());
  // Logout sits right under the fifth tag.
  EXPECT_EQ(table().rectForRow({6, 0}).maxY(), table().rectForFooterInSection(6).origin.y);
  EXPECT_EQ(102, table().rectForFooterInSection(6).size.height);
  for (int64_t s = 2; s <= 6; ++s) EXPECT_EQ(Style::Delete, styleOf(s)) << s;
  EXPECT_EQ(ui::ReturnKeyType::Done, editor_->biaoqianArray().back()->returnKeyType());
  EXPECT_EQ(ui::ReturnKeyType::Next, editor_->biaoqianArray().front()->returnKeyType());
  snapshot("profile-editor-5-tags", true);

  // Deleting the last: the add row returns; its field's "next" becomes "done".
  deleteTag(6);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d"}), tags());
  EXPECT_EQ(7, table().numberOfSections());
  EXPECT_EQ(6, editor_->addSection());
  EXPECT_EQ(Style::Insert, styleOf(6));
  EXPECT_EQ(ui::ReturnKeyType::Done, editor_->biaoqianArray().back()->returnKeyType());
  // Then from the middle, down to one: that one has no delete control.
  deleteTag(3);
  deleteTag(2);
  EXPECT_EQ((std::vector<std::string>{"c", "d"}), tags());
  deleteTag(3);
  EXPECT_EQ(std::vector<std::string>{"c"}, tags());
  EXPECT_EQ(4, table().numberOfSections());
  EXPECT_EQ(Style::None, styleOf(2));
  EXPECT_FALSE(table().tapEditingControl({2, 0}));
  EXPECT_EQ(Style::Insert, styleOf(3));

  // Adding through the insert control and through the add row, up to five again.
  ASSERT_TRUE(table().tapEditingControl({3, 0}));
  EXPECT_EQ(2u, editor_->biaoqianArray().size());
  EXPECT_TRUE(editor_->biaoqianArray().back()->isFirstResponder());
  EXPECT_EQ(Style::Delete, styleOf(2));  // reloaded: the first tag may go again
  for (int i = 0; i < 3; ++i) {
    const int64_t add = editor_->addSection();
    table().scrollToRow({add, 0}, ui::TableViewScrollPosition::Middle, false);
    table().layoutIfNeeded();
    EXPECT_FALSE(table().tapRow({add, 0}));
  }
  EXPECT_EQ(5u, editor_->biaoqianArray().size());
  EXPECT_EQ(7, table().numberOfSections());
  EXPECT_EQ(-1, editor_->addSection());
  EXPECT_EQ(std::vector<std::string>({"c", "", "", "", ""}), tags());
  // Saving sends only the tags written.
  editor_->saveButtonPressedAction();
  ASSERT_EQ(1u, engine_->updateTasks.size());
  EXPECT_EQ(std::vector<std::string>{"c"}, *engine_->updateTasks[0]->userInfo->labels()->labelItems());
}

TEST_F(ProfileEditorTest, ThreeTagsTheLengthLimitAndTheKeyboard) {
  open(profile("Ann", "", "Likes the sea.", {"harbour", "tides", "ferries"}, "", 1));
  EXPECT_EQ(6, table().numberOfSections());
  EXPECT_EQ("Likes the sea.", editor_->selfintroTextView()->text());
  snapshot("profile-editor-top");
  snapshot("profile-editor-3-tags", true);

  // A tag field refuses to grow at 1000 UTF-16 units, but may still lose text.
  auto field = editor_->biaoqianArray()[0];
  field->becomeFirstResponder();
  field->setText(std::string(999, 'x'));
  field->insertText("好");
  EXPECT_EQ(1000u, StringUtil::utf16Length(field->text()));
  field->insertText("y");
  EXPECT_EQ(1000u, StringUtil::utf16Length(field->text()));
  field->deleteBackward();
  EXPECT_EQ(999u, StringUtil::utf16Length(field->text()));

  // The keyboard shrinks the table by 216; return moves to the next tag, "done" ends.
  settle(1);
  EXPECT_EQ(416 - 216, table().frame().size.height);
  field->insertReturn();
  EXPECT_TRUE(editor_->biaoqianArray()[1]->isFirstResponder());
  editor_->biaoqianArray()[2]->becomeFirstResponder();
  editor_->biaoqianArray()[2]->insertReturn();
  EXPECT_FALSE(editor_->biaoqianArray()[2]->isFirstResponder());
  settle(1);
  EXPECT_EQ(ui::Rect(0, 0, 320, 416), table().frame());

  // The introduction grows with its text, and its row with it.
  const float before = table().rectForRow({1, 0}).size.height;
  editor_->selfintroTextView()->becomeFirstResponder();
  editor_->selfintroTextView()->insertText(std::string(300, 'w'));
  EXPECT_GT(table().rectForRow({1, 0}).size.height, before + 40);
  EXPECT_EQ(table().rectForRow({1, 0}).size.height, editor_->selfintroCell()->frame().size.height);
  editor_->hideKeyboard();
  EXPECT_FALSE(editor_->selfintroTextView()->isFirstResponder());
}

// By night the nickname's field wears the skin's dark board: the name and its placeholder are in
// the skin's light colours on it (the pictures' audit measures them).
TEST_F(ProfileEditorTest, ByNightTheNicknameReadsOnItsDarkField) {
  testing::NightLook night;
  open(profile("Ann", "", "Likes the sea.", {"harbour"}, "", 1));
  // The settings tab dresses the bar it pushes the screens on in the current skin.
  NRSkinManager::sharedManager().setCurrentBackgroundImageOfNavigationBar(*navigation_->navigationBar());
  snapshot("profile-editor-night");
  editor_->nicknameTextField()->setText(std::string());
  table().setContentOffset(ui::Point{0, 0}, false);
  window_->layoutIfNeeded();
  const auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  const auto report = ui::ContrastAudit::auditScreen(*picture, "profile-editor-night-no-name");
  ui::ContrastAudit::expectReadable(report);
}

// The nickname clicked is in sight, whole, above the keyboard, whatever row the screen remembers
// (男 at first, a tag's, the introduction's): the keyboard's scroll never takes it under the bar.
// It keeps editing through taps on the table, and its return key ends the editing.
TEST_F(ProfileEditorTest, TheNicknameStaysInSightWhateverRowIsRememberedAndKeepsEditing) {
  open(profile("Ann", "", "Likes the sea.", {"a", "b", "c"}));
  auto nickname = editor_->nicknameTextField();
  const auto clickNickname = [&] {
    table().setContentOffset(ui::Point{0, 0}, false);
    window_->layoutIfNeeded();
    // (Right of the name: the caret goes where the tap lands, here after its last letter.)
    window_->tap(nickname->convertPointTo(ui::Point{150, 18}, window_.get()));
    settle(1);
    window_->layoutIfNeeded();
    ASSERT_TRUE(nickname->isFirstResponder());
    EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*nickname)) << "offset " << table().contentOffset().y;
  };
  const auto endEditing = [&] {
    nickname->insertReturn();
    editor_->hideKeyboard();
    settle(1);
  };
  clickNickname();  // the first row remembered
  snapshot("profile-editor-nickname-editing", false, false);
  endEditing();
  editor_->biaoqianArray()[2]->becomeFirstResponder();  // a tag's row
  endEditing();
  clickNickname();
  endEditing();
  editor_->selfintroTextView()->becomeFirstResponder();  // the introduction's
  endEditing();
  clickNickname();

  // A tap on the table while the nickname edits only reloads it.
  editor_->hideKeyboard();
  EXPECT_TRUE(nickname->isFirstResponder());
  nickname->insertText("!");
  EXPECT_EQ("Ann!", nickname->text());
  // Its return key ends the editing.
  nickname->insertReturn();
  EXPECT_FALSE(nickname->isFirstResponder());
}

// The introduction box grows as the reader types line after line into it: its caret stays in
// sight above the keyboard, the screen scrolling as the box grows under it.
TEST_F(ProfileEditorTest, TheIntroductionsCaretStaysAboveTheKeyboardAsTheBoxGrows) {
  open(profile("Ann", "", "", {"a", "b", "c"}));
  auto intro = editor_->selfintroTextView();
  ASSERT_TRUE(intro->becomeFirstResponder());
  settle(1);
  window_->layoutIfNeeded();
  const float keyboardTop = ui::Keyboard::interfaceFrame().minY();
  for (int line = 0; line < 16; ++line) {
    ui::Keyboard::shared().type(line == 0 ? "海边长大" : "\n海边长大，喜欢读书");
    settle(1);
    window_->layoutIfNeeded();
    const ui::Rect caret = intro->convertRectTo(intro->caretRectInView(), window_.get());
    const ui::Rect table = editor_->tableView()->convertRectTo(editor_->tableView()->bounds(), window_.get());
    EXPECT_LE(caret.maxY(), keyboardTop) << "line " << line << ", caret " << caret.toString();
    EXPECT_LE(caret.maxY(), table.maxY()) << "line " << line;
    EXPECT_GE(caret.minY(), table.minY()) << "line " << line;
    if (line == 15) snapshot("profile-editor-introduction-growing", false, false);
  }
}

// Tab walks every entry in the screen's order — the nickname, the introduction, then each tag,
// those whose rows are scrolled away too — and each is in sight above the keyboard as it edits;
// Tab from the last tag comes round to the nickname, Shift+Tab goes back. Opened with nothing
// edited, Tab begins with the nickname.
TEST_F(ProfileEditorTest, TabWalksEveryEntryInOrderEachInSight) {
  open(profile("Ann", "", "Likes the sea.", {"a", "b", "c", "d", "e"}));
  std::vector<std::shared_ptr<ui::View>> order{editor_->nicknameTextField(), editor_->selfintroTextView()};
  for (const auto& tag : editor_->biaoqianArray()) order.push_back(tag);
  auto& keyboard = ui::Keyboard::shared();
  const auto inSight = [&](size_t i) {
    settle(1);
    window_->layoutIfNeeded();
    ASSERT_EQ(order[i], keyboard.firstResponder()) << "entry " << i;
    EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*order[i])) << "entry " << i << ", offset "
                                                                 << table().contentOffset().y;
  };
  ASSERT_TRUE(ui::FocusChain::advance(false));
  inSight(0);
  for (size_t i = 1; i < order.size(); ++i) {
    ASSERT_TRUE(ui::FocusChain::advance(false));
    inSight(i);
  }
  snapshot("profile-editor-last-tag-editing", false, false);
  ASSERT_TRUE(ui::FocusChain::advance(false));
  inSight(0);
  ASSERT_TRUE(ui::FocusChain::advance(true));
  inSight(order.size() - 1);
  keyboard.type("!");
  EXPECT_EQ("e!", editor_->biaoqianArray()[4]->text());
}

TEST_F(ProfileEditorTest, APortraitFromTheLibraryIsStoredAt64AndUploadedWithTheSave) {
  open(profile("Ann", "", "", {"a"}));
  // No camera: the library opens at once (no sheet); without a library, the alert.
  editor_->touxiangImagePressedAction();
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(std::optional<std::string>("无法访问照片库"), topAlert()->message());
  topAlert()->clickButton(0);
  settle(1);
  ui::ImagePickerController::setSourceTypeAvailable(ui::ImagePickerSourceType::PhotoLibrary, true);
  editor_->touxiangImagePressedAction();
  settle(1);
  EXPECT_FALSE(topSheet());
  auto picker = std::dynamic_pointer_cast<ui::ImagePickerController>(navigation_->modalViewController());
  ASSERT_TRUE(picker);
  EXPECT_EQ(ui::ImagePickerSourceType::PhotoLibrary, picker->sourceType());
  EXPECT_TRUE(picker->allowsEditing());

  // A picker that brings no edited image changes nothing.
  auto picture = ui::Image::create(200, 120);
  for (int i = 0; i < 200 * 120; ++i) picture->mutablePixels()[i] = 0xffd02020u;
  editor_->imagePickerControllerDidFinishPickingMedia(*picker, ui::PickedMedia{picture, nullptr});
  settle(1);
  EXPECT_FALSE(editor_->currentImagePath());
  EXPECT_TRUE(engine_->portraits.empty());
  EXPECT_FALSE(navigation_->modalViewController());

  editor_->touxiangImagePressedAction();
  settle(1);
  picker = std::dynamic_pointer_cast<ui::ImagePickerController>(navigation_->modalViewController());
  ASSERT_TRUE(picker && picker->pick(picture));
  settle(1);
  EXPECT_FALSE(navigation_->modalViewController());
  ASSERT_EQ(1u, engine_->portraits.size());
  EXPECT_EQ(std::optional<std::string>(engine_->portraits[0]), editor_->currentImagePath());
  auto stored = ui::Image::fromFile(engine_->portraits[0]);
  ASSERT_TRUE(stored);
  EXPECT_EQ(64, stored->pixelWidth());
  EXPECT_EQ(64, stored->pixelHeight());
  EXPECT_EQ(0xffd02020u, stored->pixelAt(32, 32));
  editor_->viewWillAppear(false);
  EXPECT_FALSE(editor_->zhezhaoImageView()->isHidden());

  editor_->saveButtonPressedAction();
  ASSERT_EQ(1u, engine_->updateTasks.size());
  EXPECT_EQ(editor_->currentImagePath(), engine_->updateTasks[0]->iconPath);
  postFinish(engine_->updateTasks[0], 0);
  ASSERT_EQ(1u, changes_.size());
  EXPECT_EQ(Value(engine_->portraits[0]), changes_[0].get("PORTRAITPATH"));

  // The editor leaves before its pop: the pop does nothing to the screen below.
  navigation_->popViewController(false);
  editor_.reset();
  settle(1);
  EXPECT_EQ(profileScreen_, navigation_->topViewController());
}

// A small portrait (the service's are often 16 points) fills its box; a tag's delete button
// never lies over the tag's text.
TEST_F(ProfileEditorTest, ASmallPortraitFillsItsBoxAndTheDeleteButtonLeavesTheTagInSight) {
  const uint32_t green = 0xff20a040u;
  engine_->keepLocalCopy("http://h/small.png", green, 16);
  open(profile("Ann", "", "", {"harbour", "tides"}, "http://h/small.png"));
  ASSERT_TRUE(editor_->currentImagePath());
  auto button = editor_->touxiangButton();
  ASSERT_TRUE(button);
  auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  // Inside the box's rounded corners, near each of them, the portrait shows.
  for (const ui::Point corner : {ui::Point{10, 10}, ui::Point{54, 54}, ui::Point{54, 10}}) {
    const ui::Point at = button->convertPointTo(corner, window_.get());
    EXPECT_EQ(green, picture->pixelAt(static_cast<int>(at.x), static_cast<int>(at.y))) << corner.x << "," << corner.y;
  }
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*picture, "profile-editor-small-portrait").has_value());

  // The first tag's delete button: the field ends before it.
  table().scrollToRow({2, 0}, ui::TableViewScrollPosition::Middle, false);
  table().layoutIfNeeded();
  ASSERT_TRUE(table().tapEditingControl({2, 0}));
  table().layoutIfNeeded();
  auto tagCell = cell(2);
  ASSERT_TRUE(tagCell);
  tagCell->layoutIfNeeded();
  const auto& field = editor_->biaoqianArray()[0];
  ASSERT_EQ(tagCell->contentView(), field->superview());
  const ui::Rect fieldInCell = field->convertRectTo(field->bounds(), tagCell.get());
  const ui::Rect button2 = tagCell->deleteConfirmationFrame();
  ASSERT_FALSE(button2.isEmpty());
  EXPECT_LE(fieldInCell.maxX(), button2.minX());
  EXPECT_GT(fieldInCell.size.width, 0);
  auto confirming = ui::renderScreen();
  ASSERT_TRUE(confirming);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*confirming, "profile-editor-delete").has_value());
  // Without the button the field has its room back, inside its row.
  ASSERT_TRUE(table().tapEditingControl({2, 0}));
  table().layoutIfNeeded();
  tagCell->layoutIfNeeded();
  const ui::Rect wide = field->convertRectTo(field->bounds(), tagCell.get());
  EXPECT_GT(wide.size.width, fieldInCell.size.width);
  EXPECT_LE(wide.maxX(), tagCell->bounds().size.width);
}

TEST_F(ProfileEditorTest, WithACameraTheSheetOffersBothSources) {
  ui::ImagePickerController::setSourceTypeAvailable(ui::ImagePickerSourceType::Camera, true);
  open(profile("Ann", "", "", {}));
  editor_->touxiangImagePressedAction();
  auto sheet = topSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(Editor::kPortraitSheetTag, sheet->tag());
  EXPECT_EQ((std::vector<std::string>{"从照片库中选择", "拍照", "取消"}), sheet->buttonTitles());
  sheet->clickButton(1);
  settle(1);
  auto picker = std::dynamic_pointer_cast<ui::ImagePickerController>(navigation_->modalViewController());
  ASSERT_TRUE(picker);
  EXPECT_EQ(ui::ImagePickerSourceType::Camera, picker->sourceType());
  picker->cancel();
  settle(1);
  EXPECT_FALSE(navigation_->modalViewController());
}

TEST_F(ProfileEditorTest, AFailedSaveKeepsEveryEditAndEnablesTheButtons) {
  open(profile("Ann", "", "Old.", {"a", "b"}));
  editor_->biaoqianArray()[1]->setText("bb");
  editor_->selfintroTextView()->setText("New.");
  editor_->saveButtonPressedAction();
  postFinish(engine_->updateTasks.at(0), -3404, "busy");
  EXPECT_TRUE(barButtonsEnabled());
  EXPECT_EQ("编辑资料", titleOf(*editor_));
  EXPECT_FALSE(editor_->currentUserInfo());
  EXPECT_TRUE(changes_.empty());
  EXPECT_TRUE(topAlert());
  EXPECT_EQ((std::vector<std::string>{"a", "bb"}), tags());
  EXPECT_EQ("New.", editor_->selfintroTextView()->text());
  settle(1);
  EXPECT_EQ(editor_, navigation_->topViewController());
  // An engine that makes no task is a failed save too.
  topAlert()->clickButton(0);
  engine_->refuseUpdates = true;
  editor_->saveButtonPressedAction();
  EXPECT_TRUE(barButtonsEnabled());
  EXPECT_FALSE(editor_->isSaving());
  // Cancel leaves without saving.
  editor_->returnButtonPressedAction();
  EXPECT_EQ(profileScreen_, navigation_->topViewController());
}

TEST_F(ProfileEditorTest, LogoutForgetsTheCredentialsAndGoesToTheRoot) {
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("reader"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));
  open(profile("Ann", "", "", {}));
  editor_->logoutButtonPressedAction();
  auto sheet = topSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(Editor::kLogoutSheetTag, sheet->tag());
  EXPECT_EQ(std::optional<std::string>("注销后，您将无法继续阅读你当前订阅的内容。"), sheet->title());
  // Cancel does nothing.
  sheet->clickButton(sheet->cancelButtonIndex());
  settle(1);
  EXPECT_EQ(0, engine_->logouts);
  editor_->logoutButtonPressedAction();
  sheet = topSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ("注销此账号", sheet->buttonTitleAtIndex(sheet->destructiveButtonIndex()));
  sheet->clickButton(sheet->destructiveButtonIndex());
  settle(1);
  EXPECT_FALSE(defaults.stringForKey("username"));
  EXPECT_FALSE(defaults.stringForKey("password"));
  EXPECT_TRUE(defaults.objectForKey("isAnonymous").isBool());
  EXPECT_EQ(1, engine_->logouts);
  EXPECT_EQ(1, logouts_);
  EXPECT_EQ(root_, navigation_->topViewController());
}

TEST_F(ProfileEditorTest, ASaveEndingAfterALogoutAnnouncesNothing) {
  open(profile("Ann", "", "", {"a"}));
  editor_->saveButtonPressedAction();
  ASSERT_EQ(1u, engine_->updateTasks.size());
  editor_->logoutButtonPressedAction();
  auto sheet = topSheet();
  ASSERT_TRUE(sheet);
  editor_.reset();
  sheet->clickButton(sheet->destructiveButtonIndex());
  // The save succeeds while the pop to the root is still under way.
  postFinish(engine_->updateTasks[0], 0);
  settle(1);
  EXPECT_TRUE(changes_.empty());
  EXPECT_EQ(1, logouts_);
  EXPECT_EQ(root_, navigation_->topViewController());
}

}  // namespace
}  // namespace zu
