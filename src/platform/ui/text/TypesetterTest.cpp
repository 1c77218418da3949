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
  const FixedTextMetrics fixed_;  // CJK one em, ASCII half, line 1.2 em
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

}  // namespace
}  // namespace zu::ui
