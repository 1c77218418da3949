#include "views/MLUILabel.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"

namespace zu {
namespace {

class MLUILabelTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>()); }
  void TearDown() override { ui::TextMetrics::setCurrent(nullptr); }
};

TEST_F(MLUILabelTest, TextRectangleForEachAlignment) {
  auto label = std::make_shared<MLUILabel>(ui::Rect(0, 0, 200, 100));
  label->setText("Top line");  // 8 ASCII characters at 17 points: 68 wide, one 20.4 line
  EXPECT_EQ(0, label->verticalAlignment());
  const ui::Rect b(5, 10, 200, 100);
  const ui::Size t{68, 21};
  EXPECT_EQ(ui::Rect(ui::Point{5, 10}, t), label->textRectForBounds(b, 1));
  label->setVerticalAlignment(1);
  EXPECT_TRUE(label->needsDisplay());
  EXPECT_EQ(ui::Rect(ui::Point{5, 10 + (100 - 21) * 0.5f}, t), label->textRectForBounds(b, 1));
  label->setVerticalAlignment(2);
  EXPECT_EQ(ui::Rect(ui::Point{5, 89}, t), label->textRectForBounds(b, 1));
  label->setVerticalAlignment(3);
  EXPECT_EQ(b, label->textRectForBounds(b, 1));
  label->setVerticalAlignment(-1);
  EXPECT_EQ(b, label->textRectForBounds(b, 1));
}

// The rows [from, to) of two pictures are the same.
void expectSameRows(const ui::Image& a, int aTop, const ui::Image& b, int bTop, int rows) {
  ASSERT_EQ(a.pixelWidth(), b.pixelWidth());
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < a.pixelWidth(); ++x) {
      ASSERT_EQ(a.pixelAt(x, aTop + y), b.pixelAt(x, bTop + y)) << x << "," << y;
    }
  }
}

TEST_F(MLUILabelTest, DrawsFlushWithTheChosenEdgeOrAsAPlainLabel) {
  // A plain label exactly as high as the text: what the text looks like.
  auto tight = std::make_shared<ui::Label>(ui::Rect(0, 0, 120, 21));
  auto plain = std::make_shared<ui::Label>(ui::Rect(0, 0, 120, 80));
  auto aligned = std::make_shared<MLUILabel>(ui::Rect(0, 0, 120, 80));
  for (ui::Label* l : {tight.get(), plain.get(), static_cast<ui::Label*>(aligned.get())}) l->setText("Edge");
  auto text = ui::render(*tight);
  ASSERT_TRUE(text);

  auto top = ui::render(*aligned);
  expectSameRows(*top, 0, *text, 0, 21);
  aligned->setVerticalAlignment(2);
  auto bottom = ui::render(*aligned);
  expectSameRows(*bottom, 59, *text, 0, 21);
  // Top-aligned text leaves the bottom white, bottom-aligned the top.
  for (int x = 0; x < 120; ++x) {
    EXPECT_EQ(0xffffffffu, top->pixelAt(x, 70));
    EXPECT_EQ(0xffffffffu, bottom->pixelAt(x, 5));
  }
  aligned->setVerticalAlignment(3);
  auto other = ui::render(*aligned);
  expectSameRows(*other, 0, *ui::render(*plain), 0, 80);
  EXPECT_TRUE(ui::ContrastAudit::write(*aligned, *top, "label-top"));
}

}  // namespace
}  // namespace zu
