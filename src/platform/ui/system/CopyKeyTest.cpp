#include "platform/ui/system/CopyKey.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/device/Pasteboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/View.h"

namespace zu::ui {
namespace {

// A view that shows a selection of its own, as a page shows a word it lit.
struct Lit : View {
  using View::View;
  std::string selected;
  bool copySelection() override {
    if (selected.empty()) return false;
    Pasteboard::general().setString(selected);
    return true;
  }
  // Offers one item of its own, so the menu can be shown for it.
  bool canPerformAction(const std::string& action, Object*) override { return action == "customCopy:"; }
};

class CopyKeyTest : public TextEntryFixture {
 protected:
  void SetUp() override {
    TextEntryFixture::SetUp();
    Pasteboard::general().resetForTesting();
    screen_ = std::make_shared<View>(Rect(0, 20, 320, 460));
    window_->addSubview(screen_);
  }
  void TearDown() override {
    MenuController::shared().resetForTesting();
    Pasteboard::general().resetForTesting();
    TextEntryFixture::TearDown();
  }
  std::shared_ptr<Lit> lit(const std::shared_ptr<View>& parent, Rect frame, std::string selected) {
    auto view = std::make_shared<Lit>(frame);
    view->selected = std::move(selected);
    parent->addSubview(view);
    return view;
  }
  static std::string board() { return Pasteboard::general().string().value_or(""); }

  std::shared_ptr<View> screen_;
};

// With no entry edited, Ctrl+C copies the selection the top screen shows — the frontmost view
// that has one, never one hidden or out of the window — and the one the shown menu is for
// first. While an entry is edited, it is the entry's copy, whatever a page shows.
TEST_F(CopyKeyTest, CopiesTheShownSelectionOrTheEditedEntrys) {
  EXPECT_FALSE(CopyKey::press());  // nothing selected anywhere
  auto back = lit(screen_, Rect(0, 0, 320, 200), "harbour");
  auto hidden = lit(screen_, Rect(0, 200, 320, 100), "hidden");
  hidden->setHidden(true);
  auto offScreen = lit(screen_, Rect(320, 0, 320, 200), "next page");
  auto empty = lit(screen_, Rect(0, 300, 320, 100), "");
  ASSERT_TRUE(CopyKey::press());
  EXPECT_EQ("harbour", board());

  auto front = lit(screen_, Rect(0, 0, 320, 100), "ferry");
  ASSERT_TRUE(CopyKey::press());
  EXPECT_EQ("ferry", board());
  // The menu shown for the view behind: its selection.
  auto& menu = MenuController::shared();
  menu.setMenuItems({{"复制", "customCopy:"}});
  menu.setTargetRect(Rect(0, 0, 10, 10), back);
  ASSERT_TRUE(menu.setMenuVisible(true));
  ASSERT_TRUE(CopyKey::press());
  EXPECT_EQ("harbour", board());
  menu.setMenuVisible(false);

  // An entry edited: its selection, or nothing when it has none.
  auto field = std::make_shared<TextField>(Rect(10, 420, 200, 30));
  screen_->addSubview(field);
  field->setText("tide tables");
  ASSERT_TRUE(field->becomeFirstResponder());
  field->setSelectedRange(TextRange{0, 4});
  ASSERT_TRUE(CopyKey::press());
  EXPECT_EQ("tide", board());
  field->setSelectedRange(TextRange{4, 0});
  EXPECT_FALSE(CopyKey::press());
  EXPECT_EQ("tide", board());
}

}  // namespace
}  // namespace zu::ui
