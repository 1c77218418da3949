// The desktop's Escape: the top screen's visible way back is pressed, and nothing else.
#include "platform/ui/system/EscapeKey.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

class EscapeKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    AlertRegistry::shared().resetForTesting();
    MenuController::shared().resetForTesting();
    Application::shared().resetForTesting();
  }
  // A button in `screen` that counts its presses.
  std::shared_ptr<Button> button(ViewController& screen, const std::string& title, int& presses) {
    auto made = Button::create(ButtonType::RoundedRect);
    made->setFrame(Rect(10, 300, 80, 30));
    made->setTitle(title, kControlStateNormal);
    made->addTarget(this, kControlEventTouchUpInside, [&presses](Control&) { ++presses; });
    screen.view()->addSubview(made);
    return made;
  }
  std::shared_ptr<Window> window_;
};

// A navigation bar's back button pops; a left button is pressed (while enabled); a screen whose
// way back is hidden, transparent or disabled keeps the key; an unmarked button is never pressed.
TEST_F(EscapeKeyTest, PressesTheVisibleWayBackOfTheTopScreenOnly) {
  auto root = std::make_shared<ViewController>();
  auto navigation = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, navigation);
  auto second = std::make_shared<ViewController>();
  navigation->pushViewController(second, false);
  int cancels = 0;
  button(*second, "取消", cancels);  // not marked: not a way back
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1u, navigation->viewControllers().size());
  EXPECT_EQ(0, cancels);
  EXPECT_FALSE(EscapeKey::press());  // the root has no way back

  auto third = std::make_shared<ViewController>();
  navigation->pushViewController(third, false);
  third->navigationItem()->setHidesBackButton(true);
  int lefts = 0;
  auto left = std::make_shared<BarButtonItem>("关闭", BarButtonItemStyle::Bordered, [&](BarButtonItem&) { ++lefts; });
  third->navigationItem()->setLeftBarButtonItem(left);
  window_->layoutIfNeeded();
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, lefts);
  left->setEnabled(false);
  EXPECT_FALSE(EscapeKey::press());
  EXPECT_EQ(1, lefts);
  third->navigationItem()->setLeftBarButtonItem(nullptr);
  // A marked button elsewhere on the bar (a close button on the right).
  int rights = 0;
  auto close = Button::create(ButtonType::RoundedRect);
  close->setFrame(Rect(0, 0, 60, 30));
  close->addTarget(this, kControlEventTouchUpInside, [&rights](Control&) { ++rights; });
  close->setLeavesScreen(true);
  third->navigationItem()->setRightBarButtonItem(std::make_shared<BarButtonItem>(close));
  window_->layoutIfNeeded();
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, rights);
  third->navigationItem()->setRightBarButtonItem(nullptr);
  navigation->setNavigationBarHidden(true);

  int backs = 0;
  auto floating = button(*third, "  返回", backs);
  floating->setLeavesScreen(true);
  floating->setAlpha(0);
  EXPECT_FALSE(EscapeKey::press());
  floating->setAlpha(1);
  floating->setFrame(Rect(10, 600, 80, 30));  // off the screen
  EXPECT_FALSE(EscapeKey::press());
  floating->setFrame(Rect(10, 300, 80, 30));
  floating->setEnabled(false);
  EXPECT_FALSE(EscapeKey::press());
  floating->setEnabled(true);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, backs);
  EXPECT_EQ(2u, navigation->viewControllers().size());  // the screen's own action, no pop

  // A modal screen is the top one: the covered screen's way back is not pressed.
  auto modal = std::make_shared<ViewController>();
  ASSERT_TRUE(third->presentModalViewController(modal, false));
  EXPECT_FALSE(EscapeKey::press());
  EXPECT_EQ(1, backs);
  int closes = 0;
  button(*modal, "关闭", closes)->setLeavesScreen(true);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, closes);
  EXPECT_EQ(1, backs);
}

// An alert or a sheet on top takes the key: its cancel button, or nothing when it has none; a
// shown edit menu hides before the screen's way back is pressed, but after an alert over it.
TEST_F(EscapeKeyTest, AlertsCancelAndTheEditMenuHides) {
  auto screen = std::make_shared<ViewController>();
  ViewController::installAsRoot(*window_, screen);
  int backs = 0;
  button(*screen, "  返回", backs)->setLeavesScreen(true);

  auto sheet = std::make_shared<ActionSheet>(std::nullopt, std::weak_ptr<ActionSheetDelegate>(), std::nullopt,
                                             std::nullopt, std::vector<std::string>{"转发至微博"});
  sheet->show();
  EXPECT_FALSE(EscapeKey::press());
  EXPECT_TRUE(sheet->isVisible());
  sheet->dismissWithClickedButtonIndex(0, false);

  auto alert = std::make_shared<AlertView>("提醒", "您还未设置邮箱账号", std::weak_ptr<AlertViewDelegate>(), "确定");
  alert->show();
  EXPECT_TRUE(EscapeKey::press());
  RunLoop::main()->runUntil([&] { return !alert->isVisible(); }, 5);
  EXPECT_FALSE(alert->isVisible());
  EXPECT_EQ(0, backs);

  auto& menu = MenuController::shared();
  menu.setMenuItems({{"复制", "customCopy:"}});
  class Page : public View {
   public:
    using View::View;
    bool canPerformAction(const std::string& action, Object*) override { return action == "customCopy:"; }
  };
  auto page = std::make_shared<Page>(Rect(0, 100, 320, 100));
  screen->view()->addSubview(page);
  menu.setTargetRect(Rect(100, 50, 20, 20), page);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(0, backs);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, backs);

  // An alert that comes while the menu shows lies over it: the alert takes the key first.
  ASSERT_TRUE(menu.setMenuVisible(true));
  auto over = std::make_shared<AlertView>("提醒", "网络不可用", std::weak_ptr<AlertViewDelegate>(), "确定");
  over->show();
  EXPECT_TRUE(EscapeKey::press());
  RunLoop::main()->runUntil([&] { return !over->isVisible(); }, 5);
  EXPECT_FALSE(over->isVisible());
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(1, backs);
}

// Escape that hides the edit menu ends the selection the menu was for: the words are no longer
// lit and the caret stands after them, still editing, so the next key types there; a second
// press ends the editing. A menu over a view that selects nothing only hides.
TEST_F(EscapeKeyTest, HidingTheEditMenuEndsItsSelection) {
  auto screen = std::make_shared<ViewController>();
  ViewController::installAsRoot(*window_, screen);
  auto comment = std::make_shared<TextView>(Rect(10, 100, 300, 100));
  screen->view()->addSubview(comment);
  comment->setText("好文章，谢谢分享。");
  ASSERT_TRUE(comment->becomeFirstResponder());
  comment->setSelectedRange(TextRange{0, 3});
  auto& menu = MenuController::shared();
  menu.setTargetRect(Rect(0, 0, 40, 20), comment);
  ASSERT_TRUE(menu.setMenuVisible(true));

  EXPECT_TRUE(EscapeKey::press());
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ((TextRange{3, 0}), comment->selectedRange());
  EXPECT_TRUE(comment->isFirstResponder());
  Keyboard::shared().type("！");
  EXPECT_EQ("好文章！，谢谢分享。", comment->text());
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_FALSE(comment->isFirstResponder());

  // A field's selection ends the same way.
  auto field = std::make_shared<TextField>(Rect(10, 300, 200, 30));
  screen->view()->addSubview(field);
  field->setText("harbour");
  ASSERT_TRUE(field->becomeFirstResponder());
  ASSERT_TRUE(Keyboard::shared().performEditCommand("selectAll:"));
  menu.setTargetRect(Rect(0, 0, 40, 20), field);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ((TextRange{7, 0}), field->selectedRange());
  EXPECT_TRUE(field->isFirstResponder());
}

// What lies over the screen or is under way on it ends first, one thing a press: an overlay that
// a tap closes, then the text being edited (it resigns and keeps its text; one that refuses keeps
// the key), then a search (its 取消), and only then does the screen leave by its way back.
TEST_F(EscapeKeyTest, EndsWhatIsUnderWayBeforeTheScreenIsLeft) {
  auto root = std::make_shared<ViewController>();
  auto navigation = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, navigation);
  auto screen = std::make_shared<ViewController>();
  navigation->pushViewController(screen, false);
  auto field = std::make_shared<TextField>(Rect(10, 300, 200, 30));
  screen->view()->addSubview(field);
  struct Search : SearchBarDelegate {
    int cancels = 0;
    void searchBarCancelButtonClicked(SearchBar&) override { ++cancels; }
  };
  auto search = std::make_shared<Search>();
  auto bar = std::make_shared<SearchBar>();
  bar->setDelegate(search);
  screen->view()->addSubview(bar);
  bar->setShowsCancelButton(true);
  struct Gate : TextFieldDelegate {
    bool ends = false;
    bool textFieldShouldEndEditing(TextField&) override { return ends; }
  };
  auto gate = std::make_shared<Gate>();
  field->setDelegate(gate);
  ASSERT_TRUE(field->becomeFirstResponder());
  Keyboard::shared().type("港口");
  // A help picture over everything, closed by a tap or the key.
  auto overlay = std::make_shared<Window>(Rect(0, 0, 320, 480));
  overlay->setWindowLevel(kWindowLevelNormal + 1);
  overlay->addSubview(std::make_shared<View>(Rect(0, 0, 320, 480)));
  overlay->setEscapeAction([&overlay] { overlay->setHidden(true); });
  overlay->setHidden(false);
  window_->layoutIfNeeded();

  EXPECT_TRUE(EscapeKey::press());
  EXPECT_TRUE(overlay->isHidden());
  EXPECT_TRUE(field->isFirstResponder());
  // A field that will not end its editing keeps the key: nothing else happens.
  EXPECT_FALSE(EscapeKey::press());
  EXPECT_TRUE(field->isFirstResponder());
  gate->ends = true;
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_EQ("港口", field->text());
  EXPECT_EQ(0, search->cancels);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, search->cancels);
  EXPECT_EQ(2u, navigation->viewControllers().size());
  bar->setShowsCancelButton(false);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1u, navigation->viewControllers().size());
}

// A layout that hides its buttons keeps a way back for the key: a control marked to leave even
// when hidden is pressed while transparent or hidden itself — after any shown way back, and
// never while disabled or while what holds it is hidden.
TEST_F(EscapeKeyTest, AWayBackMarkedToLeaveEvenWhenHiddenIsPressedInAnyLayout) {
  auto root = std::make_shared<ViewController>();
  auto navigation = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, navigation);
  navigation->setNavigationBarHidden(true);
  auto screen = std::make_shared<ViewController>();
  navigation->pushViewController(screen, false);
  int floatingBacks = 0;
  auto floating = button(*screen, "  返回", floatingBacks);
  floating->setLeavesScreen(true, true);
  floating->setAlpha(0);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, floatingBacks);
  floating->setHidden(true);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(2, floatingBacks);
  floating->setEnabled(false);
  EXPECT_FALSE(EscapeKey::press());
  floating->setEnabled(true);
  auto holder = std::make_shared<View>(Rect(0, 0, 320, 400));
  screen->view()->addSubview(holder);
  holder->addSubview(floating);
  holder->setHidden(true);
  EXPECT_FALSE(EscapeKey::press());
  EXPECT_EQ(2, floatingBacks);
  holder->setHidden(false);
  // A way back that shows comes first.
  int shownBacks = 0;
  button(*screen, "关闭", shownBacks)->setLeavesScreen(true);
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ(1, shownBacks);
  EXPECT_EQ(2, floatingBacks);
  EXPECT_EQ(2u, navigation->viewControllers().size());
}

}  // namespace
}  // namespace zu::ui
