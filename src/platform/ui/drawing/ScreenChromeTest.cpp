// The screen's chrome as the renderer draws it: the status bar in each style and hidden, the
// keyboard while a text field edits, the caret and selection of fields and text views, and soft
// shadows.
#include <gtest/gtest.h>

#include <memory>

#include "platform/device/DeviceProfile.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/drawing/StatusBar.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextSelection.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"
#include "testing/SettableNetworkProbe.h"

namespace zu::ui {
namespace {

class ScreenChromeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    probe_ = std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kCellular);
    NetworkProbe::setShared(probe_);
    StatusBar::shared().refresh();
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->setBackgroundColor(Color::rgba8(200, 0, 0));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    TextMetrics::setCurrent(nullptr);
    Application::shared().resetForTesting();
    NetworkProbe::setShared(nullptr);
    StatusBar::shared().refresh();
  }
  static uint32_t rgb(const Image& image, int x, int y) { return image.pixelAt(x, y) & 0xffffff; }
  // Lets the keyboard's slide end.
  void slid() { clock_->advance(Keyboard::kAnimationDuration); }

  ScopedFakeClock clock_;
  std::shared_ptr<SettableNetworkProbe> probe_;
  std::shared_ptr<Window> window_;
};

// Each style over a red window: grey (default), black (opaque), half black over the red
// (translucent); hidden shows the window; a window above the bar's level covers it. The signal's
// fifth bar is ink with five bars, faint once the network is gone.
TEST_F(ScreenChromeTest, StatusBarStylesHiddenAndCovered) {
  Application& app = Application::shared();
  auto day = renderScreen();
  EXPECT_TRUE(writeSnapshot(*day, "status-bar-default"));
  const Color grey = day->colorAt(100, 10);
  EXPECT_EQ(grey.red, grey.blue);
  EXPECT_GT(grey.red, 0.6f);
  EXPECT_EQ(0xc80000u, rgb(*day, 100, 30));  // the window below the strip
  EXPECT_LT(day->colorAt(6 + 4 * 4 + 1, 13).red, 0.3f);

  app.setStatusBarStyle(StatusBarStyle::BlackOpaque);
  auto opaque = renderScreen();
  EXPECT_TRUE(writeSnapshot(*opaque, "status-bar-black-opaque"));
  EXPECT_EQ(0x000000u, rgb(*opaque, 100, 10));
  // White ink on black: the battery's outline at its left edge.
  EXPECT_EQ(0xffffffu, rgb(*opaque, 320 - 6 - 2 - 24, 10));

  app.setStatusBarStyle(StatusBarStyle::BlackTranslucent);
  auto translucent = renderScreen();
  const Color mixed = translucent->colorAt(100, 10);
  EXPECT_NEAR(100.f / 255, mixed.red, 0.02f);
  EXPECT_EQ(0.f, mixed.green);

  // On a wireless network the fan replaces the bars.
  probe_->setFlags(SettableNetworkProbe::kWifi);
  StatusBar::shared().refresh();
  app.setStatusBarStyle(StatusBarStyle::Default);
  auto wireless = renderScreen();
  EXPECT_GT(wireless->colorAt(6 + 4 * 4 + 1, 13).red, 0.6f);
  EXPECT_LT(wireless->colorAt(14, 13).red, 0.3f);

  app.setStatusBarHidden(true);
  EXPECT_EQ(0xc80000u, rgb(*renderScreen(), 100, 10));
  app.setStatusBarHidden(false);
  auto cover = std::make_shared<Window>(Rect(0, 0, 320, 480));
  cover->setBackgroundColor(Color::rgba8(0, 0, 200));
  cover->setWindowLevel(kWindowLevelStatusBar + 1);
  cover->setHidden(false);
  EXPECT_EQ(0x0000c8u, rgb(*renderScreen(), 100, 10));
}

// The keyboard shows while a field edits and goes with it; the field draws its caret after the
// text, a highlight behind a selection, and typing replaces the selection.
TEST_F(ScreenChromeTest, KeyboardCaretAndSelectionOfAField) {
  TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
  auto field = std::make_shared<TextField>(Rect(20, 60, 200, 30));
  field->setBackgroundColor(Color::whiteColor());
  field->setFont(Font::systemFont(20));
  field->setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
  field->setText("abcd");
  field->setReturnKeyType(ReturnKeyType::Send);
  window_->addSubview(field);
  EXPECT_EQ(0xc80000u, rgb(*renderScreen(), 160, 400));
  ASSERT_TRUE(field->becomeFirstResponder());
  slid();
  auto editing = renderScreen();
  EXPECT_TRUE(writeSnapshot(*editing, "keyboard-and-caret"));
  EXPECT_NE(0xc80000u, rgb(*editing, 160, 400));  // the keyboard
  EXPECT_EQ(0xc80000u, rgb(*editing, 160, 250));  // above it, the window
  // "abcd" is 40 points wide at 20 points: the caret stands at x 60, in the phone's blue.
  EXPECT_EQ(0x426bf2u, rgb(*editing, 61, 75));
  EXPECT_EQ(0xffffffu, rgb(*editing, 70, 75));

  field->setSelectedRange(TextRange{1, 2});
  auto selected = renderScreen();
  EXPECT_NE(0x426bf2u, rgb(*selected, 61, 75));
  // The highlight covers "bc" (x 30…50) where no glyph is drawn: its lower edge.
  EXPECT_EQ(0xb4cefau, rgb(*selected, 40, 86));
  EXPECT_EQ(0xffffffu, rgb(*selected, 55, 86));
  Keyboard::shared().type("X");
  EXPECT_EQ("aXd", field->text());
  EXPECT_EQ((TextRange{2, 0}), field->selectedRange());
  Keyboard::shared().pressDelete();
  Keyboard::shared().pressDelete();
  EXPECT_EQ("d", field->text());
  Keyboard::shared().pressDelete();
  EXPECT_EQ("d", field->text());  // nothing before the caret

  ASSERT_TRUE(field->resignFirstResponder());
  slid();
  EXPECT_EQ(0xc80000u, rgb(*renderScreen(), 160, 400));
}

// The keyboard slides up from below the screen when a field begins editing and down out of it
// when the field resigns, over a quarter of a second, eased (half-way at half the time); the
// screen's host is asked for frames while it moves. Shown again on its way down, it goes back up
// from where it is.
TEST_F(ScreenChromeTest, TheKeyboardSlidesInAndOut) {
  auto field = std::make_shared<TextField>(Rect(20, 60, 200, 30));
  window_->addSubview(field);
  Keyboard& keyboard = Keyboard::shared();
  auto top = [&] {
    auto frame = keyboard.presentedFrame(Clock::get()->monotonic());
    return frame ? frame->minY() : -1.0f;
  };
  const float shown = 480 - Keyboard::kHeight;
  ASSERT_TRUE(field->becomeFirstResponder());
  DisplayChanges::shared().clear();
  EXPECT_EQ(480.0f, top());
  EXPECT_TRUE(DisplayChanges::shared().needsFrame());
  EXPECT_EQ(0xc80000u, rgb(*renderScreen(), 160, 470));  // not up yet
  clock_->advance(Keyboard::kAnimationDuration / 2);
  EXPECT_NEAR(480 - Keyboard::kHeight / 2, top(), 0.5f);
  auto half = renderScreen();
  EXPECT_NE(0xc80000u, rgb(*half, 160, 470));
  EXPECT_EQ(0xc80000u, rgb(*half, 160, 330));
  clock_->advance(Keyboard::kAnimationDuration / 2);
  EXPECT_EQ(shown, top());
  EXPECT_FALSE(DisplayChanges::shared().needsFrame());
  EXPECT_NE(0xc80000u, rgb(*renderScreen(), 160, 300));

  ASSERT_TRUE(field->resignFirstResponder());
  EXPECT_EQ(shown, top());  // it leaves from where it stood
  EXPECT_NE(0xc80000u, rgb(*renderScreen(), 160, 300));
  clock_->advance(Keyboard::kAnimationDuration / 2);
  const float halfDown = top();
  EXPECT_NEAR(480 - Keyboard::kHeight / 2, halfDown, 0.5f);
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(halfDown, top());
  clock_->advance(Keyboard::kAnimationDuration);
  EXPECT_EQ(shown, top());
  ASSERT_TRUE(field->resignFirstResponder());
  clock_->advance(Keyboard::kAnimationDuration);
  EXPECT_EQ(-1.0f, top());
  EXPECT_EQ(0xc80000u, rgb(*renderScreen(), 160, 470));
}

// The drawn keyboard takes the touches (and wheel turns) that land on it: no window gets a touch
// on its "搜索" key; above the keyboard, and once it has gone, the window gets them. A
// window above the status bar's level (an alert) still gets touches over the keyboard.
TEST_F(ScreenChromeTest, TheKeyboardSwallowsTheTouchesItCovers) {
  auto field = std::make_shared<TextField>(Rect(20, 60, 200, 30));
  window_->addSubview(field);
  Application& app = Application::shared();
  const Point onKey{290, 450};
  EXPECT_EQ(window_, app.windowForTouch(onKey));

  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(nullptr, app.windowForTouch(onKey));
  EXPECT_EQ(nullptr, app.windowForTouch(Point{1, 480 - Keyboard::kHeight}));
  EXPECT_EQ(window_, app.windowForTouch(Point{160, 480 - Keyboard::kHeight - 1}));
  auto alert = std::make_shared<Window>(Rect(0, 0, 320, 480));
  alert->setWindowLevel(kWindowLevelAlert);
  alert->setHidden(false);
  app.registerWindow(alert);
  EXPECT_EQ(alert, app.windowForTouch(onKey));
  alert->setHidden(true);

  ASSERT_TRUE(field->resignFirstResponder());
  EXPECT_EQ(window_, app.windowForTouch(onKey));
}

// A text view's caret and selection follow its wrapped lines: the selection's rectangles cover
// the end of one line and the start of the next; a caret after a final newline stands on the
// new line.
TEST_F(ScreenChromeTest, TextViewSelectionFollowsTheWrappedLines) {
  TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
  const Font font = Font::systemFont(10);  // 5 points an ASCII character, lines 12 high
  // "hello world again" at 50 points: "hello" / "world" / "again".
  const std::string text = "hello world again";
  auto rects = selectionRects(text, font, 50, TextRange{3, 6});
  ASSERT_EQ(2u, rects.size());
  EXPECT_EQ(15, rects[0].minX());
  EXPECT_EQ(0, rects[0].minY());
  EXPECT_EQ(Rect(0, 12, 15, 12), rects[1]);
  EXPECT_EQ(Rect(10, 24, 0, 12), selectionRects(text, font, 50, TextRange{14, 0}).front());
  EXPECT_EQ(Rect(0, 12, 0, 12), selectionRects("ab\n", font, 50, TextRange{3, 0}).front());
  EXPECT_EQ(Rect(5, 24, 0, 12), selectionRects("ab\n\nc", font, 50, TextRange{5, 0}).front());
  EXPECT_EQ(Rect(0, 0, 0, 12), selectionRects("", font, 50, TextRange{4, 0}).front());

  auto view = std::make_shared<TextView>(Rect(0, 100, 66, 80));
  view->setFont(font);
  view->setText(text);
  window_->addSubview(view);
  ASSERT_TRUE(view->becomeFirstResponder());
  slid();
  view->setSelectedRange(TextRange{14, 0});
  auto picture = renderScreen();
  // The caret at (8 + 10, 8 + 24) in the view.
  EXPECT_EQ(0x426bf2u, rgb(*picture, 19, 100 + 8 + 24 + 6));
}

// A shadow with a radius is soft: full inside the shape, fading across its edge, nothing far
// out; a radius of 0 keeps the hard edge. At scale 2 it is drawn at the same size in points.
TEST_F(ScreenChromeTest, ShadowsAreBlurredByTheirRadius) {
  auto root = std::make_shared<View>(Rect(0, 0, 100, 60));
  root->setBackgroundColor(Color::whiteColor());
  auto card = std::make_shared<View>(Rect(30, 10, 40, 40));
  card->setBackgroundColor(Color::whiteColor());
  card->layer().shadowOpacity = 1;
  card->layer().shadowOffset = Size{10, 0};
  card->layer().shadowRadius = 6;
  root->addSubview(card);
  auto soft = render(*root);
  EXPECT_TRUE(writeSnapshot(*soft, "shadow-soft"));
  auto shade = [](const Image& image, int x, int y) { return 1 - image.colorAt(x, y).red; };
  // The shadow spans x 40…80; the card covers up to 70.
  EXPECT_GT(shade(*soft, 74, 30), 0.6f);
  EXPECT_NEAR(0.5f, shade(*soft, 80, 30), 0.1f);
  EXPECT_GT(shade(*soft, 83, 30), 0.05f);
  EXPECT_LT(shade(*soft, 83, 30), shade(*soft, 80, 30));
  EXPECT_LT(shade(*soft, 95, 30), 0.01f);
  auto twice = render(*root, 2);
  EXPECT_NEAR(shade(*soft, 80, 30), shade(*twice, 160, 60), 0.1f);

  // Each size and radius casts its own shadow, also when drawn again: a narrower card's shadow
  // edge is nearer, a smaller radius's fades sooner.
  card->setFrame(Rect(30, 10, 30, 40));
  auto narrower = render(*root);
  EXPECT_NEAR(0.5f, shade(*narrower, 70, 30), 0.1f);
  EXPECT_LT(shade(*narrower, 76, 30), 0.05f);
  card->setFrame(Rect(30, 10, 40, 40));
  card->layer().shadowRadius = 2;
  auto tighter = render(*root);
  EXPECT_GT(shade(*tighter, 79, 30), 0.5f);  // the edge at 80 falls between these two
  EXPECT_GT(shade(*tighter, 80, 30), 0.2f);
  EXPECT_LT(shade(*tighter, 80, 30), 0.5f);
  EXPECT_LT(shade(*tighter, 83, 30), 0.01f);
  card->layer().shadowRadius = 6;
  auto again = render(*root);
  EXPECT_EQ(soft->colorAt(83, 30), again->colorAt(83, 30));

  card->layer().shadowRadius = 0;
  auto hard = render(*root);
  EXPECT_GT(shade(*hard, 79, 30), 0.99f);
  EXPECT_LT(shade(*hard, 81, 30), 0.01f);
}

}  // namespace
}  // namespace zu::ui
