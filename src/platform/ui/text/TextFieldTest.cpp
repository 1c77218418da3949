#include "platform/ui/text/TextField.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/MeasureRecorder.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextView.h"

namespace zu::ui {
namespace {

// 49 characters: 294 points of 12-point text under the fixed metrics, where a 200-point field
// with no border has room for 33 beside the caret.
const std::string kAddress = "http://feeds.example.org/harbour/morning-news.xml";
constexpr size_t kRoom = 33;

class TextFieldTest : public TextEntryFixture {
 protected:
  std::shared_ptr<TextField> field(const std::string& text, Rect frame = Rect(10, 10, 200, 31)) {
    auto made = std::make_shared<TextField>(frame);
    made->setText(text);
    window_->addSubview(made);
    return made;
  }
};

// The columns of `picture` where the caret's blue shows: first and last, or {-1, -1}.
std::pair<int, int> caretColumns(const Image& picture) {
  std::pair<int, int> found{-1, -1};
  for (int x = 0; x < picture.pixelWidth(); ++x) {
    for (int y = 0; y < picture.pixelHeight(); ++y) {
      const Color c = picture.colorAt(x, y);
      if (c.blue > 0.85f && c.red < 0.35f && c.green < 0.5f) {
        if (found.first < 0) found.first = x;
        found.second = x;
        break;
      }
    }
  }
  return found;
}

// Whether the columns [from, to) of two pictures of one size hold the same pixels.
bool sameColumns(const Image& a, const Image& b, int from, int to) {
  for (int x = from; x < to; ++x) {
    for (int y = 0; y < a.pixelHeight(); ++y) {
      if (a.pixelAt(x, y) != b.pixelAt(x, y)) return false;
    }
  }
  return true;
}

// A click in a one-line field puts the caret where it lands — between the two words of
// "harbourmaster", not at the end — whether the field was editing or the click begins it, and
// ends a selection of the whole text; past the text it goes to the end. The bullets of a secure
// field take clicks the same way.
TEST_F(TextFieldTest, AClickPutsTheCaretWhereItLands) {
  auto name = field("harbourmaster");
  window_->tap(Point{10 + 7 * 6 + 2, 25});
  ASSERT_TRUE(name->isEditing());
  EXPECT_EQ((TextRange{7, 0}), name->selectedRange());
  Keyboard::shared().type("X");
  EXPECT_EQ("harbourXmaster", name->text());

  ASSERT_TRUE(Keyboard::shared().performEditCommand("selectAll:"));
  window_->tap(Point{10 + 4, 25});
  EXPECT_EQ((TextRange{1, 0}), name->selectedRange());
  window_->tap(Point{200, 25});
  EXPECT_EQ((TextRange{14, 0}), name->selectedRange());

  auto password = field("pw12", Rect(10, 60, 200, 31));
  password->setSecureTextEntry(true);
  window_->tap(Point{10 + 2 * 12 + 5, 75});  // after the second bullet
  ASSERT_TRUE(password->isEditing());
  EXPECT_EQ((TextRange{2, 0}), password->selectedRange());
}

// A click into a long field that is not being edited puts the caret where it lands and leaves
// the line where it was: the text does not jump to put the clicked character, or the end, at
// an edge; a picture taken before the click and after it shows the same text.
TEST_F(TextFieldTest, AClickIntoALongFieldKeepsItsTextWhereItWas) {
  auto address = field(kAddress);
  const auto before = render(*address);
  window_->tap(Point{10 + 10 * 6 + 2, 25});
  ASSERT_TRUE(address->isEditing());
  EXPECT_EQ((TextRange{10, 0}), address->selectedRange());
  EXPECT_EQ(0u, address->scrolledFrom());
  const auto after = render(*address);
  const auto [caret, caretEnd] = caretColumns(*after);
  ASSERT_GE(caret, 0);
  EXPECT_TRUE(sameColumns(*before, *after, 0, caret - 1));
  // Typing goes there, and the line keeps its place while the caret stays in sight.
  Keyboard::shared().type("X");
  EXPECT_EQ(kAddress.substr(0, 10) + "X" + kAddress.substr(10), address->text());
  EXPECT_EQ(0u, address->scrolledFrom());
}

// A click on the bullets of a secure field never puts the caret inside a character that takes
// more than one bullet (an emoji is two UTF-16 units, so two bullets): what is typed there
// goes beside the emoji, which stays whole.
TEST_F(TextFieldTest, AClickOnASecureFieldsBulletsStaysBetweenCharacters) {
  auto password = field("a\U0001F600b");
  password->setSecureTextEntry(true);
  window_->tap(Point{10 + 2 * 12 + 2, 25});  // after the second bullet, the emoji's first half
  ASSERT_TRUE(password->isEditing());
  const size_t at = password->selectedRange().location;
  EXPECT_TRUE(at == 1 || at == 3) << at;
  Keyboard::shared().type("x");
  EXPECT_EQ(at == 1 ? "ax\U0001F600b" : "a\U0001F600xb", password->text());
}

// A text pasted into a one-line field comes onto its line: each line break in it (CR LF, LF,
// CR) becomes a blank, and those at its ends are dropped, so a name or a password copied with
// the break that ended its line is pasted as it reads; the field's delegate is asked about that
// text. A paste of nothing but breaks changes nothing, and a many-line box keeps the breaks.
TEST_F(TextFieldTest, APastedTextComesOntoTheFieldsOneLine) {
  struct Asked : TextFieldDelegate {
    std::vector<std::string> asked;
    bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string& s) override {
      asked.push_back(s);
      return true;
    }
  };
  auto& board = Pasteboard::general();
  board.resetForTesting();
  auto name = field("");
  auto asked = std::make_shared<Asked>();
  name->setDelegate(asked);
  ASSERT_TRUE(name->becomeFirstResponder());
  board.setString("pasted\n");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("pasted", name->text());
  EXPECT_EQ((TextRange{6, 0}), name->selectedRange());
  EXPECT_EQ(std::vector<std::string>{"pasted"}, asked->asked);

  board.setString("\r\nharbour\r\nferry\rtides\n\nnews\r\n\n");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("selectAll:"));
  name->performAction("paste:", nullptr);  // the edit menu's 粘贴
  EXPECT_EQ("harbour ferry tides  news", name->text());

  board.setString("\n\r\n");
  asked->asked.clear();
  EXPECT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("harbour ferry tides  news", name->text());
  EXPECT_TRUE(asked->asked.empty());

  auto password = field("", Rect(10, 60, 200, 31));
  password->setSecureTextEntry(true);
  ASSERT_TRUE(password->becomeFirstResponder());
  board.setString("s3cret\r\n");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("s3cret", password->text());

  auto box = std::make_shared<TextView>(Rect(10, 100, 200, 100));
  window_->addSubview(box);
  ASSERT_TRUE(box->becomeFirstResponder());
  board.setString("harbour\nferry\n");
  ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("harbour\nferry\n", box->text());
  board.resetForTesting();
}

// While a field is edited its line scrolls so the caret stays in sight — typing past the room,
// Home and End, deleting (the text then fills the room again from the left), a click in the
// scrolled line and Left past its first character — and it is drawn from the first character in
// sight; once the editing ends it shows from its start, as a field never edited does.
TEST_F(TextFieldTest, AnEditedFieldKeepsItsCaretInSightAndShowsItsStartAfterwards) {
  auto address = field("");
  ASSERT_TRUE(address->becomeFirstResponder());
  Keyboard::shared().type(kAddress);
  const size_t end = kAddress.size();
  EXPECT_EQ(end - kRoom, address->scrolledFrom());

  // The picture: the line from the first character in sight, the caret at the right edge.
  const auto scrolled = render(*address);
  const auto [caretLeft, caretRight] = caretColumns(*scrolled);
  EXPECT_GE(caretLeft, 200 - 2 - 6);
  EXPECT_LE(caretRight, 199);
  auto tail = field(kAddress.substr(end - kRoom), Rect(10, 60, 200, 31));
  EXPECT_TRUE(sameColumns(*scrolled, *render(*tail), 0, caretLeft));

  press(CaretMove::LineStart);
  EXPECT_EQ(0u, address->scrolledFrom());
  press(CaretMove::Right);
  press(CaretMove::Right);
  EXPECT_EQ(0u, address->scrolledFrom());
  press(CaretMove::LineEnd);
  EXPECT_EQ(end - kRoom, address->scrolledFrom());
  for (int i = 0; i < 5; ++i) Keyboard::shared().pressDelete();
  EXPECT_EQ(end - 5 - kRoom, address->scrolledFrom());  // no blank room at the right

  // A click on the scrolled line: after its third character in sight.
  const size_t from = address->scrolledFrom();
  window_->tap(Point{10 + 3 * 6 + 1, 25});
  EXPECT_EQ((TextRange{from + 3, 0}), address->selectedRange());
  for (int i = 0; i < 5; ++i) press(CaretMove::Left);
  EXPECT_EQ(from - 2, address->scrolledFrom());
  EXPECT_EQ((TextRange{from - 2, 0}), address->selectedRange());

  press(CaretMove::LineEnd);
  ASSERT_TRUE(address->resignFirstResponder());
  EXPECT_EQ(0u, address->scrolledFrom());
  auto never = field(address->text(), Rect(10, 100, 200, 31));
  EXPECT_TRUE(sameColumns(*render(*address), *render(*never), 0, 200));
  // Editing again shows the caret where it was left, at the end.
  ASSERT_TRUE(address->becomeFirstResponder());
  EXPECT_EQ(end - 5 - kRoom, address->scrolledFrom());
}

// A field being edited measures only as much of its line as shows, also when keys and clicks
// move the caret through a megabyte (set by code: typing and pasting stop far sooner).
TEST_F(TextFieldTest, CaretKeysThroughAPastedMegabyteMeasureOnlyWhatShows) {
  auto metrics = std::make_shared<MeasureRecorder>();
  TextMetrics::setCurrent(metrics);
  auto pasted = field("");
  ASSERT_TRUE(pasted->becomeFirstResponder());
  std::string text;
  while (text.size() < (1u << 20)) text += "http://h.example/keyword ";
  metrics->longest = 0;
  pasted->setText(text);
  press(CaretMove::LineStart);
  press(CaretMove::Right);
  press(CaretMove::LineEnd);
  press(CaretMove::Left);
  window_->tap(Point{100, 25});
  render(*pasted);
  EXPECT_GT(metrics->longest, 0u);
  EXPECT_LT(metrics->longest, 16u * 1024);
  EXPECT_GT(pasted->selectedRange().location, text.size() - 40);
}

// The pictures of a long address being edited (its end in sight, the caret after it) over the
// same address after editing (its start in sight), by day and by night.
TEST_F(TextFieldTest, PicturesOfAScrolledAddressByDayAndByNight) {
  TextMetrics::setCurrent(nullptr);
  struct Look {
    const char* name;
    Color ground, field, text;
  };
  const Look looks[] = {{"field-scrolled-day", Color::white(0.93f), Color::whiteColor(), Color::blackColor()},
                        {"field-scrolled-night", Color::rgba8(34, 37, 42), Color::rgba8(43, 44, 48),
                         Color::rgba8(225, 225, 225)}};
  const std::string address = "http://feeds.harbour-daily.example.org/rss/morning-news/ferries.xml";
  for (const Look& look : looks) {
    auto ground = std::make_shared<View>(Rect(0, 0, 320, 96));
    ground->setBackgroundColor(look.ground);
    window_->addSubview(ground);
    std::shared_ptr<TextField> fields[2];
    for (int i = 0; i < 2; ++i) {
      fields[i] = std::make_shared<TextField>(Rect(12, 12 + 42.f * static_cast<float>(i), 296, 30));
      fields[i]->setBackgroundColor(look.field);
      fields[i]->setTextColor(look.text);
      fields[i]->setFont(Font::systemFont(15));
      fields[i]->setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
      fields[i]->setText(address);
      ground->addSubview(fields[i]);
    }
    ASSERT_TRUE(fields[0]->becomeFirstResponder());
    EXPECT_GT(fields[0]->scrolledFrom(), 0u);
    const auto picture = ContrastAudit::snapshot(*ground, look.name);
    ASSERT_TRUE(picture);
    // The caret at the end of the line in sight, at the field's right edge.
    const auto [left, right] = caretColumns(*picture);
    EXPECT_GT(left, 12 + 296 - 24) << look.name;
    EXPECT_LE(right, 12 + 296) << look.name;
    fields[0]->resignFirstResponder();
    ground->removeFromSuperview();
  }
}

}  // namespace
}  // namespace zu::ui
