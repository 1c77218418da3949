#include "catalog/custom/NRSubscribeSocialCell.h"

#include <gtest/gtest.h>

#include "catalog/centre/CatalogTestSupport.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu {
namespace {

std::shared_ptr<Column> socialColumn(const std::string& title, const std::string& type, bool self = true) {
  auto column = std::make_shared<Column>();
  column->setEntryId("social-" + type);
  column->setTitle(title);
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(type);
  customization->setSelf(self);
  column->setVeskCustomization(customization);
  return column;
}

class Pressed : public NRSubscribeCellDelegate {
 public:
  void subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) override { columns.push_back(column); }
  std::vector<std::shared_ptr<Column>> columns;
};

class NRSubscribeSocialCellTest : public testing::CatalogFixture {
 protected:
  static void bind(int platform, const std::string& nick) { testing::bindAccount(platform, nick); }
};

TEST_F(NRSubscribeSocialCellTest, OnlyABoundAccountColumnOfAMicroblogIsARow) {
  EXPECT_TRUE(NRSubscribeSocialCell::isValidColumn(socialColumn("新浪微博", "sinamblog")));
  EXPECT_TRUE(NRSubscribeSocialCell::isValidColumn(socialColumn("zu微博", "zelvanemblog")));
  EXPECT_FALSE(NRSubscribeSocialCell::isValidColumn(socialColumn("新浪微博", "qqmblog")));
  EXPECT_FALSE(NRSubscribeSocialCell::isValidColumn(socialColumn("新浪微博", "sinamblog", false)));
  EXPECT_FALSE(NRSubscribeSocialCell::isValidColumn(socialColumn("无此平台", "sinamblog")));
  // An empty title is contained in every platform's name; it must match none.
  EXPECT_FALSE(NRSubscribeSocialCell::openPlatformBaseForColumn(socialColumn("", "zelvanemblog")));
  EXPECT_FALSE(NRSubscribeSocialCell::openPlatformBaseForColumn(nullptr));
  auto platform = NRSubscribeSocialCell::openPlatformBaseForColumn(socialColumn("腾讯", "qqmblog"));
  ASSERT_TRUE(platform);
  EXPECT_EQ(platform->platform(), 2);
  EXPECT_EQ(NRSubscribeSocialCell::cellHeightWithColumn(socialColumn("新浪微博", "sinamblog"), 320), 57.f);
  EXPECT_EQ(NRSubscribeSocialCell::cellHeightWithColumn(socialColumn("搜狐微博", "sohumblog"), 320), 0.f);
}

TEST_F(NRSubscribeSocialCellTest, TheRowFollowsTheAccountWithoutAReload) {
  auto column = socialColumn("新浪微博", "sinamblog");
  auto invalid = NRSubscribeSocialCell::cellWithColumn(socialColumn("搜狐微博", "sohumblog"), nullptr, nullptr);
  EXPECT_EQ(invalid->alpha(), 0.f);
  auto cell = NRSubscribeSocialCell::cellWithColumn(column, nullptr, nullptr);
  EXPECT_EQ(cell->reuseIdentifier(), NRSubscribeSocialCell::kReuseIdentifier);
  EXPECT_EQ(cell->alpha(), 1.f);
  EXPECT_EQ(cell->titleLabel()->text(), "新浪微博");
  EXPECT_EQ(cell->detailTitleLable()->text(), "点击绑定");
  EXPECT_TRUE(cell->subscribeButton()->isHidden());
  EXPECT_TRUE(cell->accessoryView());
  EXPECT_FALSE(cell->waitingImageView());

  bind(1, "海边的猫");
  NotificationCenter::defaultCenter().post("Notification_Authorized", Value(int64_t{1}));
  EXPECT_EQ(cell->detailTitleLable()->text(), "海边的猫");
  EXPECT_FALSE(cell->subscribeButton()->isHidden());
  EXPECT_FALSE(cell->accessoryView());
  EXPECT_TRUE(cell->subscribeButton()->isEnabled());

  auto pressed = std::make_shared<Pressed>();
  cell->setSubscribeCellDelegate(pressed);
  cell->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_EQ(pressed->columns.size(), 1u);
  EXPECT_EQ(pressed->columns[0], column);

  OpenPlatformFactory::instance().getOpenPlatformInstance(1)->setAccountInfo({});
  NotificationCenter::defaultCenter().post("Notification_Logout");
  EXPECT_EQ(cell->detailTitleLable()->text(), "点击绑定");

  // A row that goes stops listening: the notification reaches no freed row.
  std::weak_ptr<NRSubscribeSocialCell> gone = cell;
  cell.reset();
  EXPECT_TRUE(gone.expired());
  NotificationCenter::defaultCenter().post("Notification_UnAuthorized");
}

TEST_F(NRSubscribeSocialCellTest, ThePlainRowShowsTheWaitingPictureOnAPressAndFindsTheRowAbove) {
  auto cell = NRSubscribeCell::cellWithColumn(socialColumn("x", "qqzone"), nullptr);
  EXPECT_EQ(NRSubscribeCell::cellHeightWithColumn(cell->column(), 320), 0.f);
  EXPECT_TRUE(cell->subscribeButton()->isHidden());
  ASSERT_TRUE(cell->waitingImageView());
  cell->subscribeButtonAction();  // no delegate: nothing
  EXPECT_TRUE(cell->waitingImageView()->isHidden());
  auto pressed = std::make_shared<Pressed>();
  cell->setSubscribeCellDelegate(pressed);
  cell->subscribeButtonAction();
  EXPECT_FALSE(cell->waitingImageView()->isHidden());
  EXPECT_EQ(pressed->columns.size(), 1u);
  cell->showLine(true, true);
  EXPECT_FALSE(cell->topLine()->isHidden());
  EXPECT_TRUE(cell->bottomLine()->isHidden());
  EXPECT_FALSE(cell->cellUpon());
}

}  // namespace
}  // namespace zu
