// The share screen against the sample service, through the whole engine, the application
// Observer and platform 0's real client: opened from the article toolbar's share sheet, it gets
// the article's short link and previews its picture, posts the picture and the text to the
// microblog (upload, then the text with the picture's address), reports the share to the
// service and closes; a text the microblog refuses ends in "提示" / "分享失败".
#include <gtest/gtest.h>

#include <fstream>

#include "SampleOAuth.h"
#include "SamplePosts.h"
#include "engine/core/EngineTestSupport.h"
#include "common/CommInfo.h"
#include "engine/openplatform/OpenDataManager.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskSharing.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/support/ReportToolBarTestSupport.h"
#include "share/compose/NRCustomStatusBar.h"
#include "share/ShareScreens.h"
#include "share/compose/ShareTableCellText.h"
#include "share/compose/ShareTextView.h"
#include "share/compose/ShareViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

class ShareServiceTest : public testing::ConnectedEngineFixture {
 protected:
  void SetUp() override {
    ConnectedEngineFixture::SetUp();
    engine_->setObserver(std::make_shared<Observer>());
    OpenPlatformConfig config = OpenPlatformConfig::current();
    config.zelvaneBase = service_.baseUrl();
    OpenPlatformConfig::setCurrent(config);
    OpenPlatformFactory::instance().Init();
    // The reader's zelvanemblog account, bound earlier (sharing on).
    PlatformAccountInfo account{SampleOAuth::kAccessSecret, SampleOAuth::kAccessToken, SampleOAuth::kNickName,
                                std::nullopt, std::nullopt};
    auto store = OpenDataManager::instance(CommInfo::getUsername());
    ASSERT_TRUE(store && store->updateAccountInfo(0, account));
    store->updateShareEnable(0, true);
    OpenPlatformFactory::instance().reset();

    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ShareScreens::registerNibs();
    ReportToolBarController::registerNib();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    owner_ = std::make_shared<testing::FakeToolBarOwner>();
    ui::ViewController::installAsRoot(*window_, owner_);
  }
  void TearDown() override {
    if (owner_->modalViewController()) owner_->dismissModalViewController(false);
    toolbar_.reset();
    owner_.reset();
    window_.reset();
    NRCustomStatusBar::hide();
    SPWaitingSavePhoto::resign();
    ui::Keyboard::shared().resetForTesting();
    testing::ShellFixture::resetShell();
    OpenPlatformConfig::setCurrent(OpenPlatformConfig::defaults());
    OpenPlatformFactory::instance().Init();
    ConnectedEngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  std::shared_ptr<NewsDetail> article() {
    auto detail = std::make_shared<NewsDetail>();
    detail->setEntryId("art-harbour");
    detail->setTitle("渡轮冬季时刻表");
    auto link = std::make_shared<Link>();
    link->setHref(service_.baseUrl() + "/article/art-harbour.html");
    detail->setAlternatelink(link);
    auto sharing = std::make_shared<VeskSharing>();
    sharing->setHref(service_.baseUrl() + "/report/sharing.atom");
    detail->setVeskSharing(sharing);
    auto picture = std::make_shared<VeskCategory>();
    picture->setA_href(service_.baseUrl() + "/img/share-ferry.png");
    detail->appendVeskCategorys(picture);
    detail->setSupportComment(false);
    return detail;
  }
  // The share screen, opened from the toolbar's share sheet.
  std::shared_ptr<ShareViewController> openFromToolbar() {
    owner_->detail = article();
    owner_->summary = std::make_shared<NewsSummary>();
    owner_->summary->setEntryId("art-harbour");
    owner_->summary->setTitle("渡轮冬季时刻表");
    toolbar_ = ReportToolBarController::create(ReportToolBarController::kNibName, owner_, owner_->detail, owner_->summary);
    if (!toolbar_) return nullptr;
    toolbar_->setButtonState();
    toolbar_->share();
    auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
    if (!sheet) return nullptr;
    sheet->clickButtonTitled("转发至微博");
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(owner_->modalViewController());
    return navigation ? std::dynamic_pointer_cast<ShareViewController>(navigation->topViewController()) : nullptr;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<testing::FakeToolBarOwner> owner_;
  std::shared_ptr<ReportToolBarController> toolbar_;
};

TEST_F(ShareServiceTest, ARealShareWithItsPictureAndItsReport) {
  auto screen = openFromToolbar();
  ASSERT_TRUE(screen);
  ASSERT_EQ(1u, screen->shareToList().size());
  EXPECT_EQ(142, screen->maxInputNum());
  ASSERT_TRUE(turnUntil([&] { return !screen->shortUrlString().empty(); }));
  EXPECT_EQ(0u, screen->shortUrlString().rfind(service_.baseUrl() + "/s/", 0));
  auto preview = std::dynamic_pointer_cast<ui::ImageView>(screen->textCell()->viewWithTag(ShareTableCellText::kTagPreview));
  ASSERT_TRUE(turnUntil([&] { return preview->image() != nullptr; }));

  screen->sendAction();
  ASSERT_TRUE(turnUntil([&] { return !owner_->modalViewController(); }));
  ASSERT_EQ(1u, service_.requestsTo(SamplePosts::kUploadPath).size());
  const auto upload = service_.requestsTo(SamplePosts::kUploadPath)[0];
  ASSERT_TRUE(upload.formFiles.count("pic"));
  EXPECT_FALSE(upload.formFiles.at("pic").second.empty());
  const auto posts = service_.requestsTo(SamplePosts::kUpdatePath);
  ASSERT_EQ(1u, posts.size());
  const auto text = SamplePosts::postedText(posts[0]);
  ASSERT_TRUE(text);
  const std::string sent = "\x7f「渡轮冬季时刻表」  " + screen->shortUrlString();
  EXPECT_EQ(0u, text->rfind(sent + "\r\n" + service_.baseUrl() + "/img/upload-", 0)) << *text;

  // The report reaches the service, which takes it in, and its result the toolbar (silently).
  ASSERT_TRUE(service_.waitForRequests("/report/sharing.atom", 1, std::chrono::seconds(10)));
  EXPECT_TRUE(waitUntilIdle());
  const auto reports = service_.articleActions().shareReports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("art-harbour", reports[0].first);
  EXPECT_EQ("zelvanemblog", reports[0].second);
  EXPECT_TRUE(service_.requestsTo("/report/error.atom").empty());
  EXPECT_EQ(0u, ui::AlertRegistry::shared().shown().size());
}

TEST_F(ShareServiceTest, AMicroblogThatRefusesTheTextEndsInTheFailureAlert) {
  auto screen = openFromToolbar();
  ASSERT_TRUE(screen);
  ASSERT_TRUE(turnUntil([&] { return !screen->shortUrlString().empty(); }));
  screen->pictureButtonAction();  // unclipped: the text alone
  EXPECT_FALSE(screen->isBindPic());
  auto& view = *screen->textCell()->shareText();
  ASSERT_TRUE(turnUntil([&] { return view.isFirstResponder(); }));
  view.setSelectedRange(ui::TextRange(0, StringUtil::utf16Length(view.text())));
  ui::Keyboard::shared().type(std::string("港口 ") + SamplePosts::kRefusedText);
  screen->sendAction();
  ASSERT_TRUE(turnUntil([] {
    auto alert = std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().top());
    return alert && alert->message() == std::optional<std::string>("分享失败");
  }));
  EXPECT_EQ(0u, service_.requestsTo(SamplePosts::kUploadPath).size());
  ASSERT_EQ(1u, service_.requestsTo(SamplePosts::kUpdatePath).size());
  EXPECT_TRUE(service_.articleActions().shareReports().empty());
  ASSERT_TRUE(NRCustomStatusBar::shared());
  EXPECT_NE(std::string::npos, NRCustomStatusBar::shared()->statusLabel()->text().find("分享失败"));
  ASSERT_TRUE(turnUntil([&] { return !owner_->modalViewController(); }));
}

}  // namespace
}  // namespace zu
