// The comments screen against the sample service, through the whole engine and the application
// observer: the first page and the counts, the page after, a post that comes back at the top and
// is kept by the service, and the deletion of that comment of the reader's own, with the status
// notification a browser would follow.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "reading/comments/CommentsController.h"
#include "reading/ReadingNibs.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {
namespace {

std::shared_ptr<Link> linkTo(const std::string& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

class CommentsServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    auto task = engine_->createGetNewsDetailTask(linkTo(service_.baseUrl() + "/article/art-news-1.atom"));
    auto finish = runTask(task);
    ASSERT_TRUE(finish && finish->code == 0);
    auto feeds = observer_->feedsOf(task);
    ASSERT_FALSE(feeds.empty());
    detail_ = std::dynamic_pointer_cast<NewsDetail>(feeds[0]->entrys()->at(0));
    ASSERT_TRUE(detail_ && detail_->commentsLink());
    engine_->setObserver(std::make_shared<Observer>());
    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    opener_ = std::make_shared<ui::ViewController>(std::nullopt);
    ui::ViewController::installAsRoot(*window_, opener_);
    NotificationCenter::defaultCenter().add(CommentsController::kStatusUpdateNotification, this,
                                            [this](const Notification& note) {
                                              if (note.userInfo.get("StatusNameKey").intValue() == 2) {
                                                browserCount_ = note.userInfo.get("CommentsCountKey").intValue();
                                              }
                                            });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    screen_.reset();
    opener_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  std::string firstText() const {
    const auto& list = screen_->commentsArray();
    return list.empty() || !list[0]->content() ? std::string() : list[0]->content()->data().value_or("");
  }

  std::shared_ptr<NewsDetail> detail_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> opener_;
  std::shared_ptr<CommentsController> screen_;
  int64_t browserCount_ = -1;
};

TEST_F(CommentsServiceTest, LoadPagePostAndDeleteTheReadersOwnComment) {
  auto summary = std::make_shared<NewsSummary>();
  summary->setEntryId(detail_->entryId());
  summary->setTitle(detail_->title());
  auto request = std::make_shared<ScreenRequest>(
      ScreenRequest::kCommentsNib,
      Dictionary{{"newsSummary", Value(summary)}, {"detailData", Value(detail_)}, {"currentIndex", 0},
                 {"viewController", Value(opener_)}});
  screen_ = std::dynamic_pointer_cast<CommentsController>(request->load());
  ASSERT_TRUE(screen_);
  auto navigation = std::make_shared<ui::NavigationController>(screen_);
  opener_->presentModalViewController(navigation, false);
  window_->layoutIfNeeded();

  // The first page and the counts.
  ASSERT_TRUE(turnUntil([&] { return screen_->commentsArray().size() == 2 && screen_->titleText() == "评论(3)"; }));
  EXPECT_EQ("Will there be a follow-up next week?", firstText());
  ASSERT_TRUE(turnUntil([&] { return screen_->moreComments()->isEnabled(); }));
  EXPECT_FALSE(screen_->moreComments()->isHidden());
  // The page after.
  screen_->moreComments()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return screen_->commentsArray().size() == 3; }));
  EXPECT_TRUE(screen_->moreComments()->isHidden());

  // A post: back at the top, kept by the service, counted.
  screen_->writeTextView()->setText("Kept by the harbour office.");
  screen_->textChanged();
  screen_->postAction();
  ASSERT_TRUE(turnUntil([&] { return firstText() == "Kept by the harbour office."; }));
  ASSERT_TRUE(turnUntil([&] { return screen_->titleText() == "评论(4)"; }));
  ASSERT_TRUE(turnUntil([&] { return screen_->view()->isUserInteractionEnabled(); }));
  EXPECT_EQ("", screen_->writeTextView()->text());
  const auto requests = service_.requestsTo("/comments/art-news-1.atom");
  EXPECT_EQ(1, std::count_if(requests.begin(), requests.end(), [](const auto& r) { return r.method == "POST"; }));

  // The reader's own comment: deleted by its id; the browser hears the new count.
  screen_->selectComment(0);
  auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(sheet);
  ASSERT_TRUE(sheet->clickButtonTitled("删除评论"));
  ASSERT_TRUE(turnUntil([&] { return screen_->commentsArray().size() == 3; }));
  EXPECT_EQ("Will there be a follow-up next week?", firstText());
  EXPECT_EQ("评论(3)", screen_->titleText());
  EXPECT_EQ(3, browserCount_);
  // Gone from the service too: the next appearance lists the three fixed comments.
  opener_->dismissModalViewController(false);
  opener_->presentModalViewController(navigation, false);
  ASSERT_TRUE(turnUntil([&] { return screen_->commentsArray().size() == 2; }));
  EXPECT_EQ("Will there be a follow-up next week?", firstText());
  // No error was shown on the way.
  for (const auto& alert : ui::AlertRegistry::shared().shown()) {
    EXPECT_FALSE(std::dynamic_pointer_cast<ui::AlertView>(alert)) << alert->title().value_or("") << alert->messageText();
  }
}

}  // namespace
}  // namespace zu
