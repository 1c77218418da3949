#include "catalog/widgets/PBCustomSegmentedControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"

namespace zu {
namespace {

using ui::Point;
using ui::Rect;

std::shared_ptr<ui::Image> solid(const ui::Color& color, int width = 8, int height = 8) {
  auto image = ui::Image::create(width, height);
  for (int i = 0; i < width * height; ++i) image->mutablePixels()[i] = color.premultipliedArgb();
  return image;
}

PBSegmentInfo info(const std::string& title, float width, float outbound = 0) {
  PBSegmentInfo i;
  i.title = title;
  // A light face under the default grey titles and a dark one under the selected white title.
  i.normalImage = solid(ui::Color(0.88f, 0.90f, 0.94f));
  i.selectedImage = solid(ui::Color(0.10f, 0.25f, 0.55f));
  i.width = width;
  i.outboundWidth = outbound;
  return i;
}

// A control at window (0, 100), 40 high, with the value-changed indices it sent.
class PBCustomSegmentedControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    control_ = std::make_shared<PBCustomSegmentedControl>(Rect(0, 100, 500, 40));
    window_->addSubview(control_);
    window_->makeKeyAndVisible();
    control_->addTarget(this, ui::kControlEventValueChanged, [this](ui::Control& sender) {
      fired_.push_back(static_cast<PBCustomSegmentedControl&>(sender).selectedSegmentIndex());
    });
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> out;
    for (int i = 0; i < control_->numberOfSegments(); ++i) {
      out.push_back(control_->segmentButton(i)->titleForState(ui::kControlStateNormal).value_or(""));
    }
    return out;
  }
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<PBCustomSegmentedControl> control_;
  std::vector<int> fired_;
};

TEST_F(PBCustomSegmentedControlTest, InsertionClampsTheIndexAndLeavesTheSelection) {
  control_->insertSegmentWithSegmentInfo(info("a", 50), 0);
  control_->insertSegmentWithSegmentInfo(info("b", 50), 1);
  control_->insertSegmentWithSegmentInfo(info("first", 50), -1);
  control_->insertSegmentWithSegmentInfo(info("last", 50), 99);
  EXPECT_EQ(titles(), (std::vector<std::string>{"first", "a", "b", "last"}));
  EXPECT_EQ(control_->selectedSegmentIndex(), 0);
  EXPECT_TRUE(fired_.empty());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(control_->segmentButton(i)->isEnabled()) << i;
  EXPECT_EQ(control_->segmentButton(2)->frame(), Rect(100, 0, 50, 40));

  // An insertion before the selection moves the selected button; only it stays disabled.
  control_->setSelectedSegmentIndex(1);
  control_->insertSegmentWithSegmentInfo(info("new", 50), 0);
  control_->setSelectedSegmentIndex(0);
  int disabled = 0;
  for (int i = 0; i < control_->numberOfSegments(); ++i) {
    disabled += control_->segmentButton(i)->isEnabled() ? 0 : 1;
  }
  EXPECT_EQ(disabled, 1);
  EXPECT_FALSE(control_->segmentButton(0)->isEnabled());
}

TEST_F(PBCustomSegmentedControlTest, WidthIsTheSumOfTheSegmentsWhateverTheFrame) {
  for (int i = 0; i < 3; ++i) control_->insertSegmentWithSegmentInfo(info("s", 102), i);
  EXPECT_EQ(control_->frame(), Rect(0, 100, 306, 40));
  control_->removeSegments();
  EXPECT_EQ(control_->frame(), Rect(0, 100, 0, 40));
  EXPECT_EQ(control_->numberOfSegments(), 0);
  EXPECT_TRUE(control_->subviews().empty());
  EXPECT_EQ(control_->segmentButton(0), nullptr);
}

TEST_F(PBCustomSegmentedControlTest, SelectingFiresEveryTimeAndIgnoresIndicesNamingNoSegment) {
  control_->insertSegmentWithSegmentInfo(info("a", 60), 0);
  control_->insertSegmentWithSegmentInfo(info("b", 60), 1);
  control_->setSelectedSegmentIndex(1);
  control_->setSelectedSegmentIndex(1);
  EXPECT_EQ(fired_, (std::vector<int>{1, 1}));
  EXPECT_FALSE(control_->segmentButton(1)->isEnabled());
  EXPECT_EQ(control_->segmentButton(1)->titleLabel()->shadowOffset(), (ui::Size{0, -1}));

  control_->setSelectedSegmentIndex(0);
  EXPECT_TRUE(control_->segmentButton(1)->isEnabled());
  EXPECT_EQ(control_->segmentButton(1)->titleLabel()->shadowOffset(), (ui::Size{0, 1}));

  control_->setSelectedSegmentIndex(2);
  control_->setSelectedSegmentIndex(-1);
  EXPECT_EQ(fired_, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(control_->selectedSegmentIndex(), 0);
}

TEST_F(PBCustomSegmentedControlTest, SelectedSegmentReachesOverItsNeighboursInFront) {
  for (int i = 0; i < 3; ++i) control_->insertSegmentWithSegmentInfo(info("s", 100, 4), i);
  control_->setSelectedSegmentIndex(1);
  EXPECT_EQ(control_->segmentButton(1)->frame(), Rect(96, 0, 108, 40));
  EXPECT_EQ(control_->subviews().back(), control_->segmentButton(1));
  EXPECT_EQ(control_->segmentButton(0)->frame(), Rect(0, 0, 100, 40));
  EXPECT_EQ(control_->segmentButton(2)->frame(), Rect(200, 0, 100, 40));

  control_->setSelectedSegmentIndex(0);  // grows to the right only
  EXPECT_EQ(control_->segmentButton(0)->frame(), Rect(0, 0, 104, 40));
  EXPECT_EQ(control_->segmentButton(1)->frame(), Rect(100, 0, 100, 40));
  control_->setSelectedSegmentIndex(2);  // moves left and grows by the same
  EXPECT_EQ(control_->segmentButton(2)->frame(), Rect(196, 0, 104, 40));
  EXPECT_EQ(control_->subviews().back(), control_->segmentButton(2));
}

TEST_F(PBCustomSegmentedControlTest, TouchDownSelectsAnotherSegmentAndTheSelectedOneIgnoresTouches) {
  for (int i = 0; i < 3; ++i) control_->insertSegmentWithSegmentInfo(info("s", 100), i);
  control_->setSelectedSegmentIndex(0);
  fired_.clear();

  window_->tap(Point{50, 120});  // the selected one
  EXPECT_TRUE(fired_.empty());

  auto touch = window_->beginTouch(Point{250, 120});
  EXPECT_EQ(fired_, (std::vector<int>{2}));  // on touch-down, before the finger lifts
  window_->endTouch(touch);
  EXPECT_EQ(control_->selectedSegmentIndex(), 2);
  EXPECT_TRUE(control_->segmentButton(0)->isEnabled());
  EXPECT_FALSE(control_->segmentButton(2)->isEnabled());
}

TEST_F(PBCustomSegmentedControlTest, OnlyValueChangedRegistersAndTheLastReceiverWins) {
  control_->insertSegmentWithSegmentInfo(info("a", 60), 0);
  int touchUps = 0;
  control_->addTarget(&touchUps, ui::kControlEventTouchUpInside, [&](ui::Control&) { ++touchUps; });
  control_->setSelectedSegmentIndex(0);
  EXPECT_EQ(touchUps, 0);
  EXPECT_EQ(fired_.size(), 1u);  // the earlier value-changed receiver still holds

  int second = 0;
  control_->addTarget(&second, ui::kControlEventValueChanged | ui::kControlEventTouchDown,
                      [&](ui::Control&) { ++second; });
  control_->setSelectedSegmentIndex(0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(fired_.size(), 1u);
}

TEST_F(PBCustomSegmentedControlTest, StyleSettersReachExistingButtons) {
  control_->insertSegmentWithSegmentInfo(info("a", 60), 0);
  control_->insertSegmentWithSegmentInfo(info("b", 60), 1);
  control_->setSelectedSegmentIndex(1);
  const auto red = ui::Color::redColor();
  const auto green = ui::Color(0, 1, 0);
  control_->setNormalColor(red);
  control_->setSelectedColor(green);
  control_->setSelectedShadowColor(red);
  control_->setNormalShadowOffset(ui::Size{2, 2});
  control_->setSelectedShadowOffset(ui::Size{3, 3});
  control_->setTitleFont(ui::Font::systemFont(9));
  auto a = control_->segmentButton(0);
  auto b = control_->segmentButton(1);
  EXPECT_EQ(a->currentTitleColor(), red);
  EXPECT_EQ(b->currentTitleColor(), green);
  EXPECT_EQ(a->titleShadowColorForState(ui::kControlStateHighlighted), red);
  EXPECT_EQ(a->titleLabel()->shadowOffset(), (ui::Size{2, 2}));
  EXPECT_EQ(b->titleLabel()->shadowOffset(), (ui::Size{3, 3}));
  EXPECT_EQ(a->titleLabel()->font().pointSize, 9);
  // Defaults a new segment picks up: the colours set since, the normal and disabled states.
  control_->insertSegmentWithSegmentInfo(info("c", 60), 2);
  EXPECT_EQ(control_->segmentButton(2)->titleColorForState(ui::kControlStateDisabled), green);
}

TEST_F(PBCustomSegmentedControlTest, DrawsTheSelectedBackgroundOverItsNeighbours) {
  for (int i = 0; i < 3; ++i) control_->insertSegmentWithSegmentInfo(info(i == 1 ? "选中" : "其他", 100, 4), i);
  control_->setSelectedSegmentIndex(1);
  auto image = ui::render(*control_);
  ASSERT_TRUE(image);
  ui::ContrastAudit::write(*control_, *image, "segmented");
  const auto light = ui::Color(0.88f, 0.90f, 0.94f);
  const auto dark = ui::Color(0.10f, 0.25f, 0.55f);
  auto near = [](ui::Color a, ui::Color b) {
    return std::abs(a.red - b.red) < 0.02 && std::abs(a.green - b.green) < 0.02 && std::abs(a.blue - b.blue) < 0.02;
  };
  EXPECT_TRUE(near(image->colorAt(5, 5), light));
  EXPECT_TRUE(near(image->colorAt(97, 5), dark));   // the outbound part over the first
  EXPECT_TRUE(near(image->colorAt(202, 5), dark));  // and over the third
  EXPECT_TRUE(near(image->colorAt(210, 5), light));
}

}  // namespace
}  // namespace zu
