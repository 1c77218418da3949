#include "platform/ui/text/EditHistory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/device/Pasteboard.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

namespace zu::ui {
namespace {

class EditHistoryTest : public TextEntryFixture {
 protected:
  void SetUp() override {
    TextEntryFixture::SetUp();
    Pasteboard::general().resetForTesting();
  }
  void TearDown() override {
    Pasteboard::general().resetForTesting();
    TextEntryFixture::TearDown();
  }
  static bool undo() { return Keyboard::shared().performEditCommand("undo:"); }
  static bool redo() { return Keyboard::shared().performEditCommand("redo:"); }
  static void type(const std::string& text) { ASSERT_TRUE(Keyboard::shared().type(text)); }
};

// Typing is undone a word at a time (a word and the blank after it), as desktop toolkits group
// it, and redone the same way; a caret move or another kind of edit closes a run of typing;
// Backspaces one after another go back as one.
TEST_F(EditHistoryTest, TypingIsUndoneARunAtATimeAndRedone) {
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  type("hello world");
  ASSERT_TRUE(undo());
  EXPECT_EQ("hello ", field->text());
  ASSERT_TRUE(undo());
  EXPECT_EQ("", field->text());
  EXPECT_FALSE(undo());
  ASSERT_TRUE(redo());
  EXPECT_EQ("hello ", field->text());
  ASSERT_TRUE(redo());
  EXPECT_EQ("hello world", field->text());
  EXPECT_EQ((TextRange{11, 0}), field->selectedRange());
  EXPECT_FALSE(redo());

  // The caret moved: what is typed next is a step of its own.
  Keyboard::shared().moveCaret(CaretMove::LineStart, false);
  type(">");
  Keyboard::shared().pressDelete();
  Keyboard::shared().moveCaret(CaretMove::LineEnd, false);
  Keyboard::shared().pressDelete();
  Keyboard::shared().pressDelete();
  Keyboard::shared().pressDelete();
  EXPECT_EQ("hello wo", field->text());
  ASSERT_TRUE(undo());  // the three Backspaces
  EXPECT_EQ("hello world", field->text());
  ASSERT_TRUE(undo());  // the Backspace after ">"
  EXPECT_EQ(">hello world", field->text());
  ASSERT_TRUE(undo());
  EXPECT_EQ("hello world", field->text());
  EXPECT_EQ((TextRange{0, 0}), field->selectedRange());
  // A new edit drops what could be redone.
  type("!");
  EXPECT_FALSE(redo());
}

// Each paste, cut and deletion of a selection is a step of its own, and undoing it selects what
// was selected before; a paste over a selection brings the selection back.
TEST_F(EditHistoryTest, PastesAndCutsAreStepsOfTheirOwnAndUndoRestoresTheSelection) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 300, 200));
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  type("tide");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("selectAll:"));
  ASSERT_TRUE(Keyboard::shared().performEditCommand("cut:"));
  EXPECT_EQ("", view->text());
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("tidetide", view->text());
  view->setSelectedRange(TextRange{2, 4});
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("titidede", view->text());
  ASSERT_TRUE(undo());
  EXPECT_EQ("tidetide", view->text());
  EXPECT_EQ((TextRange{2, 4}), view->selectedRange());
  Keyboard::shared().pressDelete();  // the selection
  EXPECT_EQ("tide", view->text());
  ASSERT_TRUE(undo());
  EXPECT_EQ((TextRange{2, 4}), view->selectedRange());
  ASSERT_TRUE(undo());  // the second paste
  EXPECT_EQ("tide", view->text());
  ASSERT_TRUE(undo());  // the first
  EXPECT_EQ("", view->text());
  ASSERT_TRUE(undo());  // the cut: the whole text back, selected
  EXPECT_EQ("tide", view->text());
  EXPECT_EQ((TextRange{0, 4}), view->selectedRange());
  ASSERT_TRUE(undo());
  EXPECT_EQ("", view->text());
  EXPECT_FALSE(undo());
}

// The history belongs to the text the reader made: set by code, the text starts a new one; a
// password's is gone with its editing; a delegate that refuses the change keeps the step; the
// oldest steps go past the bound.
TEST_F(EditHistoryTest, TheHistoryIsClearedByCodeBoundedAndKeptFromPasswords) {
  struct Refusing : TextFieldDelegate {
    bool refuse = false;
    bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string&) override { return !refuse; }
  };
  auto refusing = std::make_shared<Refusing>();
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  field->setDelegate(refusing);
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  type("draft");
  refusing->refuse = true;
  EXPECT_FALSE(undo());
  EXPECT_EQ("draft", field->text());
  refusing->refuse = false;
  field->setText("from the screen");
  EXPECT_FALSE(undo());
  EXPECT_EQ("from the screen", field->text());

  for (size_t i = 0; i < EditHistory::kMaxSteps + 20; ++i) {
    Pasteboard::general().setString("p");
    ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  }
  EXPECT_EQ(EditHistory::kMaxSteps, field->history().undoCount());
  while (undo()) {
  }
  EXPECT_EQ("from the screen" + std::string(20, 'p'), field->text());

  auto password = std::make_shared<TextField>(Rect(10, 50, 300, 31));
  password->setSecureTextEntry(true);
  window_->addSubview(password);
  ASSERT_TRUE(password->becomeFirstResponder());
  type("s3cret");
  EXPECT_GT(password->history().undoCount(), 0u);
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(0u, password->history().undoCount());
  ASSERT_TRUE(password->becomeFirstResponder());
  EXPECT_FALSE(undo());
  EXPECT_EQ("s3cret", password->text());
}

}  // namespace
}  // namespace zu::ui
