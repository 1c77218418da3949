// The column detail and its review form against the sample service, through the whole engine
// and the application observer.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/EngineTestSupport.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/service/VeskAssess.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/Window.h"
#include "shell/detail/AddCommentViewController.h"
#include "shell/detail/ColumnDetailHeaderView.h"
#include "shell/detail/ColumnDetailTestSupport.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/app/Observer.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

class ColumnDetailServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    // The catalogue (which also fills the service's address table), then the application's
    // observer in place of the recorder.
    auto catalogue = engine_->createGetServerColumnsTask(nullptr);
    auto finish = runTask(catalogue);
    ASSERT_TRUE(finish && finish->code == 0);
    for (const auto& feed : observer_->feedsOf(catalogue)) {
      for (const auto& entry : *feed->entrys()) {
        if (entry->entryId() == std::optional<std::string>("col-news")) news_ = std::dynamic_pointer_cast<Column>(entry);
      }
    }
    ASSERT_TRUE(news_);
    engine_->setObserver(std::make_shared<Observer>());
    ColumnDetailViewController::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    window_.reset();
    SPWaitingSavePhoto::resign();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  // The catalogue's column with its review, related, rating and assessment addresses.
  std::shared_ptr<Column> serviceColumn() {
    auto column = news_;
    auto ranking = std::make_shared<VeskRanking>();
    column->setVeskRanking(ranking);
    column->setCommentsLink(testing::linkTo(service_.baseUrl() + "/reviews/col-news.atom"));
    column->setRelatedLink(testing::linkTo(service_.baseUrl() + "/related/col-news.atom"));
    column->veskRanking()->setHref(service_.baseUrl() + "/column/rank.atom");
    auto assess = std::make_shared<VeskAssess>();
    assess->setHref(service_.baseUrl() + "/column/assess.atom");
    column->setVeskAssess(assess);
    return column;
  }

  std::shared_ptr<Column> news_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

TEST_F(ColumnDetailServiceTest, ReviewsRelatedColumnsSubscriptionAndAPostedReview) {
  auto detail = std::make_shared<ColumnDetailViewController>();
  detail->setColumn(serviceColumn());
  navigation_ = std::make_shared<ui::NavigationController>(detail);
  ui::ViewController::installAsRoot(*window_, navigation_);
  auto& table = *detail->tableView();
  auto reviewRows = [&] { return table.numberOfRowsInSection(1); };

  // Reviews: twelve on the first page, eight on the second.
  ASSERT_TRUE(turnUntil([&] { return detail->comments().size() == 12 && !detail->isCommentsRequesting(); }));
  EXPECT_EQ(5, detail->displayedCommentsCount());
  EXPECT_EQ(6, reviewRows());
  EXPECT_EQ(std::optional<std::string>("reader 1"), detail->comments()[0]->author()->name());
  table.tapRow(ui::IndexPath::forRow(5, 1));
  EXPECT_EQ(10, detail->displayedCommentsCount());
  table.tapRow(ui::IndexPath::forRow(10, 1));
  EXPECT_TRUE(detail->isCommentsRequesting());
  ASSERT_TRUE(turnUntil([&] { return detail->comments().size() == 20 && !detail->isCommentsRequesting(); }));
  EXPECT_EQ(15, detail->displayedCommentsCount());
  EXPECT_FALSE(detail->nextCommentLink());
  EXPECT_EQ(16, reviewRows());
  table.tapRow(ui::IndexPath::forRow(15, 1));  // five held, no next page
  EXPECT_EQ(20, detail->displayedCommentsCount());
  EXPECT_EQ(20, reviewRows());
  EXPECT_EQ(2u, service_.requestsTo("/reviews/col-news.atom").size());

  // Related columns: the other five of the catalogue, their covers fetched into the cache.
  ASSERT_TRUE(turnUntil([&] { return detail->suggestions().size() == 5; }));
  const std::string thumb = service_.baseUrl() + "/img/thumb-photo.png";
  ASSERT_TRUE(turnUntil([&] { return engine_->getImageLocalPath(thumb).has_value(); }));
  auto photo = std::find_if(detail->suggestions().begin(), detail->suggestions().end(),
                            [](const auto& c) { return c->entryId() == std::optional<std::string>("col-photo"); });
  ASSERT_NE(photo, detail->suggestions().end());
  const int64_t photoRow = photo - detail->suggestions().begin();
  table.scrollToRow(ui::IndexPath::forRow(photoRow, 2), ui::TableViewScrollPosition::Middle, false);
  table.layoutIfNeeded();
  auto row = std::dynamic_pointer_cast<ColumnDetailHeaderView>(table.cellForRow(ui::IndexPath::forRow(photoRow, 2)));
  ASSERT_TRUE(row);
  EXPECT_TRUE(turnUntil([&] { return row->coverImageView()->image() != nullptr; }));  // read off the main thread
  EXPECT_EQ("Lantern Photo Walks", row->titleLabel()->text());

  // Subscribing: the service holds the column; the home grid hears of it.
  int broadcasts = 0;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this, [&](const Notification&) { ++broadcasts; });
  detail->headerView()->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  const bool subscribed = turnUntil([&] { return detail->headerView()->commentButton()->isEnabled(); });
  if (!subscribed) testing::dumpLogToStderr();
  ASSERT_TRUE(subscribed);
  EXPECT_EQ(std::vector<std::string>{"col-news"}, service_.subscriptions());
  EXPECT_TRUE(detail->headerView()->unsubscribeButton()->isEnabled());
  EXPECT_TRUE(detail->closeButton()->isEnabled());
  EXPECT_GE(broadcasts, 2);
  NotificationCenter::defaultCenter().remove(this);

  // A review: posted, then listed first when the reviews start over.
  detail->setColumn(serviceColumn());  // the service's entry lacks the test's addresses
  detail->headerView()->commentButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return std::dynamic_pointer_cast<AddCommentViewController>(navigation_->topViewController()) != nullptr; }));
  auto form = std::static_pointer_cast<AddCommentViewController>(navigation_->topViewController());
  form->markedNumChanged(4);
  form->commentTextView()->insertText("早班船总是太早。");
  ASSERT_TRUE(form->sendButton()->isEnabled());
  form->sendButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return navigation_->topViewController() == detail && !detail->isCommentsRequesting(); }));
  EXPECT_EQ(1u, service_.requestsTo("/column/rank.atom").size());
  EXPECT_EQ(1u, service_.requestsTo("/column/assess.atom").size());
  ASSERT_EQ(12u, detail->comments().size());
  const auto& content = detail->comments()[0]->content();
  ASSERT_TRUE(content);
  EXPECT_EQ(std::optional<std::string>("早班船总是太早。"), content->data());
  EXPECT_EQ(5, detail->displayedCommentsCount());
  EXPECT_EQ(0u, ui::AlertRegistry::shared().shown().size());
}

}  // namespace
}  // namespace zu
