// The comments screen with a scripted engine and fake platform clients: the page and the write
// box drawn closed and writing, the 500-unit limit, the share to bound accounts, a delete while a
// new comment arrives, one alert for failing lists, the profile by name, and letting go of the
// platform clients.
#include <gtest/gtest.h>

#include <limits>

#include "model/entry/NewsSummary.h"
#include "model/service/VeskFavorite.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/TableViewCell.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/views/Window.h"
#include "reading/comments/CommentCell.h"
#include "reading/comments/CommentsController.h"
#include "reading/comments/CommentsTestSupport.h"
#include "reading/ReadingNibs.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "shell/app/ScreenRequest.h"
#include "shell/widgets/MSPlaceHolderTextView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

using testing::comment;
using testing::commentPage;

class CommentsControllerTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    opener_ = std::make_shared<ui::ViewController>(std::nullopt);
    ui::ViewController::installAsRoot(*window_, opener_);
    NotificationCenter::defaultCenter().add(CommentsController::kStatusUpdateNotification, this,
                                            [this](const Notification& note) { statuses_.push_back(note.userInfo); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    screen_.reset();
    opener_.reset();
    window_.reset();
    TimeZone::setDefault(std::nullopt);
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // The screen opened by name as the toolbar opens it, presented in its own navigation controller.
  std::shared_ptr<CommentsController> open(int count = 5) {
    detail_ = testing::article(count);
    auto summary = std::make_shared<NewsSummary>();
    summary->setTitle(detail_->title());
    auto request = std::make_shared<ScreenRequest>(
        ScreenRequest::kCommentsNib, Dictionary{{"newsSummary", Value(summary)}, {"detailData", Value(detail_)},
                                                {"currentIndex", 3}, {"viewController", Value(opener_)}});
    screen_ = std::dynamic_pointer_cast<CommentsController>(request->load());
    EXPECT_TRUE(screen_);
    if (!screen_) return nullptr;
    screen_->setEngine(engine_);
    auto navigation = std::make_shared<ui::NavigationController>(screen_);
    navigation->setNavigationBarHidden(true, false);
    opener_->presentModalViewController(navigation, false);
    window_->layoutIfNeeded();
    return screen_;
  }

  // The first page: two of the reader's own comments among four, and a next page.
  void firstPage() {
    testing::postFeed(engine_->last("comments"),
                      commentPage({comment("c4", "Curious reader", "Will there be a follow-up next week?", 5),
                                   comment("c3", "Me", "My own first remark.", 30, true),
                                   comment("c2", "Harbour regular", "The early boat was always too early anyway, and "
                                                                    "the late one never waited for the train.", 90),
                                   comment("c1", "Me", "And my second.", 60 * 30, true)},
                                  std::string("http://comments/article-1?page=2")));
    window_->layoutIfNeeded();
  }

  void type(const std::string& text) {
    screen_->writeTextView()->setText(text);
    screen_->textChanged();
  }

  std::shared_ptr<ui::ActionSheet> topSheet() {
    return std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  }

  std::shared_ptr<testing::ScriptedCommentsEngine> engine_ = std::make_shared<testing::ScriptedCommentsEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> opener_;
  std::shared_ptr<CommentsController> screen_;
  std::shared_ptr<NewsDetail> detail_;
  std::vector<Dictionary> statuses_;
};

// By night the write box's row and the more-comments row are as dark as the comment rows, so
// the light typed text and the rows' texts read (the picture's audit measures them).
TEST_F(CommentsControllerTest, ByNightTheWriteBoxAndTheMoreRowAreDark) {
  testing::NightLook night;
  engine_->clients = {std::make_shared<testing::FakeClient>(0)};
  auto screen = open(5);
  ASSERT_TRUE(screen);
  firstPage();
  screen->writeTextView()->becomeFirstResponder();
  type("夜读");
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-night-writing"));
  // The counter over by thousands reads whole by night too.
  type(std::string(100500, 'x'));
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-night-counter-over", 2));
  type("夜读");
  screen->writeTextView()->resignFirstResponder();
  window_->layoutIfNeeded();
  // The rows that hold the write box and the more-comments button.
  for (std::shared_ptr<ui::View> view : {std::shared_ptr<ui::View>(screen->writeTextView()),
                                         std::shared_ptr<ui::View>(screen->moreComments())}) {
    while (view && !std::dynamic_pointer_cast<ui::TableViewCell>(view)) view = view->superview();
    ASSERT_TRUE(view && view->backgroundColor());
    EXPECT_LT(ui::ContrastAudit::relativeLuminance(*view->backgroundColor()), 0.1f);
  }
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-night"));
  // The more-comments button, scrolled into sight, is dark like its row, and its words read on it.
  auto& table = *screen->commentsTable();
  table.scrollToRow(ui::IndexPath::forRow(table.numberOfRowsInSection(1) - 1, 1), ui::TableViewScrollPosition::Middle,
                    false);
  window_->layoutIfNeeded();
  const auto picture = ui::ContrastAudit::snapshot(*window_, "comments-night-more");
  ASSERT_TRUE(picture);
  auto more = screen->moreComments();
  ASSERT_FALSE(more->isHidden());
  const ui::Rect button = more->convertRectTo(more->bounds(), nullptr);
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(picture->colorAt(static_cast<int>(button.minX()) + 12,
                                                                  static_cast<int>(button.midY()))),
            0.1f);
  EXPECT_GE(ui::ContrastAudit::markContrast(*picture, button), 4.5f);
}

// While writing, the forward row reads as separate words: its title whole, then a clear gap,
// then the counter, the number, the unit and the send button, none touching the next.
TEST_F(CommentsControllerTest, TheForwardRowsWordsStandApart) {
  engine_->clients = {std::make_shared<testing::FakeClient>(0)};
  auto screen = open(5);
  ASSERT_TRUE(screen);
  ASSERT_FALSE(screen->writeForwardLabel()->isHidden());
  firstPage();
  screen->writeTextView()->becomeFirstResponder();
  type("Nice piece on the ferry");
  window_->layoutIfNeeded();
  auto& metrics = ui::TextMetrics::current();
  auto inWindow = [&](const ui::View& view) { return view.convertRectTo(view.bounds(), nullptr); };
  // Where a label's text is drawn: its width measured, placed by the label's alignment.
  auto inked = [&](const ui::Label& label) {
    const ui::Rect frame = inWindow(label);
    const float width = metrics.sizeOf(label.text(), label.font()).width;
    float x = frame.minX();
    if (label.textAlignment() == ui::TextAlignment::Right) x = frame.maxX() - width;
    if (label.textAlignment() == ui::TextAlignment::Center) x = frame.midX() - width / 2;
    return std::pair<float, float>{x, x + width};
  };
  const ui::Label& title = *screen->writeForwardLabel()->titleLabel();
  EXPECT_GE(inWindow(title).size.width, metrics.sizeOf(title.text(), title.font()).width) << "title cut";
  const std::vector<std::pair<float, float>> words = {
      inked(title), inked(*screen->writeNumberArroundLabel()), inked(*screen->writeNumberLabel()),
      inked(*screen->writeUnitLabel())};
  for (size_t i = 1; i < words.size(); ++i) {
    EXPECT_GE(words[i].first - words[i - 1].second, i == 1 ? 4.f : 1.f) << i;
  }
  EXPECT_LE(words.back().second, inWindow(*screen->writeSendButton()).minX());
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-forward-writing"));
}

TEST_F(CommentsControllerTest, FirstPageClosedThenWritingAndThePageAfter) {
  auto screen = open(5);
  ASSERT_TRUE(screen);
  EXPECT_EQ("评论(5)", screen->titleText());
  ASSERT_TRUE(engine_->last("comments") && engine_->last("detail"));
  EXPECT_EQ(std::optional<std::string>("http://comments/article-1"), engine_->last("comments")->link->href());
  EXPECT_TRUE(screen->indicator()->isAnimating());
  EXPECT_FALSE(screen->moreComments()->isEnabled());
  firstPage();
  EXPECT_FALSE(screen->indicator()->isAnimating());
  auto& table = *screen->commentsTable();
  ASSERT_EQ(5, table.numberOfRowsInSection(1));  // four comments and the load-more row
  EXPECT_FALSE(screen->moreComments()->isHidden());
  EXPECT_TRUE(screen->moreComments()->isEnabled());
  EXPECT_EQ(52.f, table.rectForRow(ui::IndexPath::forRow(0, 0)).size.height);
  auto row = std::dynamic_pointer_cast<CommentCell>(table.cellForRow(ui::IndexPath::forRow(2, 1)));
  ASSERT_TRUE(row);
  EXPECT_EQ("Harbour regular", row->userName()->text());
  EXPECT_EQ(CommentCell::heightForText(row->comment()->text()), table.rectForRow(ui::IndexPath::forRow(2, 1)).size.height);
  EXPECT_GT(table.rectForRow(ui::IndexPath::forRow(2, 1)).size.height, table.rectForRow(ui::IndexPath::forRow(0, 1)).size.height);
  // No bound account: no check box and no short link.
  EXPECT_TRUE(screen->writeForwardButton()->isHidden());
  EXPECT_TRUE(engine_->of("shortUrl").empty() && engine_->of("shortUrlById").empty());
  // The counts arrive with the article's dynamic part.
  auto fresh = testing::article(7);
  testing::postEntry(engine_->last("detail"), fresh);
  EXPECT_EQ("评论(7)", screen->titleText());
  auto closed = ui::render(*window_);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *closed, "comments-closed"));

  // A guest's comment: the service stores it without an author's name; its row is signed all the
  // same, on top of the list.
  type("港口见，明早的渡轮还开吗？");
  screen->postAction();
  auto stored = comment("c5", "", "港口见，明早的渡轮还开吗？", 0, true);
  stored->setAuthor(nullptr);
  testing::postEntry(engine_->last("post"), stored);
  testing::postFinish(engine_->last("post"), 0);
  window_->layoutIfNeeded();
  ASSERT_EQ(6, table.numberOfRowsInSection(1));
  auto guest = std::dynamic_pointer_cast<CommentCell>(table.cellForRow(ui::IndexPath::forRow(0, 1)));
  ASSERT_TRUE(guest);
  EXPECT_EQ(CommentCell::kNamelessAuthor, guest->userName()->text());
  EXPECT_EQ("港口见，明早的渡轮还开吗？", guest->comment()->text());

  // Writing: the box grows to 140 with the forward row, and the counter follows the text.
  screen->writeTextView()->becomeFirstResponder();
  window_->layoutIfNeeded();
  EXPECT_TRUE(screen->isWriting());
  EXPECT_EQ(140.f, table.rectForRow(ui::IndexPath::forRow(0, 0)).size.height);
  EXPECT_FALSE(screen->writeForwardView()->isHidden());
  EXPECT_FALSE(screen->writeSendButton()->isEnabled());
  type("风平浪静");
  EXPECT_TRUE(screen->writeSendButton()->isEnabled());
  EXPECT_EQ("还可以输入", screen->writeNumberArroundLabel()->text());
  EXPECT_EQ("496", screen->writeNumberLabel()->text());
  auto writing = ui::render(*window_);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *writing, "comments-writing"));
  // The first comment row moved down by the box's growth.
  EXPECT_NE(closed->pixelAt(160, 64 + 52 + 20), writing->pixelAt(160, 64 + 52 + 20));

  // A drag of the table ends writing; the page after comes from the next link.
  table.beginDrag(ui::Point(160, 300));
  table.dragTo(ui::Point(160, 290));
  table.endDrag();
  EXPECT_FALSE(screen->isWriting());
  EXPECT_EQ(52.f, table.rectForRow(ui::IndexPath::forRow(0, 0)).size.height);
  screen->moreComments()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto next = engine_->last("comments");
  EXPECT_EQ(std::optional<std::string>("http://comments/article-1?page=2"), next->link->href());
  EXPECT_FALSE(screen->moreComments()->isEnabled());
  testing::postFeed(next, commentPage({comment("c0", "Early reader", "Read it on the ferry.", 60 * 40)}, std::nullopt));
  EXPECT_EQ(7, table.numberOfRowsInSection(1));
  EXPECT_EQ(std::optional<std::string>("c0"), screen->commentsArray().back()->entryId());
  EXPECT_TRUE(screen->moreComments()->isHidden());
  // An empty page changes nothing.
  testing::postFeed(next, commentPage({}, std::nullopt));
  EXPECT_EQ(6u, screen->commentsArray().size());
}

TEST_F(CommentsControllerTest, ARowIsItsTextWrappedWithin250By330Plus37) {
  const ui::Font font = CommentCell::commentFont();
  const float line = ui::TextMetrics::current().sizeOf("港", font).height;
  ASSERT_GT(line, 0.f);
  EXPECT_EQ(37.f, CommentCell::heightForText(""));
  EXPECT_FLOAT_EQ(line + 37, CommentCell::heightForText("短评"));
  // Chinese without spaces wraps within 250 points too: 40 characters need several lines.
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += "港";
  const float wrapped = CommentCell::heightForText(forty);
  EXPECT_GE(wrapped, 2 * line + 37);
  EXPECT_LE(ui::TextMetrics::current().sizeOf(forty, font, ui::Size(250, 330), ui::LineBreakMode::WordWrap).width, 250.f);
  // A very long comment stops at 330.
  std::string longer;
  for (int i = 0; i < 100; ++i) longer += "The early boat was always too early anyway. ";
  const float tallest = CommentCell::heightForText(longer);
  EXPECT_LE(tallest, 330.f + 37);
  EXPECT_GT(tallest, 330.f + 37 - line);
}

TEST_F(CommentsControllerTest, FiveHundredUnitsPostWholeAndALongerTextIsCutWithoutSplittingAPair) {
  auto screen = open();
  ASSERT_TRUE(screen);
  firstPage();
  type(std::string(500, 'a'));
  EXPECT_EQ("还可以输入", screen->writeNumberArroundLabel()->text());
  EXPECT_EQ("0", screen->writeNumberLabel()->text());
  screen->postAction();
  auto post = engine_->last("post");
  ASSERT_TRUE(post && post->ran);
  EXPECT_EQ(std::string(500, 'a'), post->content);
  EXPECT_EQ(std::optional<std::string>("http://comments/article-1"), post->url);
  EXPECT_EQ(std::optional<std::string>("article-1"), post->entryId);
  EXPECT_EQ(std::optional<std::string>("无主题"), post->title);
  EXPECT_FALSE(screen->view()->isUserInteractionEnabled());
  testing::postFinish(post, 0);
  EXPECT_TRUE(screen->view()->isUserInteractionEnabled());
  EXPECT_EQ("", screen->writeTextView()->text());

  // 501 units, the last character an emoji whose two units straddle the limit.
  const std::string emoji = "\xF0\x9F\x8C\x8A";
  type(std::string(499, 'b') + emoji);
  EXPECT_EQ("已超出", screen->writeNumberArroundLabel()->text());
  EXPECT_EQ("1", screen->writeNumberLabel()->text());
  // Over by thousands: the counter reads whole, its words before its number before "字".
  ASSERT_TRUE(screen->writeTextView()->becomeFirstResponder());
  type(std::string(100500, 'c'));
  EXPECT_EQ("100000", screen->writeNumberLabel()->text());
  for (const auto& label : {screen->writeNumberArroundLabel(), screen->writeNumberLabel()}) {
    EXPECT_LE(label->sizeThatFits(ui::Size{0, 0}).width, label->frame().size.width) << label->text();
  }
  EXPECT_LE(screen->writeNumberArroundLabel()->frame().maxX(), screen->writeNumberLabel()->frame().minX());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-counter-over"));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "comments-counter-over-2x", 2));
  screen->writeTextView()->resignFirstResponder();
  type(std::string(499, 'b') + emoji);
  screen->postAction();
  post = engine_->last("post");
  ASSERT_TRUE(post && post->content);
  EXPECT_TRUE(StringUtil::isValidUtf8(*post->content));
  EXPECT_EQ(std::string(499, 'b'), *post->content);
  // A failed post keeps what was typed, and the send button, to try again.
  testing::postFinish(post, -3, "网络错误");
  EXPECT_EQ(std::string(499, 'b') + emoji, screen->writeTextView()->text());
  EXPECT_TRUE(screen->writeSendButton()->isEnabled());
  EXPECT_EQ(1u, alertCount());
}

TEST_F(CommentsControllerTest, ShareGoesToEveryBoundClientWithoutALinkYetAndFailuresAlertOnceAllReplied) {
  engine_->clients = {std::make_shared<testing::FakeClient>(0), std::make_shared<testing::FakeClient>(5),
                      std::make_shared<testing::FakeClient>(2)};
  auto screen = open();
  ASSERT_TRUE(screen);
  EXPECT_FALSE(screen->writeForwardButton()->isHidden());
  ASSERT_TRUE(engine_->last("shortUrlById"));  // an article without customisation: by its id
  EXPECT_EQ(std::optional<std::string>("article-1"), engine_->last("shortUrlById")->entryId);
  firstPage();
  screen->writeForwardButtonAction();
  EXPECT_TRUE(screen->writeForwardButton()->isSelected());
  type("Good news");
  screen->postAction();
  const std::string text = "「Ferry timetable changes」 Good news ";
  for (const auto& client : engine_->clients) {
    ASSERT_EQ(1u, client->posts.size());
    EXPECT_EQ(text, client->posts[0].text);
    EXPECT_EQ(screen.get(), client->observer());
  }
  EXPECT_EQ(std::optional<std::string>("Ferry timetable changes"), engine_->clients[1]->posts[0].title);
  EXPECT_EQ(std::optional<std::string>(""), engine_->clients[1]->posts[0].url);
  EXPECT_FALSE(engine_->clients[0]->posts[0].title);
  // The check box stays through a failed post.
  testing::postFinish(engine_->last("post"), -3);
  EXPECT_TRUE(screen->writeForwardButton()->isSelected());
  const size_t alertsBefore = alertCount();
  screen->onOPError(engine_->clients[0].get(), 21301, "expired");
  screen->onOPPostSuccess(engine_->clients[1].get());
  EXPECT_EQ(alertsBefore, alertCount());
  screen->onOPError(engine_->clients[2].get(), 40028, "repeated");
  EXPECT_EQ(alertsBefore + 1, alertCount());

  // With the short link in, it ends the text.
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Task>(engine_->last("shortUrlById")))},
                                              {"ResultType", "SURLString"}, {"Result", "http://s/abc"}});
  EXPECT_EQ(std::optional<std::string>("http://s/abc"), screen->shortUrlString());
  type("Again");
  screen->postAction();
  EXPECT_EQ("「Ferry timetable changes」 Again http://s/abc", engine_->clients[0]->posts.back().text);

  // The clients let go of the screen when it goes.
  opener_->dismissModalViewController(false);
  window_->layoutIfNeeded();
  std::weak_ptr<CommentsController> weak = screen;
  screen.reset();
  screen_.reset();
  settle();
  EXPECT_TRUE(weak.expired());
  for (const auto& client : engine_->clients) EXPECT_EQ(nullptr, client->observer());
}

TEST_F(CommentsControllerTest, DeleteRemovesTheRememberedCommentEvenAfterANewOneArrived) {
  auto screen = open(5);
  ASSERT_TRUE(screen);
  firstPage();
  // A comment of someone else offers no delete.
  screen->selectComment(0);
  auto sheet = topSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(CommentsController::kSheetTag, sheet->tag());
  EXPECT_EQ(std::vector<std::string>({"查看用户资料", "取消"}), sheet->buttonTitles());
  sheet->clickButtonTitled("取消");
  settle();
  // The reader's own one does.
  screen->selectComment(1);
  sheet = topSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(std::vector<std::string>({"删除评论", "查看用户资料", "取消"}), sheet->buttonTitles());
  sheet->clickButtonTitled("删除评论");
  settle();
  auto deletion = engine_->last("delete");
  ASSERT_TRUE(deletion && deletion->ran);
  EXPECT_EQ(std::optional<std::string>("c3"), deletion->entryId);

  // A new comment comes in first, from anyone: it goes to the top.
  NotificationCenter::defaultCenter().post(
      "CommentsUpdate", Value(),
      Dictionary{{"Result", Value(std::static_pointer_cast<Entry>(comment("c9", "Newcomer", "Hello.", 0)))}});
  EXPECT_EQ(std::optional<std::string>("c9"), screen->commentsArray().front()->entryId());
  EXPECT_EQ(6, screen->commentsTable()->numberOfRowsInSection(1));
  EXPECT_TRUE(engine_->last("detail") != engine_->of("detail").front());  // the counts asked again

  testing::postFinish(deletion, 0);
  std::vector<std::string> ids;
  for (const auto& c : screen->commentsArray()) ids.push_back(c->entryId().value_or(""));
  EXPECT_EQ(std::vector<std::string>({"c9", "c4", "c2", "c1"}), ids);
  EXPECT_EQ("评论(4)", screen->titleText());
  ASSERT_FALSE(statuses_.empty());
  EXPECT_EQ(3, statuses_.back().get("IndexKey").intValue());
  EXPECT_EQ(2, statuses_.back().get("StatusNameKey").intValue());
  EXPECT_EQ(4, statuses_.back().get("CommentsCountKey").intValue());

  // A delete whose comment has gone meanwhile removes nothing; the count never goes below 0,
  // even from the smallest count the service can send.
  detail_->veskAssess()->setTimes(std::numeric_limits<int32_t>::min());
  screen->selectComment(3);
  topSheet()->clickButtonTitled("删除评论");
  settle();
  auto second = engine_->last("delete");
  EXPECT_EQ(std::optional<std::string>("c1"), second->entryId);
  testing::postFinish(deletion, 0);  // a repeated report of the first delete
  EXPECT_EQ(4u, screen->commentsArray().size());
  testing::postFinish(second, 0);
  EXPECT_EQ(3u, screen->commentsArray().size());
  EXPECT_EQ("评论(0)", screen->titleText());
}

TEST_F(CommentsControllerTest, TheSheetActsOnTheCommentTappedThoughANewOneMovedItDown) {
  auto screen = open(5);
  ASSERT_TRUE(screen);
  firstPage();
  // The reader's own c3 (row 1) is tapped; the reader's post comes back while the sheet is open.
  screen->selectComment(1);
  auto sheet = topSheet();
  ASSERT_TRUE(sheet);
  NotificationCenter::defaultCenter().post(
      "CommentsUpdate", Value(),
      Dictionary{{"Result", Value(std::static_pointer_cast<Entry>(comment("c9", "Newcomer", "Hello.", 0)))}});
  ASSERT_EQ(std::optional<std::string>("c4"), screen->commentsArray()[1]->entryId());
  sheet->clickButtonTitled("删除评论");
  settle();
  auto deletion = engine_->last("delete");
  ASSERT_TRUE(deletion);
  EXPECT_EQ(std::optional<std::string>("c3"), deletion->entryId);
  ASSERT_TRUE(deletion->link);
  EXPECT_EQ(std::optional<std::string>("http://comments/article-1"), deletion->link->href());
  testing::postFinish(deletion, 0);
  ASSERT_EQ(4u, screen->commentsArray().size());
  for (const auto& c : screen->commentsArray()) EXPECT_NE(std::optional<std::string>("c3"), c->entryId());

  // The profile too is the tapped comment's author's.
  screen->selectComment(1);  // c4, someone else's
  sheet = topSheet();
  ASSERT_TRUE(sheet);
  NotificationCenter::defaultCenter().post(
      "CommentsUpdate", Value(),
      Dictionary{{"Result", Value(std::static_pointer_cast<Entry>(comment("c10", "Later", "Hi.", 0, true)))}});
  sheet->clickButtonTitled("查看用户资料");
  settle();
  ASSERT_FALSE(StandInScreen::requests().empty());
  const auto& opened = StandInScreen::requests().back();
  EXPECT_EQ(std::optional<std::string>("Curious reader@example.org"), opened.parameters.get("userName").stringValue());
  EXPECT_FALSE(opened.parameters.get("isLoginUser").boolValue());
}

TEST_F(CommentsControllerTest, LeavingWhileADeleteRunsTakesItsSpinnerAlong) {
  auto screen = open(5);
  ASSERT_TRUE(screen);
  firstPage();
  screen->selectComment(1);
  topSheet()->clickButtonTitled("删除评论");
  settle();
  auto* hud = SPWaitingSavePhoto::existing();
  ASSERT_TRUE(hud && hud->window());
  EXPECT_FALSE(hud->window()->isHidden());
  // The spinner takes no touches: the reader leaves by "原文" before the delete answers.
  screen->rightButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  std::weak_ptr<CommentsController> weak = screen;
  screen.reset();
  screen_.reset();
  settle();
  ASSERT_TRUE(weak.expired());
  testing::postFinish(engine_->last("delete"), 0);  // heard by no one now
  EXPECT_TRUE(hud->window()->isHidden());
}

TEST_F(CommentsControllerTest, FailingListsShowOneAlertUntilATaskSucceedsAndGiveTheButtonBack) {
  auto screen = open();
  ASSERT_TRUE(screen);
  firstPage();
  screen->showMoreComments();
  auto next = engine_->last("comments");
  testing::postFinish(next, -3, "超时");
  EXPECT_TRUE(screen->moreComments()->isEnabled());
  EXPECT_FALSE(screen->indicator()->isAnimating());
  EXPECT_EQ(1u, alertCount());
  EXPECT_TRUE(CommentsController::isShowError());
  screen->showMoreComments();
  testing::postFinish(engine_->last("comments"), -3, "超时");
  EXPECT_EQ(1u, alertCount());
  // A success lets the next failure speak again.
  testing::postFinish(engine_->last("detail"), 0);
  EXPECT_FALSE(CommentsController::isShowError());
  screen->showMoreComments();
  testing::postFinish(engine_->last("comments"), -3, "超时");
  EXPECT_EQ(2u, alertCount());
}

TEST_F(CommentsControllerTest, ProfileOpensByNameAndOriginalTextCloses) {
  auto screen = open();
  ASSERT_TRUE(screen);
  firstPage();
  screen->selectComment(1);
  topSheet()->clickButtonTitled("查看用户资料");
  settle();
  ASSERT_FALSE(StandInScreen::requests().empty());
  const auto& opened = StandInScreen::requests().back();
  EXPECT_EQ(ScreenRequest::kUserInfoNib, opened.nibName);
  EXPECT_EQ(std::optional<std::string>("Me@example.org"), opened.parameters.get("userName").stringValue());
  EXPECT_TRUE(opened.parameters.get("isLoginUser").boolValue());
  auto* navigation = screen->navigationController();
  ASSERT_TRUE(navigation);
  EXPECT_EQ(2u, navigation->viewControllers().size());
  EXPECT_FALSE(navigation->isNavigationBarHidden());
  navigation->popViewController(false);
  settle();

  ASSERT_TRUE(screen->rightButton());
  EXPECT_EQ(std::optional<std::string>("原文"), screen->rightButton()->titleForState(ui::kControlStateNormal));
  screen->rightButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_FALSE(opener_->modalViewController());
}

// One Escape while writing only ends the editing: the keyboard goes, the typed comment stays in
// the open write box and can still be sent; a second one leaves as "原文" does.
TEST_F(CommentsControllerTest, OneEscapeEndsTheWritingAndKeepsTheTextASecondLeaves) {
  auto screen = open();
  ASSERT_TRUE(screen);
  firstPage();
  auto text = screen->writeTextView();
  window_->tap(text->convertPointTo(ui::Point(20, 10), nullptr));
  ASSERT_TRUE(text->isFirstResponder());
  window_->layoutIfNeeded();
  ui::Keyboard::shared().type("早班船的消息很及时，谢谢港口。");
  EXPECT_TRUE(ui::EscapeKey::press());
  settle();
  EXPECT_FALSE(text->isFirstResponder());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  ASSERT_TRUE(opener_->modalViewController());
  EXPECT_EQ("早班船的消息很及时，谢谢港口。", text->text());
  EXPECT_TRUE(screen->writeSendButton()->isEnabled());
  EXPECT_TRUE(ui::EscapeKey::press());
  settle();
  EXPECT_FALSE(opener_->modalViewController());
}

TEST_F(CommentsControllerTest, TheToolbarsFavouriteSetsTheArticleAndTellsTheBrowserAFailureChangesNothing) {
  auto screen = open();
  ASSERT_TRUE(screen);
  auto toolbar = screen->reportToolBarController();
  ASSERT_TRUE(toolbar && toolbar->view());
  EXPECT_EQ(screen->toolBarView().get(), toolbar->view()->superview().get());
  screen->newsSummary()->setEntryId(detail_->entryId());
  auto favourite = std::make_shared<testing::CommentsTask>("favourite");
  favourite->setUserIdentity(detail_->entryId());
  NotificationCenter::defaultCenter().add(favourite->getTaskIdStr(), screen.get(), [screen](const Notification& note) {
    screen->onAddFavoriteTaskResult(note);
  });
  testing::postFinish(favourite, -3, "失败");
  EXPECT_FALSE(screen->isFavorited());
  EXPECT_TRUE(statuses_.empty());
  EXPECT_EQ(1u, alertCount());

  auto second = std::make_shared<testing::CommentsTask>("favourite");
  second->setUserIdentity(detail_->entryId());
  NotificationCenter::defaultCenter().add(second->getTaskIdStr(), screen.get(), [screen](const Notification& note) {
    screen->onAddFavoriteTaskResult(note);
  });
  testing::postFinish(second, 0);
  EXPECT_TRUE(screen->isFavorited());
  ASSERT_TRUE(detail_->veskFavorite());
  EXPECT_EQ(1, detail_->veskFavorite()->collected());
  ASSERT_EQ(1u, statuses_.size());
  EXPECT_EQ(0, statuses_[0].get("StatusNameKey").intValue());
  EXPECT_TRUE(statuses_[0].get("StatusKey").boolValue());
  EXPECT_EQ(ReportToolBarController::kSelectedTag, toolbar->favButton()->tag());
}

}  // namespace
}  // namespace zu
