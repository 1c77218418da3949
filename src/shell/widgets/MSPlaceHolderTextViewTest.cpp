#include "shell/widgets/MSPlaceHolderTextView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"

namespace zu {
namespace {

using ui::Rect;

// Counts reddish pixels (the test's placeholder colour; the text is black, the caret blue) in the top strip.
int placeholderPixels(const ui::Image& image) {
  int count = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < image.pixelWidth(); ++x) {
      const ui::Color c = image.colorAt(x, y);
      if (c.alpha > 0.9f && c.red > c.blue + 0.3f) ++count;
    }
  }
  return count;
}

class MSPlaceHolderTextViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    view_ = std::make_shared<MSPlaceHolderTextView>(Rect(0, 20, 320, 160));
    view_->setBackgroundColor(ui::Color::whiteColor());
    view_->setFont(ui::Font::systemFont(16));
    window_->addSubview(view_);
    window_->makeKeyAndVisible();
  }
  float labelAlpha() {
    auto label = view_->viewWithTag(MSPlaceHolderTextView::kPlaceholderTag);
    return label ? label->alpha() : -1;
  }
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<MSPlaceHolderTextView> view_;
};

TEST_F(MSPlaceHolderTextViewTest, AnEmptyPlaceholderNeverMakesALabel) {
  EXPECT_EQ(view_->placeholder(), "");
  EXPECT_EQ(view_->placeholderColor(), ui::Color::lightGrayColor());
  ui::render(*view_);
  view_->setText("");
  ASSERT_TRUE(view_->becomeFirstResponder());
  view_->insertText("x");
  view_->deleteBackward();
  ui::render(*view_);
  EXPECT_EQ(view_->viewWithTag(MSPlaceHolderTextView::kPlaceholderTag), nullptr);
}

TEST_F(MSPlaceHolderTextViewTest, TheLabelComesWithTheFirstDrawingAndFollowsTheText) {
  view_->setPlaceholder("说点什么吧");
  view_->setPlaceholderColor(ui::Color(0.9f, 0.3f, 0.2f));
  view_->setText("");  // before any drawing there is no label to show
  EXPECT_EQ(labelAlpha(), -1);

  auto shown = ui::render(*view_);
  ASSERT_TRUE(shown);
  ui::ContrastAudit::write(*view_, *shown, "placeholder-shown");
  auto label = std::dynamic_pointer_cast<ui::Label>(view_->viewWithTag(MSPlaceHolderTextView::kPlaceholderTag));
  ASSERT_TRUE(label);
  EXPECT_EQ(label->alpha(), 1);
  EXPECT_EQ(label->frame().origin, (ui::Point{8, 8}));
  EXPECT_LE(label->frame().size.width, 304);
  EXPECT_EQ(label->font(), view_->font());
  EXPECT_EQ(label->text(), "说点什么吧");
  EXPECT_GT(placeholderPixels(*shown), 20);

  // Typed text goes through the view's own change notification.
  ASSERT_TRUE(view_->becomeFirstResponder());
  view_->insertText("好");
  EXPECT_EQ(labelAlpha(), 0);
  auto hidden = ui::render(*view_);
  ASSERT_TRUE(hidden);
  ui::ContrastAudit::write(*view_, *hidden, "placeholder-hidden");
  EXPECT_EQ(placeholderPixels(*hidden), 0);
  EXPECT_EQ(view_->viewWithTag(MSPlaceHolderTextView::kPlaceholderTag), label);  // made once

  view_->deleteBackward();
  EXPECT_EQ(labelAlpha(), 1);
  // The input method's composition is not drawn over the placeholder; cancelled, it comes back.
  view_->setMarkedText("nihao", 5);
  auto composing = ui::render(*view_);
  ASSERT_TRUE(composing);
  EXPECT_EQ(placeholderPixels(*composing), 0);
  view_->setMarkedText("", 0);
  ui::render(*view_);
  EXPECT_EQ(labelAlpha(), 1);
  view_->setText("由代码");
  EXPECT_EQ(labelAlpha(), 0);
}

TEST_F(MSPlaceHolderTextViewTest, AnotherTextViewsChangeLeavesItAlone) {
  view_->setPlaceholder("提示");
  ui::render(*view_);
  view_->setText("有字");
  auto other = std::make_shared<ui::TextView>(Rect(0, 200, 320, 100));
  window_->addSubview(other);
  ASSERT_TRUE(other->becomeFirstResponder());
  other->insertText("a");
  EXPECT_EQ(labelAlpha(), 0);
}

TEST_F(MSPlaceHolderTextViewTest, ContentInsetStaysZero) {
  view_->setContentInset(ui::EdgeInsets{10, 5, 10, 5});
  EXPECT_EQ(view_->contentInset(), ui::EdgeInsets());
}

}  // namespace
}  // namespace zu
