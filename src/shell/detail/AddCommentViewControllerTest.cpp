#include "shell/detail/AddCommentViewController.h"

#include <gtest/gtest.h>

#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "shell/detail/ColumnDetailHeaderView.h"
#include "shell/detail/ColumnDetailTestSupport.h"
#include "shell/skin/LegibilityTestSupport.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "shell/widgets/StarsView.h"

namespace zu {
namespace {

using testing::postEntry;
using testing::postFinish;

struct MarkRecorder : StarsViewDelegate {
  void markedNumChanged(int32_t marked) override { marks.push_back(marked); }
  std::vector<int32_t> marks;
};

TEST(StarsViewTest, ATouchMarksTheStarsUpToTheFingerHeldToTheRow) {
  auto stars = std::make_shared<StarsView>(ui::Rect(0, 0, 200, 30));
  stars->awakeFromNib();
  EXPECT_EQ(5, stars->totalNum());
  EXPECT_EQ(0, stars->markedNum());
  EXPECT_FLOAT_EQ(40, stars->width());
  EXPECT_FLOAT_EQ(30, stars->height());
  auto recorder = std::make_shared<MarkRecorder>();
  stars->setDelegate(recorder);
  for (float x : {0.0f, 39.99f, 40.0f, 159.99f, 160.0f, 400.0f, -5.0f}) stars->markedWithPosition(x);
  EXPECT_EQ((std::vector<int32_t>{1, 1, 2, 4, 5, 5, 0}), recorder->marks);

  // A display keeps the rating it is given; the drawing caps it at five stars.
  stars->markedStar("smallstar", 7);
  EXPECT_EQ(7, stars->markedNum());
  ASSERT_TRUE(stars->markedStarImage());
  EXPECT_EQ("smallstar_yellow", stars->markedStarImage()->name());
  EXPECT_EQ("smallstar_black", stars->blackStarImage()->name());
  stars->markedStar("smallstar", -2);
  EXPECT_EQ(-2, stars->markedNum());
  EXPECT_TRUE(ui::render(*stars));

  // Not laid out yet: no cell width, nothing marked.
  auto empty = std::make_shared<StarsView>();
  empty->awakeFromNib();
  empty->markedWithPosition(10);
  EXPECT_EQ(0, empty->markedNum());
}

class AddCommentTest : public testing::DetailFixture {
 protected:
  void SetUp() override {
    DetailFixture::SetUp();
    column_ = testing::detailColumn("col-1", "港口晨报", true);
    detail_ = open(column_, 3);
    detail_->headerView()->commentButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
    settle(1);
    form_ = std::dynamic_pointer_cast<AddCommentViewController>(navigation_->topViewController());
    ASSERT_TRUE(form_);
    window_->layoutIfNeeded();
  }
  void TearDown() override {
    SPWaitingSavePhoto::resign();
    DetailFixture::TearDown();
  }
  // A tap on the stars at x in the star view.
  void tapStars(float x) {
    const ui::Point point = form_->starsView()->convertPointTo(ui::Point{x, 15}, nullptr);
    window_->tap(point);
  }
  void type(const std::string& text) { form_->commentTextView()->insertText(text); }
  bool sendEnabled() const { return form_->sendButton()->isEnabled(); }
  bool waiting() const {
    auto* waiting = SPWaitingSavePhoto::existing();
    return waiting && !waiting->window()->isHidden();
  }

  std::shared_ptr<Column> column_;
  std::shared_ptr<ColumnDetailViewController> detail_;
  std::shared_ptr<AddCommentViewController> form_;
};

TEST_F(AddCommentTest, FiveCentredStarsOfThirtyPointsTakeTheRatingFromTheFinger) {
  EXPECT_EQ(std::optional<std::string>("评价"), form_->navigationItem()->title());
  EXPECT_EQ(std::optional<std::string>("  返回"), form_->backButton()->currentTitle());
  EXPECT_EQ(std::optional<std::string>("发表评价"), form_->sendButton()->currentTitle());
  EXPECT_EQ(column_, form_->column());
  EXPECT_TRUE(form_->commentTextView()->isFirstResponder());
  auto& stars = *form_->starsView();
  ASSERT_FLOAT_EQ(320, stars.bounds().size.width);
  EXPECT_FLOAT_EQ(37, stars.width());
  EXPECT_FLOAT_EQ(7, stars.padding());
  EXPECT_FLOAT_EQ(71, stars.leftPadding());
  tapStars(70);
  EXPECT_EQ(0u, form_->rate());
  tapStars(71);
  EXPECT_EQ(1u, form_->rate());
  tapStars(108);
  EXPECT_EQ(2u, form_->rate());

  // A drag reports every move: the rating follows the finger.
  type("好");
  const ui::Point start = stars.convertPointTo(ui::Point{75, 15}, nullptr);
  auto touch = window_->beginTouch(start);
  EXPECT_EQ(1u, form_->rate());
  EXPECT_TRUE(sendEnabled());
  window_->moveTouch(touch, stars.convertPointTo(ui::Point{230, 15}, nullptr));
  EXPECT_EQ(5u, form_->rate());
  window_->moveTouch(touch, stars.convertPointTo(ui::Point{20, 15}, nullptr));
  EXPECT_EQ(0u, form_->rate());
  EXPECT_FALSE(sendEnabled());
  window_->endTouch(touch);

  tapStars(150);
  window_->layoutIfNeeded();
  auto picture = ui::render(*window_);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *picture, "review-form"));
  // The bar's title and the back button's title stand out from the bar.
  auto& bar = *navigation_->navigationBar();
  const ui::Rect barRect = bar.convertRectTo(bar.bounds(), nullptr);
  EXPECT_GT(testing::luminanceRange(*picture, ui::Rect(barRect.origin.x + barRect.size.width / 2 - 30,
                                                       barRect.origin.y + 8, 60, barRect.size.height - 16)),
            0.5f);
  auto& backTitle = *form_->backButton()->titleLabel();
  EXPECT_GT(testing::luminanceRange(*picture, backTitle.convertRectTo(backTitle.bounds(), nullptr)), 0.5f);

  form_->backButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_EQ(detail_, navigation_->topViewController());
  EXPECT_TRUE(engine_->of("post").empty());
}

// The form as the reader sees it: the review text edits from the start, so the keyboard lies
// over the bottom of the screen, the whole box above it, and the caret stands after what was
// typed, in the text view.
TEST_F(AddCommentTest, TheFormShowsTheKeyboardAndTheCaret) {
  tapStars(150);
  type("港口的早晨");
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*form_->commentTextView()));
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screen, "review-form-keyboard").has_value());
  const ui::Rect keyboard = ui::Keyboard::shownFrame();
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  // The return key (bottom right) is darker than the space bar beside it.
  EXPECT_LT(screen->colorAt(280, static_cast<int>(keyboard.maxY()) - 20).red,
            screen->colorAt(160, static_cast<int>(keyboard.maxY()) - 20).red);
  // The caret's blue, somewhere on the text view's first line after the five characters.
  auto& text = *form_->commentTextView();
  const ui::Rect onScreen = text.convertRectTo(text.bounds(), nullptr);
  int caret = 0;
  int caretX = -1;
  for (int y = static_cast<int>(onScreen.minY()); y < static_cast<int>(onScreen.minY()) + 30; ++y) {
    for (int x = static_cast<int>(onScreen.minX()); x < static_cast<int>(onScreen.maxX()); ++x) {
      if ((screen->pixelAt(x, y) & 0xffffff) == 0x426bf2u) {
        ++caret;
        caretX = x;
      }
    }
  }
  EXPECT_GT(caret, 10);
  EXPECT_GT(caretX, static_cast<int>(onScreen.minX()) + 8 + 40);

  // Sent away by the back button, the field resigns and the keyboard goes.
  form_->backButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
}

TEST_F(AddCommentTest, SendNeedsARatingAndSomeTextAndPostsOnceWithTheTrimmedText) {
  EXPECT_FALSE(sendEnabled());
  tapStars(150);  // 3 stars, no text
  EXPECT_EQ(3u, form_->rate());
  EXPECT_FALSE(sendEnabled());
  tapStars(0);
  type("x");  // text, no rating
  EXPECT_FALSE(sendEnabled());
  tapStars(150);
  EXPECT_TRUE(sendEnabled());
  form_->commentTextView()->deleteBackward();
  EXPECT_FALSE(sendEnabled());
  type("\n  港口的早班船总是太早了。 \n");
  EXPECT_TRUE(sendEnabled());

  const size_t commentsBefore = engine_->of("comments").size();
  form_->sendButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  form_->commentButtonPressed();  // a second tap while it posts
  ASSERT_EQ(1u, engine_->of("post").size());
  auto post = engine_->last("post");
  EXPECT_TRUE(post->ran);
  EXPECT_EQ(column_, post->column);
  EXPECT_FLOAT_EQ(3, post->rating);
  EXPECT_EQ(std::optional<std::string>("港口的早班船总是太早了。"), post->comment);
  EXPECT_EQ(std::optional<std::string>("col-1"), post->userIdentity());
  EXPECT_TRUE(waiting());
  EXPECT_FALSE(sendEnabled());

  // The stored review closes the form and starts the reviews over; the keyboard goes with the
  // form as it starts to leave, not once it has gone.
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  postEntry(post, std::make_shared<Comment>());
  EXPECT_FALSE(waiting());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_TRUE(form_->commentTextView()->window());
  settle(1);
  EXPECT_EQ(detail_, navigation_->topViewController());
  EXPECT_EQ(commentsBefore + 1, engine_->of("comments").size());
  EXPECT_TRUE(detail_->isCommentsRequesting());
  postFinish(post, 0);  // no longer observed
  EXPECT_EQ(0u, alertCount());
  EXPECT_EQ(commentsBefore + 1, engine_->of("comments").size());
}

TEST_F(AddCommentTest, AFailureKeepsTheFormAndARatingWithoutTextIsASuccess) {
  tapStars(230);
  type("不错");
  form_->commentButtonPressed();
  postFinish(engine_->last("post"), -13, "网络不可用");
  EXPECT_FALSE(waiting());
  EXPECT_EQ(1u, alertCount());
  EXPECT_EQ(form_, navigation_->topViewController());
  EXPECT_EQ("不错", form_->commentTextView()->text());
  EXPECT_EQ(5u, form_->rate());
  EXPECT_TRUE(sendEnabled());
  topAlert()->dismissWithClickedButtonIndex(0, false);

  // Only blanks and line ends: the rating alone is posted; its finish of 0 is the success.
  form_->commentTextView()->setText(" \n ");
  form_->textViewDidChange(*form_->commentTextView());
  EXPECT_TRUE(sendEnabled());
  const size_t commentsBefore = engine_->of("comments").size();
  form_->commentButtonPressed();
  ASSERT_EQ(2u, engine_->of("post").size());
  EXPECT_EQ(std::optional<std::string>(""), engine_->last("post")->comment);
  postFinish(engine_->last("post"), 0);
  settle(1);
  EXPECT_EQ(0u, alertCount());
  EXPECT_EQ(detail_, navigation_->topViewController());
  EXPECT_EQ(commentsBefore + 1, engine_->of("comments").size());
}

TEST_F(AddCommentTest, GoingBackWhileAPostRunsEndsTheWaitingDisplay) {
  // The waiting display takes no touches, so the reader can leave the form while it posts.
  tapStars(150);
  type("不错");
  form_->commentButtonPressed();
  ASSERT_TRUE(waiting());
  auto post = engine_->last("post");
  std::weak_ptr<AddCommentViewController> gone = form_;
  form_->backButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  form_.reset();
  settle(1);
  ASSERT_TRUE(gone.expired());
  EXPECT_EQ(detail_, navigation_->topViewController());
  EXPECT_FALSE(waiting());
  // The post's result reaches no one.
  postEntry(post, std::make_shared<Comment>());
  postFinish(post, 0);
  EXPECT_EQ(detail_, navigation_->topViewController());
  EXPECT_EQ(0u, alertCount());
}

}  // namespace
}  // namespace zu
