#include "platform/ui/text/FocusChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

namespace zu::ui {
namespace {

class FocusChainTest : public TextEntryFixture {
 protected:
  void SetUp() override {
    TextEntryFixture::SetUp();
    screen_ = std::make_shared<View>(Rect(0, 20, 320, 460));
    window_->addSubview(screen_);
  }
  template <typename Entry>
  std::shared_ptr<Entry> add(const std::shared_ptr<View>& parent, Rect frame) {
    auto entry = std::make_shared<Entry>(frame);
    parent->addSubview(entry);
    return entry;
  }

  std::shared_ptr<View> screen_;
};

// Answers no to beginning.
struct Refusing : TextFieldDelegate {
  int asked = 0;
  bool textFieldShouldBeginEditing(TextField&) override {
    ++asked;
    return false;
  }
};

// Tab moves the editing through the screen's entries top to bottom and left to right, whatever
// order they were added in — past hidden, disabled and read-only ones, an entry of another part
// of the window and one that refuses — from the last back to the first; Shift+Tab goes the other
// way. The entry keeps its text and caret, and Tab types nothing.
TEST_F(FocusChainTest, TabMovesTheEditingThroughTheScreensEntriesInReadingOrder) {
  auto message = add<TextView>(screen_, Rect(10, 200, 300, 100));
  auto password = add<TextField>(screen_, Rect(10, 60, 140, 30));
  auto name = add<TextField>(screen_, Rect(10, 20, 300, 30));
  auto code = add<TextField>(screen_, Rect(160, 60, 140, 30));  // beside the password, right of it
  auto hidden = add<TextField>(screen_, Rect(10, 100, 300, 30));
  hidden->setHidden(true);
  auto disabled = add<TextField>(screen_, Rect(10, 140, 300, 30));
  disabled->setEnabled(false);
  auto notice = add<TextView>(screen_, Rect(10, 320, 300, 40));
  notice->setEditable(false);
  auto refusing = add<TextField>(screen_, Rect(10, 380, 300, 30));
  auto refuses = std::make_shared<Refusing>();
  refusing->setDelegate(refuses);
  auto elsewhere = std::make_shared<View>(Rect(0, 0, 320, 20));
  window_->addSubview(elsewhere);
  auto other = add<TextField>(elsewhere, Rect(0, 0, 320, 20));

  EXPECT_FALSE(FocusChain::advance(false));  // nothing is edited
  name->setText("reader");
  ASSERT_TRUE(name->becomeFirstResponder());
  EXPECT_EQ((std::vector<std::shared_ptr<View>>{name, password, code, message, refusing}),
            FocusChain::entriesAround(*name));

  std::vector<View*> visited;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(FocusChain::advance(false));
    visited.push_back(Keyboard::shared().firstResponder().get());
  }
  EXPECT_EQ((std::vector<View*>{password.get(), code.get(), message.get(), name.get()}), visited);
  EXPECT_EQ(1, refuses->asked);
  visited.clear();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(FocusChain::advance(true));
    visited.push_back(Keyboard::shared().firstResponder().get());
  }
  EXPECT_EQ((std::vector<View*>{message.get(), code.get(), password.get()}), visited);
  EXPECT_EQ(2, refuses->asked);
  EXPECT_TRUE(Keyboard::shared().type("pw"));
  EXPECT_EQ("reader", name->text());
  EXPECT_EQ("pw", password->text());
  EXPECT_EQ((TextRange{6, 0}), name->selectedRange());
  EXPECT_FALSE(other->isEditing());

  // A screen with one entry keeps it.
  ASSERT_TRUE(other->becomeFirstResponder());
  EXPECT_FALSE(FocusChain::advance(false));
  EXPECT_FALSE(FocusChain::advance(true));
  EXPECT_TRUE(other->isFirstResponder());
  EXPECT_EQ("", other->text());
}

}  // namespace
}  // namespace zu::ui
