#include "settings/about/MSAppsView.h"

#include <gtest/gtest.h>

#include "engine/core/TaskEngine.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "settings/about/AboutTestSupport.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

using testing::RecordingAppsDelegate;
using testing::ScriptedAboutEngine;

class AppsViewTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    MSAppsView::resetBuiltInShownForTesting();
    TaskEngine::initGlobalInstance();
  }
  void TearDown() override {
    TaskEngine::uninitGlobalInstance();
    ShellFixture::TearDown();
  }
  void recommend(int count) { engine_->recommend = testing::recommendation(count); }
  std::shared_ptr<MSAppsView> make() { return MSAppsView::create(ui::Rect(0, 0, 290, 100), engine_); }
  void report(size_t download, const Dictionary& result) {
    Dictionary info = result;
    info.set("Task", Value(std::static_pointer_cast<Task>(engine_->downloads[download])));
    Observer::postResultOnMainThread(info);
    settle(0);
  }
  void finish(size_t download, int code) {
    report(download, Dictionary{{"ResultType", "TaskStatus"}, {"StateResult", "TaskFinish"}, {"Result", code},
                                {"ErrDesc", "null"}});
  }
  static bool spinning(MSAppsView& view, int index) {
    auto spinner = std::dynamic_pointer_cast<ui::ActivityIndicatorView>(view.viewWithTag(MSAppsView::kIndicatorTag + index));
    return spinner && spinner->isAnimating();
  }

  std::shared_ptr<ScriptedAboutEngine> engine_ = std::make_shared<ScriptedAboutEngine>();
};

TEST_F(AppsViewTest, FourRecommendedAppsScrollAndTheirIconsArriveBeforeTheViewLetsGo) {
  recommend(4);
  auto view = make();
  std::weak_ptr<MSAppsView> weak = view;
  ASSERT_TRUE(view->isBuilt());  // a list builds at once
  EXPECT_EQ(339, view->contentSize().width);
  EXPECT_TRUE(view->isScrollEnabled());
  EXPECT_FALSE(view->canCancelContentTouches());
  EXPECT_EQ(ui::ScrollViewIndicatorStyle::Black, view->indicatorStyle());
  ASSERT_EQ(4u, view->appIconButtonsArray().size());
  EXPECT_EQ(15 + 81 * 3, view->appIconButtonsArray()[3]->frame().origin.x);
  EXPECT_EQ(MSAppsView::kButtonTag + 3, view->appIconButtonsArray()[3]->tag());
  EXPECT_EQ(4u, engine_->downloads.size());
  EXPECT_TRUE(view->isHoldingItself());
  EXPECT_TRUE(spinning(*view, 2));

  // The third icon, its address in other letter case: its spinner stops and it fades in.
  report(2, Dictionary{{"ResultType", "ImageDownLoad"}, {"Url", "HTTP://PICS.EXAMPLE/ICON2.PNG"}});
  EXPECT_TRUE(view->appIconButtonsArray()[2]->imageForState(ui::kControlStateNormal));
  EXPECT_FALSE(view->appIconButtonsArray()[1]->imageForState(ui::kControlStateNormal));
  EXPECT_FALSE(spinning(*view, 2));
  EXPECT_TRUE(spinning(*view, 1));
  // An address that is not listed changes nothing.
  report(1, Dictionary{{"ResultType", "ImageDownLoad"}, {"Url", "http://pics.example/other.png"}});
  EXPECT_FALSE(view->appIconButtonsArray()[1]->imageForState(ui::kControlStateNormal));

  // Forbidden and cancelled downloads are quiet; another failure shows the tip.
  finish(0, -3403);
  finish(1, -6);
  finish(2, 0);
  EXPECT_EQ(0u, alertCount());
  view.reset();
  EXPECT_FALSE(weak.expired());  // the last download has not reported
  finish(3, -3);
  EXPECT_EQ(1u, alertCount());
  EXPECT_TRUE(weak.expired());
}

TEST_F(AppsViewTest, ThreeAppsFitWithoutScrollingAndAnEmptyListShowsNothing) {
  recommend(3);
  auto three = make();
  EXPECT_EQ(258, three->contentSize().width);
  EXPECT_FALSE(three->isScrollEnabled());
  recommend(1);
  auto one = make();
  EXPECT_EQ(96, one->contentSize().width);
  EXPECT_FALSE(one->viewWithTag(MSAppsView::kPlaceholderTag + 0)->isHidden());
  EXPECT_TRUE(one->viewWithTag(MSAppsView::kPlaceholderTag + 1)->isHidden());
  EXPECT_FALSE(spinning(*one, 2));
  recommend(0);
  auto none = make();
  EXPECT_EQ(15, none->contentSize().width);
  EXPECT_TRUE(none->appIconButtonsArray().empty());
  EXPECT_FALSE(none->isHoldingItself());
  EXPECT_FALSE(MSAppsView::builtInShown());
}

TEST_F(AppsViewTest, TheBuiltInAppsComeAfterAPauseOnlyTheFirstTimeAndTapsNeedADelegate) {
  auto first = make();
  EXPECT_FALSE(first->isBuilt());
  settle(0.4);
  EXPECT_FALSE(first->isBuilt());
  settle(0.2);
  ASSERT_TRUE(first->isBuilt());
  EXPECT_TRUE(MSAppsView::builtInShown());
  ASSERT_EQ(3u, first->appIconButtonsArray().size());
  EXPECT_EQ(258, first->contentSize().width);
  EXPECT_TRUE(first->appIconButtonsArray()[0]->imageForState(ui::kControlStateNormal));
  auto name = std::dynamic_pointer_cast<ui::Label>(first->viewWithTag(MSAppsView::kLabelTag + 1));
  ASSERT_TRUE(name);
  EXPECT_EQ(MSAppsView::builtInApps()[1].name, name->text());
  EXPECT_TRUE(engine_->downloads.empty());

  // The second view of the process builds at once; a view freed before its pause ends is fine.
  auto second = make();
  EXPECT_TRUE(second->isBuilt());
  MSAppsView::resetBuiltInShownForTesting();
  make().reset();
  settle(1);

  // Without a delegate a tap does nothing; with one, it hears the icon's link.
  first->appIconButtonsArray()[1]->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto delegate = std::make_shared<RecordingAppsDelegate>();
  first->setAppViewDelegate(delegate);
  first->appIconButtonsArray()[1]->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(std::vector<std::string>{MSAppsView::builtInApps()[1].link}, delegate->links);

  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->setBackgroundColor(ui::Color::whiteColor());
  window->makeKeyAndVisible();
  first->setFrame(ui::Rect(15, 200, 290, 100));
  window->addSubview(first);
  settle(1);
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::writeSnapshot(*screen, "apps-row").has_value());
}

}  // namespace
}  // namespace zu
