#include "settings/about/MoreSettingsAboutViewController.h"

#include <gtest/gtest.h>

#include "engine/core/TaskEngine.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/about/AboutTestSupport.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

class AboutScreenTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    MSAppsView::resetBuiltInShownForTesting();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    ui::Application::shared().setOpenURLHandler([this](const std::string& url) {
      opened_.push_back(url);
      return true;
    });
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    tabs_ = std::make_shared<ui::TabBarController>();
    tabs_->setViewControllers({navigation_});
    ui::ViewController::installAsRoot(*window_, tabs_);
    settle(1);
  }
  void TearDown() override {
    about_.reset();
    navigation_.reset();
    tabs_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    ShellFixture::TearDown();
  }
  // Pushes the screen; `seconds` of the clock pass afterwards.
  void open(double seconds = 1) {
    about_ = std::make_shared<MoreSettingsAboutViewController>(engine_);
    ASSERT_TRUE(navigation_->pushViewController(about_, false));
    window_->layoutIfNeeded();
    settle(seconds);
  }
  void press(ui::Button& button) { button.sendActionsForControlEvents(ui::kControlEventTouchUpInside); }

  std::shared_ptr<testing::ScriptedAboutEngine> engine_ = std::make_shared<testing::ScriptedAboutEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<ui::TabBarController> tabs_;
  std::shared_ptr<MoreSettingsAboutViewController> about_;
  std::vector<std::string> opened_;
};

TEST_F(AboutScreenTest, TheVersionTheLinksAndAConfirmedAppOpenTheirAddresses) {
  engine_->recommend = testing::recommendation(4);
  open();
  ASSERT_TRUE(about_->versionLabel());
  const auto version = Bundle::mainBundle()->info("CFBundleVersion");
  ASSERT_TRUE(version);
  EXPECT_EQ("版本:" + *version, about_->versionLabel()->text());
  ASSERT_EQ(4u, about_->linkButtons().size());
  EXPECT_EQ(11, about_->linkButtons()[0]->tag());
  EXPECT_EQ(14, about_->linkButtons()[3]->tag());
  EXPECT_TRUE(about_->navigationItem()->hidesBackButton());
  // The bar names the screen.
  EXPECT_EQ("关于", NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*about_->navigationItem()));
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::writeSnapshot(*screen, "about-screen").has_value());
  // The links read from the left edge of their buttons, whatever their length.
  for (const auto& link : about_->linkButtons()) {
    link->layoutIfNeeded();
    EXPECT_EQ(0, link->titleLabel()->frame().origin.x) << link->tag();
    EXPECT_LT(link->titleLabel()->frame().size.width, link->bounds().size.width) << link->tag();
  }

  // The web site keeps its scheme; a microblog page gets one.
  press(*about_->linkButtons()[0]);
  press(*about_->linkButtons()[2]);
  ASSERT_EQ(2u, opened_.size());
  EXPECT_EQ(MoreSettingsAboutViewController::linkTitles()[0], opened_[0]);
  EXPECT_EQ("http://" + MoreSettingsAboutViewController::linkTitles()[2], opened_[1]);

  // The row scrolls its four applications; a tapped one asks first.
  ASSERT_TRUE(about_->appsView());
  EXPECT_EQ(339, about_->appsView()->contentSize().width);
  // The icons arrive.
  ASSERT_EQ(4u, engine_->downloads.size());
  for (const auto& download : engine_->downloads) {
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Task>(download))},
                                                {"ResultType", "ImageDownLoad"},
                                                {"Url", download->url}});
    // Then each finishes: the row lets go of itself (and of the task ids a later test reuses).
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Task>(download))},
                                                {"ResultType", "TaskStatus"},
                                                {"Result", 0}});
  }
  settle(1);
  EXPECT_FALSE(about_->appsView()->isHoldingItself());
  press(*about_->appsView()->appIconButtonsArray()[1]);
  EXPECT_EQ(std::optional<std::string>("https://apps.example/app1"), about_->lastUrlString());
  ASSERT_EQ(1u, alertCount());
  auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(sheet);
  EXPECT_EQ(std::optional<std::string>(MoreSettingsAboutViewController::kSheetTitle), sheet->title());
  ASSERT_TRUE(sheet->clickButtonTitled("取消"));
  settle(1);
  EXPECT_EQ(2u, opened_.size());
  press(*about_->appsView()->appIconButtonsArray()[1]);
  ASSERT_TRUE(std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top())
                  ->clickButtonTitled(MoreSettingsAboutViewController::kOpenStoreTitle));
  settle(1);
  ASSERT_EQ(3u, opened_.size());
  EXPECT_EQ("https://apps.example/app1", opened_[2]);
}

TEST_F(AboutScreenTest, ASecondAboutScreenShowsTheBuiltInAppsAtOnce) {
  open(0.4);
  EXPECT_FALSE(about_->appsView()->isBuilt());
  settle(0.2);
  EXPECT_TRUE(about_->appsView()->isBuilt());
  EXPECT_EQ(258, about_->appsView()->contentSize().width);
  EXPECT_FALSE(about_->appsView()->isScrollEnabled());
  navigation_->popViewController(false);
  settle(1);
  open(0);
  EXPECT_TRUE(about_->appsView()->isBuilt());
}

}  // namespace
}  // namespace zu
