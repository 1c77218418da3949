#include "platform/ui/text/MenuController.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

// A page that handles its own five items, as an article page's web view does.
class Page : public View {
 public:
  using View::View;
  std::vector<std::string> performed;
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
  ASSERT_TRUE(menu.chooseItem("copy:"));
  EXPECT_EQ("zu", Pasteboard::general().string());
  EXPECT_EQ(1, Pasteboard::general().changeCount());

  ASSERT_TRUE(text->becomeFirstResponder());
  text->setSelectedRange(TextRange{8, 0});  // the end: 8 UTF-16 units
  EXPECT_EQ((std::vector<std::string>{"selectAll:", "paste:"}), actions());
  ASSERT_TRUE(menu.setMenuVisible(true));
  ASSERT_TRUE(menu.chooseItem("paste:"));
  EXPECT_EQ("分享 zu 阅读zu", text->text());
  text->setEditable(false);
  text->setSelectedRange(TextRange{0, 2});
  EXPECT_EQ((std::vector<std::string>{"copy:"}), actions());  // no cut from a read-only view
}

}  // namespace
}  // namespace zu::ui
