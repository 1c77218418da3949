// The road from the home grid to a bound account, over the engine and the sample service: the
// unbound microblog tile asks for a binding, its alert opens the authorisation screen, the
// platform-0 client runs its OAuth exchange against the service, and the page's callback
// address (navigated in the stand-in web view) completes the binding; the tile then shows the
// column's own cover (tile-bound-microblog{,-night}.png in share/snapshots/).
#include <gtest/gtest.h>
#include <httplib.h>

#include "SampleOAuth.h"
#include "engine/core/DataEngine.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/atom/VESKAtomParser.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/service/VeskCustomization.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebView.h"
#include "share/accounts/AuthenicationViewController.h"
#include "share/ShareScreens.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/LaunchTestSupport.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/MyColumnsController.h"
#include "store/EntryPersistenter.h"
#include "views/GridView.h"

namespace zu {
namespace {

class BindingRoadTest : public testing::LaunchFixture {
 protected:
  void SetUp() override {
    ShareScreens::registerNibs();
    LaunchFixture::SetUp();
    OpenPlatformConfig config = OpenPlatformConfig::current();
    config.zelvaneBase = service_.baseUrl();
    OpenPlatformConfig::setCurrent(config);
    OpenPlatformFactory::instance().Init();
  }
  void TearDown() override {
    terminate();
    NotificationCenter::defaultCenter().remove(this);
    OpenPlatformConfig::setCurrent(OpenPlatformConfig::defaults());
    OpenPlatformFactory::instance().Init();
    LaunchFixture::TearDown();
  }
  void tapTile(int index) {
    home_->gridViewTouchDownCellAtIndex(*home_->gridView(), index);
    home_->gridViewDidClickCellAtIndex(*home_->gridView(), index);
    settle(0.1);
  }
};

TEST_F(BindingRoadTest, TheTilesBindPromptEndsInABoundAccount) {
  // The recommended list ends with the reader's platform-0 microblog column.
  httplib::Client http("127.0.0.1", service_.port());
  auto recommended = http.Get("/sub/recommend.atom");
  ASSERT_TRUE(recommended && recommended->status == 200);
  auto feed = VESKAtomParser::allocParseFeed(recommended->body, kEntryKindColumn);
  ASSERT_TRUE(feed && feed->entrys() && !feed->entrys()->empty());
  auto microblog = std::dynamic_pointer_cast<Column>(feed->entrys()->back());
  ASSERT_TRUE(microblog && microblog->veskCustomization());
  EXPECT_EQ(0, microblog->veskCustomization()->getOpenPlatformType());

  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  ASSERT_TRUE(gDataEngine()->getSubPersist()->insertEntries({microblog}));
  home_->asyncRequestSubscribedColumnsFromLocal();
  ASSERT_TRUE(pump([&] { return home_->dataSource().size() == 1; }));
  home_->view()->window()->layoutIfNeeded();

  std::vector<int64_t> authorized;
  NotificationCenter::defaultCenter().add(AuthenicationViewController::kAuthorizedNotification, this,
                                          [&](const Notification& n) { authorized.push_back(n.object.intValue()); });
  tapTile(0);
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(std::vector<std::string>({"取消", "立即绑定"}), alert->buttonTitles());
  alert->clickButton(1);
  settle(1);

  // The real screen, presented in its own navigation controller, shows the service's page.
  auto presented = std::dynamic_pointer_cast<ui::NavigationController>(home_->modalViewController());
  ASSERT_TRUE(presented);
  auto screen = std::dynamic_pointer_cast<AuthenicationViewController>(presented->topViewController());
  ASSERT_TRUE(screen);
  EXPECT_EQ(0, screen->accountType());
  web::RecordingWebBackend& page = *screen->webView()->recorder();
  ASSERT_TRUE(pump([&] { return page.currentUrl().find("/oauth/authenticate?") != std::string::npos; }));
  EXPECT_EQ(0u, page.currentUrl().rfind(service_.baseUrl(), 0));

  // The reader agrees: the page goes to the callback address the service's link names.
  const std::string callback = OpenPlatformConfig::current().callbackUrl + "?oauth_token=" +
                               SampleOAuth::kRequestToken + "&oauth_verifier=" + SampleOAuth::kVerifier;
  page.simulateNavigation(callback, 0);
  ASSERT_TRUE(pump([&] { return !authorized.empty(); }));
  EXPECT_EQ(std::vector<int64_t>{0}, authorized);
  settle(1);
  EXPECT_FALSE(home_->modalViewController());
  auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(0);
  ASSERT_TRUE(client && client->authorized());
  EXPECT_EQ(std::optional<std::string>(SampleOAuth::kNickName), client->accountInfo().nickName);
  EXPECT_EQ(1u, service_.requestsTo("/account/verify_credentials.json").size());

  // The column is refreshed for the bound account and its tile shows the column's own cover in
  // place of the placeholder that asked for the binding.
  auto cover = http.Get("/img/cover-zelvane.png");
  ASSERT_TRUE(cover && cover->status == 200);
  const std::vector<uint8_t> coverBytes(cover->body.begin(), cover->body.end());
  ASSERT_TRUE(pump([&] {
    const auto& shown = home_->dataSource();
    return !shown.empty() && shown[0]->coverImageData() == coverBytes;
  })) << service_.requestsTo("/sub/refresh.atom").size() << " refreshes, "
      << service_.requestsTo("/img/cover-zelvane.png").size() << " cover downloads";
  auto tile = std::dynamic_pointer_cast<ColumnGridCell>(home_->gridView()->getCellIndex(0));
  ASSERT_TRUE(tile);
  ASSERT_TRUE(pump([&] { return tile->contentImageView()->image() != nullptr; }));
  EXPECT_EQ(ui::Size(180, 216), tile->contentImageView()->image()->size());
  // The bound tile by day, and the same column on a tile by night (tile-bound-microblog{,-night}).
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-bound-microblog"));
  {
    testing::NightLook night;
    auto dark = ColumnGridCell::loadFromNib("ColumnGridCell");
    dark->updateColumn(home_->dataSource()[0], false);
    ASSERT_TRUE(pump([&] { return dark->contentImageView()->image() != nullptr; }));
    EXPECT_TRUE(ui::ContrastAudit::snapshot(*dark, "tile-bound-microblog-night"));
  }

  // The tile now asks for no binding: it opens the column's article list.
  const size_t alerts = alertCount();
  tapTile(0);
  EXPECT_EQ(alerts, alertCount());
  ASSERT_FALSE(StandInScreen::requests().empty());
  EXPECT_EQ(ScreenRequest::kArticleListNib, StandInScreen::requests().back().nibName);
}

}  // namespace
}  // namespace zu
