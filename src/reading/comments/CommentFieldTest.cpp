// The comment sheet over an article screen in a navigation controller: its slide, its counter's
// colours and the send button at the limits, a post that succeeds and one that fails, its frames
// upright and on its side, and an article screen that went first.
#include <gtest/gtest.h>

#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "reading/comments/CommentField.h"
#include "reading/comments/CommentsTestSupport.h"

namespace zu {
namespace {

// The article screen: any orientation.
class ArticleScreen : public ui::ViewController {
 public:
  ArticleScreen() : ViewController(std::nullopt) {}
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation) override { return true; }
  void loadView() override {
    auto view = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 416));
    view->setBackgroundColor(ui::Color::rgba8(250, 246, 236));
    view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    setView(view);
  }
};

class CommentFieldTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    article_ = std::make_shared<ArticleScreen>();
    navigation_ = std::make_shared<ui::NavigationController>(article_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    NotificationCenter::defaultCenter().add("CommentsUpdate", this, [this](const Notification& note) {
      updates_.push_back(note);
    });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    field_.reset();
    navigation_.reset();
    article_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  std::shared_ptr<CommentField> show() {
    field_ = CommentField::create();
    field_->setEngine(engine_);
    field_->setBrowseController(article_);
    field_->setDetailData(detail_);
    field_->pushFromView();
    window_->layoutIfNeeded();
    return field_;
  }
  void type(const std::string& text) {
    field_->commentText()->setText(text);
    field_->textViewDidChange(*field_->commentText());
  }

  std::shared_ptr<testing::ScriptedCommentsEngine> engine_ = std::make_shared<testing::ScriptedCommentsEngine>();
  std::shared_ptr<NewsDetail> detail_ = testing::article(5);
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ArticleScreen> article_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<CommentField> field_;
  std::vector<Notification> updates_;
};

TEST_F(CommentFieldTest, SlidesDownOverTheArticleAndCountsToTheLimit) {
  engine_->anonymous = true;
  auto field = show();
  const float height = 244;
  EXPECT_EQ(article_->view()->superview(), field->superview());
  EXPECT_EQ(ui::Rect(0, 0, 320, height), field->frame());
  EXPECT_EQ(ui::Transform::makeTranslation(0, height), article_->view()->transform());
  EXPECT_EQ(ui::Transform::makeTranslation(0, height), field->transform());
  EXPECT_EQ(0.3, ui::AnimationLog::shared().records().back()->duration);
  EXPECT_TRUE(field->commentText()->isFirstResponder());
  EXPECT_FALSE(field->guestLabel()->isHidden());
  EXPECT_FALSE(field->send()->isEnabled());
  EXPECT_EQ(std::optional<std::string>("评论"), field->send()->titleForState(ui::kControlStateNormal));

  const ui::Color grey = ui::Color::rgba8(33, 33, 33), orange(1.0f, 0.4f, 0.0f);
  type(std::string(489, 'x'));
  EXPECT_EQ("11", field->wordsCount()->text());
  EXPECT_EQ(grey, field->wordsCount()->textColor());
  EXPECT_TRUE(field->send()->isEnabled());
  type(std::string(490, 'x'));
  EXPECT_EQ("10", field->wordsCount()->text());
  EXPECT_EQ(orange, field->wordsCount()->textColor());
  type(std::string(500, 'x'));
  EXPECT_EQ("0", field->wordsCount()->text());
  EXPECT_TRUE(field->send()->isEnabled());
  type(std::string(501, 'x'));
  EXPECT_EQ("已超出", field->textLabel()->text());
  EXPECT_EQ("1", field->wordsCount()->text());
  EXPECT_EQ(ui::Color::redColor(), field->wordsCount()->textColor());
  EXPECT_FALSE(field->send()->isEnabled());
  // Over by thousands: the counter reads whole, its words before its number before "字".
  type(std::string(100500, 'x'));
  EXPECT_EQ("100000", field->wordsCount()->text());
  for (const auto& label : {field->textLabel(), field->wordsCount()}) {
    EXPECT_LE(label->sizeThatFits(ui::Size{0, 0}).width, label->frame().size.width) << label->text();
  }
  EXPECT_LE(field->textLabel()->frame().maxX(), field->wordsCount()->frame().minX());
  EXPECT_LE(field->wordsCount()->frame().maxX(), field->ziLabel()->frame().minX());
  type("");
  EXPECT_FALSE(field->send()->isEnabled());
  EXPECT_EQ("还可以输入", field->textLabel()->text());

  type("A calm crossing, at last.");
  settle();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comment-sheet-portrait"));
  // The box being edited is in sight above the keyboard.
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*field->commentText()));
}

TEST_F(CommentFieldTest, ASuccessCountsAnnouncesAndSlidesAwayAFailureKeepsTheText) {
  auto field = show();
  type(std::string(499, 'y') + "\xF0\x9F\x8C\x8A");
  field->commitComment();
  EXPECT_EQ(std::string(499, 'y'), field->commentText()->text());  // cut without half an emoji
  auto post = engine_->last("post");
  ASSERT_TRUE(post && post->ran);
  EXPECT_EQ(std::optional<std::string>(std::string(499, 'y')), post->content);
  EXPECT_FALSE(field->send()->isEnabled());
  // A failure: the alert, and the sheet stays with its text.
  testing::postFinish(post, -3, "网络不给力");
  auto alert = std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(alert);
  EXPECT_EQ(std::optional<std::string>("操作失败"), alert->title());
  EXPECT_EQ(std::optional<std::string>("网络不给力"), alert->message());
  EXPECT_EQ(std::vector<std::string>({"ok"}), alert->buttonTitles());
  settle();
  EXPECT_TRUE(field->superview());
  EXPECT_EQ(std::string(499, 'y'), field->commentText()->text());
  EXPECT_TRUE(field->send()->isEnabled());
  alert->clickButton(0);

  field->commitComment();
  post = engine_->last("post");
  auto stored = testing::comment("c-new", "Me", std::string(499, 'y'), 0, true);
  testing::postEntry(post, stored);
  EXPECT_EQ(6, detail_->veskAssess()->times());
  ASSERT_EQ(1u, updates_.size());
  EXPECT_EQ(field.get(), updates_[0].object.asObject<CommentField>().get());
  EXPECT_EQ(stored, updates_[0].userInfo.get("Result").asObject<Comment>());
  testing::postFinish(post, 0);
  EXPECT_EQ(ui::Transform::identity(), article_->view()->transform());
  settle();
  EXPECT_FALSE(field->superview());
}

TEST_F(CommentFieldTest, FramesFollowTheArticleScreensOrientation) {
  auto field = show();
  type("Seen from the quay.");
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft, false);
  window_->layoutIfNeeded();
  field->setNeedsLayout();
  field->layoutIfNeeded();
  EXPECT_EQ(ui::Rect(0, 0, 480, 145), field->frame());
  EXPECT_EQ(ui::Rect(25, 44, 435, 62), field->commentText()->frame());
  EXPECT_EQ(ui::Rect(5, 34, 470, 88), field->bgImageView()->frame());
  settle();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comment-sheet-landscape"));
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait, false);
  field->setNeedsLayout();
  field->layoutIfNeeded();
  EXPECT_EQ(ui::Rect(0, 0, 320, 244), field->frame());
  EXPECT_EQ(ui::Rect(25, 44, 280, 161), field->commentText()->frame());
}

TEST_F(CommentFieldTest, AnArticleScreenThatWentFirstIsLeftAlone) {
  auto field = show();
  std::weak_ptr<ArticleScreen> weak = article_;
  navigation_.reset();
  article_.reset();
  window_->setRootViewController(nullptr);
  settle();
  ASSERT_TRUE(weak.expired());
  field->cancel();
  settle();
  EXPECT_FALSE(field->browseController());
}

}  // namespace
}  // namespace zu
