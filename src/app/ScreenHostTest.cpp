#include "app/ScreenHost.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/ReplayScript.h"
#include "platform/device/Pasteboard.h"
#include "platform/runtime/RunLoop.h"
#include "platform/device/DeviceProfile.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/OneLineInput.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

// Counts a field's return questions, answering yes.
struct Returns : ui::TextFieldDelegate {
  int count = 0;
  bool textFieldShouldReturn(ui::TextField&) override {
    ++count;
    return true;
  }
};

// A screen in a window of its own holding a field 20 points below the status bar.
struct FieldOnScreen {
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::ViewController> screen;
  std::shared_ptr<ui::TextField> field;
  std::shared_ptr<Returns> returns;
};

FieldOnScreen fieldOnScreen(std::shared_ptr<ui::ViewController> screen) {
  FieldOnScreen shown{std::make_shared<ui::Window>(ui::Screen::main().bounds()), std::move(screen),
                      std::make_shared<ui::TextField>(ui::Rect(20, 100, 280, 30)), std::make_shared<Returns>()};
  ui::ViewController::installAsRoot(*shown.window, shown.screen);
  shown.window->makeKeyAndVisible();
  shown.screen->view()->addSubview(shown.field);
  shown.field->setDelegate(shown.returns);
  return shown;
}

class ScreenHostTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ui::Keyboard::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    DeviceProfile::setScreenScale(1);
    ui::Application::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }
  // Runs the main loop frame by frame for `seconds` of the fake clock.
  static void turnFramesOf(FakeClock& clock, double seconds) {
    for (double t = 0; t < seconds; t += 1.0 / 60) {
      clock.advance(1.0 / 60);
      runDueMainLoopTasks();
    }
  }
  TempHome home_;
};

// A snapshot is written once a new picture has stood for a frame, one per screen, numbered; a
// screen that returns to an earlier look is a new screen again.
TEST_F(ScreenHostTest, HeadlessSnapshotsOnePictureForEachSettledScreen) {
  // A fixed time: the status bar's clock turning its minute mid-test would be a screen change.
  ScopedFakeClock clock(1330934405000);
  const auto dir = home_.path() / "shots";
  ScreenHost host(true, dir, {});
  ASSERT_TRUE(host.isHeadless());
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
  window->makeKeyAndVisible();

  EXPECT_TRUE(host.frame());
  EXPECT_EQ(0, host.snapshotsWritten());  // still settling
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(1, host.snapshotsWritten());
  EXPECT_FALSE(host.frame());
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(1, host.snapshotsWritten());

  // Two changes in a row: only the picture it rests on is written.
  window->setBackgroundColor(ui::Color::rgba8(30, 200, 30));
  EXPECT_TRUE(host.frame());
  window->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
  EXPECT_TRUE(host.frame());
  EXPECT_FALSE(host.frame());
  window->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
  EXPECT_TRUE(host.frame());
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(3, host.snapshotsWritten());

  auto first = ui::Image::fromFile(dir / "0001.png");
  auto second = ui::Image::fromFile(dir / "0002.png");
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(std::filesystem::exists(dir / "0004.png"));
  EXPECT_EQ(320, first->pixelWidth());
  EXPECT_EQ(480, first->pixelHeight());
  EXPECT_EQ(ui::Color::rgba8(30, 30, 200), second->colorAt(160, 240));
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), first->colorAt(10, 470));
}

// On a double-density screen the pictures have twice the pixels of the 320 × 480 points, with
// the same things at the same places in points.
TEST_F(ScreenHostTest, DoubleDensitySnapshotsHaveTwiceThePixels) {
  ScopedFakeClock clock(1330934405000);
  DeviceProfile::setScreenScale(2);
  const auto dir = home_.path() / "shots2";
  {
    ScreenHost host(true, dir, {});
    auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    window->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
    auto square = std::make_shared<ui::View>(ui::Rect(100, 200, 10, 10));
    square->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
    window->addSubview(square);
    window->makeKeyAndVisible();
    EXPECT_TRUE(host.frame());
    EXPECT_FALSE(host.frame());
  }
  auto picture = ui::Image::fromFile(dir / "0001.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(640, picture->pixelWidth());
  EXPECT_EQ(960, picture->pixelHeight());
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), picture->colorAt(201, 401));
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), picture->colorAt(218, 418));
  EXPECT_EQ(ui::Color::rgba8(30, 30, 200), picture->colorAt(221, 401));
}

// Headless without a snapshot folder nothing is composited at all.
TEST_F(ScreenHostTest, HeadlessWithoutSnapshotsSkipsTheComposite) {
  ScreenHost host(true, std::nullopt, {});
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->makeKeyAndVisible();
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(0, host.snapshotsWritten());
}

// A replay reaches a field by a tap and types into it as the keys would: text, Backspace
// (which takes one whole character), Return (the field's return question); a rotation turns
// the device, and a screen that allows it turns with it.
TEST_F(ScreenHostTest, ReplayTypesIntoATappedField) {
  struct Screen : ui::ViewController {
    bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation) override { return true; }
  };
  const auto shown = fieldOnScreen(std::make_shared<Screen>());
  const auto& [window, screen, field, returns] = shown;

  const auto script = ReplayScript::parse(
      "type before the tap\n"  // nobody has the keyboard yet: nothing happens
      "tap 60 135\n"           // the field, 20 points below the status bar
      "type 读者 ok\n"
      "key backspace\n"
      "type K\n"
      "key return\n"
      "wait 0.05\n"
      "rotate left\n");
  ASSERT_FALSE(script.error) << *script.error;
  ScreenHost host(true, std::nullopt, {});
  bool done = false;
  host.play(script.steps, [&] { done = true; });
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 20));
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ("读者 oK", field->text());
  EXPECT_EQ(1, returns->count);
  EXPECT_EQ(ui::DeviceOrientation::LandscapeLeft, ui::Device::current().orientation());
  EXPECT_EQ(SystemEnvironment::Orientation::kLandscapeRight, ui::Application::shared().statusBarOrientation());
  EXPECT_EQ(ui::Size(480, 300), screen->view()->bounds().size);
}

// A pinch through the host's input puts two fingers down mirrored about the screen's centre.
TEST_F(ScreenHostTest, PinchInputPutsTwoMirroredFingersDown) {
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->makeKeyAndVisible();
  struct Fingers : ui::View {
    using View::View;
    std::vector<ui::Point> down;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event&) override {
      for (const auto& t : touches) down.push_back(t->locationInWindow());
    }
  };
  auto view = std::make_shared<Fingers>(ui::Screen::main().bounds());
  view->setMultipleTouchEnabled(true);
  window->addSubview(view);
  ScreenHost host(true, std::nullopt, {});
  host.input().press(ui::Point{100, 140}, true);
  host.input().press(ui::Point{5, 5});  // ignored while fingers are down
  host.input().release(ui::Point{90, 130});
  EXPECT_EQ((std::vector<ui::Point>{{100, 140}, {220, 340}}), view->down);
  EXPECT_FALSE(host.input().isPressed());
}

// Started, the host draws while something changes and not at all at rest; an animation keeps
// it drawing every frame until it ends, and a frames folder gets every changed frame.
TEST_F(ScreenHostTest, DrawsOnlyWhileSomethingChanges) {
  // 2012-03-05 08:00:05 UTC: no minute of the status bar's clock turns while the test runs.
  ScopedFakeClock clock(1330934405000);
  ScreenHost host(true, home_.path() / "shots", {});
  host.setFramesFolder(home_.path() / "frames");
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
  auto box = std::make_shared<ui::View>(ui::Rect(100, 100, 80, 80));
  box->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
  window->addSubview(box);
  window->makeKeyAndVisible();
  auto turnFrames = [&](double seconds) { turnFramesOf(*clock, seconds); };
  host.start();
  turnFrames(0.1);
  const int settled = host.framesDrawn();
  EXPECT_GE(settled, 2);  // the picture, then the frame that found it settled
  EXPECT_EQ(1, host.snapshotsWritten());
  turnFrames(2);
  EXPECT_EQ(settled, host.framesDrawn());  // at rest: nothing drawn

  // A 0.4 s fade: about 24 frames, each a new picture once presentation values are drawn.
  ui::Animations::animate(0.4, [&] { box->setAlpha(0.2f); });
  turnFrames(0.4);
  EXPECT_GE(host.framesDrawn() - settled, 22);
  turnFrames(1);
  const int after = host.framesDrawn();
  EXPECT_LE(after - settled, 28);
  turnFrames(1);
  EXPECT_EQ(after, host.framesDrawn());
  EXPECT_EQ(2, host.snapshotsWritten());
  // The first picture, and each frame of the fade as a picture of its own.
  EXPECT_GE(host.framesWritten(), 21);
  EXPECT_TRUE(std::filesystem::exists(home_.path() / "frames" / "000001.png"));

  // A change wakes it again; a stopped host draws nothing.
  box->setCenter(ui::Point{200, 300});
  turnFrames(0.1);
  EXPECT_GT(host.framesDrawn(), after);
  host.stop();
  const int stopped = host.framesDrawn();
  box->setCenter(ui::Point{100, 100});
  turnFrames(0.1);
  EXPECT_EQ(stopped, host.framesDrawn());
}

// At rest the status bar's clock still turns: one frame at the start of each minute, showing
// the new time, and none between.
TEST_F(ScreenHostTest, AtRestTheStatusBarClockTurnsEachMinute) {
  // 2012-03-05 08:00:50 UTC.
  ScopedFakeClock clock(1330934450000);
  ScreenHost host(true, home_.path() / "shots", {});
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
  window->makeKeyAndVisible();
  auto turnFrames = [&](double seconds) { turnFramesOf(*clock, seconds); };
  host.start();
  turnFrames(0.2);
  const int settled = host.framesDrawn();
  EXPECT_EQ(1, host.snapshotsWritten());
  turnFrames(9.5);  // to 08:00:59.7
  EXPECT_EQ(settled, host.framesDrawn());
  turnFrames(0.5);  // past 08:01:00
  EXPECT_GT(host.framesDrawn(), settled);
  EXPECT_EQ(2, host.snapshotsWritten());  // the bar shows the next minute
  const int turned = host.framesDrawn();
  turnFrames(30);
  EXPECT_EQ(turned, host.framesDrawn());
  host.stop();
}

// The wheel goes to the scroll view under the pointer, in the window that takes touches there;
// a notch away from the reader scrolls up.
TEST_F(ScreenHostTest, WheelScrollsTheScrollViewUnderThePointer) {
  ScopedFakeClock clock;
  ScreenHost host(true, std::nullopt, {});
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  auto list = std::make_shared<ui::ScrollView>(ui::Rect(0, 100, 320, 200));
  list->setContentSize(ui::Size{320, 2000});
  window->addSubview(list);
  window->makeKeyAndVisible();
  EXPECT_FALSE(host.scrollWheelAt(ui::Point{160, 50}, ui::Point{0, -1}));  // beside it
  EXPECT_TRUE(host.scrollWheelAt(ui::Point{160, 150}, ui::Point{0, -1}));
  EXPECT_TRUE(host.scrollWheelAt(ui::Point{160, 150}, ui::Point{0, -0.5f}));  // a touchpad's part
  EXPECT_EQ((ui::Point{0, 60}), list->contentOffset());
  EXPECT_TRUE(host.scrollWheelAt(ui::Point{160, 150}, ui::Point{0, 1}));
  EXPECT_EQ((ui::Point{0, 20}), list->contentOffset());
  clock->advance(ui::ScrollView::kWheelPause);
  runDueMainLoopTasks();
  EXPECT_FALSE(list->isDragging());
}

// At double density the window's pixels are twice the screen's points: SDL places the buttons'
// and the motion's positions in points, and the wheel goes where the pointer is in points too,
// not at its window pixels taken as points (which put the whole lower half off the screen).
TEST_F(ScreenHostTest, TheWheelIsPlacedAsTheButtonsAreAtDoubleDensity) {
  ScopedFakeClock clock;
  DeviceProfile::setScreenScale(2);
  ScreenHost host(true, std::nullopt, {});
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  auto list = std::make_shared<ui::ScrollView>(ui::Rect(0, 240, 320, 240));
  list->setContentSize(ui::Size{320, 2000});
  list->setContentOffset(ui::Point{0, 400});
  window->addSubview(list);
  window->makeKeyAndVisible();
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 100;  // points: SDL maps them through the renderer's logical size
  motion.motion.y = 300;
  host.handleEvent(motion);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = 1;
  wheel.wheel.preciseY = 1;
  wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  wheel.wheel.mouseX = 200;  // window pixels
  wheel.wheel.mouseY = 600;
  host.handleEvent(wheel);
  EXPECT_EQ((ui::Point{0, 360}), list->contentOffset());
}

// A replay clicks the drawn keyboard's keys as a finger would (shift for one capital, the
// return key as Return), copies and pastes with the chords, and Escape then only ends the
// editing: the keyboard goes, the text stays.
TEST_F(ScreenHostTest, ReplayClicksTheDrawnKeysAndChordsAndEscapeKeepsTheText) {
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  const auto& [window, screen, field, returns] = shown;
  field->setReturnKeyType(ui::ReturnKeyType::Search);
  // The keys' centres on the portrait keyboard along the screen's bottom (216 high from y 264).
  const auto script = ReplayScript::parse(
      "tap 60 135\n"   // the field
      "tap 192 351\n"  // H
      "tap 22 405\n"   // shift
      "tap 240 297\n"  // I, in capitals
      "drag 240 297 160 300 0.1\n"  // a finger slid off I presses nothing
      "key ctrl+a\n"
      "key ctrl+c\n"
      "key ctrl+v\n"
      "key ctrl+v\n"
      "tap 280 459\n"  // 搜索
      "key escape\n");
  ASSERT_FALSE(script.error) << *script.error;
  ScreenHost host(true, std::nullopt, {});
  bool done = false;
  host.play(script.steps, [&] { done = true; });
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 20));
  EXPECT_EQ("hIhI", field->text());
  EXPECT_EQ(1, returns->count);
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  Pasteboard::general().resetForTesting();
}

// The window's editing keys: Tab and Shift+Tab move between the screen's fields and type
// nothing; Home, End, the arrows (Shift selecting) and Delete edit inside a field; Ctrl+Left
// still turns the device and Alt+Left is still Escape.
TEST_F(ScreenHostTest, TheWindowsTabCaretKeysAndDeleteEditTheFields) {
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  const auto& [window, screen, name, returns] = shown;
  auto password = std::make_shared<ui::TextField>(ui::Rect(20, 140, 280, 30));
  password->setSecureTextEntry(true);
  screen->view()->addSubview(password);
  ScreenHost host(true, std::nullopt, {});
  auto typed = [&](const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    host.handleEvent(event);
  };
  auto key = [&](SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    host.handleEvent(event);
  };
  ASSERT_TRUE(name->becomeFirstResponder());
  typed("reader");
  key(SDLK_TAB);
  ASSERT_TRUE(password->isFirstResponder());
  typed("pw");
  key(SDLK_TAB, KMOD_LSHIFT);
  ASSERT_TRUE(name->isFirstResponder());
  EXPECT_EQ("reader", name->text());
  EXPECT_EQ("pw", password->text());

  key(SDLK_HOME);
  key(SDLK_RIGHT, KMOD_LSHIFT);
  key(SDLK_RIGHT, KMOD_RSHIFT);
  key(SDLK_DELETE);
  EXPECT_EQ("ader", name->text());
  key(SDLK_END);
  key(SDLK_LEFT);
  typed("X");
  EXPECT_EQ("adeXr", name->text());
  key(SDLK_UP);
  key(SDLK_DOWN);
  EXPECT_EQ((ui::TextRange{4, 0}), name->selectedRange());
  key(SDLK_LEFT, KMOD_LCTRL);
  EXPECT_EQ(ui::DeviceOrientation::LandscapeLeft, ui::Device::current().orientation());
  EXPECT_EQ((ui::TextRange{4, 0}), name->selectedRange());
  key(SDLK_LEFT, KMOD_LALT);
  EXPECT_FALSE(name->isFirstResponder());
  EXPECT_EQ("adeXr", name->text());
}

// A replay plays the same keys: a word typed, selected by Shift+End from its start and
// deleted, another typed in its place, Tab to the next field.
TEST_F(ScreenHostTest, ReplayPlaysTheCaretKeysDeleteAndTab) {
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  const auto& [window, screen, name, returns] = shown;
  auto next = std::make_shared<ui::TextField>(ui::Rect(20, 140, 280, 30));
  screen->view()->addSubview(next);
  const auto script = ReplayScript::parse(
      "tap 60 135\n"
      "type harbourmaster\n"
      "key home\n"
      "key shift+end\n"
      "key delete\n"
      "type ferry\n"
      "key left\n"
      "key shift+left\n"
      "key delete\n"
      "key tab\n"
      "type x\n"
      "key shift+tab\n"
      "key end\n"
      "type !\n");
  ASSERT_FALSE(script.error) << *script.error;
  ScreenHost host(true, std::nullopt, {});
  bool done = false;
  host.play(script.steps, [&] { done = true; });
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 20));
  EXPECT_EQ("fery!", name->text());
  EXPECT_EQ("x", next->text());
  EXPECT_TRUE(name->isFirstResponder());
}

// The input method's composition as SDL delivers it: editing events show the text being
// composed in the field at its caret, marked and not typed; a long one comes as an extended
// event whose text SDL allocated (freed by the host); Escape drops the composition and leaves the
// field edited; what the method commits is typed, and an empty editing event ends it. The
// method is told where the caret stands in window pixels (twice the points at scale 2), again
// as the composition moves it, and SDL takes text only while a field is edited. Ctrl+Z, Ctrl+Y
// and Ctrl+Shift+Z undo and redo, Ctrl+Backspace and Ctrl+Delete remove words.
TEST_F(ScreenHostTest, TheInputMethodComposesAtTheCaretAndTheChordsUndoAndDeleteWords) {
  DeviceProfile::setScreenScale(2);
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  const auto& field = shown.field;
  ScreenHost host(true, std::nullopt, {});
  auto send = [&](SDL_Event event) { host.handleEvent(event); };
  auto editing = [&](const char* text, Sint32 start) {
    SDL_Event event{};
    event.type = SDL_TEXTEDITING;
    std::strncpy(event.edit.text, text, sizeof event.edit.text - 1);
    event.edit.start = start;
    send(event);
  };
  auto committed = [&](const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    send(event);
  };
  auto key = [&](SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    send(event);
  };
  host.frame();
  EXPECT_FALSE(host.takesText());
  EXPECT_FALSE(host.textInputRect());
  ASSERT_TRUE(field->becomeFirstResponder());
  host.frame();
  EXPECT_TRUE(host.takesText());
  const std::optional<ui::Rect> caret = ui::Keyboard::shared().caretRectOnScreen();
  ASSERT_TRUE(caret && host.textInputRect());
  const ui::Rect atStart = *host.textInputRect();
  const ui::Rect fieldOnScreen = field->convertRectTo(field->bounds(), nullptr);
  EXPECT_EQ(std::round(caret->minX() * 2), atStart.minX());
  EXPECT_EQ(std::round(caret->minY() * 2), atStart.minY());
  EXPECT_GE(atStart.minY(), fieldOnScreen.minY() * 2);
  EXPECT_LE(atStart.maxY(), fieldOnScreen.maxY() * 2);
  EXPECT_GE(atStart.minX(), fieldOnScreen.minX() * 2);

  editing("ni", 2);
  EXPECT_TRUE(field->hasMarkedText());
  EXPECT_EQ("", field->text());
  host.frame();
  EXPECT_GT(host.textInputRect()->minX(), atStart.minX());

  // A composition longer than the event's buffer, in SDL's own allocation.
  SDL_Event extended{};
  extended.type = SDL_TEXTEDITING_EXT;
  extended.editExt.text = SDL_strdup("zhongguorenmindaxuedetushuguanli");
  extended.editExt.start = 3;
  send(extended);
  EXPECT_TRUE(field->hasMarkedText());
  EXPECT_EQ("", field->text());

  key(SDLK_ESCAPE);
  EXPECT_FALSE(field->hasMarkedText());
  EXPECT_TRUE(field->isFirstResponder()) << "Escape cancelled the composition only";
  EXPECT_EQ(1, host.inputMethodResets()) << "the method still holds what Escape cancelled";
  EXPECT_TRUE(host.takesText());
  host.frame();
  EXPECT_EQ(atStart, *host.textInputRect());

  editing("nihao", 5);
  committed("你好");
  EXPECT_FALSE(field->hasMarkedText());
  EXPECT_EQ("你好", field->text());
  editing("", 0);  // the method ends its composition
  EXPECT_EQ(1, host.inputMethodResets()) << "what the method commits or ends needs no reset";
  committed(" harbour news");
  key(SDLK_BACKSPACE, KMOD_LCTRL);
  EXPECT_EQ("你好 harbour ", field->text());
  key(SDLK_z, KMOD_LCTRL);
  EXPECT_EQ("你好 harbour news", field->text());
  key(SDLK_z, KMOD_LCTRL);  // the word typed last
  EXPECT_EQ("你好 harbour ", field->text());
  key(SDLK_y, KMOD_LCTRL);
  EXPECT_EQ("你好 harbour news", field->text());
  key(SDLK_z, KMOD_LCTRL);
  key(SDLK_z, KMOD_LCTRL | KMOD_LSHIFT);
  EXPECT_EQ("你好 harbour news", field->text());
  key(SDLK_HOME);
  key(SDLK_DELETE, KMOD_RCTRL);
  EXPECT_EQ(" harbour news", field->text());
  // A caret key drops the composition in the field and in the method.
  editing("ma", 2);
  key(SDLK_RIGHT);
  EXPECT_FALSE(field->hasMarkedText());
  EXPECT_EQ(2, host.inputMethodResets());
  EXPECT_EQ(" harbour news", field->text());

  // Escape with no composition ends the editing; SDL takes no text then.
  key(SDLK_ESCAPE);
  EXPECT_FALSE(field->isFirstResponder());
  host.frame();
  EXPECT_FALSE(host.takesText());
  EXPECT_FALSE(host.textInputRect());
}

// A typed or pasted text cut to what a field holds is told in the application's toast, a text
// alone in the middle of the screen; a text that fits says nothing.
TEST_F(ScreenHostTest, ATextCutToWhatAFieldHoldsIsToldInTheToast) {
  ScopedFakeClock clock(1330934405000);
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  ScreenHost host(true, std::nullopt, {});
  ASSERT_TRUE(shown.field->becomeFirstResponder());
  Pasteboard::general().resetForTesting();
  Pasteboard::general().setString("short enough");
  EXPECT_TRUE(host.input().edit("paste:"));
  EXPECT_TRUE(!SPWaitingSavePhoto::existing() || SPWaitingSavePhoto::existing()->window()->isHidden());
  Pasteboard::general().setString(std::string(5000, 'n'));
  EXPECT_TRUE(host.input().edit("selectAll:"));
  EXPECT_TRUE(host.input().edit("paste:"));
  EXPECT_EQ(std::string(ui::OneLineInput::kMaxLength, 'n'), shown.field->text());
  SPWaitingSavePhoto* toast = SPWaitingSavePhoto::existing();
  ASSERT_NE(nullptr, toast);
  EXPECT_FALSE(toast->window()->isHidden());
  EXPECT_EQ("最多4096个字", toast->viewController()->titleLable()->text());
  turnFramesOf(*clock, 0.5);  // faded in
  // Above the keyboard, which is up while the reader types.
  ui::View* panel = toast->viewController()->mainView();
  const ui::Point bottom = panel->convertPointTo(ui::Point{0, panel->bounds().size.height}, nullptr);
  EXPECT_LE(bottom.y, ui::Keyboard::shownFrame().origin.y);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("field-cut-notice"));
  SPWaitingSavePhoto::resign();
  Pasteboard::general().resetForTesting();
}

// With a window the board is the desktop's clipboard. SDL's dummy video driver opens a window
// that shows nowhere and keeps the clipboard inside SDL, but it is SDL's clipboard all the same,
// the one another program's copy reaches on a real desktop (there: the X11 CLIPBOARD selection),
// so the board's way through the host and SDL is what is checked: the chords copy a field's
// text onto SDL's clipboard, what another program put there is pasted (and the edit menu offers
// 粘贴 only while it holds text), and once the window is gone the board is the process's again.
TEST_F(ScreenHostTest, WithAWindowCopyAndPasteGoThroughTheDesktopsClipboard) {
  // The host opens a window only where there is a display to show it on: one is named while it
  // opens. A Wayland name, with no X11 one: SDL's video start asks D-Bus for the session bus,
  // and with $DISPLAY set and no bus address libdbus would start a bus for that display (a
  // child process, and a buffer it never frees when that fails).
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto restore = [](const char* name, const std::optional<std::string>& value) {
    if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
  };
  const std::optional<std::string> savedX11 = saved("DISPLAY");
  const std::optional<std::string> savedWayland = saved("WAYLAND_DISPLAY");
  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "zu-dummy", 1);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  const auto shown = fieldOnScreen(std::make_shared<ui::ViewController>());
  const auto& field = shown.field;
  {
    ScreenHost host(false, std::nullopt, {});
    restore("DISPLAY", savedX11);
    restore("WAYLAND_DISPLAY", savedWayland);
    ASSERT_FALSE(host.isHeadless()) << SDL_GetError();
    EXPECT_TRUE(Pasteboard::general().isDesktopClipboard());
    SDL_SetClipboardText("");
    const auto script = ReplayScript::parse(
        "tap 60 135\n"
        "type 渡船 at six\n"
        "key ctrl+a\n"
        "key ctrl+c\n");
    ASSERT_FALSE(script.error) << *script.error;
    bool done = false;
    host.play(script.steps, [&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 20));
    char* copied = SDL_GetClipboardText();
    EXPECT_STREQ("渡船 at six", copied);
    SDL_free(copied);

    SDL_SetClipboardText("");
    EXPECT_FALSE(field->canPerformAction("paste:", nullptr));
    SDL_SetClipboardText("潮汐 from elsewhere");  // another program copies
    EXPECT_TRUE(field->canPerformAction("paste:", nullptr));
    EXPECT_TRUE(host.input().edit("paste:"));  // over the whole text, still selected
    EXPECT_EQ("潮汐 from elsewhere", field->text());
  }
  EXPECT_FALSE(Pasteboard::general().isDesktopClipboard());
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  Pasteboard::general().resetForTesting();
}

}  // namespace
}  // namespace zu
