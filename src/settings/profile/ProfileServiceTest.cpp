// The profile screen and its editor against the sample service, through the whole engine and
// the application observer.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "model/columns/Icon.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/ImagePickerController.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/profile/MoreSettingsUserInfoEditViewController.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using Screen = MoreSettingsUserInfoViewController;
using Editor = MoreSettingsUserInfoEditViewController;

class ProfileServiceTest : public testing::ConnectedEngineFixture {
 protected:
  void SetUp() override {
    ConnectedEngineFixture::SetUp();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    navigation_ = std::make_shared<ui::NavigationController>(root_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    drain();
    NotificationCenter::defaultCenter().add(Editor::kUserInfoChangeNotification, this,
                                            [this](const Notification& n) { changes_.push_back(n.userInfo); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    ui::ImagePickerController::resetForTesting();
    navigation_.reset();
    root_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    ConnectedEngineFixture::TearDown();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  // Runs what is queued on the main loop now.
  void drain() {
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(turnUntil([&] { return done; }));
  }
  std::string detail(Screen& screen, int64_t section) {
    screen.tableView()->layoutIfNeeded();
    auto cell = screen.tableView()->cellForRow({section, 0});
    return cell ? cell->detailTextLabel()->text() : "(none)";
  }
  std::shared_ptr<Editor> edit(Screen& screen) {
    screen.editButtonPressed();
    auto editor = std::dynamic_pointer_cast<Editor>(navigation_->topViewController());
    if (editor) window_->layoutIfNeeded();
    return editor;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::vector<Dictionary> changes_;
};

TEST_F(ProfileServiceTest, FetchEditTagsAndPortraitSaveReReadAndLogOut) {
  engine_->setUsername(std::string("reader@sample.example"), std::string("pw"));
  ASSERT_FALSE(engine_->isAnonymous());
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("reader@sample.example"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));

  // The reader's own profile: fetched, with its portrait downloaded.
  auto screen = Screen::createWithUserInfo(nullptr, true);
  navigation_->pushViewController(screen, false);
  drain();
  window_->layoutIfNeeded();
  EXPECT_FALSE(screen->isFirstIn());
  ASSERT_TRUE(turnUntil([&] { return !screen->isObservingUserInfo() && screen->portraitDownloads() == 0; }));
  ASSERT_FALSE(service_.requestsTo("/user/get.atom").empty());
  EXPECT_NE(std::string::npos, service_.requestsTo("/user/get.atom")[0].query.find("username=reader%40sample.example"));
  EXPECT_EQ("Sample reader的资料",
            NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*screen->navigationItem()));
  EXPECT_EQ("harbour news\ntides\nferries\n", detail(*screen, 2));
  EXPECT_EQ("Reads the harbour news every morning.", detail(*screen, 1));
  const auto iconHref = screen->loginUserInfo()->icon()->href();
  ASSERT_TRUE(engine_->getImageLocalPath(iconHref));

  // The editor: the downloaded portrait is the one to upload; one tag goes, one comes.
  auto editor = edit(*screen);
  ASSERT_TRUE(editor);
  EXPECT_EQ(engine_->getImageLocalPath(iconHref), editor->currentImagePath());
  ui::TableView& table = *editor->tableView();
  table.scrollToRow({3, 0}, ui::TableViewScrollPosition::Middle, false);
  table.layoutIfNeeded();
  ASSERT_TRUE(table.tapEditingControl({3, 0}));
  ASSERT_TRUE(table.tapDeleteConfirmation({3, 0}));
  table.layoutIfNeeded();
  const int64_t add = editor->addSection();
  table.scrollToRow({add, 0}, ui::TableViewScrollPosition::Middle, false);
  table.layoutIfNeeded();
  ASSERT_TRUE(table.tapEditingControl({add, 0}));
  ASSERT_TRUE(editor->biaoqianArray().back()->isFirstResponder());
  editor->biaoqianArray().back()->insertText("sea");
  editor->hideKeyboard();
  // A new portrait from the library.
  ui::ImagePickerController::setSourceTypeAvailable(ui::ImagePickerSourceType::PhotoLibrary, true);
  editor->touxiangImagePressedAction();
  ASSERT_TRUE(turnUntil([&] { return navigation_->modalViewController() != nullptr; }));
  auto picker = std::dynamic_pointer_cast<ui::ImagePickerController>(navigation_->modalViewController());
  auto picture = ui::Image::create(90, 90);
  for (int i = 0; i < 90 * 90; ++i) picture->mutablePixels()[i] = 0xff3060c0u;
  ASSERT_TRUE(picker && picker->pick(picture));
  ASSERT_TRUE(editor->currentImagePath());
  // The picker's dismissal ends: the editor is on screen again.
  ASSERT_TRUE(turnUntil([&] { return !navigation_->modalViewController() && navigation_->view()->window(); }));
  EXPECT_NE(engine_->getImageLocalPath(iconHref), editor->currentImagePath());

  // Saved: the portrait is uploaded, the profile posted, and the editor goes.
  editor->saveButtonPressedAction();
  ASSERT_TRUE(turnUntil([&] { return navigation_->topViewController() == screen; }));
  ASSERT_EQ(1u, changes_.size());
  EXPECT_EQ(Value(*editor->currentImagePath()), changes_[0].get("PORTRAITPATH"));
  ASSERT_EQ(1u, service_.requestsTo("/user/icon.atom").size());
  ASSERT_EQ(1u, service_.requestsTo("/user/info.atom").size());
  // The profile screen shows the stored profile, as saved, once it appears again.
  EXPECT_TRUE(turnUntil([&] { return detail(*screen, 2) == "harbour news\nferries\nsea\n"; }));

  // The service keeps it: read again, as another screen would.
  auto again = Screen::create(std::string("reader@sample.example"), false);
  navigation_->pushViewController(again, false);
  window_->layoutIfNeeded();
  ASSERT_TRUE(turnUntil([&] { return !again->isObservingUserInfo(); }));
  EXPECT_EQ("harbour news\nferries\nsea\n", detail(*again, 2));
  ASSERT_TRUE(again->loginUserInfo() && again->loginUserInfo()->icon());
  EXPECT_NE(iconHref, again->loginUserInfo()->icon()->href());
  EXPECT_EQ(std::optional<std::string>("Sample reader"), again->loginUserInfo()->name()->value());
  navigation_->popViewController(false);

  // Logging out from the editor: the guest again, back at the root.
  editor = edit(*screen);
  ASSERT_TRUE(editor);
  editor->logoutButtonPressedAction();
  auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(sheet);
  sheet->clickButton(sheet->destructiveButtonIndex());
  ASSERT_TRUE(turnUntil([&] { return navigation_->topViewController() == root_; }));
  EXPECT_TRUE(engine_->isAnonymous());
  EXPECT_FALSE(defaults.stringForKey("username"));
  EXPECT_FALSE(defaults.stringForKey("password"));
  EXPECT_TRUE(defaults.objectForKey("isAnonymous").isBool());
}

}  // namespace
}  // namespace zu
