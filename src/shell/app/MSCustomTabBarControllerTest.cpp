#include "shell/app/MSCustomTabBarController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/system/Application.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "platform/device/SystemEnvironment.h"
#include "shell/app/ControllerSelectedProtocol.h"
#include "shell/skin/CustomNavigationBar.h"
#include "shell/app/RootNavigationViewController.h"
#include "shell/skin/MyFaceSettings.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using Journal = std::vector<std::string>;

// A tab's root that writes its appearance callbacks into a shared journal.
class RecordingRoot : public ui::ViewController {
 public:
  RecordingRoot(std::string name, Journal& journal) : name_(std::move(name)), journal_(journal) {}
  void viewWillAppear(bool) override { journal_.push_back(name_ + " willAppear"); }
  void viewDidAppear(bool) override { journal_.push_back(name_ + " didAppear"); }
  void viewWillDisappear(bool) override { journal_.push_back(name_ + " willDisappear"); }
  void viewDidDisappear(bool) override { journal_.push_back(name_ + " didDisappear"); }

 protected:
  std::string name_;
  Journal& journal_;
};

class SelectableRoot : public RecordingRoot, public ControllerSelectedProtocol {
 public:
  using RecordingRoot::RecordingRoot;
  void controllerSelected() override { journal_.push_back(name_ + " selected"); }
};

class TabBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    tabs_ = std::make_shared<MSCustomTabBarController>();
    std::vector<std::shared_ptr<ui::ViewController>> roots;
    for (const char* name : {"home", "favourites", "centre", "more"}) {
      std::shared_ptr<ui::ViewController> root;
      if (std::string(name) == "centre") {
        root = std::make_shared<SelectableRoot>(name, journal_);
      } else {
        root = std::make_shared<RecordingRoot>(name, journal_);
      }
      roots.push_back(std::make_shared<ui::NavigationController>(root));
    }
    tabs_->setViewControllers(roots);
    ui::ViewController::installAsRoot(*window_, tabs_);
    window_->makeKeyAndVisible();
    journal_.clear();
  }
  void TearDown() override {
    MyFaceSettings::setModeIsNight(false);
    ui::Application::shared().resetForTesting();
  }

  std::vector<bool> enabledButtons() const {
    std::vector<bool> out;
    for (int i = 0; i < 4; ++i) out.push_back(tabs_->tabButton(i)->isEnabled());
    return out;
  }

  // The night switch writes the defaults: into this home, never the desktop user's.
  TempHome home_;
  Journal journal_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<MSCustomTabBarController> tabs_;
};

TEST_F(TabBarTest, LayoutOfTheLoweredBarItsButtonsCoverAndStrip) {
  const auto& bar = tabs_->tabBar();
  const ui::Rect viewBounds = tabs_->view()->bounds();
  EXPECT_EQ(bar->frame().size.height, 37);
  EXPECT_EQ(bar->frame().origin.y, viewBounds.size.height - 37);
  EXPECT_FALSE(bar->clipsToBounds());
  // The content reaches down to the lowered bar.
  EXPECT_EQ(tabs_->view()->subviews().front()->frame().size.height, viewBounds.size.height - 37);

  ASSERT_TRUE(tabs_->shadowView());
  EXPECT_EQ(bar->subviews().front(), tabs_->shadowView());  // lowest in the bar
  EXPECT_EQ(tabs_->shadowView()->tag(), 31);
  EXPECT_EQ(tabs_->shadowView()->frame(), ui::Rect(0, -5, 320, 5));
  EXPECT_TRUE(tabs_->shadowView()->isHidden());

  auto cover = bar->viewWithTag(21);
  ASSERT_TRUE(cover);
  EXPECT_EQ(cover->frame(), ui::Rect(0, 0, 320, 37));
  for (int i = 0; i < 4; ++i) {
    auto button = tabs_->tabButton(i);
    ASSERT_TRUE(button) << i;
    EXPECT_EQ(button->frame(), ui::Rect(80.f * i, 0, 80, 37));
    // Buttons lie above the cover, which lies above the kit's items.
    EXPECT_GT(std::find(bar->subviews().begin(), bar->subviews().end(), button) -
                  std::find(bar->subviews().begin(), bar->subviews().end(), cover), 0);
  }
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{false, true, true, true}));
}

TEST_F(TabBarTest, SelectingTabsByPressAndByIndex) {
  // A press on the favourites button: no controllerSelected there, appearance callbacks after.
  window_->tap(ui::Point{120, 480 - 20});
  EXPECT_EQ(tabs_->oldSelected(), 1);
  EXPECT_EQ(tabs_->selectedIndex(), 1u);
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, false, true, true}));
  EXPECT_FALSE(tabs_->shadowView()->isHidden());
  EXPECT_EQ(journal_, (Journal{"home willDisappear", "favourites willAppear", "home didDisappear",
                               "favourites didAppear"}));
  journal_.clear();

  // By index, the content centre adopts controllerSelected: it hears it before appearing.
  tabs_->setSelectedTabIndex(2);
  EXPECT_EQ(journal_, (Journal{"centre selected", "favourites willDisappear", "centre willAppear",
                               "favourites didDisappear", "centre didAppear"}));
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, true, false, true}));
  // The disabled selected button cannot be pressed again.
  journal_.clear();
  window_->tap(ui::Point{200, 480 - 20});
  EXPECT_TRUE(journal_.empty());

  // Indices outside the tabs change nothing.
  tabs_->setSelectedTabIndex(4);
  tabs_->setSelectedTabIndex(-1);
  EXPECT_TRUE(journal_.empty());
  EXPECT_EQ(tabs_->oldSelected(), 2);

  // Back home: the strip hides again and the content still reaches the bar.
  tabs_->setSelectedTabIndex(0);
  EXPECT_TRUE(tabs_->shadowView()->isHidden());
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{false, true, true, true}));
  EXPECT_EQ(tabs_->view()->subviews().front()->frame().size.height,
            tabs_->tabBar()->frame().origin.y);
}

// A push and a pop on a tab's navigation controller lay the content out again: it still reaches
// down to the lowered bar, also after a screen that hid the bar, and covers the screen under it.
TEST_F(TabBarTest, ContentReachesTheLoweredBarAfterPushAndPop) {
  auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tabs_->viewControllers()[0]);
  ASSERT_TRUE(nav);
  const auto& content = tabs_->view()->subviews().front();
  const auto& bar = tabs_->tabBar();
  nav->pushViewController(std::make_shared<ui::ViewController>(), false);
  EXPECT_EQ(content->frame().size.height, bar->frame().origin.y);
  nav->popViewController(false);
  EXPECT_EQ(content->frame().size.height, bar->frame().origin.y);
  EXPECT_EQ(bar->frame().size.height, 37);

  auto full = std::make_shared<ui::ViewController>();
  full->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(full, false);
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(content->frame().size.height, tabs_->view()->bounds().size.height);
  nav->popViewController(false);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(content->frame().size.height, bar->frame().origin.y);
  EXPECT_EQ(bar->frame().maxY(), tabs_->view()->bounds().size.height);
}

TEST_F(TabBarTest, UnloadAndReloadKeepNButtonsAndTheSelection) {
  tabs_->setSelectedTabIndex(3);
  tabs_->view()->removeFromSuperview();
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(tabs_->isViewLoaded());
  EXPECT_FALSE(tabs_->shadowView());

  tabs_->view();
  const auto& bar = tabs_->tabBar();
  int buttons = 0, covers = 0, strips = 0;
  for (const auto& subview : bar->subviews()) {
    buttons += subview->tag() >= 10 && subview->tag() < 20;
    covers += subview->tag() == 21;
    strips += subview->tag() == 31;
  }
  EXPECT_EQ(buttons, 4);
  EXPECT_EQ(covers, 1);
  EXPECT_EQ(strips, 1);
  EXPECT_EQ(tabs_->oldSelected(), 3);
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, true, true, false}));
  EXPECT_FALSE(tabs_->shadowView()->isHidden());
  EXPECT_EQ(bar->frame().size.height, 37);
}

TEST_F(TabBarTest, NightSwitchReDressesEveryButtonAndKeepsTheSelection) {
  auto lookOf = [&](int i) {
    auto image = tabs_->tabButton(i)->currentBackgroundImage();
    return image ? image->name() : std::string("none");
  };
  tabs_->setSelectedTabIndex(1);
  EXPECT_EQ(lookOf(0), "homemenu_home_normal");
  EXPECT_EQ(lookOf(1), "homemenu_favorites_current");
  ASSERT_TRUE(tabs_->shadowView()->image());
  EXPECT_EQ(tabs_->shadowView()->image()->name(), "mainmenu_topshadow");
  // The selected tab's mark stands out from the bar by day and by night.
  auto selectedMark = [&](const ui::Image& picture) {
    const auto button = tabs_->tabButton(1);
    return ui::ContrastAudit::markContrast(picture, button->convertRectTo(button->bounds(), nullptr));
  };
  const auto day = ui::ContrastAudit::snapshot(*window_, "main-window-day");
  ASSERT_TRUE(day);
  EXPECT_GE(selectedMark(*day), 3.f);

  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  EXPECT_TRUE(gIsNight);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(lookOf(i).rfind("black_homemenu_", 0), 0u) << lookOf(i);
  EXPECT_EQ(lookOf(1), "black_homemenu_favorites_current");
  EXPECT_EQ(tabs_->shadowView()->image()->name(), "black_mainmenu_topshadow");
  EXPECT_EQ(tabs_->oldSelected(), 1);
  EXPECT_EQ(tabs_->selectedIndex(), 1u);
  EXPECT_EQ(enabledButtons(), (std::vector<bool>{true, false, true, true}));
  const auto night = ui::ContrastAudit::snapshot(*window_, "main-window-night");
  ASSERT_TRUE(night);
  EXPECT_GE(selectedMark(*night), 3.f);

  NotificationCenter::defaultCenter().post("Notification_Night", Value(false));
  EXPECT_EQ(lookOf(3), "homemenu_more_normal");
  EXPECT_EQ(tabs_->selectedIndex(), 1u);
}

// The hosted navigation controller hears each appearance callback exactly once, whether the
// platform passes it on (5.0 and later) or the host does (earlier, or no version number).
TEST(RootNavigationViewControllerTest, HostedNavigationHearsEachAppearanceOnce) {
  for (float version : {4.3f, 5.0f}) {
    SystemEnvironment::setSystemVersion(version);
    Journal journal;
    auto root = std::make_shared<RecordingRoot>("root", journal);
    auto host = std::make_shared<RootNavigationViewController>(std::make_shared<ui::NavigationController>(root));
    ASSERT_TRUE(host->isViewLoaded());
    EXPECT_EQ(host->navController()->view()->superview(), host->view());
    ui::Window window(ui::Rect(0, 0, 320, 480));
    ui::ViewController::installAsRoot(window, host);
    EXPECT_EQ(journal, (Journal{"root willAppear", "root didAppear"})) << version;
    EXPECT_FALSE(host->shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation::kLandscapeRight));
  }
  SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
  CustomNavigationBar bar;
  EXPECT_FALSE(bar.clipsToBounds());
  ASSERT_TRUE(bar.backgroundColor());
  EXPECT_EQ(bar.backgroundColor()->alpha, 0.f);
}

}  // namespace
}  // namespace zu
