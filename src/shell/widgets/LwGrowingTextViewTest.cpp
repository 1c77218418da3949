#include "shell/widgets/LwGrowingTextView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

using Journal = std::vector<std::string>;

class Recorder : public LwGrowingTextViewDelegate {
 public:
  Journal journal;
  bool answerReturn = false;
  void growingTextViewWillChangeHeight(LwGrowingTextView& v, float h) override {
    // The frames have not moved yet.
    journal.push_back("will " + std::to_string(static_cast<int>(h)) + " from " +
                      std::to_string(static_cast<int>(v.frame().size.height)));
  }
  void growingTextViewDidChange(LwGrowingTextView&) override { journal.push_back("did"); }
  void growingTextViewDidChangeHeight(LwGrowingTextView&, float h) override {
    journal.push_back("didHeight " + std::to_string(static_cast<int>(h)));
  }
  bool growingTextViewShouldReturn(LwGrowingTextView&) override {
    journal.push_back("return");
    return answerReturn;
  }
  void growingTextViewDidEndEditing(LwGrowingTextView&) override { journal.push_back("end"); }
};

// 17-point text with the fixed metrics: lines of 20.4 points plus 16 of insets, cut to whole
// points; a 236-point view wraps after 12 Chinese characters.
constexpr int kOne = 36, kTwo = 56, kThree = 77, kFour = 97;
const std::string kLine = "一二三四五六七八九十甲乙";

class GrowingTextViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>()); }
  void TearDown() override {
    ui::Keyboard::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
    ui::Device::current().resetForTesting();
    ui::TextMetrics::setCurrent(nullptr);
    ui::NibRegistry::shared().resetForTesting();
  }
  void settle() {
    clock_->advance(1);
    runDueMainLoopTasks();
  }
  std::shared_ptr<LwGrowingTextView> make() {
    auto view = std::make_shared<LwGrowingTextView>(ui::Rect(10, 100, 236, 50));
    view->setDelegate(recorder_);
    return view;
  }
  int height(const LwGrowingTextView& v) { return static_cast<int>(v.frame().size.height); }

  ScopedFakeClock clock_;
  std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
};

TEST_F(GrowingTextViewTest, GrowsALineAtATimeToFourThenScrollsInside) {
  auto view = make();
  auto& inner = *view->internalTextView();
  EXPECT_TRUE(view->isTextView());
  EXPECT_EQ(kOne, view->minHeight());
  EXPECT_EQ(kFour, view->maxHeight());
  EXPECT_EQ(kOne, height(*view));
  EXPECT_EQ(ui::Rect(0, 0, 236, kOne), inner.frame());
  EXPECT_EQ("", view->text());
  ASSERT_TRUE(view->becomeFirstResponder());

  // A first line: the height stays, only did-change per character.
  ui::Keyboard::shared().type(kLine);
  EXPECT_EQ(Journal(12, "did"), recorder_->journal);
  recorder_->journal.clear();
  // Line two: told before the frames move, inside an animation named "" whose end reports.
  ui::Keyboard::shared().type("丙");
  EXPECT_EQ((Journal{"will 56 from 36", "did"}), recorder_->journal);
  EXPECT_EQ(ui::Rect(10, 100, 236, kTwo), view->frame());
  EXPECT_EQ(ui::Rect(0, 0, 236, kTwo), inner.frame());
  auto record = ui::AnimationLog::shared().last();
  ASSERT_TRUE(record);
  EXPECT_EQ("", record->name);
  EXPECT_TRUE(record->beginsFromCurrentState);
  EXPECT_TRUE(record->change(view.get(), "frame"));
  EXPECT_FALSE(inner.isScrollEnabled());
  settle();
  EXPECT_EQ("didHeight 56", recorder_->journal.back());

  // Lines three and four; at four scrolling comes on with one flash. Each end reports the
  // height of the view's frame.
  recorder_->journal.clear();
  ui::Keyboard::shared().type(kLine.substr(3) + kLine.substr(0, 6));
  EXPECT_EQ(kThree, height(*view));
  settle();
  EXPECT_EQ("didHeight 77", recorder_->journal.back());
  ui::Keyboard::shared().type(kLine);
  EXPECT_EQ(kFour, height(*view));
  EXPECT_TRUE(inner.isScrollEnabled());
  EXPECT_EQ(1, inner.scrollIndicatorFlashes());
  settle();
  EXPECT_EQ("didHeight 97", recorder_->journal.back());
  // A fifth line changes nothing.
  recorder_->journal.clear();
  ui::Keyboard::shared().type(kLine);
  EXPECT_EQ(kFour, height(*view));
  EXPECT_TRUE(inner.isScrollEnabled());
  EXPECT_EQ(1, inner.scrollIndicatorFlashes());
  EXPECT_EQ(Journal(12, "did"), recorder_->journal);
  // Back to three lines: smaller, scrolling off.
  for (int i = 0; i < 24; ++i) ui::Keyboard::shared().pressDelete();
  EXPECT_EQ(kThree, height(*view));
  EXPECT_FALSE(inner.isScrollEnabled());
  EXPECT_EQ(1, inner.scrollIndicatorFlashes());

  // setText follows the height too; an empty text is the minimum.
  view->setText("");
  EXPECT_EQ(kOne, height(*view));
}

TEST_F(GrowingTextViewTest, MinimumWhileEmptyEditsThatKeepTheHeightAndNoAnimation) {
  auto view = make();
  // Empty: the minimum even though the content (a larger font, not re-measured) is higher.
  view->internalTextView()->setFont(ui::Font::named("Helvetica", 40));
  ASSERT_GT(view->internalTextView()->contentSize().height, kTwo);
  view->setText("");
  EXPECT_EQ(kOne, height(*view));
  EXPECT_EQ((Journal{"did"}), recorder_->journal);

  // Font changes measure the limits again (24-point lines: 28.8 + 16, four: 115.2 + 16).
  view->setFont(ui::Font::named("Helvetica", 24));
  EXPECT_EQ(44, view->minHeight());
  EXPECT_EQ(131, view->maxHeight());
  EXPECT_EQ(44, height(*view));
  view->setFont(ui::Font::named("Helvetica", 17));

  // Without the animation: the height changes at once and did-change-height never comes.
  recorder_->journal.clear();
  view->setAnimateHeightChange(false);
  const size_t records = ui::AnimationLog::shared().records().size();
  view->setText(kLine + "丙");
  EXPECT_EQ(kTwo, height(*view));
  settle();
  EXPECT_EQ((Journal{"will 56 from 36", "did"}), recorder_->journal);
  EXPECT_EQ(records, ui::AnimationLog::shared().records().size());

  // A maximum below the minimum counts as the minimum.
  view->setMinNumberOfLines(3);
  view->setMaxNumberOfLines(2);
  view->setText("x");
  EXPECT_EQ(kThree, height(*view));
}

TEST_F(GrowingTextViewTest, PlaceholderNewlinesAndTheReturnQuestion) {
  LwGrowingTextView::registerInterfaceFile();
  auto objects = ui::NibRegistry::shared().load(LwGrowingTextView::kNibName);
  ASSERT_EQ(1u, objects.size());
  auto view = std::dynamic_pointer_cast<LwGrowingTextView>(objects[0]);
  ASSERT_TRUE(view);
  auto placeholder = view->placeHolderInTextView();
  ASSERT_TRUE(placeholder);
  EXPECT_EQ(ui::Rect(10, 2, 220, 36), placeholder->frame());
  EXPECT_EQ(5, view->layer().cornerRadius);
  EXPECT_EQ(placeholder, view->subviews().front());
  placeholder->setText("写评论");
  view->setDelegate(recorder_);
  ASSERT_TRUE(view->becomeFirstResponder());
  auto& keys = ui::Keyboard::shared();

  // Delete in an empty view: placeholder shown, nothing changes.
  placeholder->setHidden(true);
  keys.pressDelete();
  EXPECT_FALSE(placeholder->isHidden());
  EXPECT_TRUE(recorder_->journal.empty());
  // Typing hides it; deleting the only character (range 0, 1) shows it again.
  keys.type("a");
  EXPECT_TRUE(placeholder->isHidden());
  keys.pressDelete();
  EXPECT_FALSE(placeholder->isHidden());
  // A surrogate pair is two UTF-16 units: its deletion is not the range (0, 1).
  keys.type("😀");
  keys.pressDelete();
  EXPECT_TRUE(placeholder->isHidden());
  // setText leaves it alone.
  view->setText("b");
  EXPECT_TRUE(placeholder->isHidden());
  view->setText("");
  EXPECT_TRUE(placeholder->isHidden());

  // A newline the delegate answers no to is inserted; yes resigns and refuses it.
  recorder_->journal.clear();
  keys.type("c\n");
  EXPECT_EQ("c\n", view->text());
  EXPECT_EQ("return", recorder_->journal[1]);
  recorder_->answerReturn = true;
  keys.type("\n");
  EXPECT_EQ("c\n", view->text());
  EXPECT_FALSE(keys.firstResponder());
  EXPECT_EQ("end", recorder_->journal.back());
  // Without a delegate a newline is text.
  view->setDelegate({});
  ASSERT_TRUE(view->becomeFirstResponder());
  keys.type("\n");
  EXPECT_EQ("c\n\n", view->text());
}

TEST_F(GrowingTextViewTest, OneLineModeBelowVersionFour) {
  ui::Device::current().setSystemVersion("3.1");
  auto view = make();
  EXPECT_FALSE(view->isTextView());
  EXPECT_FALSE(view->internalTextView());
  ASSERT_TRUE(view->internalTextField());
  EXPECT_FALSE(view->internalTextField()->delegate());
  EXPECT_EQ(ui::Rect(0, 0, 236, 50), view->internalTextField()->frame());
  view->setMaxNumberOfLines(2);
  view->setMinNumberOfLines(2);
  EXPECT_EQ(0, view->maxNumberOfLines());
  EXPECT_EQ(50, height(*view));
  EXPECT_EQ((ui::TextRange{0xFFFFFFFFu, 0xFFFFFFFFu}), view->selectedRange());
  view->setDataDetectorTypes(3);
  EXPECT_EQ(0u, view->dataDetectorTypes());
  view->setText("one line");
  EXPECT_EQ("one line", view->internalTextField()->text());
  EXPECT_TRUE(view->hasText());
  EXPECT_TRUE(recorder_->journal.empty());
  view->setEditable(false);
  EXPECT_FALSE(view->internalTextField()->isEnabled());
  EXPECT_TRUE(view->textFieldShouldReturn(*view->internalTextField()));
  view->setFrame(ui::Rect(0, 0, 100, 30));
  EXPECT_EQ(ui::Rect(0, 0, 100, 30), view->internalTextField()->frame());

  // A version that is no number is new enough.
  ui::Device::current().setSystemVersion("beta");
  EXPECT_TRUE(make()->isTextView());
}

TEST_F(GrowingTextViewTest, InternalInsetsFollowScrollingState) {
  auto inner = std::make_shared<LwTextViewInternal>(ui::Rect(0, 0, 200, 40));
  inner->setText("1\n2\n3\n4\n5");  // 5 × 20.4 + 16 points high
  inner->setFont(ui::Font::named("Helvetica", 17));
  inner->setContentInset(ui::EdgeInsets{5, 3, 20, 4});
  EXPECT_EQ((ui::EdgeInsets{0, 3, 0, 4}), inner->contentInset());
  inner->setContentInset(ui::EdgeInsets{5, 3, 8, 4});
  EXPECT_EQ((ui::EdgeInsets{0, 3, 8, 4}), inner->contentInset());

  // Short of the end with scrolling on: 8 below; scrolling off: left alone.
  inner->setContentInset(ui::EdgeInsets{});
  inner->setScrollEnabled(false);
  inner->setContentOffset(ui::Point{0, 10});
  EXPECT_EQ(ui::EdgeInsets{}, inner->contentInset());
  EXPECT_EQ((ui::EdgeInsets{0, 0, 2, 0}), inner->scrollIndicatorInsets());
  inner->setScrollEnabled(true);
  inner->setContentOffset(ui::Point{0, 10});
  EXPECT_EQ((ui::EdgeInsets{0, 0, 8, 0}), inner->contentInset());
  EXPECT_EQ((ui::Point{0, 10}), inner->contentOffset());
  // At the end: left as it is. While the finger drags: zero.
  inner->setContentOffset(ui::Point{0, 200});
  EXPECT_EQ((ui::EdgeInsets{0, 0, 8, 0}), inner->contentInset());
  inner->beginDrag(ui::Point{100, 30});
  inner->dragTo(ui::Point{100, 20});
  EXPECT_EQ(ui::EdgeInsets{}, inner->contentInset());
  inner->endDrag();
}

}  // namespace
}  // namespace zu
