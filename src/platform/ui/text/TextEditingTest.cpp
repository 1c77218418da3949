// The desktop's editing in the text entries: mouse selection, the input method's composition,
// word deletion and the line breaks a many-line box takes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/device/Pasteboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

// 12-point text under the fixed metrics: 6 points an ASCII character, 12 any other, 14.4 a line.
constexpr float kChar = 6;
constexpr float kLine = 14.4f;

class TextEditingTest : public TextEntryFixture {
 protected:
  void TearDown() override {
    MenuController::shared().resetForTesting();
    Pasteboard::general().resetForTesting();
    TextEntryFixture::TearDown();
  }
  // A press at `from` dragged to each of `to` and released at the last.
  void drag(Point from, std::initializer_list<Point> to) {
    auto finger = window_->beginTouch(from);
    Point last = from;
    for (Point p : to) {
      window_->moveTouch(finger, p);
      last = p;
    }
    window_->endTouch(finger, last);
  }
  // Clicks `times` times in a row at `p`, then lets the double-click time pass.
  void click(FakeClock& clock, Point p, int times = 1) {
    for (int i = 0; i < times; ++i) window_->tap(p);
    clock.advance(1);
  }
};

// In a field being edited a press and drag selects from where it went down, either way round,
// and Shift and an arrow go on from where the drag ended; a double-click selects the word, a
// triple-click the line; a long press then shows the edit menu for that selection, whose 拷贝
// copies it. A drag in a field not being edited selects nothing.
TEST_F(TextEditingTest, AFieldSelectsByDragDoubleAndTripleClick) {
  ScopedFakeClock clock;
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  field->setText("harbour morning news");
  window_->addSubview(field);
  const float y = 20;
  auto at = [](size_t offset) { return 10 + kChar * static_cast<float>(offset); };

  drag(Point{at(2), y}, {Point{at(5), y}, Point{at(9), y}});
  EXPECT_EQ((TextRange{9, 0}), field->selectedRange()) << "not editing: a tap where it lifted";
  EXPECT_TRUE(field->isEditing());
  clock->advance(1);

  drag(Point{at(2), y}, {Point{at(5), y}, Point{at(9), y}});
  EXPECT_EQ((TextRange{2, 7}), field->selectedRange());
  Keyboard::shared().moveCaret(CaretMove::Right, true);
  EXPECT_EQ((TextRange{2, 8}), field->selectedRange());
  clock->advance(1);
  drag(Point{at(12), y}, {Point{at(4), y}});  // leftwards: the end it moves is the start
  EXPECT_EQ((TextRange{4, 8}), field->selectedRange());
  Keyboard::shared().moveCaret(CaretMove::Left, true);
  EXPECT_EQ((TextRange{3, 9}), field->selectedRange());
  clock->advance(1);

  click(*clock, Point{at(10) + 1, y}, 2);
  EXPECT_EQ((TextRange{8, 7}), field->selectedRange());  // "morning"
  click(*clock, Point{at(10) + 1, y}, 3);
  EXPECT_EQ((TextRange{0, 20}), field->selectedRange());
  click(*clock, Point{at(3) + 1, y});
  EXPECT_EQ((TextRange{3, 0}), field->selectedRange());

  // The selection a drag made is what the long press's menu copies.
  drag(Point{at(8), y}, {Point{at(15), y}});
  clock->advance(1);
  auto finger = window_->beginTouch(Point{at(10), y});
  clock->advance(0.6);
  runDueMainLoopTasks();
  window_->endTouch(finger);
  ASSERT_TRUE(MenuController::shared().isMenuVisible());
  EXPECT_EQ((TextRange{8, 7}), field->selectedRange());
  ASSERT_TRUE(MenuController::shared().chooseItem("拷贝"));
  EXPECT_EQ(std::optional<std::string>("morning"), Pasteboard::general().string());
}

// A field longer than its room scrolls as the drag passes its left end, and the selection goes
// on growing into what scrolls in.
TEST_F(TextEditingTest, ADragPastAFieldsEndScrollsItAndSelectsOn) {
  ScopedFakeClock clock;
  auto field = std::make_shared<TextField>(Rect(10, 10, 120, 31));
  field->setText(std::string(60, 'a'));
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  const size_t from = field->scrolledFrom();
  ASSERT_GT(from, 0u);
  drag(Point{100, 20}, {Point{40, 20}, Point{2, 20}, Point{1, 20}, Point{0, 20}});
  EXPECT_LT(field->scrolledFrom(), from);
  EXPECT_EQ(field->scrolledFrom(), field->selectedRange().location);
  EXPECT_GT(field->selectedRange().length, 0u);
}

// In a text view being edited a drag selects instead of scrolling it; past its bottom edge the
// view scrolls down and the selection grows into the lines scrolled in. Double- and
// triple-clicks select a word and a paragraph.
TEST_F(TextEditingTest, ATextViewSelectsByDragInsteadOfScrolling) {
  ScopedFakeClock clock;
  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 60));
  std::string text;
  for (int i = 0; i < 20; ++i) text += "line " + std::to_string(i % 10) + "\n";
  view->setText(text + "last words here");
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{0, 0});
  view->setContentOffset(Point{0, 0});

  const float left = TextView::kTextInset;
  const float top = 100 + TextView::kTextInset;
  drag(Point{left + 1, top + 3}, {Point{left + 20, top + 10}, Point{left + 4 * kChar + 1, top + kLine + 3}});
  EXPECT_EQ((TextRange{0, 11}), view->selectedRange());  // "line 0\n" and "line"
  EXPECT_EQ(0, view->contentOffset().y);
  clock->advance(1);

  drag(Point{left + 1, top + 3}, {Point{left + 1, top + 30}, Point{left + 1, 100 + 60 + 20}});
  EXPECT_GT(view->contentOffset().y, 0);
  EXPECT_EQ(0u, view->selectedRange().location);
  EXPECT_GT(view->selectedRange().length, 7u * 4);
  clock->advance(1);

  view->setSelectedRange(TextRange{0, 0});
  view->setContentOffset(Point{0, 0});
  click(*clock, Point{left + 2 * kChar + 1, top + kLine + 3}, 2);
  EXPECT_EQ((TextRange{7, 4}), view->selectedRange());  // "line" of the second line
  click(*clock, Point{left + 2 * kChar + 1, top + kLine + 3}, 3);
  EXPECT_EQ((TextRange{7, 6}), view->selectedRange());  // its paragraph, without the newline

  // Not being edited, a drag scrolls as a finger does.
  view->resignFirstResponder();
  auto finger = window_->beginTouch(Point{100, 150});
  for (int i = 1; i <= 10; ++i) {
    clock->advance(0.016);
    window_->moveTouch(finger, Point{100, 150 - 4.f * static_cast<float>(i)});
  }
  window_->endTouch(finger);
  EXPECT_GT(view->contentOffset().y, 0);
}

// The input method's composition shows at the caret and is not the text: the delegate hears of
// nothing, the caret (where the method's window goes) stands in it, and what the method
// commits replaces it as typed text; a caret key drops it.
TEST_F(TextEditingTest, ACompositionShowsAtTheCaretAndOnlyItsCommitIsTyped) {
  struct Changes : TextFieldDelegate {
    int asked = 0;
    bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string&) override {
      ++asked;
      return true;
    }
  };
  auto changes = std::make_shared<Changes>();
  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  field->setDelegate(changes);
  field->setText("ab");
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  const float caretBefore = field->caretRectInView().origin.x;
  ASSERT_TRUE(Keyboard::shared().setMarkedText("ni", 2));
  EXPECT_TRUE(field->hasMarkedText());
  EXPECT_EQ("ab", field->text());
  EXPECT_EQ(0, changes->asked);
  EXPECT_EQ(caretBefore + 2 * kChar, field->caretRectInView().origin.x);
  ASSERT_TRUE(Keyboard::shared().setMarkedText("你好", 1));
  EXPECT_EQ(caretBefore + 12, field->caretRectInView().origin.x);
  EXPECT_EQ(0u, field->history().undoCount());
  Keyboard::shared().type("你好");
  EXPECT_FALSE(field->hasMarkedText());
  EXPECT_EQ("ab你好", field->text());
  EXPECT_EQ(2, changes->asked);
  ASSERT_TRUE(Keyboard::shared().setMarkedText("x", 1));
  Keyboard::shared().moveCaret(CaretMove::Left, false);
  EXPECT_FALSE(field->hasMarkedText());
  EXPECT_EQ("ab你好", field->text());

  // In a text view, on its line: the caret goes down a line with a composition that wraps.
  auto view = std::make_shared<TextView>(Rect(0, 100, 100, 100));
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  const Rect start = view->caretRectInView();
  ASSERT_TRUE(Keyboard::shared().setMarkedText(std::string(20, 'n'), 20));
  EXPECT_EQ("", view->text());
  EXPECT_GT(view->caretRectInView().origin.y, start.origin.y);
  view->resignFirstResponder();
  EXPECT_FALSE(view->hasMarkedText());
}

// Ctrl+Backspace and Ctrl+Delete remove a word and the blanks or punctuation before it, or the
// selection; each is a step of its own to undo.
TEST_F(TextEditingTest, WordDeletionsRemoveWholeWords) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 300, 100));
  view->setText("harbour, morning news");
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  ASSERT_TRUE(Keyboard::shared().deleteWord(false));
  EXPECT_EQ("harbour, morning ", view->text());
  Keyboard::shared().deleteWord(false);
  EXPECT_EQ("harbour, ", view->text());
  Keyboard::shared().deleteWord(false);
  EXPECT_EQ("", view->text());
  Keyboard::shared().performEditCommand("undo:");
  EXPECT_EQ("harbour, ", view->text());
  view->setSelectedRange(TextRange{0, 0});
  Keyboard::shared().deleteWord(true);
  EXPECT_EQ(", ", view->text());

  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  field->setText("今天 天气");
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  field->setSelectedRange(TextRange{1, 2});
  Keyboard::shared().deleteWord(true);  // the selection
  EXPECT_EQ("今天气", field->text());

  // A password is one word, as a double-click finds it: its words are not given away.
  auto password = std::make_shared<TextField>(Rect(10, 50, 300, 31));
  password->setSecureTextEntry(true);
  password->setText("open sesame.42");
  window_->addSubview(password);
  ASSERT_TRUE(password->becomeFirstResponder());
  password->setSelectedRange(TextRange{9, 0});
  Keyboard::shared().deleteWord(true);
  EXPECT_EQ("open sesa", password->text());
  Keyboard::shared().deleteWord(false);
  EXPECT_EQ("", password->text());
}

// A many-line box takes a typed or pasted line separator, paragraph separator, CR LF or lone
// CR as a newline, so each draws one line break; a one-line field makes blanks of them.
TEST_F(TextEditingTest, LineSeparatorsAndCarriageReturnsBecomeNewlinesInABox) {
  auto view = std::make_shared<TextView>(Rect(0, 100, 300, 200));
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  Keyboard::shared().type("a\u2028b\rc\r\nd\u2029e");
  EXPECT_EQ("a\nb\nc\nd\ne", view->text());
  Pasteboard::general().setString("\r\nf\u2028\u0085g\r");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("a\nb\nc\nd\ne\nf\n\ng\n", view->text());

  auto field = std::make_shared<TextField>(Rect(10, 10, 300, 31));
  window_->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ(std::string::npos, field->text().find_first_of("\r\n"));
  EXPECT_EQ('f', field->text().front());
  EXPECT_EQ('g', field->text().back());
}

}  // namespace
}  // namespace zu::ui
