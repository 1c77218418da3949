#include <gtest/gtest.h>

#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/Toolbar.h"
#include "shell/widgets/SPTitleView.h"
#include "shell/widgets/ViewUtil.h"
#include "shell/widgets/VovozActionSheet.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

TEST(VovozActionSheetTest, BlankButtonsFillTheHeightAndBothBarButtonsDismiss) {
  ScopedFakeClock clock;
  auto sheet = std::make_shared<VovozActionSheet>(240, "选择");
  EXPECT_EQ(sheet->numberOfButtons(), 4);
  EXPECT_EQ(sheet->view()->frame(), ui::Rect(0, 44, 320, 196));
  ASSERT_EQ(sheet->toolBar()->items().size(), 5u);
  EXPECT_EQ(sheet->toolBar()->items()[2]->title(), "选择");
  EXPECT_FALSE(sheet->toolBar()->items()[2]->hasAction());
  EXPECT_EQ(std::make_shared<VovozActionSheet>(80, "")->numberOfButtons(), 0);
  EXPECT_EQ(std::make_shared<VovozActionSheet>(89.9f, "")->numberOfButtons(), 0);
  EXPECT_EQ(std::make_shared<VovozActionSheet>(90, "")->numberOfButtons(), 1);

  sheet->showInView(nullptr);
  ASSERT_TRUE(sheet->isVisible());
  sheet->toolBar()->items()[4]->sendAction();
  clock->advance(1);
  runDueMainLoopTasks();
  EXPECT_FALSE(sheet->isVisible());
  sheet->showInView(nullptr);
  sheet->toolBar()->items()[0]->sendAction();
  clock->advance(1);
  runDueMainLoopTasks();
  EXPECT_FALSE(sheet->isVisible());
  ui::Application::shared().resetForTesting();
}

TEST(ViewUtilTest, LabelHeightFollowsItsTextAndNilKeepsTheText) {
  ui::Label label(ui::Rect(10, 20, 60, 5));
  label.setNumberOfLines(0);
  const float one = ViewUtil::updateLabel(label, std::string("短"));
  EXPECT_GT(one, 0.f);
  EXPECT_EQ(label.frame(), ui::Rect(10, 20, 60, one));
  const float many = ViewUtil::updateLabel(label, std::string("很长很长很长很长很长很长的一段文字"));
  EXPECT_GT(many, one);
  label.setFrame(ui::Rect(10, 20, 60, 500));
  EXPECT_EQ(ViewUtil::updateLabel(label, std::nullopt), many);
  EXPECT_EQ(label.text(), "很长很长很长很长很长很长的一段文字");
  EXPECT_EQ(ViewUtil::updateLabel(label, std::string("")), 0.f);

  EXPECT_EQ(SPTitleView::create("no_such_logo.png"), nullptr);
}

}  // namespace
}  // namespace zu
