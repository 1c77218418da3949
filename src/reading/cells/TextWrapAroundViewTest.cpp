// The microblog text beside its picture: when there is a layout at all, where the lines break,
// how high it measures, and where its lines are drawn — with the kit's fixed metrics (CJK one
// em, ASCII half, lines 1.2 em) so every width and height is exact.
#include "reading/cells/TextWrapAroundView.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"

namespace zu {
namespace {

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// The list's post text: the font size and the line space also as the paragraph's spacing.
ui::AttributedString post(const std::string& text, float size = 14, float space = 4) {
  ui::AttributedString a(text);
  a.setFont(ui::Font::systemFont(size));
  ui::ParagraphStyle style;
  style.lineSpacing = space;
  a.setParagraphStyle(style);
  return a;
}

class TextWrapAroundViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>());
    super_ = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 600));
    view_ = std::make_shared<TextWrapAroundView>(ui::Rect(48, 36, 256, 480));
    super_->addSubview(view_);
  }
  void TearDown() override { ui::TextMetrics::setCurrent(nullptr); }

  float layOut(const ui::Rect& wrapped, float xDistance, const std::string& text) {
    view_->setWrappedViewFrame(wrapped);
    view_->setXDistance(xDistance);
    view_->setAttributedString(post(text));
    return view_->calculateTotalHeight();
  }

  std::shared_ptr<ui::View> super_;
  std::shared_ptr<TextWrapAroundView> view_;
};

TEST_F(TextWrapAroundViewTest, LaysOutOnlyBesideARectangleAtTheRightEdge) {
  const std::string text = repeat("微博正文", 10);
  // The defaults: an all-zero rectangle lies outside a frame that starts at x 48.
  EXPECT_EQ(14, view_->fontSize());
  EXPECT_EQ(4, view_->lineSpace());
  view_->setAttributedString(post(text));
  EXPECT_EQ(0, view_->calculateTotalHeight());
  EXPECT_EQ(nullptr, view_->layout());
  EXPECT_EQ(ui::Rect(48, 36, 256, 480), view_->frame());
  // Right gap 10 or more, left gap under 10, or a rectangle poking out of the frame: nothing.
  EXPECT_EQ(0, layOut(ui::Rect(234, 36, 60, 60), 0, text));   // right gap 10
  EXPECT_EQ(0, layOut(ui::Rect(57, 36, 246, 60), 0, text));   // left gap 9
  EXPECT_EQ(0, layOut(ui::Rect(244, 30, 60, 60), 0, text));   // above the frame
  EXPECT_EQ(0, layOut(ui::Rect(244, 36, 61, 60), 0, text));   // past the right edge
  EXPECT_EQ(ui::Rect(48, 36, 256, 480), view_->frame());
  // Right gap just under 10, left gap exactly 10: a layout.
  EXPECT_GT(layOut(ui::Rect(58, 36, 236.5f, 60), 0, text), 0);
  EXPECT_GT(layOut(ui::Rect(244, 36, 60, 60), 0, text), 0);
  // Without a string there is nothing to lay out.
  view_->setAttributedString(std::nullopt);
  EXPECT_EQ(0, view_->calculateTotalHeight());
  EXPECT_EQ(nullptr, view_->layout());
}

TEST_F(TextWrapAroundViewTest, DegenerateInputsMeasureZero) {
  EXPECT_EQ(0, layOut(ui::Rect(244, 36, 60, 60), 0, ""));
  view_->setDefaultFontSize(0);
  EXPECT_EQ(0, layOut(ui::Rect(244, 36, 60, 60), 0, "微博"));
  view_->setDefaultFontSize(14);
  view_->setFrame(ui::Rect(48, 36, 0, 0));
  EXPECT_EQ(0, layOut(ui::Rect(48, 36, 0, 0), 0, "微博"));
  EXPECT_EQ(ui::Rect(48, 36, 0, 0), view_->frame());
}

TEST_F(TextWrapAroundViewTest, TwoLinesAtFourteenAndFourMeasureThirtySix) {
  // 256 / 14: 18 characters a line; a zero-size rectangle at the top right narrows nothing.
  EXPECT_EQ(36, layOut(ui::Rect(304, 36, 0, 0), 0, repeat("微", 36)));
  ASSERT_NE(nullptr, view_->layout());
  EXPECT_EQ(2u, view_->layout()->lines().size());
  EXPECT_EQ(ui::Rect(48, 36, 256, 36), view_->frame());
  // The frame now holds only those lines: the list sets it again before the next measure.
  EXPECT_EQ(18, layOut(ui::Rect(304, 36, 0, 0), 0, repeat("微", 37)));
  view_->setFrame(ui::Rect(48, 36, 256, 480));
  EXPECT_EQ(54, layOut(ui::Rect(304, 36, 0, 0), 0, repeat("微", 37)));
}

TEST_F(TextWrapAroundViewTest, AGapAtTheCornerNarrowsOnlyTheTopBand) {
  view_->setYDistance(30);  // stored, no effect
  // xDistance 5: the band is 251 wide (17 characters), below it 256 (18). The band is
  // 3 × (1.2 × 14 + 4) = 62.4 high: three lines of the string's 20.8 pitch.
  const float height = layOut(ui::Rect(304, 36, 0, 0), 5, repeat("微", 17 * 3 + 18 * 2));
  ASSERT_NE(nullptr, view_->layout());
  const auto& lines = view_->layout()->lines();
  ASSERT_EQ(5u, lines.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(17u, lines[i].range().length) << i;
  for (size_t i = 3; i < 5; ++i) EXPECT_EQ(18u, lines[i].range().length) << i;
  EXPECT_EQ(5 * 18, height);
  EXPECT_EQ(30, view_->yDistance());
  // Setting the same string again keeps the layout; a new one is used at the next measure.
  const ui::TextFrame* before = view_->layout();
  view_->setAttributedString(post(repeat("微", 17 * 3 + 18 * 2)));
  EXPECT_EQ(before, view_->layout());
  view_->setAttributedString(post("微"));
  view_->setFrame(ui::Rect(48, 36, 256, 480));
  EXPECT_EQ(18, view_->calculateTotalHeight());
}

TEST_F(TextWrapAroundViewTest, AGapWiderThanTheRoomLeftKeepsTheBandClearOfTheRectangle) {
  // Left gap 10, xDistance 20: no room beside the rectangle. The band's three lines hold one
  // character each and the rest flows below at the full width, never across the rectangle.
  const float height = layOut(ui::Rect(58, 36, 236.5f, 0), 20, repeat("微", 3 + 18 * 2));
  ASSERT_NE(nullptr, view_->layout());
  const auto& lines = view_->layout()->lines();
  ASSERT_EQ(5u, lines.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(1u, lines[i].range().length) << i;
  for (size_t i = 3; i < 5; ++i) EXPECT_EQ(18u, lines[i].range().length) << i;
  EXPECT_EQ(5 * 18, height);
}

// Ink in a band of rows and columns of a rendered picture.
bool inked(const ui::Image& image, int x0, int x1, int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      if ((image.pixelAt(x, y) >> 24) > 0x40) return true;
    }
  }
  return false;
}

TEST_F(TextWrapAroundViewTest, DrawsEveryLineAtItsOwnPitchFromTheLeft) {
  // Lines drawn 18 apart (not the string's 20.8), first baseline 14 below the top.
  layOut(ui::Rect(304, 36, 0, 0), 5, repeat("微", 17 * 3 + 18 * 2));
  auto picture = ui::render(*view_);
  ASSERT_EQ(90, picture->pixelHeight());
  for (int line = 0; line < 5; ++line) {
    EXPECT_TRUE(inked(*picture, 0, 14, line * 18 + 3, line * 18 + 14)) << line;
  }
  // The band's lines stop before the gap; the lines below reach into it.
  EXPECT_FALSE(inked(*picture, 240, 256, 0, 54));
  EXPECT_TRUE(inked(*picture, 240, 256, 54, 90));
  EXPECT_TRUE(ui::ContrastAudit::write(*view_, *picture, "wrap-around"));
}

}  // namespace
}  // namespace zu
