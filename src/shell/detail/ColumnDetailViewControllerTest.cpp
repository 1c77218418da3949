#include "shell/detail/ColumnDetailViewController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <functional>

#include "common/Log.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/Switch.h"
#include "testing/MainLoopTurn.h"
#include "shell/detail/ColumnCommentCell.h"
#include "shell/detail/ColumnDetailHeaderView.h"
#include "shell/detail/ColumnDetailTestSupport.h"
#include "shell/detail/ColumnSummaryCell.h"
#include "shell/skin/LegibilityTestSupport.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/StarsView.h"

namespace zu {
namespace {

using testing::postEntry;
using testing::postFeed;
using testing::postFinish;
using testing::reviewPage;

// The first label with text in the view's tree.
std::string firstText(const ui::View& view) {
  if (auto* label = dynamic_cast<const ui::Label*>(&view); label && !label->text().empty()) return label->text();
  for (const auto& child : view.subviews()) {
    std::string text = firstText(*child);
    if (!text.empty()) return text;
  }
  return {};
}

class ColumnDetailTest : public testing::DetailFixture {
 protected:
  int64_t reviewRows() { return detail_->tableView()->numberOfRowsInSection(1); }
  // The cell of a row, scrolled into view first.
  std::shared_ptr<ui::TableViewCell> cellAt(int64_t section, int64_t row) {
    auto& table = *detail_->tableView();
    table.scrollToRow(ui::IndexPath::forRow(row, section), ui::TableViewScrollPosition::Middle, false);
    table.layoutIfNeeded();
    return table.cellForRow(ui::IndexPath::forRow(row, section));
  }
  std::string rowText(int64_t row) {
    auto cell = cellAt(1, row);
    if (!cell) return "<off screen>";
    if (auto review = std::dynamic_pointer_cast<ColumnCommentCell>(cell)) return "review " + review->usernameLabel()->text();
    return firstText(*cell);
  }
  std::shared_ptr<testing::ScriptedTask> commentsTask() { return engine_->last("comments"); }
  // A page of the current reviews request and its finish.
  void deliver(const std::shared_ptr<Feed>& page) {
    auto task = commentsTask();
    postFeed(task, page);
    postFinish(task, 0);
  }
  bool tapExtraRow() {
    return detail_->tableView()->tapRow(ui::IndexPath::forRow(detail_->displayedCommentsCount(), 1));
  }
  ColumnDetailHeaderView& header() { return *detail_->headerView(); }

  std::shared_ptr<Column> column_ = testing::detailColumn("col-1", "港口晨报", false);
  std::shared_ptr<ColumnDetailViewController> detail_;
};

TEST_F(ColumnDetailTest, ReviewsPageFiveAtATimeAndAskForTheNextPageWhenFewerAreHeld) {
  detail_ = open(column_);
  auto first = commentsTask();
  ASSERT_TRUE(first && first->ran);
  EXPECT_EQ(first->link, column_->commentsLink());
  EXPECT_EQ(first->userIdentity(), std::optional<std::string>("col-1"));
  EXPECT_EQ(1, reviewRows());
  EXPECT_EQ("正在请求...", rowText(0));
  EXPECT_FALSE(cellAt(1, 0)->isUserInteractionEnabled());
  detail_->tableView()->tapRow(ui::IndexPath::forRow(0, 1));
  EXPECT_EQ(1u, engine_->of("comments").size());

  deliver(reviewPage(12, true));
  EXPECT_EQ(5, detail_->displayedCommentsCount());
  EXPECT_EQ(6, reviewRows());
  EXPECT_EQ("review reader1", rowText(0));
  EXPECT_EQ("review reader5", rowText(4));
  EXPECT_EQ("更多评价...", rowText(5));
  EXPECT_TRUE(cellAt(1, 5)->isUserInteractionEnabled());

  tapExtraRow();
  EXPECT_EQ(10, detail_->displayedCommentsCount());
  EXPECT_EQ(11, reviewRows());
  EXPECT_EQ(1u, engine_->of("comments").size());

  // Two held and a next page: the next page is asked for and the extra row says so.
  tapExtraRow();
  ASSERT_EQ(2u, engine_->of("comments").size());
  auto second = commentsTask();
  EXPECT_TRUE(second->ran);
  EXPECT_EQ("http://reviews/next13", second->link->href());
  EXPECT_TRUE(detail_->isCommentsRequesting());
  EXPECT_EQ(11, reviewRows());
  EXPECT_EQ("正在请求...", rowText(10));
  // A tap on the requesting row does nothing.
  tapExtraRow();
  EXPECT_EQ(2u, engine_->of("comments").size());

  deliver(reviewPage(20, true, 13));
  EXPECT_EQ(15, detail_->displayedCommentsCount());
  EXPECT_EQ(32u, detail_->comments().size());  // 17 held
  EXPECT_EQ(16, reviewRows());
  EXPECT_EQ("review reader15", rowText(14));
  EXPECT_EQ("更多评价...", rowText(15));
}

TEST_F(ColumnDetailTest, ALastPageShowsItsLastReviewInPlaceOfTheExtraRow) {
  detail_ = open(column_);
  // The page alone already shows the last review (its finish reloads the section again).
  postFeed(commentsTask(), reviewPage(3, false));
  EXPECT_EQ(3, detail_->displayedCommentsCount());
  EXPECT_EQ(3, reviewRows());
  EXPECT_EQ("review reader3", rowText(2));
  postFinish(commentsTask(), 0);
  EXPECT_EQ("review reader3", rowText(2));

  // One review: no row is inserted, the placeholder row is reloaded as that review.
  auto single = testing::detailColumn("col-2", "潮汐", false);
  detail_ = open(single);
  postFeed(commentsTask(), reviewPage(1, false));
  EXPECT_EQ(1, reviewRows());
  EXPECT_EQ("review reader1", rowText(0));
  const auto& log = detail_->tableView()->updateLog();
  ASSERT_FALSE(log.empty());
  for (const auto& update : log) EXPECT_NE(ui::TableUpdate::Kind::InsertRows, update.kind);
}

TEST_F(ColumnDetailTest, FiveReceivedWithAndWithoutANextLink) {
  detail_ = open(column_);
  deliver(reviewPage(5, true));
  EXPECT_EQ(5, detail_->displayedCommentsCount());
  EXPECT_EQ(6, reviewRows());
  EXPECT_EQ("更多评价...", rowText(5));

  detail_ = open(testing::detailColumn("col-2", "潮汐", false));
  deliver(reviewPage(5, false));
  EXPECT_EQ(5, detail_->displayedCommentsCount());
  EXPECT_EQ(5, reviewRows());

  // Tapped with exactly five held: five more while a next page exists…
  detail_ = open(testing::detailColumn("col-3", "潮汐", false));
  deliver(reviewPage(10, true));
  const size_t requests = engine_->of("comments").size();
  tapExtraRow();
  EXPECT_EQ(10, detail_->displayedCommentsCount());
  EXPECT_EQ(11, reviewRows());
  EXPECT_EQ(requests, engine_->of("comments").size());

  // …else four rows and the extra row turned into the fifth.
  detail_ = open(testing::detailColumn("col-4", "潮汐", false));
  deliver(reviewPage(10, false));
  tapExtraRow();
  EXPECT_EQ(10, detail_->displayedCommentsCount());
  EXPECT_EQ(10, reviewRows());
  EXPECT_EQ("review reader10", rowText(9));

  // Fewer than five held without a next page: all of them.
  detail_ = open(testing::detailColumn("col-5", "潮汐", false));
  deliver(reviewPage(8, false));
  tapExtraRow();
  EXPECT_EQ(8, detail_->displayedCommentsCount());
  EXPECT_EQ(8, reviewRows());
}

TEST_F(ColumnDetailTest, AnEmptyOrFailedFirstPageLeavesTheNoReviewsRow) {
  detail_ = open(column_);
  deliver(std::make_shared<Feed>());
  EXPECT_EQ(0, detail_->displayedCommentsCount());
  EXPECT_EQ(1, reviewRows());
  EXPECT_EQ("暂无评论", rowText(0));
  EXPECT_FALSE(cellAt(1, 0)->isUserInteractionEnabled());
  detail_->tableView()->tapRow(ui::IndexPath::forRow(0, 1));
  EXPECT_EQ(1u, engine_->of("comments").size());

  // The failure is written to the log, not to standard output.
  detail_ = open(testing::detailColumn("col-2", "潮汐", false));
  ::testing::internal::CaptureStdout();
  postFinish(commentsTask(), -13, "网络不可用");
  EXPECT_EQ("", ::testing::internal::GetCapturedStdout());
  EXPECT_EQ("暂无评论", rowText(0));
  auto logPath = VESKLogGetLogFilepath();
  ASSERT_TRUE(logPath);
  std::ifstream log(*logPath, std::ios::binary);
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, logged.find("error code 网络不可用"));
}

TEST_F(ColumnDetailTest, AWrittenReviewStartsTheReviewsOverAndDropsTheOldRequestsPages) {
  detail_ = open(column_);
  deliver(reviewPage(12, true));
  tapExtraRow();
  tapExtraRow();  // asks for the next page
  auto superseded = commentsTask();
  detail_->didPostNewComment(nullptr);
  auto fresh = commentsTask();
  ASSERT_NE(superseded, fresh);
  EXPECT_EQ(column_->commentsLink(), fresh->link);
  EXPECT_EQ(0, detail_->displayedCommentsCount());
  EXPECT_TRUE(detail_->comments().empty());
  EXPECT_EQ(1, reviewRows());
  EXPECT_EQ("正在请求...", rowText(0));

  postFeed(superseded, reviewPage(20, true, 13));
  postFinish(superseded, 0);
  EXPECT_TRUE(detail_->comments().empty());
  EXPECT_TRUE(detail_->isCommentsRequesting());

  deliver(reviewPage(2, false, 100));
  EXPECT_EQ(2, reviewRows());
  EXPECT_EQ("review reader100", rowText(0));
}

TEST_F(ColumnDetailTest, AViewUnloadedUnderAnotherScreenLoadsItsReviewsAndRelatedColumnsOnceAgain) {
  detail_ = open(column_);
  deliver(reviewPage(12, true));
  auto firstRelated = engine_->last("related");  // still running when the view goes
  ASSERT_EQ(5, detail_->displayedCommentsCount());

  // Another screen on top, a memory warning, and back.
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(detail_->isViewLoaded());
  navigation_->popViewController(false);
  window_->layoutIfNeeded();
  ASSERT_TRUE(detail_->isViewLoaded());
  ASSERT_EQ(2u, engine_->of("comments").size());
  ASSERT_EQ(2u, engine_->of("related").size());

  // The first page again, and the related columns of the old request and of the new one.
  deliver(reviewPage(12, true));
  EXPECT_EQ(12u, detail_->comments().size());
  EXPECT_EQ(5, detail_->displayedCommentsCount());
  EXPECT_EQ(6, reviewRows());
  EXPECT_EQ("review reader1", rowText(0));
  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
  feed->appendEntrys(testing::detailColumn("rel-2", "工坊笔记", false));
  postFeed(firstRelated, feed);
  postFinish(firstRelated, 0);
  postFeed(engine_->last("related"), feed);
  EXPECT_EQ(2u, detail_->suggestions().size());
  EXPECT_EQ(2, detail_->tableView()->numberOfRowsInSection(2));
}

TEST_F(ColumnDetailTest, BackTitleCutsLongTitlesAndCloseGoesToTheOpener) {
  EXPECT_EQ(" 一二三四五六七八九十甲", ColumnDetailViewController::backTitle("一二三四五六七八九十甲"));
  EXPECT_EQ(" 一二三四五六七八九十...", ColumnDetailViewController::backTitle("一二三四五六七八九十甲乙"));
  // The cut never splits a surrogate pair.
  EXPECT_EQ(" 一二三四五六七八九...", ColumnDetailViewController::backTitle("一二三四五六七八九😀十甲"));

  auto below = std::make_shared<ui::ViewController>();
  below->setTitle(std::string("一二三四五六七八九十甲乙"));
  navigation_ = std::make_shared<ui::NavigationController>(below);
  ui::ViewController::installAsRoot(*window_, navigation_);
  auto detail = std::make_shared<ColumnDetailViewController>();
  detail->setEngine(engine_);
  detail->setColumn(column_);
  detail->setDetailFrom(2);
  navigation_->pushViewController(detail, false);
  ASSERT_TRUE(detail->backButton());
  EXPECT_EQ(std::optional<std::string>(" 一二三四五六七八九十..."), detail->backButton()->currentTitle());
  EXPECT_TRUE(detail->navigationItem()->hidesBackButton());
  EXPECT_EQ(std::optional<std::string>("港口晨报"), detail->title());
  EXPECT_EQ(std::optional<std::string>(""), detail->navigationItem()->title());
  EXPECT_EQ(std::optional<std::string>("关闭"), detail->closeButton()->currentTitle());
  detail->backButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(below, navigation_->topViewController());

  // The first screen of its navigation controller has no back button.
  detail_ = open(column_);
  EXPECT_FALSE(detail_->backButton());

  // Close: an opener that closes details is told the column's id…
  struct Opener : ui::ViewController, ColumnDetailClosing {
    void closeColumnDetailWithEntryId(const std::optional<std::string>& id) override { closed.push_back(id); }
    std::vector<std::optional<std::string>> closed;
  };
  auto opener = std::make_shared<Opener>();
  detail_->setDelegateVC(opener);
  detail_->closeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ((std::vector<std::optional<std::string>>{std::string("col-1")}), opener->closed);

  // …any other one sees the screen dismissed.
  auto presenter = std::make_shared<ui::ViewController>();
  ui::ViewController::installAsRoot(*window_, presenter);
  auto modal = std::make_shared<ColumnDetailViewController>();
  modal->setEngine(engine_);
  modal->setColumn(column_);
  modal->setDelegateVC(presenter);
  auto modalNavigation = std::make_shared<ui::NavigationController>(modal);
  ASSERT_TRUE(presenter->presentModalViewController(modalNavigation, false));
  modal->closeButtonPressed();
  settle(1);
  EXPECT_FALSE(presenter->modalViewController());
}

TEST_F(ColumnDetailTest, TheButtonsFollowTheSubscriptionFlagUnlessOpenedFromAListOrTheGrid) {
  for (int from : {1, 3}) {
    detail_ = open(column_, from);
    EXPECT_TRUE(header().subscribeButton()->isHidden()) << from;
    EXPECT_FALSE(header().unsubscribeButton()->isHidden()) << from;
    EXPECT_TRUE(header().commentButton()->isEnabled()) << from;
  }
  detail_ = open(column_, 0);
  EXPECT_FALSE(header().subscribeButton()->isHidden());
  EXPECT_TRUE(header().unsubscribeButton()->isHidden());
  EXPECT_FALSE(header().commentButton()->isEnabled());
  detail_ = open(testing::detailColumn("col-2", "潮汐", true), 2);
  EXPECT_TRUE(header().subscribeButton()->isHidden());
  EXPECT_FALSE(header().unsubscribeButton()->isHidden());
  EXPECT_TRUE(header().commentButton()->isEnabled());
  EXPECT_EQ("1204 人订阅", header().subscriptionLabel()->text());
  EXPECT_EQ("每天更新", header().updateFrequencyLabel()->text());
  EXPECT_EQ(3, header().starsView()->markedNum());
}

struct SubscribeListener : ColumnDetailViewControllerProtocol {
  void columnDetailViewController(ColumnDetailViewController&, const std::shared_ptr<Column>& column) override {
    subscribed.push_back(column);
  }
  std::vector<std::shared_ptr<Column>> subscribed;
};

TEST_F(ColumnDetailTest, SubscribingReportsTheServiceColumnAndAFailureShowsTheSubscribeButtonAgain) {
  auto listener = std::make_shared<SubscribeListener>();
  int broadcasts = 0;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this, [&](const Notification&) { ++broadcasts; });
  detail_ = open(column_);
  detail_->setDelegate(listener);
  header().subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto task = engine_->last("subscribe");
  ASSERT_TRUE(task && task->ran);
  EXPECT_EQ(column_, task->column);
  EXPECT_EQ(std::optional<std::string>("NOTIFICATIONSUBSCRIBECOLUMN"), task->userBroadcast());
  EXPECT_TRUE(header().subscribeButton()->isHidden());
  EXPECT_FALSE(header().unsubscribeButton()->isHidden());
  EXPECT_FALSE(header().unsubscribeButton()->isEnabled());
  EXPECT_FALSE(detail_->closeButton()->isEnabled());

  auto stored = testing::detailColumn("col-1", "港口晨报", true);
  postEntry(task, stored);
  EXPECT_TRUE(detail_->closeButton()->isEnabled());
  EXPECT_EQ(stored, detail_->column());
  EXPECT_TRUE(listener->subscribed.empty());
  postFinish(task, 0);
  ASSERT_EQ(1u, listener->subscribed.size());
  EXPECT_EQ(stored, listener->subscribed[0]);
  EXPECT_TRUE(header().unsubscribeButton()->isEnabled());
  EXPECT_TRUE(header().commentButton()->isEnabled());
  EXPECT_FALSE(header().commentButton()->isHidden());
  EXPECT_EQ(2, broadcasts);
  EXPECT_EQ(0u, alertCount());

  // Unsubscribing runs no task: it tells the home grid.
  std::vector<Value> unsubscribed;
  NotificationCenter::defaultCenter().add("NOTIFICATIONUNSUBSCRIBECOLUMN", this,
                                          [&](const Notification& n) { unsubscribed.push_back(n.object); });
  header().unsubscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_EQ(1u, unsubscribed.size());
  EXPECT_EQ(stored, unsubscribed[0].asObject<Column>());
  EXPECT_EQ(1u, engine_->of("subscribe").size());
  EXPECT_FALSE(header().subscribeButton()->isHidden());
  EXPECT_TRUE(header().subscribeButton()->isEnabled());
  EXPECT_TRUE(header().unsubscribeButton()->isHidden());
  EXPECT_FALSE(header().commentButton()->isEnabled());

  // A failure: the error alert, and the reader can subscribe again.
  header().subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  postFinish(engine_->last("subscribe"), -13, "网络不可用");
  EXPECT_EQ(1u, alertCount());
  EXPECT_EQ(1u, listener->subscribed.size());
  EXPECT_TRUE(detail_->closeButton()->isEnabled());
  EXPECT_FALSE(header().subscribeButton()->isHidden());
  EXPECT_TRUE(header().subscribeButton()->isEnabled());
  EXPECT_TRUE(header().unsubscribeButton()->isHidden());
  NotificationCenter::defaultCenter().remove(this);
}

TEST_F(ColumnDetailTest, RelatedColumnsOpenTheirDetailWhichReportsItsSubscription) {
  detail_ = open(column_);
  auto related = engine_->last("related");
  ASSERT_TRUE(related && related->ran);
  EXPECT_EQ(column_->relatedLink(), related->link);
  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
  feed->appendEntrys(testing::detailColumn("rel-2", "工坊笔记", false));
  postFeed(related, feed);
  ASSERT_EQ(2, detail_->tableView()->numberOfRowsInSection(2));
  auto row = std::dynamic_pointer_cast<ColumnDetailHeaderView>(cellAt(2, 1));
  ASSERT_TRUE(row);
  EXPECT_EQ("工坊笔记", row->titleLabel()->text());
  EXPECT_EQ("1204人订阅", row->subscriptionLabel()->text());
  EXPECT_TRUE(row->subscribeButton()->isHidden());
  EXPECT_TRUE(row->unsubscribeButton()->isHidden());
  EXPECT_TRUE(row->commentButton()->isHidden());
  postFeed(related, std::make_shared<Feed>());  // an empty page changes nothing
  EXPECT_EQ(2, detail_->tableView()->numberOfRowsInSection(2));

  detail_->tableView()->tapRow(ui::IndexPath::forRow(1, 2));
  settle(1);
  auto child = std::dynamic_pointer_cast<ColumnDetailViewController>(navigation_->topViewController());
  ASSERT_TRUE(child);
  EXPECT_EQ(2, child->detailFrom());
  EXPECT_EQ(detail_->suggestions()[1], child->column());
  EXPECT_EQ(std::static_pointer_cast<ColumnDetailViewControllerProtocol>(detail_), child->delegate());
  ASSERT_TRUE(child->backButton());
  EXPECT_EQ(std::optional<std::string>(" 港口晨报"), child->backButton()->currentTitle());

  child->subscribeButtonPressed();
  postFinish(engine_->last("subscribe"), 0);
  EXPECT_EQ(1, detail_->suggestions()[1]->veskSubscribe()->subscribed());
  EXPECT_EQ(0, detail_->suggestions()[0]->veskSubscribe()->subscribed());

  // The offline switch stores the column's choice.
  auto toggle = std::make_shared<ui::Switch>();
  toggle->setOn(true);
  detail_->downloadSwitchValueChanged(*toggle);
  EXPECT_EQ((std::vector<std::pair<std::string, bool>>{{"col-1", true}}), engine_->offlineSwitches);
}

// The second tap of a double tap reaches the screen before the first tap's screen has taken
// over: the review button and a related row, in any pair, push one screen (the first tap's),
// and open theirs again once it is gone.
TEST_F(ColumnDetailTest, ADoubleTapOnTheReviewButtonOrARelatedRowPushesOneScreen) {
  detail_ = open(testing::detailColumn("col-1", "港口晨报", true));
  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
  postFeed(engine_->last("related"), feed);
  const std::function<void()> taps[] = {
      [&] { header().commentButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside); },
      [&] { detail_->tableView()->tapRow(ui::IndexPath::forRow(0, 2)); }};
  for (int first : {0, 1}) {
    for (int second : {0, 1}) {
      taps[first]();
      taps[second]();
      settle(1);
      ASSERT_EQ(2u, navigation_->viewControllers().size()) << first << second;
      EXPECT_EQ(first == 0, !!std::dynamic_pointer_cast<AddCommentViewController>(navigation_->topViewController()));
      navigation_->popToRootViewController(true);
      settle(1);
    }
  }
}

// A push is drawn as it moves: half-way through it (ease-in-out, so half the way) the detail has
// gone half a screen to the left and the review form has come half a screen in from the right.
TEST_F(ColumnDetailTest, APushSlidesTheFormInAsTheDetailGoesOut) {
  detail_ = open(testing::detailColumn("col-1", "港口晨报", true));
  settle(1);
  auto before = ui::render(*window_);
  header().commentButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  clock_->advance(ui::NavigationController::kTransitionDuration / 2);
  auto mid = ui::render(*window_);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *mid, "navigation-push-halfway"));
  settle(1);
  ASSERT_TRUE(std::dynamic_pointer_cast<AddCommentViewController>(navigation_->topViewController()));
  auto after = ui::render(*window_);
  // Below the bar (whose items change at once): the left half is the detail's right half, the
  // right half the form's left half.
  EXPECT_GT(testing::matchingShare(*mid, *before, 160, 0, 158, 80, 300), 0.98);
  EXPECT_GT(testing::matchingShare(*mid, *after, -160, 162, 320, 80, 300), 0.98);
  // The two are not the same picture, so the comparison tells them apart.
  EXPECT_LT(testing::matchingShare(*before, *after, 0, 0, 320, 80, 300), 0.9);
}

class ColumnDetailLayoutTest : public ColumnDetailTest {
 protected:
  void SetUp() override {
    ColumnDetailTest::SetUp();
    ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>());
  }
  void TearDown() override {
    ui::TextMetrics::setCurrent(nullptr);
    ColumnDetailTest::TearDown();
  }
  float height(int64_t section, int64_t row) {
    return *detail_->heightForRow(*detail_->tableView(), ui::IndexPath::forRow(row, section));
  }
};

TEST_F(ColumnDetailLayoutTest, TheHeaderGrowsWithItsTitle) {
  // One line of 19-point text is 22.8 points high here: one point above the 22 of the file.
  detail_ = open(column_);
  const float builtHeight = header().builtHeight();
  const float oneLine = std::ceil(19 * 1.2f);
  EXPECT_FLOAT_EQ(builtHeight + oneLine - 22, header().frame().size.height);
  EXPECT_FLOAT_EQ(header().builtBottomFrame().origin.y + oneLine - 22, header().bottomView()->frame().origin.y);
  EXPECT_FLOAT_EQ(4 * 19, header().titleLabel()->frame().size.width);
  // Three lines, twelve characters to a line within 230 points.
  detail_ = open(testing::detailColumn("col-2", "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十", false));
  const float excess = std::ceil(3 * 19 * 1.2f) - 22;
  EXPECT_FLOAT_EQ(builtHeight + excess, header().frame().size.height);
  EXPECT_FLOAT_EQ(header().builtBottomFrame().origin.y + excess, header().bottomView()->frame().origin.y);
  EXPECT_FLOAT_EQ(22 + excess, header().titleLabel()->frame().size.height);
  EXPECT_FLOAT_EQ(builtHeight + excess, detail_->tableView()->tableHeaderView()->frame().size.height);
  EXPECT_EQ(0, header().titleLabel()->numberOfLines());
}

TEST_F(ColumnDetailLayoutTest, AOneLineHeaderTitleTakesItsMeasuredWidthWhileARelatedRowKeepsItsFilePlace) {
  // Lines one em high: a line of 19-point text fits the header's 22 points.
  struct OneEmLines : ui::FixedTextMetrics {
    float lineHeight(const ui::Font& font) const override { return font.pointSize; }
  };
  ui::TextMetrics::setCurrent(std::make_shared<OneEmLines>());
  detail_ = open(column_);
  const ui::Rect built = header().builtTitleFrame();
  EXPECT_EQ(ui::Rect(built.origin.x, built.origin.y, 4 * 19, 22), header().titleLabel()->frame());
  EXPECT_FLOAT_EQ(header().builtHeight(), header().frame().size.height);
  EXPECT_EQ(header().builtBottomFrame(), header().bottomView()->frame());

  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
  postFeed(engine_->last("related"), feed);
  auto row = std::dynamic_pointer_cast<ColumnDetailHeaderView>(cellAt(2, 0));
  ASSERT_TRUE(row);
  EXPECT_EQ(row->builtTitleFrame(), row->titleLabel()->frame());
}

TEST_F(ColumnDetailLayoutTest, RowHeightsFollowTheirTexts) {
  // The summary: trimmed of blanks and tabs; blanks only give 44; none gives the placeholder.
  detail_ = open(column_);
  EXPECT_EQ("A column about the harbour town.", detail_->summaryText());
  EXPECT_FLOAT_EQ(29 + std::ceil(13 * 1.2f), height(0, 0));
  auto summary = std::dynamic_pointer_cast<ColumnSummaryCell>(cellAt(0, 0));
  ASSERT_TRUE(summary);
  EXPECT_EQ(ui::Rect(10, 10, 32 * 6.5f, std::ceil(13 * 1.2f)), summary->summaryLabel()->frame());
  column_->setSummary(" \t\u3000 ");
  EXPECT_EQ("", detail_->summaryText());
  EXPECT_FLOAT_EQ(44, height(0, 0));
  column_->setSummary(std::nullopt);
  EXPECT_EQ("暂无内容简介", detail_->summaryText());

  // Reviews: one line is laid out 300 wide; several lines take their width; a very long one
  // is capped at 1045 points while its label keeps its full height.
  auto page = reviewPage(3, false);
  auto& reviews = *page->entrys();
  reviews[1]->content()->setData("\t一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十  ");
  std::string longText;
  for (int i = 0; i < 2000; ++i) longText += "字";
  reviews[2]->content()->setData(longText);
  deliver(page);
  EXPECT_FLOAT_EQ(45 + std::ceil(13 * 1.2f), height(1, 0));
  EXPECT_FLOAT_EQ(45 + std::ceil(2 * 13 * 1.2f), height(1, 1));
  EXPECT_LE(height(1, 2), 1045);
  EXPECT_GT(height(1, 2), 1000);
  auto oneLine = std::dynamic_pointer_cast<ColumnCommentCell>(cellAt(1, 0));
  ASSERT_TRUE(oneLine);
  EXPECT_FLOAT_EQ(300, oneLine->commentLabel()->frame().size.width);
  EXPECT_FLOAT_EQ(32, oneLine->commentLabel()->frame().origin.y);
  // The time follows the name: "reader1" in 15 points is 52.5 wide, rounded up.
  EXPECT_FLOAT_EQ(oneLine->usernameLabel()->frame().origin.x + 53 + 10, oneLine->timeLabel()->frame().origin.x);
  auto twoLines = std::dynamic_pointer_cast<ColumnCommentCell>(cellAt(1, 1));
  EXPECT_FLOAT_EQ(23 * 13, twoLines->commentLabel()->frame().size.width);
  auto tall = std::dynamic_pointer_cast<ColumnCommentCell>(cellAt(1, 2));
  EXPECT_GT(tall->commentLabel()->frame().size.height, 1000);

  // Related columns: 80 for a one-line title, more for a longer one.
  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
  feed->appendEntrys(testing::detailColumn("rel-2", "一二三四五六七八九十一二三四五六七八九十", false));
  postFeed(engine_->last("related"), feed);
  EXPECT_FLOAT_EQ(80, height(2, 0));
  EXPECT_FLOAT_EQ(80 + std::ceil(2 * 17 * 1.2f) - 23, height(2, 1));
}

// A column without a cover of its own, and a related one likewise, show the default cover,
// not a blank place.
TEST_F(ColumnDetailTest, ColumnsWithoutACoverShowTheDefaultCover) {
  auto bare = testing::detailColumn("col-bare", "无封面", false);
  ASSERT_FALSE(bare->coverImageThumbnailData());
  detail_ = open(bare);
  auto defaultCover = ColumnDetailHeaderView::defaultCover();
  ASSERT_TRUE(defaultCover);
  EXPECT_EQ(defaultCover, header().coverImageView()->image());
  auto feed = std::make_shared<Feed>();
  feed->appendEntrys(testing::detailColumn("rel-bare", "灯笼夜拍", false));
  postFeed(engine_->last("related"), feed);
  auto row = std::dynamic_pointer_cast<ColumnDetailHeaderView>(cellAt(2, 0));
  ASSERT_TRUE(row);
  EXPECT_EQ(defaultCover, row->coverImageView()->image());
}

// Pictures of the screen by day and by night, and of the requesting row.
TEST_F(ColumnDetailTest, Pictures) {
  auto page = reviewPage(7, true);
  // Covers from the image cache: two of the bundle's start-up pictures.
  for (const char* name : {"0_large", "1_large"}) {
    auto path = Bundle::mainBundle()->pathForResource(name, "");
    ASSERT_TRUE(path);
    engine_->localFiles[std::string("http://covers/") + name] = path->string();
  }
  column_->setCoverImageThumbnailLink(testing::linkTo("http://covers/0_large"));
  for (bool night : {false, true}) {
    MyFaceSettings::setModeIsNight(night);
    detail_ = open(column_);
    deliver(page);
    auto feed = std::make_shared<Feed>();
    feed->appendEntrys(testing::detailColumn("rel-1", "灯笼夜拍", false));
    std::dynamic_pointer_cast<Column>(feed->entrys()->at(0))
        ->setCoverImageThumbnailLink(testing::linkTo("http://covers/1_large"));
    postFeed(engine_->last("related"), feed);
    window_->layoutIfNeeded();
    // The covers are read off the main thread and come in on a later turn of the main loop.
    auto related = std::dynamic_pointer_cast<ColumnDetailHeaderView>(cellAt(2, 0));
    ASSERT_TRUE(related);
    // Until then they show the default cover.
    const auto placeholder = ColumnDetailHeaderView::defaultCover();
    ASSERT_TRUE(turnMainLoopUntil([&] {
      const auto header = detail_->headerView()->coverImageView()->image();
      const auto row = related->coverImageView()->image();
      return header && header != placeholder && row && row != placeholder;
    }));
    detail_->tableView()->setContentOffset(ui::Point{0, 0});  // the header in sight again
    window_->layoutIfNeeded();
    auto picture = ui::render(*window_);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(ui::ContrastAudit::write(*window_, *picture, night ? "detail-night" : "detail-day"));
    // The subscribe button's 订阅 stands out from the button in both looks.
    auto& subscribe = *header().subscribeButton();
    ASSERT_FALSE(subscribe.isHidden());
    const ui::Rect button = subscribe.convertRectTo(subscribe.bounds(), nullptr);
    EXPECT_GT(testing::luminanceRange(*picture, ui::Rect(button.origin.x + 25, button.origin.y + 6, 40, 18)), 0.45f)
        << night;
  }
  MyFaceSettings::setModeIsNight(false);
  detail_ = open(column_);
  deliver(page);
  tapExtraRow();
  ASSERT_TRUE(detail_->isCommentsRequesting());
  ASSERT_TRUE(cellAt(1, detail_->displayedCommentsCount()));
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "detail-requesting-row"));
}

}  // namespace
}  // namespace zu
