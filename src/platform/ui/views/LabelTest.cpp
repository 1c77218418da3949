#include "platform/ui/views/Label.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/FixedTextMetrics.h"

namespace zu::ui {
namespace {

// Fixed metrics that count the characters they are asked to measure.
class CountingMetrics : public FixedTextMetrics {
 public:
  std::vector<float> offsets(const std::u32string& text, const Font& font) const override {
    measured += text.size();
    return FixedTextMetrics::offsets(text, font);
  }
  mutable size_t measured = 0;
};

bool samePixels(const Image& a, const Image& b) {
  return a.pixelWidth() == b.pixelWidth() && a.pixelHeight() == b.pixelHeight() &&
         std::memcmp(a.pixels(), b.pixels(),
                     static_cast<size_t>(a.pixelWidth()) * a.pixelHeight() * 4) == 0;
}

std::string repeated(std::string_view piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override { TextMetrics::setCurrent(metrics_); }
  void TearDown() override { TextMetrics::setCurrent(nullptr); }
  std::shared_ptr<Label> label(const std::string& text, int lines, LineBreakMode mode) {
    auto l = std::make_shared<Label>(Rect(0, 0, 200, 60));
    l->setFont(Font::systemFont(10));
    l->setNumberOfLines(lines);
    l->setLineBreakMode(mode);
    l->setText(text);
    return l;
  }
  std::shared_ptr<CountingMetrics> metrics_ = std::make_shared<CountingMetrics>();
};

// A title of a quarter megabyte costs a frame what a short one does: only the lines shown are laid out,
// only as much of the text as they show is measured, and a second frame lays out nothing. What
// is drawn is what the whole text would show.
TEST_F(LabelTest, AHugeTextIsLaidOutOnceAndOnlyAsFarAsItIsShown) {
  const std::string huge = repeated("many words here ", 1 << 18);
  const std::string small = repeated("many words here ", 1024);
  for (const auto& [lines, mode] : {std::pair{1, LineBreakMode::TailTruncation},
                                    std::pair{1, LineBreakMode::MiddleTruncation},
                                    std::pair{1, LineBreakMode::HeadTruncation},
                                    std::pair{3, LineBreakMode::TailTruncation},
                                    std::pair{0, LineBreakMode::WordWrap},
                                    std::pair{2, LineBreakMode::Clip}}) {
    auto big = label(huge, lines, mode);
    metrics_->measured = 0;
    const auto first = render(*big);
    EXPECT_LT(metrics_->measured, 20000u) << static_cast<int>(mode);
    metrics_->measured = 0;
    const auto again = render(*big);
    EXPECT_EQ(metrics_->measured, 0u);
    ASSERT_TRUE(first && again);
    EXPECT_TRUE(samePixels(*first, *again));
    const auto expected = render(*label(small, lines, mode));
    ASSERT_TRUE(expected);
    EXPECT_TRUE(samePixels(*first, *expected)) << static_cast<int>(mode);
    if (lines == 3) writeSnapshot(*first, "label-huge-text");
  }
}

// The kept layout goes with every change that changes the drawing: after each, the label draws
// exactly what a new label with the same settings draws.
TEST_F(LabelTest, EveryChangeThatRedrawsLaysTheTextOutAgain) {
  auto kept = label("first text that wraps over lines", 2, LineBreakMode::TailTruncation);
  auto drawsAsNew = [&] {
    const auto before = render(*kept);
    auto fresh = std::make_shared<Label>(kept->frame());
    fresh->setFont(kept->font());
    fresh->setNumberOfLines(kept->numberOfLines());
    fresh->setLineBreakMode(kept->lineBreakMode());
    fresh->setTextAlignment(kept->textAlignment());
    fresh->setText(kept->text());
    const auto after = render(*fresh);
    return before && after && samePixels(*before, *after);
  };
  ASSERT_TRUE(drawsAsNew());
  kept->setText("another text, shorter");
  EXPECT_TRUE(drawsAsNew());
  kept->setFont(Font::systemFont(14));
  EXPECT_TRUE(drawsAsNew());
  kept->setFrame(Rect(0, 0, 90, 60));
  EXPECT_TRUE(drawsAsNew());
  kept->setTextAlignment(TextAlignment::Right);
  EXPECT_TRUE(drawsAsNew());
  kept->setLineBreakMode(LineBreakMode::HeadTruncation);
  EXPECT_TRUE(drawsAsNew());
  kept->setNumberOfLines(1);
  EXPECT_TRUE(drawsAsNew());
  EXPECT_EQ(kept->sizeThatFits(Size{90, 0}).height, 17);
  // Other metrics measure anew.
  metrics_->measured = 0;
  TextMetrics::setCurrent(std::make_shared<CountingMetrics>());
  render(*kept);
  TextMetrics::setCurrent(metrics_);
  render(*kept);
  EXPECT_GT(metrics_->measured, 0u);
}

}  // namespace
}  // namespace zu::ui
