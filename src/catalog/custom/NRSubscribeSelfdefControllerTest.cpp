// The self-defined subscription screen with a scripted engine: its two social rows, bound and
// unbound, a subscription heard by the other screens, the tag check, and the authorisation.
#include "catalog/custom/NRSubscribeSelfdefController.h"

#include <gtest/gtest.h>

#include "catalog/centre/CatalogTestSupport.h"
#include "catalog/custom/MYTableViewCell0.h"
#include "catalog/custom/NRSubscribeHeaderView.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/service/VeskSubscribe.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/app/NightLookForTesting.h"

namespace zu {
namespace {

using testing::postEntry;
using testing::postFeed;
using testing::postFinish;

std::shared_ptr<Column> socialColumn(const std::string& id, const std::string& title, const std::string& type) {
  auto column = std::make_shared<Column>();
  column->setEntryId(id);
  column->setTitle(title);
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(type);
  customization->setSelf(true);
  column->setVeskCustomization(customization);
  auto subscribe = std::make_shared<VeskSubscribe>();
  subscribe->setSubscribed(0);
  column->setVeskSubscribe(subscribe);
  return column;
}

class SelfdefTest : public testing::CatalogFixture {
 protected:
  void SetUp() override {
    CatalogFixture::SetUp();
    testing::bindAccount(1, "新浪读者");
  }
  std::shared_ptr<NRSubscribeSelfdefController> open() {
    auto screen = std::make_shared<NRSubscribeSelfdefController>();
    screen->setEngine(engine_);
    navigation_ = std::make_shared<ui::NavigationController>(screen);
    ui::ViewController::installAsRoot(*window_, navigation_);
    screen->setCustomColumn(testing::catalogueColumn("custom", std::string("custom"), true));
    auto fetch = engine_->last("columns");
    EXPECT_TRUE(fetch && fetch->ran);
    postFeed(fetch, testing::cataloguePage({socialColumn("own", "zu微博", "zelvanemblog"),
                                            socialColumn("sina", "新浪微博", "sinamblog"),
                                            socialColumn("third", "腾讯微博", "qqmblog")},
                                           "", false));
    postFinish(fetch, 0);
    settle();
    window_->layoutIfNeeded();
    return screen;
  }
  static std::shared_ptr<MYTableViewCell0> row(NRSubscribeSelfdefController& screen, int64_t index) {
    return std::dynamic_pointer_cast<MYTableViewCell0>(screen.tableView()->cellForRow(ui::IndexPath::forRow(index, 0)));
  }
};

TEST_F(SelfdefTest, TwoSocialRowsBoundAndUnbound) {
  auto screen = open();
  auto& table = *screen->tableView();
  ASSERT_EQ(table.numberOfSections(), 1);
  ASSERT_EQ(table.numberOfRowsInSection(0), 2);
  auto header = std::dynamic_pointer_cast<NRSubscribeHeaderView>(screen->viewForHeaderInSection(table, 0));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->title(), NRSubscribeSelfdefController::kSocialTitle);
  EXPECT_EQ(header->frame().size.height, 55.f);
  // The whole title is in sight: widened about its centre it would start left of the header.
  const ui::Rect title = header->titleLabel()->frame();
  EXPECT_GE(title.minX(), 16.f);
  EXPECT_LE(title.maxX(), header->bounds().size.width);
  EXPECT_GE(title.size.width, header->titleLabel()->sizeThatFits(ui::Size(500, title.size.height)).width);

  auto unbound = row(*screen, 0);
  ASSERT_TRUE(unbound);
  EXPECT_EQ(unbound->textLabel()->text(), "zu微博");
  EXPECT_EQ(unbound->detailTextLabel()->text(), NRSubscribeSelfdefController::kUnboundText);
  EXPECT_FALSE(unbound->binded());
  EXPECT_FALSE(unbound->accessoryButton()->isUserInteractionEnabled());
  EXPECT_EQ(unbound->accessoryButton()->frame(), ui::Rect(320 - 24, 22, 9, 14));
  EXPECT_FALSE(unbound->bottomLine()->isHidden());

  auto bound = row(*screen, 1);
  EXPECT_EQ(bound->detailTextLabel()->text(), "新浪读者");
  EXPECT_TRUE(bound->binded());
  EXPECT_TRUE(bound->accessoryButton()->isEnabled());
  EXPECT_EQ(bound->accessoryButton()->frame(), ui::Rect(320 - 61, 0, 58, 56));
  EXPECT_TRUE(bound->bottomLine()->isHidden());
  EXPECT_TRUE(bound->imageView()->image());
  // The button hangs from the row's top, but its disc keeps clear of the line above the row.
  auto button = ui::render(*bound->accessoryButton());
  ASSERT_TRUE(button);
  int top = 0;
  auto inked = [&](int y) {
    for (int x = 0; x < button->pixelWidth(); ++x) {
      if ((button->pixelAt(x, y) >> 24) > 0x40) return true;
    }
    return false;
  };
  while (top < button->pixelHeight() && !inked(top)) ++top;
  EXPECT_GE(top, 6);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "self-defined"));
}

// The screen keeps its own look by night (its pictures and colours are its own, not the skin's).
TEST_F(SelfdefTest, TwoSocialRowsByNight) {
  testing::NightLook night;
  auto screen = open();
  ASSERT_TRUE(row(*screen, 1) && row(*screen, 1)->binded());
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "self-defined-night"));
}

// A subscription goes out with the column as object and as "Result", so the home grid and the
// custom subscription list hear it; the row then disables its button. A tag that names no row
// asks nothing.
TEST_F(SelfdefTest, SubscribingIsHeardByTheOtherScreens) {
  auto screen = open();
  std::vector<Notification> heard;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this,
                                          [&](const Notification& n) { heard.push_back(n); });
  auto stray = std::make_shared<ui::Button>();
  stray->setTag(2);
  screen->subscribeButtonPressed(*stray);
  EXPECT_FALSE(engine_->last("subscribe"));

  row(*screen, 1)->accessoryButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto task = engine_->last("subscribe");
  ASSERT_TRUE(task && task->ran);
  EXPECT_EQ(task->userIdentity(), "sina");
  EXPECT_FALSE(screen->view()->isUserInteractionEnabled());
  auto stored = socialColumn("sina", "新浪微博", "sinamblog");
  stored->veskSubscribe()->setSubscribed(1);
  postEntry(task, stored);
  settle();
  EXPECT_TRUE(screen->view()->isUserInteractionEnabled());
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].object.asObject<Column>(), stored);
  EXPECT_EQ(heard[0].userInfo.get("Result").asObject<Column>(), stored);
  EXPECT_EQ(heard[0].userInfo.get("ResultType").stringValue(), "Entry");
  window_->layoutIfNeeded();
  EXPECT_FALSE(row(*screen, 1)->accessoryButton()->isEnabled());
  // An unsubscription from elsewhere (the column as object) enables it again.
  NotificationCenter::defaultCenter().post("NOTIFICATIONUNSUBSCRIBECOLUMN", Value(std::static_pointer_cast<Object>(stored)));
  window_->layoutIfNeeded();
  EXPECT_TRUE(row(*screen, 1)->accessoryButton()->isEnabled());
}

// Another custom column: the earlier one's list, answering late, is not shown.
TEST_F(SelfdefTest, OnlyTheNewestColumnsListCounts) {
  auto screen = std::make_shared<NRSubscribeSelfdefController>();
  screen->setEngine(engine_);
  navigation_ = std::make_shared<ui::NavigationController>(screen);
  ui::ViewController::installAsRoot(*window_, navigation_);
  screen->setCustomColumn(testing::catalogueColumn("old", std::string("custom"), true));
  auto old = engine_->last("columns");
  screen->setCustomColumn(testing::catalogueColumn("new", std::string("custom"), true));
  auto fresh = engine_->last("columns");
  ASSERT_NE(old, fresh);
  postFeed(fresh, testing::cataloguePage({socialColumn("sina", "新浪微博", "sinamblog")}, "", false));
  postFeed(old, testing::cataloguePage({socialColumn("own", "zu微博", "zelvanemblog")}, "", false));
  settle();
  ASSERT_EQ(screen->socialColumnsArray().size(), 1u);
  EXPECT_EQ(screen->socialColumnsArray()[0]->entryId(), "sina");
}

TEST_F(SelfdefTest, AnUnboundRowOpensTheAuthorisationUnderAReturnHeader) {
  auto screen = open();
  screen->didSelectRow(*screen->tableView(), ui::IndexPath::forRow(1, 0));
  EXPECT_FALSE(screen->modalViewController());  // bound: nothing
  screen->didSelectRow(*screen->tableView(), ui::IndexPath::forRow(0, 0));
  settle();
  auto auth = std::dynamic_pointer_cast<AuthenicationViewController>(screen->modalViewController());
  ASSERT_TRUE(auth);
  EXPECT_EQ(auth->accountType(), 0);
  EXPECT_EQ(auth->modalPresentationStyle(), ui::ModalPresentationStyle::CurrentContext);
  std::shared_ptr<NRSubscribeHeaderView> found;
  for (const auto& view : auth->view()->subviews()) {
    if (auto h = std::dynamic_pointer_cast<NRSubscribeHeaderView>(view)) found = h;
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(found->type(), 10003);
  EXPECT_FALSE(found->returnButton()->isHidden());
  found->returnButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_FALSE(screen->modalViewController());
}

}  // namespace
}  // namespace zu
