#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/ClusterLimit.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/PangoTextMetrics.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/text/TextSelection.h"

namespace zu::ui {
namespace {

using Lines = std::vector<std::string>;

bool samePicture(const Image& a, const Image& b) {
  if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return false;
  for (int y = 0; y < a.pixelHeight(); ++y) {
    for (int x = 0; x < a.pixelWidth(); ++x) {
      if (a.pixelAt(x, y) != b.pixelAt(x, y)) return false;
    }
  }
  return true;
}

class TextMetricsTest : public ::testing::Test {
 protected:
  void SetUp() override { TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>()); }
  void TearDown() override { TextMetrics::setCurrent(nullptr); }
  const TextMetrics& m() { return TextMetrics::current(); }
  const Font font_ = Font::systemFont(10);  // ASCII 5, CJK 10, line 12
};

TEST_F(TextMetricsTest, SingleLineSizesFollowTheCharacterClasses) {
  EXPECT_EQ((Size{15, 12}), m().sizeOf("abc", font_));
  EXPECT_EQ((Size{20, 12}), m().sizeOf("中文", font_));
  EXPECT_EQ((Size{25, 12}), m().sizeOf("a b中", font_));
  EXPECT_EQ((Size{10, 24}), m().sizeOf("ab\n中", font_));
  EXPECT_EQ((Size{0, 0}), m().sizeOf("", font_));
  // Rounded up to whole points.
  EXPECT_EQ((Size{8, 6}), m().sizeOf("abc", Font::systemFont(5)));
  EXPECT_EQ((Size{8, 18}), m().sizeOf("a", Font::systemFont(15)));
  // Invalid UTF-8 measures as replacement characters, never crashes.
  EXPECT_EQ((Size{25, 12}), m().sizeOf("a\xff\xfe", font_));
}

TEST_F(TextMetricsTest, WrappingByWordsCharactersAndCjk) {
  const Size wide{30, 20000};
  EXPECT_EQ((Lines{"hello", "world", "foo"}), m().lines("hello world foo", font_, wide, LineBreakMode::WordWrap));
  EXPECT_EQ((Size{25, 36}), m().sizeOf("hello world foo", font_, wide, LineBreakMode::WordWrap));
  // A word longer than the line breaks by characters.
  EXPECT_EQ((Lines{"abcdef", "ghij"}), m().lines("abcdefghij", font_, wide, LineBreakMode::WordWrap));
  // Any CJK character may end a line, also next to Latin text.
  EXPECT_EQ((Lines{"中文字", "体测试"}), m().lines("中文字体测试", font_, Size{35, 100}, LineBreakMode::WordWrap));
  EXPECT_EQ((Lines{"ab中文", "字cd"}), m().lines("ab中文字cd", font_, Size{30, 100}, LineBreakMode::WordWrap));
  EXPECT_EQ((Lines{"hello", "world"}), m().lines("hello world", font_, wide, LineBreakMode::CharacterWrap));
  EXPECT_EQ((Lines{"abc", "def"}), m().lines("abc def", font_, Size{16, 100}, LineBreakMode::CharacterWrap));
  EXPECT_EQ((Lines{"abcdef", "gh"}), m().lines("abcdefgh", font_, wide, LineBreakMode::CharacterWrap));
  // Narrower than one character: still one character per line.
  EXPECT_EQ((Lines{"中", "文"}), m().lines("中文", font_, Size{3, 100}, LineBreakMode::CharacterWrap));
  // Explicit newlines, also empty lines.
  EXPECT_EQ((Lines{"a", "", "b"}), m().lines("a\n\nb", font_, wide, LineBreakMode::WordWrap));
}

TEST_F(TextMetricsTest, HeightLimitsAndTruncation) {
  const char* text = "hello world foo";
  // 25 points hold two lines of 12.
  EXPECT_EQ((Size{25, 24}), m().sizeOf(text, font_, Size{30, 25}, LineBreakMode::WordWrap));
  // Less than a line still keeps one.
  EXPECT_EQ((Size{25, 12}), m().sizeOf(text, font_, Size{30, 5}, LineBreakMode::WordWrap));
  const Size oneLine{30, 12};
  EXPECT_EQ((Lines{"hell…"}), m().lines(text, font_, oneLine, LineBreakMode::TailTruncation));
  EXPECT_EQ((Lines{"… foo"}), m().lines(text, font_, oneLine, LineBreakMode::HeadTruncation));
  EXPECT_EQ((Lines{"he…oo"}), m().lines(text, font_, oneLine, LineBreakMode::MiddleTruncation));
  EXPECT_EQ((Lines{"hello "}), m().lines(text, font_, oneLine, LineBreakMode::Clip));
  EXPECT_EQ((Size{30, 12}), m().sizeOf(text, font_, 30, LineBreakMode::TailTruncation));
  // Two lines, the second truncated with the rest of the text.
  EXPECT_EQ((Lines{"hello", "worl…"}), m().lines(text, font_, Size{30, 24}, LineBreakMode::TailTruncation));
  // What fits is not truncated.
  EXPECT_EQ((Lines{"hello"}), m().lines("hello", font_, oneLine, LineBreakMode::TailTruncation));
  // CJK tail truncation.
  EXPECT_EQ((Lines{"中文…"}), m().lines("中文字体测试", font_, Size{30, 12}, LineBreakMode::TailTruncation));
}

TEST(PangoTextMetricsTest, DrawingStaysInsideWhatWasMeasured) {
  const TextMetrics& pango = TextMetrics::current();
  const Font font = Font::systemFont(20);
  const Size size = pango.sizeOf("中文 Text", font);
  EXPECT_GT(size.width, 60);
  EXPECT_GT(size.height, 18);
  // Metric hinting is off: the width scales with the point size.
  EXPECT_NEAR(size.width, 2 * pango.widthOf("中文 Text", Font::systemFont(10)), 2);

  auto image = Image::create(200, 60);
  {
    Canvas canvas(*image);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 200, 60));
    canvas.drawText("中文 Text", Rect(10, 10, 180, 40), font, Color::blackColor());
  }
  int inside = 0;
  int outside = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (image->colorAt(x, y).red > 0.5f) continue;
      const bool in = x >= 9 && x <= 10 + size.width && y >= 9 && y <= 10 + size.height;
      (in ? inside : outside) += 1;
    }
  }
  EXPECT_GT(inside, 50);
  EXPECT_EQ(0, outside);
}

// Control characters other than tab and newline stay in the text but are drawn and measured as
// nothing (a leading DEL drew as a box reading "007F"), with both metrics.
// The caret stands where right-to-left text is drawn, not after the width of the text before
// it: at the right end of a Hebrew line before its first letter, at its left end after its
// last; in a Latin line with a Hebrew word, between two of the word's letters where they meet
// on the screen. A tap there puts the caret there.
TEST(PangoTextMetricsTest, TheCaretStandsWhereRightToLeftTextIsDrawn) {
  TextMetrics::setCurrent(nullptr);
  const TextMetrics& m = TextMetrics::current();
  const Font font = Font::systemFont(20);
  auto caretX = [&](const std::string& text, size_t offset) {
    const TextMetrics::Layout laid = m.layoutIn(text, font, Size{400, 0}, LineBreakMode::WordWrap);
    return caretRect(text, font, laid, CaretPlace{offset, false}).origin.x;
  };
  const std::string hebrew = "\u05E9\u05DC\u05D5\u05DD";  // four letters
  const std::vector<float> w = m.offsets(U"\u05E9\u05DC\u05D5\u05DD", font);
  EXPECT_NEAR(w[4], caretX(hebrew, 0), 0.5f);
  EXPECT_NEAR(w[4] - w[1], caretX(hebrew, 1), 0.5f);
  EXPECT_NEAR(0, caretX(hebrew, 4), 0.5f);
  const TextMetrics::Layout laid = m.layoutIn(hebrew, font, Size{400, 0}, LineBreakMode::WordWrap);
  EXPECT_EQ(0u, caretOffsetAt(hebrew, font, laid, Point{w[4] - 1, 5}));
  EXPECT_EQ(1u, caretOffsetAt(hebrew, font, laid, Point{w[4] - w[1] + 1, 5}));

  const std::string mixed = "abc " + hebrew + " def";
  const float before = m.offsets(U"abc ", font).back();
  EXPECT_NEAR(before + w[4] - w[1], caretX(mixed, 5), 0.5f);
  EXPECT_NEAR(m.offsets(U"ab", font).back(), caretX(mixed, 2), 0.5f);
  TextMetrics::setCurrent(nullptr);
}

TEST(PangoTextMetricsTest, ControlCharactersAreDrawnAsNothing) {
  const Font font = Font::systemFont(20);
  auto picture = [&](const std::string& text) {
    auto image = Image::create(200, 40);
    Canvas canvas(*image);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 200, 40));
    TextMetrics::current().draw(canvas, text, Rect(10, 5, 180, 30), font, Color::blackColor(),
                                LineBreakMode::TailTruncation, TextAlignment::Left);
    return image;
  };
  for (bool fixed : {false, true}) {
    SCOPED_TRACE(fixed ? "fixed metrics" : "Pango metrics");
    if (fixed) TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
    const TextMetrics& metrics = TextMetrics::current();
    const auto clean = picture("分享 zu");
    for (const std::string& text : {std::string("\x7f分享 zu"), std::string("分享\x01\x1b zu\r"),
                                    std::string("\xc2\x85分享 \xc2\x9fzu")}) {
      EXPECT_TRUE(samePicture(*clean, *picture(text))) << text.size();
      EXPECT_FLOAT_EQ(metrics.widthOf("分享 zu", font), metrics.widthOf(text, font)) << text.size();
    }
    // A character just past the control range still shows.
    EXPECT_FALSE(samePicture(*clean, *picture("\xc2\xa9分享 zu")));
  }
  TextMetrics::setCurrent(nullptr);
}

// One letter carrying tens of thousands of combining accents is one cluster: Pango is handed
// only the marks that can be seen (the first ClusterLimit::kMaxMarks of the run), whether the
// text comes through the line layout or straight to the metrics, and what is measured is what
// is drawn. The text keeps its length: the marks left out take no width.
TEST(PangoTextMetricsTest, AGiantClusterIsShapedOnlyAsFarAsItCanBeSeen) {
  const Font font = Font::systemFont(20);
  std::string acutes;
  for (int i = 0; i < 20000; ++i) acutes += "\u0301";
  const std::string giant = "x" + acutes + "y";
  std::string seen = "x";
  for (size_t i = 0; i < ClusterLimit::kMaxMarks; ++i) seen += "\u0301";
  seen += "y";
  const TextMetrics& pango = TextMetrics::current();
  auto picture = [&](const std::string& text, bool throughLayout) {
    auto image = Image::create(120, 40);
    Canvas canvas(*image);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 120, 40));
    if (throughLayout) {
      pango.draw(canvas, text, Rect(10, 5, 100, 30), font, Color::blackColor(),
                 LineBreakMode::TailTruncation, TextAlignment::Left);
    } else {
      pango.drawLine(canvas, text, Point{10, 5}, font, Color::blackColor());
    }
    return image;
  };
  const auto expected = picture(seen, true);
  EXPECT_FALSE(samePicture(*expected, *picture("xy", true)));  // the marks that can be seen show

  for (bool throughLayout : {true, false}) {
    SCOPED_TRACE(throughLayout ? "laid out" : "one line drawn as it is");
    const uint64_t before = PangoTextMetrics::charactersShaped();
    EXPECT_TRUE(samePicture(*expected, *picture(giant, throughLayout)));
    EXPECT_LT(PangoTextMetrics::charactersShaped() - before, 200u);
  }

  const uint64_t before = PangoTextMetrics::charactersShaped();
  std::u32string text = U"x" + std::u32string(20000, U'\u0301') + U"y";
  const std::vector<float> offsets = pango.offsets(text, font);
  ASSERT_EQ(text.size() + 1, offsets.size());
  EXPECT_FLOAT_EQ(pango.widthOf(seen, font), offsets.back());
  EXPECT_FLOAT_EQ(offsets[ClusterLimit::kMaxMarks + 1], offsets[text.size() - 1]);
  EXPECT_EQ(pango.sizeOf(seen, font), pango.sizeOf(giant, font));
  const Lines lines = pango.lines(giant, font, Size{100, 30}, LineBreakMode::WordWrap);
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(lines[0] == seen) << lines[0].size() << " bytes";
  EXPECT_LT(PangoTextMetrics::charactersShaped() - before, 400u);
}

// What can be seen of other endless runs is as short: marks with control characters between
// them (drawn as nothing, they end no cluster), a run of characters that take no room and show
// nothing (zero-width spaces, joiners, direction marks, tags), and characters joined one to the
// next by zero-width joiners (one cluster however many). Each, twenty thousand long, costs
// Pango a few dozen characters, through the line layout, straight to the metrics, or measured.
TEST(PangoTextMetricsTest, EndlessRunsOfWhatCannotBeSeenAreShapedShort) {
  const Font font = Font::systemFont(20);
  auto repeat = [](const std::string& head, const std::string& unit) {
    std::string out = head;
    for (int i = 0; i < 20000; ++i) out += unit;
    return out + "y";
  };
  const TextMetrics& pango = TextMetrics::current();
  for (const std::string& text :
       {repeat("x", "\u0301\x01"), repeat("x", "\u0301\u0085"), repeat("x", "\u200b"),
        repeat("x", "\u2060"), repeat("x", "\u202e"), repeat("\U0001F3F4", "\U000E0061"),
        repeat("", "\U0001F468\u200d")}) {
    SCOPED_TRACE(text.substr(0, 12));
    auto image = Image::create(120, 40);
    Canvas canvas(*image);
    uint64_t before = PangoTextMetrics::charactersShaped();
    pango.draw(canvas, text, Rect(10, 5, 100, 30), font, Color::blackColor(),
               LineBreakMode::TailTruncation, TextAlignment::Left);
    EXPECT_LT(PangoTextMetrics::charactersShaped() - before, 400u);
    before = PangoTextMetrics::charactersShaped();
    pango.drawLine(canvas, text, Point{10, 5}, font, Color::blackColor());
    EXPECT_LT(PangoTextMetrics::charactersShaped() - before, 200u);
    before = PangoTextMetrics::charactersShaped();
    pango.widthOf(text, font);
    EXPECT_LT(PangoTextMetrics::charactersShaped() - before, 200u);
  }
}


// Edits anywhere in a text of many paragraphs (line breaks, CR LF, joiners and marks before a
// newline, wide and supplementary characters, bad bytes): the layout made again from the one
// before is the one made anew, line for line with where each line lies.
void expectRelayoutMatches(const TextMetrics& metrics, const Font& font, float width, int edits, unsigned seed) {
  const std::vector<std::string> pieces = {"a",  "word ", "中文", "，", "\n", "\r\n", "\xE2\x80\x8D", "\xCC\x81",
                                           "😀", "\xff", "  ", "longerwordthanaline", "\n\n", "e\xCC\x81"};
  std::mt19937 random(seed);
  auto piece = [&] { return pieces[random() % pieces.size()]; };
  std::string text;
  for (int i = 0; i < 200; ++i) text += piece();
  TextMetrics::Layout laid = metrics.layoutIn(text, font, Size{width, 0}, LineBreakMode::WordWrap);
  for (int i = 0; i < edits; ++i) {
    const std::string before = text;
    const size_t at = random() % (text.size() + 1);
    const size_t removed = std::min<size_t>(text.size() - at, random() % 3 == 0 ? random() % 40 : random() % 2);
    std::string inserted;
    for (unsigned k = random() % 3; k > 0; --k) inserted += piece();
    text = text.substr(0, at) + inserted + text.substr(at + removed);
    metrics.relayout(laid, before, text, font, width);
    const TextMetrics::Layout anew = metrics.layoutIn(text, font, Size{width, 0}, LineBreakMode::WordWrap);
    ASSERT_EQ(anew.size, laid.size) << "edit " << i;
    ASSERT_EQ(anew.lines.size(), laid.lines.size()) << "edit " << i;
    for (size_t l = 0; l < anew.lines.size(); ++l) {
      ASSERT_EQ(anew.lines[l].text, laid.lines[l].text) << "edit " << i << " line " << l;
      ASSERT_EQ(anew.lines[l].width, laid.lines[l].width) << "edit " << i << " line " << l;
      ASSERT_EQ(anew.lines[l].start, laid.lines[l].start) << "edit " << i << " line " << l;
      ASSERT_EQ(anew.lines[l].end, laid.lines[l].end) << "edit " << i << " line " << l;
      ASSERT_EQ(anew.lines[l].byte, laid.lines[l].byte) << "edit " << i << " line " << l;
    }
  }
  // Down to nothing and back.
  const std::string before = text;
  text.clear();
  metrics.relayout(laid, before, text, font, width);
  EXPECT_TRUE(laid.lines.empty());
  metrics.relayout(laid, text, "x\ny", font, width);
  EXPECT_EQ(metrics.layoutIn("x\ny", font, Size{width, 0}, LineBreakMode::WordWrap), laid);
}

TEST_F(TextMetricsTest, RelayoutAfterAnEditIsTheLayoutMadeAnew) {
  for (unsigned seed = 1; seed <= 4; ++seed) expectRelayoutMatches(m(), font_, 60, 300, seed);
  // With Pango's advances, measured a paragraph at a time either way.
  TextMetrics::setCurrent(nullptr);
  expectRelayoutMatches(TextMetrics::current(), font_, 90, 60, 7);
}

TEST_F(TextMetricsTest, LinesSayWhereTheyLieInTheText) {
  // "abc de" wraps after its blank; "é" is two characters, the emoji two UTF-16 units and four
  // bytes; the empty paragraph has a line.
  const std::string text = "abc de\n\ne\xCC\x81\xF0\x9F\x98\x80";
  const TextMetrics::Layout laid = m().layoutIn(text, font_, Size{26, 0}, LineBreakMode::WordWrap);
  ASSERT_EQ(4u, laid.lines.size());
  auto span = [&](size_t i) {
    const auto& l = laid.lines[i];
    return std::vector<size_t>{l.start, l.end, l.byte};
  };
  EXPECT_EQ((std::vector<size_t>{0, 3, 0}), span(0));
  EXPECT_EQ((std::vector<size_t>{4, 6, 4}), span(1));
  EXPECT_EQ((std::vector<size_t>{7, 7, 7}), span(2));
  EXPECT_EQ((std::vector<size_t>{8, 12, 8}), span(3));
}

}  // namespace
}  // namespace zu::ui
