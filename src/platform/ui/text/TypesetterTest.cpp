#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/text/Typesetter.h"

namespace zu::ui {
namespace {

std::vector<TextRange> ranges(const TextFrame& frame) {
  std::vector<TextRange> out;
  for (const TextLine& line : frame.lines()) out.push_back(line.range());
  return out;
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

AttributedString text(const std::string& s, float size, float spacing, float lineHeight = 0,
                      LineBreakMode mode = LineBreakMode::WordWrap) {
  AttributedString a(s, TextAttributes{Font::named("Helvetica", size)});
  ParagraphStyle style;
  style.alignment = ParagraphStyle::Alignment::Left;
  style.lineSpacing = spacing;
  style.lineHeight = lineHeight;
  style.lineBreakMode = mode;
  a.setParagraphStyle(style);
  return a;
}

class TypesetterTest : public ::testing::Test {
 protected:
  const FixedTextMetrics fixed_{};  // CJK one em, ASCII half, line 1.2 em
};

TEST_F(TypesetterTest, BandNarrowsTheFirstThreeLines) {
  // Font 14 and spacing 4: lines 16.8 high, 20.8 apart; the band is three of them.
  const float band = static_cast<float>(3 * (1.2 * 14 + 4));
  const Typesetter t(text(repeat("一二三四五六七八九十", 6), 14, 4), fixed_);
  const TextFrame frame =
      t.createFrame(TextRange{}, Rect(48, 36, 210, 480), Typesetter::band(210, band, 140));
  EXPECT_EQ((std::vector<TextRange>{{0, 10}, {10, 10}, {20, 10}, {30, 15}, {45, 15}}),
            ranges(frame));
  ASSERT_EQ(5u, frame.lines().size());
  EXPECT_FLOAT_EQ(36 + 3 * 20.8f, frame.lines()[3].origin().y);
  EXPECT_FLOAT_EQ(48, frame.lines()[3].origin().x);
  EXPECT_FLOAT_EQ(140, frame.lines()[2].width());
  EXPECT_FLOAT_EQ(210, frame.lines()[3].width());
  EXPECT_NEAR(5 * 20.8f, frame.size().height, 1e-3);
  // A band reaching into the fourth line's box narrows it too.
  const TextFrame deeper =
      t.createFrame(TextRange{}, Rect(0, 0, 210, 480), Typesetter::band(210, band + 1, 140));
  EXPECT_EQ((TextRange{30, 10}), deeper.lines()[3].range());
}

TEST_F(TypesetterTest, TwoLinesAtFourteenAndFourMeasureThirtySix) {
  // Lines as high as the font (14) with 4 below each: the row's pitch.
  const Typesetter t(text(repeat("微博正文", 5), 14, 4, 14), fixed_);
  TextRange fit;
  const Size size = t.suggestFrameSize(TextRange{}, Size{210, 1e6f}, &fit);
  EXPECT_FLOAT_EQ(36, size.height);
  EXPECT_FLOAT_EQ(210, size.width);
  EXPECT_EQ((TextRange{0, 20}), fit);
  EXPECT_EQ(2u, t.createFrame(TextRange{}, Rect(0, 0, 210, 0)).lines().size());
  // The fonts' own line height otherwise.
  EXPECT_NEAR(2 * (16.8f + 4),
              Typesetter(text(repeat("微博正文", 5), 14, 4), fixed_)
                  .suggestFrameSize(TextRange{}, Size{210, 0})
                  .height,
              1e-3);
}

TEST_F(TypesetterTest, RunsIndicesAndOffsetsOfLines) {
  // "张三：" bold at 14, the rest regular at 10, wrapped at 60 points.
  AttributedString a("张三：ab今天好 cd", TextAttributes{Font::systemFont(10)});
  a.setFont(Font::boldSystemFont(14), TextRange{0, 3});
  const Typesetter t(a, fixed_);
  const TextFrame frame = t.createFrame(TextRange{}, Rect(10, 20, 60, 200));
  ASSERT_EQ(2u, frame.lines().size());
  const TextLine& first = frame.lines()[0];
  // 42 (bold) + 10 (ab) fit; "今" would not.
  EXPECT_EQ((TextRange{0, 5}), first.range());
  ASSERT_EQ(2u, first.runs().size());
  EXPECT_EQ((TextRange{0, 3}), first.runs()[0].range);
  EXPECT_EQ("张三：", first.runs()[0].text);
  EXPECT_EQ(Font::boldSystemFont(14), first.runs()[0].attributes.font);
  EXPECT_FLOAT_EQ(42, first.runs()[1].x);
  EXPECT_FLOAT_EQ(16.8f, first.height());  // the taller font decides
  EXPECT_FLOAT_EQ(14, first.ascent());
  EXPECT_FLOAT_EQ(28, first.offsetForIndex(2));
  EXPECT_FLOAT_EQ(47, first.offsetForIndex(4));
  EXPECT_EQ(1u, first.indexForPosition(20));  // nearer the boundary at 14 than at 28
  EXPECT_EQ(2u, first.indexForPosition(22));
  EXPECT_EQ(5u, first.indexForPosition(500));
  const TextLine& second = frame.lines()[1];
  // The space that ended a line belongs to it; the next line starts after it.
  EXPECT_EQ((TextRange{5, 6}), second.range());
  EXPECT_FLOAT_EQ(20 + 16.8f, second.origin().y);
  EXPECT_FLOAT_EQ(45, second.width());
  EXPECT_EQ(1, frame.lineAt(Point{12, 40}));
  EXPECT_EQ(7u, frame.indexAtPoint(Point{10 + 16, 40}));
  EXPECT_EQ(static_cast<size_t>(-1), frame.indexAtPoint(Point{12, 200}));
}

TEST_F(TypesetterTest, HeightLimitFitRangeAndTruncation) {
  const std::string s = "第一行文字第二行文字第三行文字";
  // Two lines of 12 fit in 30.
  const Typesetter wrap(text(s, 10, 0), fixed_);
  const TextFrame frame = wrap.createFrame(TextRange{}, Rect(0, 0, 50, 30));
  EXPECT_EQ((std::vector<TextRange>{{0, 5}, {5, 5}}), ranges(frame));
  EXPECT_EQ((TextRange{0, 10}), frame.visibleRange());
  EXPECT_FALSE(frame.lines()[1].isTruncated());
  const Typesetter tail(text(s, 10, 0, 0, LineBreakMode::TailTruncation), fixed_);
  const TextFrame cut = tail.createFrame(TextRange{}, Rect(0, 0, 50, 30));
  ASSERT_EQ(2u, cut.lines().size());
  const TextLine& last = cut.lines()[1];
  EXPECT_TRUE(last.isTruncated());
  ASSERT_EQ(2u, last.runs().size());
  EXPECT_EQ("第二行文", last.runs()[0].text);
  EXPECT_EQ("…", last.runs()[1].text);
  EXPECT_EQ((TextRange{9, 0}), last.runs()[1].range);
  EXPECT_EQ((TextRange{5, 10}), last.range());
  // A part of the string, and ranges past its end cut to it.
  EXPECT_EQ((std::vector<TextRange>{{10, 5}}),
            ranges(wrap.createFrame(TextRange{10, 100}, Rect(0, 0, 50, 0))));
  EXPECT_TRUE(wrap.createFrame(TextRange{100, 5}, Rect(0, 0, 50, 0)).lines().empty());
  EXPECT_EQ((std::vector<TextRange>{{3, 2}}),
            ranges(wrap.createFrame(TextRange{3, 2}, Rect(0, 0, 50, 0))));
}

TEST_F(TypesetterTest, ParagraphsSurrogatesAndAlignment) {
  AttributedString a("ab\r\ncd\n\nx😀y\n");
  ParagraphStyle centred;
  centred.alignment = ParagraphStyle::Alignment::Center;
  a.setParagraphStyle(centred, TextRange{4, 2});
  const Typesetter t(a, fixed_);
  const TextFrame frame = t.createFrame(TextRange{}, Rect(0, 0, 100, 0));
  // The line break belongs to its line; the empty paragraph is a line; the final "\n" adds none.
  EXPECT_EQ((std::vector<TextRange>{{0, 4}, {4, 3}, {7, 1}, {8, 5}}), ranges(frame));
  ASSERT_EQ(4u, frame.lines().size());
  EXPECT_FLOAT_EQ((100 - 12) / 2.0f, frame.lines()[1].origin().x);
  EXPECT_FLOAT_EQ(0, frame.lines()[2].width());
  EXPECT_FLOAT_EQ(14.4f, frame.lines()[2].height());
  EXPECT_FLOAT_EQ(6 + 12, frame.lines()[3].offsetForIndex(11));  // "y" after the emoji
  // A range starting between "\r" and "\n" begins with the next paragraph.
  EXPECT_EQ((TextRange{4, 3}),
            t.createFrame(TextRange{3, 0}, Rect(0, 0, 100, 0)).lines()[0].range());
  EXPECT_TRUE(Typesetter(AttributedString(), fixed_)
                  .createFrame(TextRange{}, Rect(0, 0, 10, 10))
                  .lines()
                  .empty());
}

// Over the installed font, a line measures what Pango itself measures for the same text:
// combining marks, emoji, kerned Latin and CJK punctuation included.
TEST(TypesetterPangoTest, LinesMeasureAsPangoDoes) {
  const std::string s = "Cafe\u0301 AVA 😀 你好，世界！ tab\tend";
  const Typesetter t(AttributedString(s, TextAttributes{Font::systemFont(17)}));
  const TextFrame frame = t.createFrame(TextRange{}, Rect(0, 0, 0, 0));
  ASSERT_EQ(1u, frame.lines().size());

  PangoFontMap* map = pango_cairo_font_map_new();
  PangoContext* context = pango_font_map_create_context(map);
  pango_cairo_context_set_resolution(context, 72);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* desc = pango_font_description_from_string("WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(desc, 17 * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  std::string spaced = s;
  spaced[spaced.find('\t')] = ' ';  // the kit measures a tab as a space
  pango_layout_set_text(layout, spaced.data(), static_cast<int>(spaced.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  EXPECT_NEAR(static_cast<float>(logical.width) / PANGO_SCALE, frame.lines()[0].width(), 0.5f);
  // Separators Pango would break at, controls, bidi text and bad bytes still measure as one
  // line, each character at or after the one before.
  for (const char* odd : {"a\u2028b\u2029c\u0085d", "x\x01\x7f\u200By",
                          "abc \u05D0\u05D1\u05D2 def", "\xed\xa0\x80\xff\xfe", "\u0301\u0301a"}) {
    const Typesetter typesetter(AttributedString(odd, TextAttributes{Font::systemFont(17)}));
    const TextFrame f = typesetter.createFrame(TextRange{}, Rect(0, 0, 0, 0));
    ASSERT_EQ(1u, f.lines().size()) << odd;
    float x = 0;
    for (size_t i = 0; i <= f.lines()[0].range().length; ++i) {
      EXPECT_GE(f.lines()[0].offsetForIndex(i), x) << odd << " " << i;
      x = f.lines()[0].offsetForIndex(i);
    }
    EXPECT_GT(x, 0) << odd;
  }
  pango_font_description_free(desc);
  g_object_unref(layout);
  g_object_unref(context);
  g_object_unref(map);
}

// The microblog row: text flowing around a picture at its top right, drawn with the installed
// font (PNG for a reviewer: typeset-band.png).
TEST(TypesetterRenderTest, BandLeavesThePictureCornerFree) {
  AttributedString a(
      "张小明：今天去了西湖，断桥边的柳树已经发芽了。“春天真的来了！”"
      "湖面上有很多游船，远处的雷峰塔在阳光下格外好看。晚上在河坊街吃了小笼包和片儿川，"
      "推荐大家去 http://zu.example.com/hz 看看攻略（附图）。",
      TextAttributes{Font::named("STHeitiSC-Light", 14)});
  a.setFont(Font::named("STHeitiSC-Medium-Bold", 14), TextRange{0, 4});
  ParagraphStyle style;
  style.lineSpacing = 4;
  a.setParagraphStyle(style);
  const TextRange link{a.string().find(u"http"), 24};
  a.setTextColor(Color(0.1f, 0.3f, 0.8f), link);
  a.setUnderlined(true, link);
  const Typesetter t(a);
  // Three of the installed font's lines.
  const float band = 3 * (TextMetrics::current().lineHeight(Font::systemFont(14)) + 4);
  const Rect textRect(10, 10, 262, 400);
  const float narrow = 200;
  const TextFrame frame = t.createFrame(TextRange{}, textRect, Typesetter::band(262, band, narrow));
  ASSERT_GE(frame.lines().size(), 5u);
  EXPECT_GT(frame.lines()[3].width(), narrow);
  for (size_t i = 0; i < frame.lines().size(); ++i) {
    EXPECT_LE(frame.lines()[i].width(), i < 3 ? narrow : 262) << i;
    if (i < 3) {
      EXPECT_GT(frame.lines()[i].width(), narrow - 15) << i;
    }
    // No line starts with closing punctuation.
    const std::string& head = frame.lines()[i].runs()[0].text;
    for (const char* mark : {"，", "。", "”", "！", "）"}) EXPECT_NE(0u, head.rfind(mark, 0)) << i;
  }

  auto image = Image::create(282, static_cast<int>(frame.size().height) + 20);
  {
    Canvas canvas(*image);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 282, 1000));
    canvas.setFillColor(Color(0.85f, 0.85f, 0.85f));
    canvas.fillRect(Rect(10 + narrow + 6, 12, 262 - narrow - 8, band - 6));
    frame.draw(canvas);
  }
  writeSnapshot(*image, "typeset-band");
  // Dark pixels: none between the narrow lines and the picture, some there below the band.
  auto darkIn = [&](const Rect& r) {
    int n = 0;
    for (int y = static_cast<int>(r.origin.y); y < static_cast<int>(r.maxY()); ++y) {
      for (int x = static_cast<int>(r.origin.x); x < static_cast<int>(r.maxX()); ++x) {
        if (image->colorAt(x, y).red < 0.5f) ++n;
      }
    }
    return n;
  };
  EXPECT_EQ(0, darkIn(Rect(10 + narrow + 1, 10, 5, band)));
  EXPECT_GT(darkIn(Rect(10 + narrow + 1, 10 + band, 40, 3 * 20)), 20);
  EXPECT_GT(darkIn(Rect(10, 10, narrow, band)), 500);
}

TEST_F(TypesetterTest, ALineDrawnAtAChosenBaselineLeavesItsOwnPlaceEmpty) {
  // Two lines 20.8 apart by the typesetter; the second is drawn instead with its baseline at
  // y 60 from x 0, and an index past the last line draws nothing.
  const Typesetter t(text(repeat("一二三四五", 4), 14, 4), fixed_);
  const TextFrame frame = t.createFrame(TextRange{}, Rect(30, 0, 140, 200));
  ASSERT_EQ(2u, frame.lines().size());
  auto image = Image::create(200, 80);
  {
    Canvas canvas(*image);
    frame.drawLine(canvas, 1, Point{0, 60});
    frame.drawLine(canvas, 2, Point{0, 20});
  }
  auto inked = [&](int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += (image->pixelAt(x, y) >> 24) > 0x40;
    }
    return n;
  };
  EXPECT_GT(inked(0, 30, 47, 62), 10);   // the glyphs sit on the chosen baseline
  EXPECT_EQ(0, inked(0, 200, 0, 44));    // nothing at the typesetter's places
  EXPECT_EQ(0, inked(150, 200, 44, 80));  // ten characters, 140 wide from x 0
}

AttributedString justified(const std::string& s, float size) {
  AttributedString a(s, TextAttributes{Font::named("Helvetica", size)});
  ParagraphStyle style;
  style.alignment = ParagraphStyle::Alignment::Justified;
  a.setParagraphStyle(style);
  return a;
}

// A justified paragraph's lines fill the width, all but the last: the room goes to the spaces
// between words, or, without spaces, to the boundaries between characters (never inside one).
TEST_F(TypesetterTest, JustifiedLinesFillTheWidthButTheLast) {
  // Words of two letters, 10 wide at size 10, spaces 5: "aa bb cc" is 40 of 42.
  const Typesetter words(justified("aa bb cc dd ee ff gg", 10), fixed_);
  const TextFrame frame = words.createFrame(TextRange{}, Rect(0, 0, 42, 200));
  ASSERT_EQ(3u, frame.lines().size());
  const TextLine& first = frame.lines()[0];
  EXPECT_FLOAT_EQ(42, first.width());
  EXPECT_FLOAT_EQ(16, first.offsetForIndex(3));  // "bb": each space one point wider
  EXPECT_FLOAT_EQ(32, first.offsetForIndex(6));
  EXPECT_FLOAT_EQ(0, first.origin().x);
  // The runs break at the widened spaces, each drawn at its place.
  ASSERT_EQ(3u, first.runs().size());
  EXPECT_EQ("cc", first.runs()[2].text);
  EXPECT_FLOAT_EQ(32, first.runs()[2].x);
  EXPECT_FLOAT_EQ(10, frame.lines()[2].width());  // the last line is left as it is

  // Chinese: 一二é三四 (55 of 60) has four boundaries; e and its accent stay together.
  const Typesetter chinese(justified("一二e\u0301三四五", 10), fixed_);
  const TextFrame cjk = chinese.createFrame(TextRange{}, Rect(0, 0, 60, 200));
  ASSERT_EQ(2u, cjk.lines().size());
  const TextLine& line = cjk.lines()[0];
  EXPECT_FLOAT_EQ(60, line.width());
  EXPECT_FLOAT_EQ(22.5f, line.offsetForIndex(2));  // e
  EXPECT_FLOAT_EQ(27.5f, line.offsetForIndex(3));  // its accent, right after it
  EXPECT_FLOAT_EQ(38.75f, line.offsetForIndex(4));
  EXPECT_FLOAT_EQ(10, cjk.lines()[1].width());
  // A line that ends its paragraph at a newline is not stretched either.
  const Typesetter paragraphs(justified("一二\n三四五六七", 10), fixed_);
  EXPECT_FLOAT_EQ(20, paragraphs.createFrame(TextRange{}, Rect(0, 0, 45, 200)).lines()[0].width());
}

// Italic (the trait, or a font named so) is drawn with a synthesised slant: a vertical stroke
// leans to the right, its top further right than its foot. Justified text reaches the right
// edge. The picture shows both, drawn with the installed face.
TEST_F(TypesetterTest, ItalicLeansAndJustifiedTextReachesTheRightEdge) {
  EXPECT_TRUE(Font::italicSystemFont(12).isItalic());
  EXPECT_EQ("Helvetica-BoldOblique", Font::boldSystemFont(12).italic().name);
  TextAttributes slanted{Font::named("Helvetica", 40)};
  slanted.italic = true;
  EXPECT_TRUE(slanted.effectiveFont().isItalic());

  // The leftmost and rightmost inked columns of rows y0…y1 of a picture.
  auto inkColumns = [](const Image& image, int y0, int y1) {
    int left = image.pixelWidth(), right = -1;
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < image.pixelWidth(); ++x) {
        if (image.colorAt(x, y).red < 0.5f) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
    return std::make_pair(left, right);
  };
  auto draw = [](const AttributedString& string, float width, float height) {
    const Typesetter t(string);
    auto image = Image::create(static_cast<int>(width), static_cast<int>(height));
    Canvas canvas(*image);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, width, height));
    t.createFrame(TextRange{}, Rect(0, 0, width, height)).draw(canvas);
    return image;
  };
  auto upright = draw(AttributedString("I", TextAttributes{Font::named("Helvetica", 40)}), 60, 60);
  auto italic = draw(AttributedString("I", slanted), 60, 60);
  // The middle of the ink in a band of rows: a stroke's centre, serifs and all.
  auto inkCentre = [](const Image& image, int y0, int y1) {
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < image.pixelWidth(); ++x) {
        if (image.colorAt(x, y).red < 0.5f) {
          sum += x;
          ++n;
        }
      }
    }
    return n ? sum / n : -1.0;
  };
  EXPECT_NEAR(inkCentre(*upright, 12, 20), inkCentre(*upright, 30, 38), 0.5);
  // 18 rows apart at a slant of 0.2: the top band's centre about 3.6 points further right.
  EXPECT_NEAR(3.6, inkCentre(*italic, 12, 20) - inkCentre(*italic, 30, 38), 1);

  // Four lines of Chinese, justified in 200: all but the last end at the right edge.
  AttributedString paragraph = justified(
      "“微博”一词在中文里指一种短小的博客，可以随时随地发布几十个字的消息，转发、评论。", 17);
  paragraph.setTextColor(Color::blackColor());
  auto block = draw(paragraph, 200, 100);
  const Typesetter layout(paragraph);
  const TextFrame frame = layout.createFrame(TextRange{}, Rect(0, 0, 200, 100));
  ASSERT_GE(frame.lines().size(), 3u);
  const auto lineInk = [&](size_t i) {
    const TextLine& line = frame.lines()[i];
    return inkColumns(*block, static_cast<int>(line.origin().y + 2),
                      static_cast<int>(line.origin().y + line.height() - 2));
  };
  EXPECT_GE(lineInk(0).second, 195);
  EXPECT_GE(lineInk(1).second, 195);
  EXPECT_LT(lineInk(frame.lines().size() - 1).second, 190);

  // The picture to look at: upright and italic text, a label in the italic system font, the
  // justified paragraph, and a justified one mixing Chinese with a Latin word and a URL alone
  // on its line.
  auto sheet = Image::create(220, 330);
  {
    Canvas canvas(*sheet);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 220, 330));
    AttributedString mixed("Upright ", TextAttributes{Font::named("Helvetica", 20)});
    TextAttributes leaning{Font::named("Helvetica", 20)};
    leaning.italic = true;
    mixed.append(AttributedString("Italic 斜体", leaning));
    Typesetter(mixed).createFrame(TextRange{}, Rect(10, 10, 200, 30)).draw(canvas);
    TextMetrics::current().draw(canvas, "Oblique label 标签", Rect(10, 45, 200, 24),
                                Font::italicSystemFont(17), Color::blackColor(), LineBreakMode::Clip,
                                TextAlignment::Left);
    Typesetter(paragraph).createFrame(TextRange{}, Rect(10, 80, 200, 140)).draw(canvas);
    Typesetter(justified("我们用 iPhone 阅读新闻，也看 http://example.com/a/long/path 的原文，再转发给朋友们。", 17))
        .createFrame(TextRange{}, Rect(10, 190, 200, 140))
        .draw(canvas);
  }
  EXPECT_TRUE(writeSnapshot(*sheet, "typeset-italic-justified"));
}

// Justification widens the spaces between words and the boundaries beside Chinese characters;
// it never spaces out the letters of a word, and leaves a right-to-left line as it is (its words
// are drawn by the shaper in their own order).
TEST_F(TypesetterTest, JustificationNeverSpacesOutAWordOrTurnsRightToLeftWordsAround) {
  // "ab" alone on its line (the long word after it does not fit): left as it is.
  const Typesetter word(justified("ab cdefghij", 10), fixed_);
  const TextFrame alone = word.createFrame(TextRange{}, Rect(0, 0, 40, 200));
  ASSERT_EQ(2u, alone.lines().size());
  EXPECT_FLOAT_EQ(10, alone.lines()[0].width());
  EXPECT_FLOAT_EQ(5, alone.lines()[0].offsetForIndex(1));

  // Chinese with a Latin word: 一二三 ab 四五六七 is 90 of 97. The seven gaps (two spaces and
  // the five boundaries between Chinese characters) take a point each; "ab" stays whole.
  const Typesetter mixed(justified("一二三 ab 四五六七八九十", 10), fixed_);
  const TextFrame both = mixed.createFrame(TextRange{}, Rect(0, 0, 97, 200));
  ASSERT_EQ(2u, both.lines().size());
  const TextLine& line = both.lines()[0];
  EXPECT_FLOAT_EQ(97, line.width());
  EXPECT_FLOAT_EQ(11, line.offsetForIndex(1));  // 二
  EXPECT_FLOAT_EQ(38, line.offsetForIndex(4));  // a
  EXPECT_FLOAT_EQ(43, line.offsetForIndex(5));  // b, right after it
  EXPECT_FLOAT_EQ(54, line.offsetForIndex(7));  // 四

  // Hebrew: the line keeps its one run and its natural width.
  const Typesetter hebrew(justified("אב גד הו זח", 10), fixed_);
  const TextFrame rtl = hebrew.createFrame(TextRange{}, Rect(0, 0, 50, 200));
  ASSERT_GE(rtl.lines().size(), 2u);
  EXPECT_FLOAT_EQ(45, rtl.lines()[0].width());
  EXPECT_EQ(1u, rtl.lines()[0].runs().size());
}

}  // namespace
}  // namespace zu::ui
