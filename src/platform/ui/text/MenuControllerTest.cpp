#include "platform/ui/text/MenuController.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/EditMenuView.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

// A page that handles its own five items, as an article page's web view does.
class Page : public View {
 public:
  using View::View;
  std::vector<std::string> performed;
  std::vector<bool> touchesWhileDismissing;
  void touchesBegan(const TouchSet&, const Event&) override {
    touchesWhileDismissing.push_back(MenuController::shared().isDismissingTouch());
  }
  bool canPerformAction(const std::string& action, Object*) override { return mine.count(action) > 0; }
  void performAction(const std::string& action, Object*) override { performed.push_back(action); }
  std::set<std::string> mine = {"customCopy:", "wenvarDict:", "wenvarTranslate:", "wenvarSearch:", "shareAction:"};
};

class MenuControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    MenuController::shared().resetForTesting();
    Pasteboard::general().resetForTesting();
    Keyboard::shared().resetForTesting();
    Application::shared().resetForTesting();
  }
  // The article page's five items, shown over (130, 200, 60, 20) of `page`.
  static bool showArticleMenu(const std::shared_ptr<View>& page) {
    auto& menu = MenuController::shared();
    menu.setMenuItems({{"复制", "customCopy:"}, {"词典", "wenvarDict:"}, {"翻译", "wenvarTranslate:"},
                       {"搜索", "wenvarSearch:"}, {"转发", "shareAction:"}});
    menu.setTargetRect(Rect(130, 200, 60, 20), page);
    return menu.setMenuVisible(true);
  }
  std::shared_ptr<Window> window_;
};

// Only the items some view of the chain handles show, standard ones first; choosing one does
// it on the view that handles it and hides the menu.
TEST_F(MenuControllerTest, ShowsWhatTheChainHandlesAndPerformsTheChoice) {
  auto page = std::make_shared<Page>(Rect(0, 0, 320, 400));
  auto inner = std::make_shared<View>(Rect(10, 10, 100, 100));  // handles nothing itself
  page->addSubview(inner);
  window_->addSubview(page);
  auto& menu = MenuController::shared();
  menu.setMenuItems({{"复制", "customCopy:"}, {"词典", "wenvarDict:"}, {"翻译", "wenvarTranslate:"},
                     {"搜索", "wenvarSearch:"}, {"转发", "shareAction:"}, {"无人", "nobody:"}});
  int shows = 0;
  NotificationCenter::defaultCenter().add(MenuController::kWillShowMenuNotification, this,
                                          [&](const Notification&) { ++shows; });
  menu.setTargetRect(Rect(20, 20, 10, 10), inner);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_EQ(1, shows);
  std::vector<std::string> titles;
  for (const auto& item : menu.visibleItems()) titles.push_back(item.title);
  EXPECT_EQ((std::vector<std::string>{"复制", "词典", "翻译", "搜索", "转发"}), titles);
  EXPECT_TRUE(menu.chooseItem("翻译"));
  EXPECT_EQ((std::vector<std::string>{"wenvarTranslate:"}), page->performed);
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_FALSE(menu.chooseItem("翻译"));  // hidden: nothing to choose

  // A chain that handles nothing shows no menu at all.
  page->mine.clear();
  EXPECT_FALSE(menu.setMenuVisible(true));
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(1, shows);
  NotificationCenter::defaultCenter().remove(this);
}

// A plain text view answers the standard actions by its selection and the pasteboard: copy
// puts the selected characters (UTF-16 counted) on the pasteboard, paste inserts them.
TEST_F(MenuControllerTest, TextViewAnswersTheStandardActions) {
  auto text = std::make_shared<TextView>(Rect(0, 0, 320, 200));
  window_->addSubview(text);
  text->setText("分享 zu 阅读");
  auto& menu = MenuController::shared();
  menu.setTargetRect(Rect(), text);
  auto actions = [&] {
    std::vector<std::string> out;
    for (const auto& item : menu.visibleItems()) out.push_back(item.action);
    return out;
  };
  EXPECT_EQ((std::vector<std::string>{"selectAll:"}), actions());  // not editing, nothing selected
  text->setSelectedRange(TextRange{3, 2});
  EXPECT_EQ((std::vector<std::string>{"cut:", "copy:"}), actions());
  ASSERT_TRUE(menu.setMenuVisible(true));
  ASSERT_TRUE(menu.chooseItem("拷贝"));
  EXPECT_EQ("zu", Pasteboard::general().string());
  EXPECT_EQ(1, Pasteboard::general().changeCount());

  ASSERT_TRUE(text->becomeFirstResponder());
  text->setSelectedRange(TextRange{8, 0});  // the end: 8 UTF-16 units
  EXPECT_EQ((std::vector<std::string>{"selectAll:", "paste:"}), actions());
  ASSERT_TRUE(menu.setMenuVisible(true));
  ASSERT_TRUE(menu.chooseItem("粘贴"));
  EXPECT_EQ("分享 zu 阅读zu", text->text());
  text->setEditable(false);
  text->setSelectedRange(TextRange{0, 2});
  EXPECT_EQ((std::vector<std::string>{"copy:"}), actions());  // no cut from a read-only view
}


// The screen point of the middle of the shown menu's item `index`.
Point itemPoint(size_t index) {
  auto& menu = MenuController::shared();
  const Rect item = menu.menuView()->itemFrames().at(index);
  return Point(menu.menuFrame().origin.x + item.midX(), menu.menuFrame().origin.y + item.midY());
}

// A tap on the screen, handed to the window that takes touches there (as the screen host does).
void tapScreen(Point point) {
  auto window = Application::shared().windowForTouch(point);
  ASSERT_TRUE(window);
  window->tap(window->pointFromSuperview(point));
}

// Only the drawn menu takes touches: a tap on the page beside its arrow hides it and reaches the
// page, as a tap anywhere else does. A menu whose view has gone hides at a tap on an item, which
// then has nothing to do.
TEST_F(MenuControllerTest, TheMenuTakesOnlyTheTouchesOnItsPicture) {
  auto page = std::make_shared<Page>(Rect(0, 0, 320, 480));
  window_->addSubview(page);
  auto& menu = MenuController::shared();
  ASSERT_TRUE(showArticleMenu(page));
  ASSERT_TRUE(menu.menuView()->placement().arrowDown);
  const Rect frame = menu.menuFrame();
  tapScreen(Point(frame.origin.x + 3, frame.maxY() - 2));  // beside the arrow
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ((std::vector<bool>{true}), page->touchesWhileDismissing);
  // The arrow itself is the menu's.
  ASSERT_TRUE(menu.setMenuVisible(true));
  tapScreen(Point(160, frame.maxY() - 2));
  EXPECT_TRUE(menu.isMenuVisible());
  EXPECT_EQ(1u, page->touchesWhileDismissing.size());

  const Point item = itemPoint(0);
  page->removeFromSuperview();
  page.reset();
  tapScreen(item);
  EXPECT_FALSE(menu.isMenuVisible());
}

// The menu is a picture in a window of its own: over the target when there is room, under it
// near the top, inside the screen at its edges; a tap on an item does it, a finger that slides
// off an item chooses nothing, and a touch anywhere else hides the menu and still goes on.
TEST_F(MenuControllerTest, TheDrawnMenuSitsByItsTargetAndTakesTaps) {
  auto page = std::make_shared<Page>(Rect(0, 0, 320, 480));
  page->setBackgroundColor(Color::whiteColor());
  window_->addSubview(page);
  auto& menu = MenuController::shared();
  ASSERT_TRUE(showArticleMenu(page));
  const Rect frame = menu.menuFrame();
  EXPECT_FLOAT_EQ(200 - EditMenuView::kBarHeight - EditMenuView::kArrowHeight, frame.origin.y);
  EXPECT_NEAR(160, frame.midX(), 0.5f);
  EXPECT_TRUE(menu.menuView()->placement().arrowDown);
  auto screen = renderScreen();
  ASSERT_TRUE(screen);
  auto dark = [&](Point p) {
    const uint32_t pixel = screen->pixelAt(static_cast<int>(p.x), static_cast<int>(p.y));
    return ((pixel >> 16) & 0xff) < 0x40 && (pixel & 0xff) < 0x40;
  };
  EXPECT_TRUE(dark(Point(frame.origin.x + 3, frame.origin.y + 19)));      // the bar
  EXPECT_TRUE(dark(Point(160, 200 - 3)));                                 // the arrow, over the target
  EXPECT_FALSE(dark(Point(frame.origin.x + 3, frame.maxY() - 2)));        // beside the arrow: the page
  EXPECT_FALSE(dark(Point(frame.origin.x - 2, frame.origin.y + 19)));     // left of the bar
  int ink = 0;  // the titles: white strokes on the bar
  for (int x = static_cast<int>(frame.origin.x); x < static_cast<int>(frame.maxX()); ++x) {
    if ((screen->pixelAt(x, static_cast<int>(frame.origin.y + 19)) & 0xff) > 0xc0) ++ink;
  }
  EXPECT_GT(ink, 10);

  tapScreen(itemPoint(1));
  EXPECT_EQ((std::vector<std::string>{"wenvarDict:"}), page->performed);
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(Rect(), menu.menuFrame());
  EXPECT_EQ(window_, Application::shared().windowForTouch(Point(frame.midX(), frame.midY())));

  // Near the top the menu hangs under the target; at the right edge it stays on the screen.
  menu.setTargetRect(Rect(290, 25, 30, 10), page);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_FALSE(menu.menuView()->placement().arrowDown);
  EXPECT_FLOAT_EQ(35, menu.menuFrame().origin.y);
  EXPECT_FLOAT_EQ(320 - EditMenuView::kMargin, menu.menuFrame().maxX());
  EXPECT_LE(menu.menuView()->placement().arrowX,
            menu.menuFrame().size.width - EditMenuView::kCornerRadius - EditMenuView::kArrowHalfWidth);

  // Sliding off the item before lifting chooses nothing.
  auto menuWindow = Application::shared().windowForTouch(itemPoint(2));
  ASSERT_NE(window_, menuWindow);
  auto finger = menuWindow->beginTouch(menuWindow->pointFromSuperview(itemPoint(2)));
  EXPECT_EQ(std::optional<size_t>(2), menu.menuView()->pressedItem());
  menuWindow->moveTouch(finger, menuWindow->pointFromSuperview(itemPoint(3)));
  EXPECT_EQ(std::nullopt, menu.menuView()->pressedItem());
  menuWindow->endTouch(finger);
  EXPECT_TRUE(menu.isMenuVisible());
  EXPECT_EQ(1u, page->performed.size());

  // A tap elsewhere hides the menu and still reaches the page, marked as the dismissing touch.
  tapScreen(Point(10, 400));
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ((std::vector<bool>{true}), page->touchesWhileDismissing);
  tapScreen(Point(10, 400));
  EXPECT_EQ((std::vector<bool>{true, false}), page->touchesWhileDismissing);
  EXPECT_EQ(1u, page->performed.size());
}

// A long press in a text entry shows the menu when the finger lifts: an empty view begins
// editing and offers only "粘贴", which pastes; a secure field never offers "拷贝" or "剪切".
TEST_F(MenuControllerTest, ALongPressInATextEntryShowsTheMenuThatPastes) {
  ScopedFakeClock clock;
  Pasteboard::general().setString("港口");
  auto text = std::make_shared<TextView>(Rect(0, 100, 320, 100));
  window_->addSubview(text);
  auto press = [&](Point p) {
    auto finger = window_->beginTouch(p);
    clock->advance(0.6);
    runDueMainLoopTasks();
    EXPECT_FALSE(MenuController::shared().isMenuVisible());  // shown when the finger lifts
    window_->endTouch(finger);
  };
  auto titles = [] {
    std::vector<std::string> out;
    for (const auto& item : MenuController::shared().visibleItems()) out.push_back(item.title);
    return out;
  };
  press(Point(40, 150));
  EXPECT_TRUE(text->isEditing());
  ASSERT_TRUE(MenuController::shared().isMenuVisible());
  EXPECT_EQ((std::vector<std::string>{"粘贴"}), titles());
  // The menu points at the caret, near the view's top.
  EXPECT_LT(MenuController::shared().menuFrame().maxY(), 120);
  tapScreen(itemPoint(0));
  EXPECT_EQ("港口", text->text());

  auto field = std::make_shared<TextField>(Rect(10, 300, 200, 30));
  field->setSecureTextEntry(true);
  field->setText("secret");
  window_->addSubview(field);
  press(Point(50, 315));
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ((std::vector<std::string>{"全选", "粘贴"}), titles());
  tapScreen(itemPoint(0));
  EXPECT_EQ((TextRange{0, 6}), field->selectedRange());
  MenuController::shared().setTargetRect(field->bounds(), field);
  ASSERT_TRUE(MenuController::shared().setMenuVisible(true));
  EXPECT_EQ((std::vector<std::string>{"粘贴"}), titles());
}

}  // namespace
}  // namespace zu::ui
