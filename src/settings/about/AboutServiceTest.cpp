// The about screen against the sample service's engine, through the application observer: the
// start-up info task keeps the service's four recommended applications, and the screen shows
// them with their icons downloaded.
#include <gtest/gtest.h>

#include "SampleNotices.h"
#include "engine/core/EngineTestSupport.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/about/MSAppsView.h"
#include "settings/about/MoreSettingsAboutViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

class AboutServiceTest : public testing::ConnectedEngineFixture {
 protected:
  void SetUp() override {
    ConnectedEngineFixture::SetUp();
    // The application's own bundle: the screen's background and the skin.
    Bundle::resetMainBundleForTesting();
    engine_->setObserver(std::make_shared<Observer>());
    MSAppsView::resetBuiltInShownForTesting();
    SettingsNibs::registerNibs();
    window_->makeKeyAndVisible();
    tabs_->setViewControllers({navigation_});
    ui::ViewController::installAsRoot(*window_, tabs_);
  }
  void TearDown() override {
    navigation_.reset();
    tabs_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    ConnectedEngineFixture::TearDown();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  std::shared_ptr<ui::Window> window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  std::shared_ptr<ui::NavigationController> navigation_ =
      std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
  std::shared_ptr<ui::TabBarController> tabs_ = std::make_shared<ui::TabBarController>();
};

TEST_F(AboutServiceTest, TheStartUpNoticesRecommendedAppsAreShownWithTheirIcons) {
  engine_->getInfo();
  ASSERT_TRUE(service_.waitForRequests("/info.atom", 1, std::chrono::seconds(10)));
  ASSERT_TRUE(turnUntil([&] {
    auto kept = engine_->getAppRecommend();
    return kept && kept->veskApps() && kept->veskApps()->size() == SampleNotices::kRecommendedApps;
  }));
  ASSERT_TRUE(waitUntilIdle());

  auto about = std::make_shared<MoreSettingsAboutViewController>();
  ASSERT_TRUE(navigation_->pushViewController(about, false));
  window_->layoutIfNeeded();
  auto apps = about->appsView();
  ASSERT_TRUE(apps);
  EXPECT_TRUE(apps->isBuilt());  // a stored recommendation builds at once
  EXPECT_EQ(339, apps->contentSize().width);
  EXPECT_TRUE(apps->isScrollEnabled());
  ASSERT_TRUE(turnUntil([&] { return apps->pendingDownloads() == 0; }));
  EXPECT_FALSE(apps->isHoldingItself());

  const auto recommended = *engine_->getAppRecommend()->veskApps();
  ASSERT_EQ(4u, apps->appIconButtonsArray().size());
  for (size_t i = 0; i < recommended.size(); ++i) {
    const auto& button = apps->appIconButtonsArray()[i];
    auto icon = button->imageForState(ui::kControlStateNormal);
    ASSERT_TRUE(icon) << i;
    EXPECT_EQ(66, icon->size().width) << i;
    EXPECT_EQ(1.f, button->alpha()) << i;
    auto name = std::dynamic_pointer_cast<ui::Label>(apps->viewWithTag(MSAppsView::kLabelTag + static_cast<int>(i)));
    ASSERT_TRUE(name) << i;
    EXPECT_EQ(recommended[i]->title(), name->text());
  }
  EXPECT_EQ(4u, service_.requestsTo("/img/app-reader.png").size() + service_.requestsTo("/img/app-album.png").size() +
                    service_.requestsTo("/img/app-dict.png").size() + service_.requestsTo("/img/app-notes.png").size());
  // Let the fade-in finish before the picture.
  RunLoop::main()->runUntil([] { return false; }, 0.8);
  auto image = ui::renderScreen();
  ASSERT_TRUE(image);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*image, "about").has_value());
}

}  // namespace
}  // namespace zu
