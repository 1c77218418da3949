#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Journal = std::vector<std::string>;

std::shared_ptr<Image> namedImage(const std::string& name, int w = 10, int h = 10) {
  auto image = Image::create(w, h);
  image->setName(name);
  return image;
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Application::shared().resetForTesting();
    TextMetrics::setCurrent(nullptr);
  }
  void record(Control& c, const std::string& name) {
    const std::pair<unsigned, const char*> events[] = {
        {kControlEventTouchDown, "down"},          {kControlEventTouchDownRepeat, "repeat"},
        {kControlEventTouchDragInside, "inside"},  {kControlEventTouchDragOutside, "outside"},
        {kControlEventTouchDragEnter, "enter"},    {kControlEventTouchDragExit, "exit"},
        {kControlEventTouchUpInside, "upInside"},  {kControlEventTouchUpOutside, "upOutside"},
        {kControlEventTouchCancel, "cancel"},      {kControlEventValueChanged, "changed"}};
    for (const auto& [bit, label] : events) {
      std::string text = name + " " + label;
      c.addTarget(this, bit, [this, text](Control&) { journal_.push_back(text); });
    }
  }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  Journal journal_;
};

TEST_F(ControlsTest, ButtonStateValuesFallBackToNormal) {
  auto button = Button::create(ButtonType::Custom);
  button->setFrame(Rect(10, 10, 100, 40));
  button->setTitle("返回", kControlStateNormal);
  button->setTitle("按下", kControlStateHighlighted);
  button->setImage(namedImage("star"), kControlStateNormal);
  button->setImage(namedImage("star_on"), kControlStateSelected);
  button->setBackgroundImage(namedImage("bg_hl"), kControlStateHighlighted);

  EXPECT_EQ("返回", button->currentTitle());
  EXPECT_EQ("star", button->currentImage()->name());
  EXPECT_EQ(nullptr, button->currentBackgroundImage());
  button->setHighlighted(true);
  EXPECT_EQ("按下", button->currentTitle());
  EXPECT_EQ("star", button->currentImage()->name());  // highlighted has none: normal's
  EXPECT_EQ("bg_hl", button->currentBackgroundImage()->name());
  button->setSelected(true);  // highlighted | selected: set for neither, so normal's
  EXPECT_EQ(5u, button->state());
  EXPECT_EQ("返回", button->currentTitle());
  EXPECT_EQ("star", button->currentImage()->name());
  EXPECT_EQ(nullptr, button->currentBackgroundImage());
  button->setHighlighted(false);
  EXPECT_EQ("star_on", button->currentImage()->name());
  // The subviews show the current values.
  EXPECT_EQ("star_on", button->imageView()->image()->name());
  EXPECT_EQ("返回", button->titleLabel()->text());
  button->setTitle(std::nullopt, kControlStateNormal);
  EXPECT_EQ(std::nullopt, button->currentTitle());
  EXPECT_TRUE(button->titleLabel()->isHidden());
  EXPECT_EQ(Color::whiteColor(), button->currentTitleColor());
  EXPECT_EQ(Color::rgba8(50, 79, 133), Button::create(ButtonType::RoundedRect)->currentTitleColor());
  EXPECT_NE(std::string::npos, dumpViewTree(*button).find("Button frame={10, 10, 100, 40} state=4 image=star_on"));
}

// A disabled button fades its image and background image, unless the disabled state has its
// own or adjusting is off; its title keeps its colour.
TEST_F(ControlsTest, ADisabledButtonLooksItByItsFadedPictures) {
  auto solid = [](uint32_t argb) {
    auto image = Image::create(20, 20);
    std::fill(image->mutablePixels(), image->mutablePixels() + 20 * 20, argb);
    return image;
  };
  auto button = Button::create(ButtonType::Custom);
  button->setFrame(Rect(0, 0, 60, 20));
  button->setBackgroundImage(solid(0xff0000ffu), kControlStateNormal);
  button->setImage(solid(0xffff0000u), kControlStateNormal);
  window_->addSubview(button);
  window_->setBackgroundColor(Color::whiteColor());
  auto look = [&] {
    window_->layoutIfNeeded();
    auto picture = render(*window_);
    return std::make_pair(picture->pixelAt(5, 10), picture->pixelAt(30, 10));  // background, image
  };
  const auto enabled = look();
  EXPECT_EQ(0xff0000ffu, enabled.first);
  EXPECT_EQ(0xffff0000u, enabled.second);

  button->setEnabled(false);
  const auto disabled = look();
  EXPECT_NE(enabled.first, disabled.first);
  EXPECT_NE(enabled.second, disabled.second);
  EXPECT_GT(disabled.first >> 8 & 0xff, 0x80u);   // the white shows through the faded blue
  EXPECT_GT(disabled.second & 0xff, 0x80u);        // and what lies under the faded red
  EXPECT_EQ(Color::whiteColor(), button->titleLabel()->textColor());

  button->setAdjustsImageWhenDisabled(false);
  EXPECT_EQ(enabled, look());
  button->setAdjustsImageWhenDisabled(true);
  // Pictures of the disabled state's own are drawn as they are.
  button->setImage(solid(0xff00ff00u), kControlStateDisabled);
  button->setBackgroundImage(solid(0xff000000u), kControlStateDisabled);
  EXPECT_EQ(std::make_pair(0xff000000u, 0xff00ff00u), look());
  button->setEnabled(true);
  EXPECT_EQ(enabled, look());
}

TEST_F(ControlsTest, ButtonContentSitsWhereItsHorizontalAlignmentPutsIt) {
  TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
  auto button = Button::create(ButtonType::Custom);
  button->setFrame(Rect(0, 0, 200, 30));
  button->setContentEdgeInsets(EdgeInsets{0, 6, 0, 4});
  button->setImage(namedImage("dot", 10, 10), kControlStateNormal);
  button->setTitle("abcd", kControlStateNormal);
  window_->addSubview(button);
  auto place = [&](ControlContentHorizontalAlignment alignment) {
    button->setContentHorizontalAlignment(alignment);
    button->layoutIfNeeded();
    return std::pair(button->imageView()->frame(), button->titleLabel()->frame());
  };
  const auto [centreImage, centreTitle] = place(ControlContentHorizontalAlignment::Center);
  const float group = centreImage.size.width + centreTitle.size.width;
  ASSERT_GT(centreTitle.size.width, 0);
  EXPECT_FLOAT_EQ(6 + (190 - group) / 2, centreImage.origin.x);

  // Left: from the content's left edge, the title right after the image, sizes unchanged.
  const auto [leftImage, leftTitle] = place(ControlContentHorizontalAlignment::Left);
  EXPECT_FLOAT_EQ(6, leftImage.origin.x);
  EXPECT_FLOAT_EQ(16, leftTitle.origin.x);
  EXPECT_FLOAT_EQ(centreTitle.size.width, leftTitle.size.width);
  EXPECT_FLOAT_EQ(centreTitle.origin.y, leftTitle.origin.y);

  // Right: the group ends at the content's right edge.
  const auto [rightImage, rightTitle] = place(ControlContentHorizontalAlignment::Right);
  EXPECT_FLOAT_EQ(196, rightTitle.maxX());
  EXPECT_FLOAT_EQ(196 - group, rightImage.origin.x);

  // Fill: the title takes every point the image leaves.
  const auto [fillImage, fillTitle] = place(ControlContentHorizontalAlignment::Fill);
  EXPECT_FLOAT_EQ(6, fillImage.origin.x);
  EXPECT_FLOAT_EQ(180, fillTitle.size.width);

  // The title's own insets still move it from the aligned place.
  button->setTitleEdgeInsets(EdgeInsets{0, 5, 0, 0});
  const auto [movedImage, movedTitle] = place(ControlContentHorizontalAlignment::Left);
  EXPECT_FLOAT_EQ(21, movedTitle.origin.x);
  EXPECT_FLOAT_EQ(6, movedImage.origin.x);
}

TEST_F(ControlsTest, ButtonEventsFollowTheTouches) {
  auto button = Button::create(ButtonType::RoundedRect);
  button->setFrame(Rect(100, 100, 100, 40));
  window_->addSubview(button);
  record(*button, "b");
  window_->tap(Point{150, 120});
  EXPECT_EQ((Journal{"b down", "b upInside"}), journal_);
  EXPECT_FALSE(button->isHighlighted());

  // Out past the slop and back: exit, enter; lifted outside.
  journal_.clear();
  clock_->advance(1);
  auto t = window_->beginTouch(Point{150, 120});
  EXPECT_TRUE(button->isHighlighted());
  window_->moveTouch(t, Point{150, 200});  // 60 below: still inside the slop
  window_->moveTouch(t, Point{150, 260});
  EXPECT_FALSE(button->isHighlighted());
  window_->moveTouch(t, Point{150, 130});
  window_->moveTouch(t, Point{150, 300});
  window_->endTouch(t);
  EXPECT_EQ((Journal{"b down", "b inside", "b outside", "b exit", "b inside", "b enter", "b outside",
                     "b exit", "b upOutside"}),
            journal_);

  // A double tap repeats; a cancelled touch cancels; a disabled button hears nothing.
  journal_.clear();
  clock_->advance(1);
  window_->tap(Point{150, 120});
  window_->tap(Point{150, 120});
  clock_->advance(1);
  t = window_->beginTouch(Point{150, 120});
  window_->cancelTouch(t);
  EXPECT_EQ((Journal{"b down", "b upInside", "b down", "b repeat", "b upInside", "b down", "b cancel"}), journal_);
  journal_.clear();
  button->setEnabled(false);
  clock_->advance(1);
  window_->tap(Point{150, 120});
  EXPECT_TRUE(journal_.empty());
  // An action that removes the button from the screen while it runs.
  button->setEnabled(true);
  std::weak_ptr<Button> weak = button;
  button->addTarget(this, kControlEventTouchUpInside, [](Control& c) { c.removeFromSuperview(); });
  button.reset();
  clock_->advance(1);
  window_->tap(Point{150, 120});
  EXPECT_TRUE(weak.expired());
}

TEST_F(ControlsTest, LabelsMeasureWithTheCurrentMetrics) {
  TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
  auto label = std::make_shared<Label>(Rect(0, 0, 100, 50));
  EXPECT_EQ(Color::whiteColor(), label->backgroundColor());
  label->setFont(Font::systemFont(10));  // ASCII 5, CJK 10, line 12
  label->setText("中文标题 and more text");
  label->sizeToFit();
  EXPECT_EQ(Rect(0, 0, 110, 12), label->frame());
  label->setFrame(Rect(0, 0, 50, 100));
  // One line: "中文标题…"; no limit: "中文标题" / "and more" / "text"; two lines: the second
  // "and more…".
  EXPECT_EQ(Rect(0, 0, 50, 12), label->textRectForBounds(label->bounds(), 1));
  label->setNumberOfLines(0);
  EXPECT_EQ(Rect(0, 0, 40, 36), label->textRectForBounds(label->bounds(), 0));
  EXPECT_EQ(Rect(0, 0, 50, 24), label->textRectForBounds(label->bounds(), 2));
  EXPECT_EQ((Size{40, 36}), label->sizeThatFits(Size{50, 0}));
  // A short bounds limits the lines too.
  EXPECT_EQ(Rect(0, 0, 50, 12), label->textRectForBounds(Rect(0, 0, 50, 20), 0));
  EXPECT_EQ("Label frame={0, 0, 50, 100} text=\"中文标题 and more text\"\n", dumpViewTree(*label));
}

// A subclass that places its text rectangle over the whole bounds.
class WholeBoundsLabel : public Label {
 public:
  using Label::Label;
  Rect textRectForBounds(const Rect& bounds, int) const override { return bounds; }
};

TEST_F(ControlsTest, LabelCentresTextByItsOwnMeasureWhateverASubclassPlaces) {
  auto plain = std::make_shared<Label>(Rect(0, 0, 120, 60));
  auto whole = std::make_shared<WholeBoundsLabel>(Rect(0, 0, 120, 60));
  for (const auto& label : {plain, std::static_pointer_cast<Label>(whole)}) {
    label->setText("Centre");
    label->setTextColor(Color::blackColor());
  }
  auto a = render(*plain);
  auto b = render(*whole);
  ASSERT_TRUE(a && b);
  int inked = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      ASSERT_EQ(a->pixelAt(x, y), b->pixelAt(x, y)) << x << "," << y;
      // Centred text leaves the top rows white.
      if (y < 15) {
        EXPECT_EQ(0xffffffffu, a->pixelAt(x, y));
      }
      if (a->pixelAt(x, y) != 0xffffffffu) ++inked;
    }
  }
  EXPECT_GT(inked, 0);
}

TEST_F(ControlsTest, ImageViewPlaysItsFramesByTheClockAndStops) {
  auto view = std::make_shared<ImageView>(namedImage("still", 30, 20));
  EXPECT_EQ(Rect(0, 0, 30, 20), view->frame());
  EXPECT_FALSE(view->isUserInteractionEnabled());
  view->setAnimationImages({namedImage("f0"), namedImage("f1"), namedImage("f2")});
  view->setAnimationDuration(0.3);
  view->setAnimationRepeatCount(2);
  view->startAnimating();
  std::vector<std::string> shown{view->displayedImage()->name()};
  for (int i = 0; i < 7; ++i) {
    clock_->advance(0.1);
    runDueMainLoopTasks();
    shown.push_back(view->displayedImage()->name());
  }
  EXPECT_EQ((std::vector<std::string>{"f0", "f1", "f2", "f0", "f1", "f2", "still", "still"}), shown);
  EXPECT_FALSE(view->isAnimating());
  view->setHighlightedImage(namedImage("lit"));
  view->setHighlighted(true);
  EXPECT_EQ(" image=lit", view->dumpDetails());
}

TEST_F(ControlsTest, SwitchSliderAndIndicator) {
  auto toggle = std::make_shared<Switch>(Rect(10, 10, 200, 200));
  EXPECT_EQ(Rect(10, 10, 79, 27), toggle->frame());
  window_->addSubview(toggle);
  record(*toggle, "s");
  toggle->setOn(true);
  EXPECT_TRUE(journal_.empty());
  window_->tap(Point{40, 20});
  EXPECT_FALSE(toggle->isOn());
  EXPECT_EQ((Journal{"s down", "s upInside", "s changed"}), journal_);

  auto slider = std::make_shared<Slider>(Rect(0, 100, 223, 23));
  slider->setMinimumValue(0);
  slider->setMaximumValue(200);
  window_->addSubview(slider);
  journal_.clear();
  record(*slider, "v");
  // On the track, away from the thumb (at 0–23): nothing moves until the finger does; sideways,
  // the thumb goes to it and follows, clamped beyond the end.
  auto t = window_->beginTouch(Point{111.5f, 110});  // the middle of the track
  EXPECT_FLOAT_EQ(0, slider->value());
  window_->moveTouch(t, Point{400, 110});
  window_->endTouch(t);
  EXPECT_FLOAT_EQ(200, slider->value());
  EXPECT_EQ((Journal{"v down", "v changed", "v outside", "v exit", "v upOutside"}), journal_);
  // A tap on the track sets the value where it lifts.
  journal_.clear();
  clock_->advance(1);
  t = window_->beginTouch(Point{111.5f, 110});
  EXPECT_FLOAT_EQ(200, slider->value());
  window_->endTouch(t, Point{113.5f, 111});
  EXPECT_FLOAT_EQ(102, slider->value());
  EXPECT_EQ((Journal{"v down", "v changed", "v upInside"}), journal_);
  // A touch on the track that moves up or down first is not the slider's: nothing moves however
  // it goes on.
  journal_.clear();
  clock_->advance(1);
  t = window_->beginTouch(Point{40, 110});
  window_->moveTouch(t, Point{41, 116});
  window_->moveTouch(t, Point{200, 116});
  window_->endTouch(t);
  EXPECT_FLOAT_EQ(102, slider->value());
  EXPECT_EQ((Journal{"v down", "v inside", "v inside", "v upInside"}), journal_);
  slider->setValue(-5);
  EXPECT_FLOAT_EQ(0, slider->value());

  auto spinner = std::make_shared<ActivityIndicatorView>(ActivityIndicatorStyle::WhiteLarge);
  EXPECT_EQ((Size{37, 37}), spinner->frame().size);
  EXPECT_TRUE(spinner->isHidden());
  spinner->startAnimating();
  EXPECT_FALSE(spinner->isHidden());
  spinner->setHidesWhenStopped(false);
  spinner->stopAnimating();
  EXPECT_FALSE(spinner->isHidden());
  EXPECT_FALSE(spinner->isAnimating());
}

// A screen of controls with Chinese text, drawn with the default (Pango) metrics, written as a
// PNG for a reviewer ($ZU_SNAPSHOT_DIR or snapshots/).
TEST_F(ControlsTest, ScreenOfControlsRendersChineseText) {
  window_->setBackgroundColor(Color::white(0.9f));
  auto title = std::make_shared<Label>(Rect(10, 30, 300, 30));
  title->setText("设置 — 阅读字体");
  title->setFont(Font::boldSystemFont(20));
  title->setTextAlignment(TextAlignment::Center);
  auto body = std::make_shared<Label>(Rect(10, 70, 300, 80));
  body->setNumberOfLines(0);
  body->setFont(Font::systemFont(15));
  body->setText("夜间模式下，文章页面使用深色背景。Night mode uses a dark page background.");
  auto button = Button::create(ButtonType::RoundedRect);
  button->setFrame(Rect(10, 170, 140, 37));
  button->setTitle("保存设置", kControlStateNormal);
  auto toggle = std::make_shared<Switch>(Rect(220, 175, 0, 0));
  toggle->setOn(true);
  auto slider = std::make_shared<Slider>(Rect(10, 230, 300, 23));
  slider->setValue(0.6f);
  auto spinner = std::make_shared<ActivityIndicatorView>(ActivityIndicatorStyle::Gray);
  spinner->setCenter(Point{160, 300});
  spinner->startAnimating();
  for (std::shared_ptr<View> v : std::initializer_list<std::shared_ptr<View>>{title, body, button, toggle, slider, spinner}) {
    window_->addSubview(v);
  }
  auto screen = render(*window_);
  ASSERT_TRUE(screen);
  EXPECT_TRUE(writeSnapshot(*screen, "controls-screen"));

  // Text ink inside the labels' text rectangles, white label background elsewhere.
  auto inkIn = [&](const Rect& r) {
    int ink = 0;
    for (int y = static_cast<int>(r.minY()); y < static_cast<int>(r.maxY()); ++y) {
      for (int x = static_cast<int>(r.minX()); x < static_cast<int>(r.maxX()); ++x) {
        if (screen->colorAt(x, y).red < 0.5f) ++ink;
      }
    }
    return ink;
  };
  EXPECT_GT(inkIn(title->frame()), 100);
  EXPECT_GT(inkIn(Rect(10, 70, 300, 40)), 200);
  EXPECT_EQ(0, inkIn(Rect(10, 62, 300, 6)));  // between the labels
  EXPECT_GT(inkIn(button->frame()), 50);       // the dark blue title
}

}  // namespace
}  // namespace zu::ui
