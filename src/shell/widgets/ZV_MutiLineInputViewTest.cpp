#include "shell/widgets/ZV_MutiLineInputView.h"

#include <gtest/gtest.h>

#include "platform/ui/motion/Animations.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

class BarDelegate : public MutiLineInputViewDelegate {
 public:
  int returns = 0;
  int ends = 0;
  bool answer = true;
  bool mutiLineInputViewShouldReturn(ZV_MutiLineInputView&) override {
    ++returns;
    return answer;
  }
  void mutiLineInputViewDidEndEditing(ZV_MutiLineInputView&) override { ++ends; }
};

// Thirteen Chinese characters fill one line of the bar's 240-point text view.
const std::string kLine = "今天的新闻很有意思值得一看";

class InputBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>());
    ZV_MutiLineInputView::registerInterfaceFile();
    auto objects = ui::NibRegistry::shared().load(ZV_MutiLineInputView::kNibName);
    EXPECT_EQ(2u, objects.size());
    top_ = std::dynamic_pointer_cast<ui::View>(objects.at(0));
    bar_ = std::dynamic_pointer_cast<ZV_MutiLineInputView>(objects.at(1));
    screen_ = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 460));
    screen_->setBackgroundColor(ui::Color::whiteColor());
    screen_->addSubview(top_);
    screen_->addSubview(bar_);
  }
  void TearDown() override {
    ui::Keyboard::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
    ui::TextMetrics::setCurrent(nullptr);
    ui::NibRegistry::shared().resetForTesting();
  }
  float barTop() const { return bar_->frame().origin.y; }
  float barHeight() const { return bar_->frame().size.height; }
  float topHeight() const { return top_->frame().size.height; }

  ScopedFakeClock clock_;
  std::shared_ptr<ui::View> screen_;
  std::shared_ptr<ui::View> top_;
  std::shared_ptr<ZV_MutiLineInputView> bar_;
};

TEST_F(InputBarTest, BarGrowsUpwardTakingRoomFromTheTopView) {
  ASSERT_TRUE(bar_ && top_);
  ASSERT_EQ(top_, bar_->topView());
  ASSERT_TRUE(bar_->textView() && bar_->buttonSend() && bar_->backGroundView());
  EXPECT_EQ(5, bar_->backGroundView()->layer().cornerRadius);
  EXPECT_EQ(416 + 44, barTop() + barHeight());
  ASSERT_TRUE(bar_->textView()->becomeFirstResponder());
  auto& keys = ui::Keyboard::shared();

  keys.type(kLine);
  EXPECT_EQ(416, barTop());
  auto snapshot = [&](const char* name) {
    clock_->advance(0.2);  // pictured once the bar has grown
    auto image = ui::render(*screen_);
    ASSERT_TRUE(image);
    EXPECT_TRUE(ui::ContrastAudit::write(*screen_, *image, name));
  };
  snapshot("input-bar-1-line");

  // One line more (20 points of text view): the top edge rises 20, the bottom stays.
  keys.type("吧");
  EXPECT_EQ(396, barTop());
  EXPECT_EQ(64, barHeight());
  EXPECT_EQ(396, topHeight());
  EXPECT_EQ(64 - 4 - 4, bar_->backGroundView()->frame().size.height);
  // The send button keeps its distance to the bottom.
  EXPECT_EQ(64 - 7, bar_->buttonSend()->frame().maxY());
  keys.type(kLine);
  EXPECT_EQ(416 + 44 - 85, barTop());
  EXPECT_EQ(416 - 41, topHeight());
  snapshot("input-bar-3-lines");
  keys.type(kLine);
  EXPECT_EQ(416 + 44 - 105, barTop());
  EXPECT_EQ(416 - 61, topHeight());
  snapshot("input-bar-4-lines");
  // Back down a line: the reverse.
  for (int i = 0; i < 12; ++i) keys.pressDelete();
  EXPECT_EQ(416 + 44 - 85, barTop());
  EXPECT_EQ(85, barHeight());
  EXPECT_EQ(416 - 41, topHeight());
  EXPECT_EQ(416 + 44, barTop() + barHeight());

  // Without a top view only the bar changes.
  const ui::Rect topFrame = top_->frame();
  bar_->setTopView(nullptr);
  bar_->setText("");
  EXPECT_EQ(416, barTop());
  EXPECT_EQ(44, barHeight());
  EXPECT_EQ(topFrame, top_->frame());
  EXPECT_EQ("", bar_->getText());
}

TEST_F(InputBarTest, ReturnEndOfEditingPlaceholderAndReturnKey) {
  auto delegate = std::make_shared<BarDelegate>();
  auto& keys = ui::Keyboard::shared();
  ASSERT_TRUE(bar_->textView()->becomeFirstResponder());

  // Without a delegate a newline is text.
  keys.type("a\n");
  EXPECT_EQ("a\n", bar_->getText());
  // A delegate answering yes ends editing without the newline, and hears of the end.
  bar_->setDelegate(delegate);
  keys.type("\n");
  EXPECT_EQ("a\n", bar_->getText());
  EXPECT_EQ(1, delegate->returns);
  EXPECT_EQ(1, delegate->ends);
  EXPECT_FALSE(keys.firstResponder());
  // Answering no inserts it.
  delegate->answer = false;
  ASSERT_TRUE(bar_->textView()->becomeFirstResponder());
  keys.type("\n");
  EXPECT_EQ("a\n\n", bar_->getText());
  bar_->hideKeypard();
  EXPECT_FALSE(keys.firstResponder());
  EXPECT_EQ(2, delegate->ends);

  bar_->setReturnKeyType(ui::ReturnKeyType::Send);
  EXPECT_EQ(ui::ReturnKeyType::Send, bar_->returnKeyType());
  EXPECT_EQ(ui::ReturnKeyType::Send, bar_->textView()->returnKeyType());
  bar_->setCPlaceHolder("说点什么");
  EXPECT_EQ("说点什么", bar_->textView()->placeHolderInTextView()->text());

  // Parts made in code: a text view without placeholder, a bar without parts.
  auto coded = std::make_shared<ZV_MutiLineInputView>(ui::Rect(0, 0, 320, 44));
  coded->setCPlaceHolder("x");
  coded->setText("y");
  EXPECT_EQ("", coded->getText());
  coded->setTextView(std::make_shared<LwGrowingTextView>(ui::Rect(0, 0, 200, 36)));
  coded->setCPlaceHolder("x");
  EXPECT_FALSE(coded->textView()->placeHolderInTextView());
}

}  // namespace
}  // namespace zu
