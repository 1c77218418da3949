#include "platform/ui/system/Occlusion.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

class OcclusionTest : public TextEntryFixture {
 protected:
  void TearDown() override {
    Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
    TextEntryFixture::TearDown();
  }
  template <typename V = View>
  std::shared_ptr<V> add(const std::shared_ptr<View>& parent, Rect frame, std::optional<Color> ground = std::nullopt) {
    auto view = std::make_shared<V>(frame);
    if (ground) view->setBackgroundColor(*ground);
    parent->addSubview(view);
    return view;
  }

  ScopedFakeClock clock_;
};

// Grounds drawn later cover together: two that each hold two tenths of a text leave it in
// sight; with a third of three tenths, none of them holding half, they hide it. A view's own parts (a button's
// picture over its title) never cover it; a sibling drawn after it does. Whole: nothing
// clipped, nothing laid over it (a tint included) but a sliver of its edge.
TEST_F(OcclusionTest, GroundsCoverTogetherAndAViewsOwnPartsNever) {
  auto text = add<Label>(window_, Rect(0, 100, 100, 20));
  add(window_, Rect(0, 90, 20, 40), Color::whiteColor());
  add(window_, Rect(80, 90, 20, 40), Color::whiteColor());
  EXPECT_EQ(Occlusion::Cover::None, Occlusion::ofScreen().coverOf(*text));
  EXPECT_FALSE(Occlusion::ofScreen().seesWhole(*text));
  add(window_, Rect(20, 90, 30, 40), Color::blackColor());
  EXPECT_EQ(Occlusion::Cover::Opaque, Occlusion::ofScreen().coverOf(*text));
  EXPECT_FALSE(Occlusion::ofScreen().sees(*text));

  auto button = std::make_shared<Button>(ButtonType::Custom, Rect(0, 200, 100, 40));
  window_->addSubview(button);
  button->setTitle(std::string("好"), kControlStateNormal);
  auto picture = Image::create(100, 40);
  {
    Canvas canvas(*picture);
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(0, 0, 100, 40));
  }
  button->setImage(picture, kControlStateNormal);
  window_->layoutIfNeeded();
  EXPECT_TRUE(Occlusion::ofScreen().seesWhole(*button));
  add(window_, Rect(0, 200, 100, 40), Color::white(0, 0.3f));  // a tint over it
  EXPECT_EQ(Occlusion::Cover::Translucent, Occlusion::ofScreen().coverOf(*button));
  EXPECT_TRUE(Occlusion::ofScreen().sees(*button));
  EXPECT_FALSE(Occlusion::ofScreen().seesWhole(*button));

  // A neighbour laid over a sliver of its edge (a twentieth or less) leaves it whole.
  auto neighboured = add<TextField>(window_, Rect(10, 400, 200, 30));
  add(window_, Rect(205, 400, 80, 30), Color::whiteColor());
  EXPECT_TRUE(Occlusion::ofScreen().seesWhole(*neighboured));
  add(window_, Rect(190, 400, 80, 30), Color::whiteColor());
  EXPECT_FALSE(Occlusion::ofScreen().seesWhole(*neighboured));

  auto clipping = add(window_, Rect(0, 300, 320, 30));
  clipping->setClipsToBounds(true);
  auto field = add<TextField>(clipping, Rect(10, 10, 200, 30));
  const auto occlusion = Occlusion::ofScreen();
  EXPECT_EQ(std::optional<Rect>(Rect(10, 310, 200, 20)), occlusion.shownRect(*field));
  EXPECT_TRUE(occlusion.sees(*field));
  EXPECT_FALSE(occlusion.seesWhole(*field));
  field->setHidden(true);
  EXPECT_FALSE(Occlusion::ofScreen().sees(*field));
  EXPECT_FALSE(Occlusion::ofScreen().shownRect(*field));
}

// The keyboard covers where it is drawn on the screen: along the interface's bottom edge,
// which turned sideways is the screen's side, not the rectangle the interface's own space gives.
TEST_F(OcclusionTest, TheKeyboardCoversWhereTheScreenShowsIt) {
  for (auto orientation : {SystemEnvironment::Orientation::kPortrait, SystemEnvironment::Orientation::kLandscapeRight,
                           SystemEnvironment::Orientation::kLandscapeLeft}) {
    Application::shared().setStatusBarOrientation(orientation);
    const Rect keys = Keyboard::shownFrame();
    const Point middle = keys.center();
    auto under = add<Label>(window_, Rect(middle.x - 10, middle.y - 10, 20, 20));
    // A point of the interface's keyboard rectangle, read as a screen point, that the keyboard
    // does not hold (none in portrait, where the two agree).
    auto aside = add<Label>(window_, Rect(keys.minX() > 100 ? 40 : 260, 150, 20, 20));
    auto field = add<TextField>(window_, Rect(100, 10, 100, 20));
    EXPECT_TRUE(Occlusion::ofScreen().sees(*under));
    ASSERT_TRUE(field->becomeFirstResponder());
    clock_->advance(1);
    EXPECT_FALSE(Occlusion::ofScreen().sees(*under)) << static_cast<int>(orientation);
    EXPECT_TRUE(Occlusion::ofScreen().seesWhole(*aside)) << static_cast<int>(orientation);
    field->resignFirstResponder();
    clock_->advance(1);
    EXPECT_TRUE(Occlusion::ofScreen().sees(*under));
    for (const auto& view : {std::static_pointer_cast<View>(under), std::static_pointer_cast<View>(aside),
                             std::static_pointer_cast<View>(field)}) {
      view->removeFromSuperview();
    }
  }
}

}  // namespace
}  // namespace zu::ui
