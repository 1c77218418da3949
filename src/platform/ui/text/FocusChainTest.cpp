#include "platform/ui/text/FocusChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/text/FocusOrder.h"
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

// With nothing edited, Tab begins editing the first entry of the screen under the middle of the
// screen (not another part of the window), Shift+Tab the last; the keys typed next go there. A
// window laid over the middle with no entry (an overlay) keeps Tab to itself: nothing begins.
TEST_F(FocusChainTest, WithNothingEditedTabBeginsTheTopScreensFirstOrLastEntry) {
  auto elsewhere = std::make_shared<View>(Rect(0, 0, 320, 20));
  window_->addSubview(elsewhere);
  add<TextField>(elsewhere, Rect(0, 0, 320, 20));
  auto message = add<TextView>(screen_, Rect(10, 200, 300, 100));
  auto address = add<TextField>(screen_, Rect(10, 20, 300, 30));

  ASSERT_TRUE(FocusChain::advance(false));
  EXPECT_TRUE(address->isFirstResponder());
  EXPECT_TRUE(Keyboard::shared().type("reader@example.com"));
  EXPECT_EQ("reader@example.com", address->text());
  ASSERT_TRUE(address->resignFirstResponder());
  ASSERT_TRUE(FocusChain::advance(true));
  EXPECT_TRUE(message->isFirstResponder());
  ASSERT_TRUE(message->resignFirstResponder());

  auto overlay = std::make_shared<Window>(Rect(0, 0, 320, 480));
  overlay->setWindowLevel(1);
  overlay->setHidden(false);
  EXPECT_FALSE(FocusChain::advance(false));
  EXPECT_FALSE(Keyboard::shared().firstResponder());
}

// A screen that keeps its own order (a table's rows make their entries only in sight) is walked in
// that order, not the tree's or the frames': Tab reaches the entries out of the tree, each brought
// into sight by the screen before it begins editing, and passes over one that cannot begin. With
// nothing edited, Tab begins the order's first entry.
TEST_F(FocusChainTest, AScreensOwnOrderReachesEntriesItsTreeDoesNotHold) {
  struct Ordered : ViewController, FocusOrder {
    std::vector<std::shared_ptr<View>> entries;
    std::vector<View*> revealed;
    std::vector<std::shared_ptr<View>> focusEntries() override { return entries; }
    void revealFocusEntry(View& entry) override {
      revealed.push_back(&entry);
      if (!entry.superview()) view()->addSubview(entry.shared());
    }
  };
  auto screen = std::make_shared<Ordered>();
  screen->view()->setFrame(Rect(0, 20, 320, 460));
  screen_->addSubview(screen->view());
  auto nickname = add<TextField>(screen->view(), Rect(100, 300, 200, 30));  // below the others
  auto introduction = std::make_shared<TextView>(Rect(10, 10, 300, 60));
  auto readOnly = std::make_shared<TextView>(Rect(10, 80, 300, 30));
  readOnly->setEditable(false);
  auto tag = std::make_shared<TextField>(Rect(10, 120, 300, 30));
  screen->entries = {nickname, introduction, readOnly, tag};
  EXPECT_EQ((std::vector<std::shared_ptr<View>>{nickname, introduction, tag}), FocusChain::entriesAround(*nickname));

  ASSERT_TRUE(FocusChain::advance(false));  // nothing edited: the first
  EXPECT_TRUE(nickname->isFirstResponder());
  ASSERT_TRUE(FocusChain::advance(false));
  EXPECT_TRUE(introduction->isFirstResponder());
  EXPECT_TRUE(introduction->window());
  ASSERT_TRUE(FocusChain::advance(false));
  EXPECT_TRUE(tag->isFirstResponder());
  ASSERT_TRUE(FocusChain::advance(false));
  EXPECT_TRUE(nickname->isFirstResponder());
  ASSERT_TRUE(FocusChain::advance(true));
  EXPECT_TRUE(tag->isFirstResponder());
  EXPECT_EQ((std::vector<View*>{nickname.get(), introduction.get(), tag.get(), nickname.get(), tag.get()}),
            screen->revealed);
}

}  // namespace
}  // namespace zu::ui
