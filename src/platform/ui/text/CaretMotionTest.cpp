#include "platform/ui/text/CaretMotion.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

namespace zu::ui {
namespace {

// 12-point text under the fixed metrics: 6 points an ASCII character, 12 any other, 14.4 a line;
// a text view's text starts 8 points inside it.
constexpr float kLine = 14.4f;

using CaretMotionTest = TextEntryFixture;

// Counts what a field's delegate is asked to change.
struct Changes : TextFieldDelegate {
  std::vector<std::string> asked;
  bool textFieldShouldChangeCharacters(TextField&, TextRange r, const std::string& s) override {
    asked.push_back(std::to_string(r.location) + "+" + std::to_string(r.length) + " \"" + s + "\"");
    return true;
  }
};

// In a one-line field the arrows step over whole characters — an accented letter, an emoji with
// its skin tone, a flag — Home and End go to the ends, Up and Down do nothing, and Delete takes
// the whole character after the caret, asking the delegate as typing does. Shift grows and
// shrinks a selection from where it began; without Shift a selection ends at the side the
// arrow points to.
TEST_F(CaretMotionTest, AFieldsCaretStepsOverWholeCharactersAndShiftSelects) {
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  window_->addSubview(field);
  auto changes = std::make_shared<Changes>();
  field->setDelegate(changes);
  // 港 (0), e with an acute accent (1-2), 👍🏽 (3-6), the flag 🇨🇳 (7-10), x (11).
  field->setText("港e\u0301\U0001F44D\U0001F3FD\U0001F1E8\U0001F1F3x");
  EXPECT_FALSE(Keyboard::shared().moveCaret(CaretMove::Left, false));  // nobody edits
  ASSERT_TRUE(field->becomeFirstResponder());
  ASSERT_EQ((TextRange{12, 0}), field->selectedRange());

  std::vector<size_t> stops;
  for (int i = 0; i < 6; ++i) {
    press(CaretMove::Left);
    stops.push_back(field->selectedRange().location);
  }
  EXPECT_EQ((std::vector<size_t>{11, 7, 3, 1, 0, 0}), stops);
  stops.clear();
  for (int i = 0; i < 3; ++i) {
    press(CaretMove::Right);
    stops.push_back(field->selectedRange().location);
  }
  EXPECT_EQ((std::vector<size_t>{1, 3, 7}), stops);
  press(CaretMove::Up);
  press(CaretMove::Down);
  EXPECT_EQ((TextRange{7, 0}), field->selectedRange());

  // Delete takes the flag, both its letters.
  ASSERT_TRUE(Keyboard::shared().pressDeleteForward());
  EXPECT_EQ("港e\u0301\U0001F44D\U0001F3FDx", field->text());
  EXPECT_EQ((std::vector<std::string>{"7+4 \"\""}), changes->asked);
  EXPECT_EQ((TextRange{7, 0}), field->selectedRange());

  // Shift: from the caret to the left over two characters, back one, then across the anchor.
  press(CaretMove::Left, true);
  press(CaretMove::Left, true);
  EXPECT_EQ((TextRange{1, 6}), field->selectedRange());
  press(CaretMove::Right, true);
  EXPECT_EQ((TextRange{3, 4}), field->selectedRange());
  press(CaretMove::Right, true);
  press(CaretMove::Right, true);
  EXPECT_EQ((TextRange{7, 1}), field->selectedRange());
  press(CaretMove::LineStart, true);
  EXPECT_EQ((TextRange{0, 7}), field->selectedRange());
  // Without Shift the selection ends on the arrow's side.
  press(CaretMove::Right);
  EXPECT_EQ((TextRange{7, 0}), field->selectedRange());
  press(CaretMove::LineEnd, true);
  press(CaretMove::Left);
  EXPECT_EQ((TextRange{7, 0}), field->selectedRange());

  // A selection made otherwise (select all) is anchored at its start: Shift+Left shrinks its end.
  ASSERT_TRUE(Keyboard::shared().performEditCommand("selectAll:"));
  press(CaretMove::Left, true);
  EXPECT_EQ((TextRange{0, 7}), field->selectedRange());
  // Delete takes a selection whole; at the end of the text it takes nothing.
  ASSERT_TRUE(Keyboard::shared().pressDeleteForward());
  EXPECT_EQ("x", field->text());
  press(CaretMove::LineEnd);
  changes->asked.clear();
  ASSERT_TRUE(Keyboard::shared().pressDeleteForward());
  EXPECT_EQ("x", field->text());
  EXPECT_TRUE(changes->asked.empty());

  // Typing goes where the keys put the caret.
  press(CaretMove::LineStart);
  Keyboard::shared().type("港口");
  EXPECT_EQ("港口x", field->text());
  // A field that is not editing takes no key.
  field->resignFirstResponder();
  field->moveCaret(CaretMove::LineStart, false);
  field->deleteForward();
  EXPECT_EQ((TextRange{2, 0}), field->selectedRange());
  EXPECT_EQ("港口x", field->text());
}

// Backspace takes back the whole character before the caret, as Delete takes the one after
// it, in a field and in a many-line box: both letters of a flag, people a joiner puts together
// with the joiners, a letter with its accent. No half of a character is left behind to show as
// a stray letter or to join what is typed next.
TEST_F(CaretMotionTest, BackspaceTakesTheWholeCharacterBeforeTheCaret) {
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  window_->addSubview(field);
  auto changes = std::make_shared<Changes>();
  field->setDelegate(changes);
  // x (0), 🇨🇳 (1-4), 👨‍👩‍👧 (5-12), e with an acute accent (13-14).
  field->setText("x\U0001F1E8\U0001F1F3\U0001F468\u200D\U0001F469\u200D\U0001F467e\u0301");
  ASSERT_TRUE(field->becomeFirstResponder());
  Keyboard::shared().pressDelete();
  EXPECT_EQ("x\U0001F1E8\U0001F1F3\U0001F468\u200D\U0001F469\u200D\U0001F467", field->text());
  Keyboard::shared().pressDelete();
  EXPECT_EQ("x\U0001F1E8\U0001F1F3", field->text());
  Keyboard::shared().pressDelete();
  EXPECT_EQ("x", field->text());
  EXPECT_EQ((std::vector<std::string>{"13+2 \"\"", "5+8 \"\"", "1+4 \"\""}), changes->asked);

  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 100));
  window_->addSubview(view);
  view->setText("\U0001F1E8\U0001F1F3\U0001F1EF\U0001F1F5");  // two flags
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{4, 0});
  Keyboard::shared().pressDelete();
  EXPECT_EQ("\U0001F1EF\U0001F1F5", view->text());
  EXPECT_EQ((TextRange{0, 0}), view->selectedRange());
}

// Counts a text view's selection changes.
struct SelectionCount : TextViewDelegate {
  int changes = 0;
  void textViewDidChangeSelection(TextView&) override { ++changes; }
};

// In a many-line box Up and Down move by a line and keep their column through a shorter line,
// Up on the first line goes to the start and Down on the last to the end; Home and End go to the
// ends of the line the caret is on; each move that changes the selection is told to the
// delegate, and Shift selects across lines.
TEST_F(CaretMotionTest, AManyLineBoxMovesByLinesAndKeepsTheColumn) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 200));
  window_->addSubview(view);
  auto count = std::make_shared<SelectionCount>();
  view->setDelegate(count);
  view->setText("harbour\nab\nferry crossing");
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{5, 0});  // harbo|ur

  press(CaretMove::Down);
  EXPECT_EQ((TextRange{10, 0}), view->selectedRange());  // the end of "ab"
  press(CaretMove::Down);
  EXPECT_EQ((TextRange{16, 0}), view->selectedRange());  // back in column 5: ferry| crossing
  press(CaretMove::Up);
  press(CaretMove::Up);
  EXPECT_EQ((TextRange{5, 0}), view->selectedRange());
  press(CaretMove::Up);
  EXPECT_EQ((TextRange{0, 0}), view->selectedRange());
  press(CaretMove::Up);  // nothing above: no change to tell
  EXPECT_EQ(5, count->changes);

  press(CaretMove::LineEnd);
  EXPECT_EQ((TextRange{7, 0}), view->selectedRange());  // before the newline
  press(CaretMove::Down);
  press(CaretMove::LineStart);
  EXPECT_EQ((TextRange{8, 0}), view->selectedRange());
  press(CaretMove::Down, true);
  press(CaretMove::LineEnd, true);
  EXPECT_EQ((TextRange{8, 17}), view->selectedRange());
  press(CaretMove::Up, true);
  EXPECT_EQ((TextRange{8, 2}), view->selectedRange());  // the end of "ab": the column held
  press(CaretMove::Down);
  EXPECT_EQ((TextRange{25, 0}), view->selectedRange());  // in the column held: the last line's end
  ASSERT_TRUE(Keyboard::shared().type("!"));
  EXPECT_EQ("harbour\nab\nferry crossing!", view->text());
  press(CaretMove::LineStart);
  ASSERT_TRUE(Keyboard::shared().pressDeleteForward());
  EXPECT_EQ("harbour\nab\nerry crossing!", view->text());

  // A CR LF is one character: End stops before it, Right steps over it whole.
  view->setText("ab\r\ncd");
  view->setSelectedRange(TextRange{0, 0});
  press(CaretMove::LineEnd);
  EXPECT_EQ((TextRange{2, 0}), view->selectedRange());
  press(CaretMove::Right);
  EXPECT_EQ((TextRange{4, 0}), view->selectedRange());
}

// Where Chinese text wraps, a line's end and the next line's start are one place in the text:
// End, a tap right of the line and Up or Down onto its end keep the caret at the end of that
// line, drawn there, and typing there goes on after its last character.
TEST_F(CaretMotionTest, AtAWrapOfChineseTextEndStaysOnItsLine) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 200));
  window_->addSubview(view);
  // 184 points of line: 15 characters of 12 points, then the last five on a second line.
  const std::string text = "港口晨报渡船时刻潮汐天气预报海风向南吹拂";
  view->setText(text);
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{3, 0});
  press(CaretMove::LineEnd);
  EXPECT_EQ((TextRange{15, 0}), view->selectedRange());
  EXPECT_TRUE(view->isCaretAtLineEnd());
  const TextMetrics::Layout laid =
      TextMetrics::current().layoutIn(text, view->font(), Size{184, 0}, LineBreakMode::WordWrap);
  const float lh = TextMetrics::current().lineHeight(view->font());
  EXPECT_EQ(Rect(180, 0, 0, lh), caretRect(text, view->font(), laid, CaretPlace{15, true}));
  EXPECT_EQ(Rect(0, lh, 0, lh), caretRect(text, view->font(), laid, CaretPlace{15, false}));
  // Down goes to the second line's end (it is shorter), Up back to the first line's end.
  press(CaretMove::Down);
  EXPECT_EQ((TextRange{20, 0}), view->selectedRange());
  press(CaretMove::Up);
  EXPECT_EQ((TextRange{15, 0}), view->selectedRange());
  EXPECT_TRUE(view->isCaretAtLineEnd());
  // Home from there is the first line's start.
  press(CaretMove::LineStart);
  EXPECT_EQ((TextRange{0, 0}), view->selectedRange());
  // A tap right of the first line puts the caret at its end too.
  window_->tap(Point{195, 100 + 8 + 5});
  EXPECT_EQ((TextRange{15, 0}), view->selectedRange());
  EXPECT_TRUE(view->isCaretAtLineEnd());
  press(CaretMove::LineStart);
  EXPECT_EQ((TextRange{0, 0}), view->selectedRange());
  press(CaretMove::Down);
  press(CaretMove::LineEnd);
  EXPECT_FALSE(view->isCaretAtLineEnd());  // the last line's end is the text's
  EXPECT_EQ((TextRange{20, 0}), view->selectedRange());
}

// Moving the caret keeps its line in sight, with the inset around it: a box shorter than its
// text scrolls down as Down goes on and back up to the top for Up.
TEST_F(CaretMotionTest, TheCaretsLineScrollsIntoSight) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 60));
  window_->addSubview(view);
  std::string text;
  for (int i = 0; i < 12; ++i) text += "line " + std::to_string(i) + "\n";
  view->setText(text);
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{0, 0});
  view->setContentOffset(Point{0, 0});
  for (int i = 0; i < 10; ++i) press(CaretMove::Down);
  // The caret's line (the eleventh) and the inset under it show at the bottom.
  const float lineBottom = 8 + 11 * kLine + 8;
  EXPECT_NEAR(lineBottom - 60, view->contentOffset().y, 0.01);
  for (int i = 0; i < 9; ++i) press(CaretMove::Up);
  EXPECT_NEAR(kLine, view->contentOffset().y, 0.01);  // the second line, the inset above it
  press(CaretMove::Up);
  EXPECT_NEAR(0, view->contentOffset().y, 0.01);
}

}  // namespace
}  // namespace zu::ui
