#include "views/EAGLView.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"
#include "views/EAGLViewProtocol.h"

namespace zu {
namespace {

using ui::Color;
using ui::Image;
using ui::Rect;

constexpr int kW = 80;
constexpr int kH = 120;

const Color kRed(1, 0, 0);
const Color kBlue(0, 0, 1);
const Color kGreen(0, 1, 0);
const Color kYellow(1, 1, 0);
const Color kCyan(0, 1, 1);
const Color kMagenta(1, 0, 1);
const Color kWhite(1, 1, 1);
const Color kBlack(0, 0, 0);

// A picture of the view's size in four quadrants.
std::shared_ptr<Image> quadrants(Color tl, Color tr, Color bl, Color br) {
  auto image = Image::create(kW, kH);
  ui::Canvas canvas(*image);
  const float w = kW / 2.0f;
  const float h = kH / 2.0f;
  canvas.setFillColor(tl);
  canvas.fillRect(Rect(0, 0, w, h));
  canvas.setFillColor(tr);
  canvas.fillRect(Rect(w, 0, w, h));
  canvas.setFillColor(bl);
  canvas.fillRect(Rect(0, h, w, h));
  canvas.setFillColor(br);
  canvas.fillRect(Rect(w, h, w, h));
  return image;
}

std::shared_ptr<Image> halves(Color left, Color right) {
  return quadrants(left, right, left, right);
}

// The presented colour at (x, y), each component scaled by `b`, within 3/255 per component.
::testing::AssertionResult shows(const EAGLView& view, int x, int y, Color expected,
                                 float b = 1) {
  const Color c = view.presentedImage()->colorAt(x, y);
  const Color e(expected.red * b, expected.green * b, expected.blue * b, 1);
  const float tolerance = 3.5f / 255;
  if (std::abs(c.red - e.red) <= tolerance && std::abs(c.green - e.green) <= tolerance &&
      std::abs(c.blue - e.blue) <= tolerance && std::abs(c.alpha - 1) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  char text[160];
  std::snprintf(text, sizeof text, "at (%d, %d): (%.3f %.3f %.3f %.3f), expected (%.3f %.3f %.3f)",
                x, y, c.red, c.green, c.blue, c.alpha, e.red, e.green, e.blue);
  return ::testing::AssertionFailure() << text;
}

// Writes the last frame as a PNG a reviewer can open, into the snapshot folder.
void keepPicture(const EAGLView& view, const std::string& name) {
  EXPECT_TRUE(ui::writeSnapshot(*view.presentedImage(), name).has_value());
}

// Lets the fake clock run one display frame.
void nextFrame(ScopedFakeClock& clock) {
  clock->advance(1.0 / 60);
  runDueMainLoopTasks();
}

// Runs frames until the animation ends; false when it runs past 400 frames.
bool runAnimation(ScopedFakeClock& clock, EAGLView& view, std::vector<float>* angles = nullptr) {
  for (int i = 0; i < 400 && view.isAnimating(); ++i) {
    nextFrame(clock);
    if (angles != nullptr) angles->push_back(view.rota());
  }
  return !view.isAnimating();
}

struct Recorder : EAGLViewProtocol {
  std::vector<std::string> calls;
  bool hiddenDuringCall = true;
  bool animatingDuringCall = true;
  int setPagePassInCall = 0;
  std::shared_ptr<EAGLView> owned;  // released from the callback when set

  void record(const char* name, EAGLView& view) {
    calls.push_back(name);
    hiddenDuringCall = view.isHidden();
    animatingDuringCall = view.isAnimating();
    if (setPagePassInCall != 0) view.setPagePass(setPagePassInCall);
    owned.reset();
  }
  void EAGLViewDidFlipL2RFinish(EAGLView& v) override { record("L2RFinish", v); }
  void EAGLViewDidFlipL2RCancel(EAGLView& v) override { record("L2RCancel", v); }
  void EAGLViewDidFlipR2LFinish(EAGLView& v) override { record("R2LFinish", v); }
  void EAGLViewDidFlipR2LCancel(EAGLView& v) override { record("R2LCancel", v); }
  void EAGLViewDidFlipU2DFinish(EAGLView& v) override { record("U2DFinish", v); }
  void EAGLViewDidFlipU2DCancel(EAGLView& v) override { record("U2DCancel", v); }
  void EAGLViewDidFlipD2UFinish(EAGLView& v) override { record("D2UFinish", v); }
  void EAGLViewDidFlipD2UCancel(EAGLView& v) override { record("D2UCancel", v); }
};

// A laid-out view showing `top` over `bottom`, textures enabled (as the owner does before a turn).
std::shared_ptr<EAGLView> pageTurnView(const Image& top, const Image& bottom, bool shadow) {
  auto view = EAGLView::create(Rect(0, 0, kW, kH));
  if (!view) return nullptr;
  view->setNeedShadow(shadow);
  view->reloadTopTextureWithImage(&top);
  view->reloadBottomTextureWithImage(&bottom);
  view->layoutIfNeeded();
  view->redraw();
  return view;
}

TEST(EAGLViewTest, LeftToRightFlipShowsEachHalfInPlaceFromStartToEnd) {
  auto current = halves(kRed, kBlue);
  auto next = halves(kGreen, kYellow);
  auto view = pageTurnView(*current, *next, false);
  ASSERT_NE(view, nullptr) << "no GL context";
  EXPECT_EQ(view->backingWidth(), kW);
  EXPECT_EQ(view->backingHeight(), kH);

  // Start: the current page whole, upright (its top rows are the picture's top rows).
  keepPicture(*view, "flat-l2r-000");
  EXPECT_TRUE(shows(*view, 5, 5, kRed));
  EXPECT_TRUE(shows(*view, 35, 115, kRed));
  EXPECT_TRUE(shows(*view, 45, 5, kBlue));
  EXPECT_TRUE(shows(*view, 75, 115, kBlue));

  // 60°: the leaf (current left half) rises; the page to come shows at the far left.
  view->flipL2RToRota(60);
  keepPicture(*view, "flat-l2r-060");
  EXPECT_TRUE(shows(*view, 4, 60, kGreen));
  EXPECT_TRUE(shows(*view, 30, 60, kRed));
  EXPECT_TRUE(shows(*view, 60, 60, kBlue));

  // 90°: the leaf stands on its edge: the page to come's left half, the current right half.
  view->flipL2RToRota(90);
  keepPicture(*view, "flat-l2r-090");
  EXPECT_TRUE(shows(*view, 20, 60, kGreen));
  EXPECT_TRUE(shows(*view, 60, 60, kBlue));

  // 120°: the leaf's back shows the page to come's right half, the right way round.
  view->flipL2RToRota(120);
  keepPicture(*view, "flat-l2r-120");
  EXPECT_TRUE(shows(*view, 20, 60, kGreen));
  EXPECT_TRUE(shows(*view, 50, 60, kYellow));
  EXPECT_TRUE(shows(*view, 77, 60, kBlue));

  // End: the page to come whole.
  view->flipL2RToRota(180);
  keepPicture(*view, "flat-l2r-180");
  EXPECT_TRUE(shows(*view, 5, 5, kGreen));
  EXPECT_TRUE(shows(*view, 35, 115, kGreen));
  EXPECT_TRUE(shows(*view, 45, 5, kYellow));
  EXPECT_TRUE(shows(*view, 75, 115, kYellow));

  // Out of range: drawn clamped, kept as given.
  view->flipL2RToRota(200);
  EXPECT_FLOAT_EQ(view->rota(), 200);
  EXPECT_TRUE(shows(*view, 45, 60, kYellow));
  view->flipL2RToRota(-5);
  EXPECT_FLOAT_EQ(view->rota(), -5);
  EXPECT_TRUE(shows(*view, 35, 60, kRed));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(EAGLViewTest, EveryDirectionTurnsTheRightHalfAndMirrorsItsBack) {
  auto current = quadrants(kRed, kBlue, kWhite, kBlack);
  auto next = quadrants(kGreen, kYellow, kCyan, kMagenta);
  auto view = pageTurnView(*current, *next, false);
  ASSERT_NE(view, nullptr);
  struct Case {
    void (EAGLView::*flip)(float);
    const char* name;
    int x, y;        // a point on the leaf's back at 120°
    Color back;      // the page to come there
    int ox, oy;      // a point of the current page not yet covered
    Color uncovered;
  };
  const Case cases[] = {
      {&EAGLView::flipL2RToRota, "l2r", 50, 90, kMagenta, 77, 30, kBlue},
      {&EAGLView::flipR2LToRota, "r2l", 30, 30, kGreen, 3, 90, kWhite},
      {&EAGLView::flipU2DToRota, "u2d", 20, 80, kCyan, 60, 116, kBlack},
      {&EAGLView::flipD2UToRota, "d2u", 60, 40, kYellow, 20, 3, kRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    (view.get()->*c.flip)(120);
    keepPicture(*view, std::string("flat-") + c.name + "-120");
    EXPECT_TRUE(shows(*view, c.x, c.y, c.back));
    EXPECT_TRUE(shows(*view, c.ox, c.oy, c.uncovered));
    (view.get()->*c.flip)(180);
    EXPECT_TRUE(shows(*view, 10, 10, kGreen));
    EXPECT_TRUE(shows(*view, 70, 10, kYellow));
    EXPECT_TRUE(shows(*view, 10, 110, kCyan));
    EXPECT_TRUE(shows(*view, 70, 110, kMagenta));
    (view.get()->*c.flip)(0);
    EXPECT_TRUE(shows(*view, 10, 10, kRed));
    EXPECT_TRUE(shows(*view, 70, 110, kBlack));
  }
}

TEST(EAGLViewTest, ShadowsDarkenTheUncoveredPageAndTheLeaf) {
  auto current = halves(kRed, kBlue);
  auto next = halves(kGreen, kYellow);
  auto view = pageTurnView(*current, *next, true);
  ASSERT_NE(view, nullptr);
  view->flipL2RToRota(60);
  EXPECT_TRUE(shows(*view, 4, 60, kGreen, 60.0f / 90));  // under the leaf: rota / 90
  EXPECT_TRUE(shows(*view, 30, 60, kRed, 0.95f));        // the leaf
  EXPECT_TRUE(shows(*view, 60, 60, kBlue));              // not yet covered
  view->flipL2RToRota(120);
  EXPECT_TRUE(shows(*view, 77, 60, kBlue, 60.0f / 90));  // covered: (180 − rota) / 90
  EXPECT_TRUE(shows(*view, 50, 60, kYellow, 0.95f));
  view->flipL2RToRota(180);  // flat leaves are not shaded
  EXPECT_TRUE(shows(*view, 60, 60, kYellow));
  EXPECT_TRUE(shows(*view, 20, 60, kGreen));
}

TEST(EAGLViewTest, AnimationsReportOnceInOrderThenHideAndResetThePagePass) {
  ScopedFakeClock clock;
  auto current = halves(kRed, kBlue);
  auto next = halves(kGreen, kYellow);
  auto view = pageTurnView(*current, *next, true);
  ASSERT_NE(view, nullptr);
  auto recorder = std::make_shared<Recorder>();
  view->setEaglDelegate(recorder);

  // A finish from 0 ends on exactly 180, the last frame showing the page to come.
  recorder->setPagePassInCall = 5;
  std::vector<float> angles;
  view->finishFlipL2R();
  EXPECT_TRUE(view->isAnimating());
  view->startAnimation();  // changes nothing while animating
  ASSERT_TRUE(runAnimation(clock, *view, &angles));
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"L2RFinish"});
  EXPECT_FALSE(recorder->hiddenDuringCall);
  EXPECT_FALSE(recorder->animatingDuringCall);
  EXPECT_TRUE(view->isHidden());
  EXPECT_EQ(view->pagePass(), 1);  // also when the delegate set it otherwise
  EXPECT_EQ(angles.size(), 23u);
  EXPECT_TRUE(shows(*view, 10, 60, kGreen));
  EXPECT_TRUE(shows(*view, 70, 60, kYellow));
  // No more frames, no more reports.
  for (int i = 0; i < 5; ++i) nextFrame(clock);
  view->stopAnimation();
  EXPECT_EQ(recorder->calls.size(), 1u);

  // A cancel from 120 falls back to the current page.
  recorder->setPagePassInCall = 0;
  view->setHidden(false);
  view->flipR2LToRota(120);
  view->cancelFlipR2L();
  ASSERT_TRUE(runAnimation(clock, *view));
  EXPECT_TRUE(shows(*view, 10, 60, kRed));
  EXPECT_TRUE(shows(*view, 70, 60, kBlue));

  // A turn-back runs forward from 10 to 50 first: the step to 55.6 is clamped to 50 by the
  // next frame, which turns the leaf back at a third of the speed.
  view->flipL2RToRota(10);
  angles.clear();
  view->cancelFlipL2RAfterTo(50);
  ASSERT_TRUE(runAnimation(clock, *view, &angles));
  ASSERT_GE(angles.size(), 5u);
  EXPECT_NEAR(angles[2], 55.6, 1e-4);
  EXPECT_NEAR(angles[3], 50 - 4 * 0.6, 1e-4);

  // The bounce, slowed to every other display frame.
  view->redraw();
  view->setAnimationFrameInterval(0);
  EXPECT_EQ(view->animationFrameInterval(), 1);
  view->finishFlipU2DPhysics();
  view->setAnimationFrameInterval(2);
  ASSERT_TRUE(runAnimation(clock, *view));
  keepPicture(*view, "flat-bounce-end");
  EXPECT_EQ(recorder->calls,
            (std::vector<std::string>{"L2RFinish", "R2LCancel", "L2RCancel", "U2DFinish"}));

  // Before system version 3.1 a repeating timer drives the frames instead.
  ui::Device::current().setSystemVersion("3.0");
  auto old = pageTurnView(*current, *next, true);
  ui::Device::current().resetForTesting();
  ASSERT_NE(old, nullptr);
  EXPECT_FALSE(old->displayLinkSupported());
  old->setEaglDelegate(recorder);
  old->finishFlipD2U();
  ASSERT_TRUE(runAnimation(clock, *old));
  EXPECT_EQ(recorder->calls.back(), "D2UFinish");
  EXPECT_EQ(recorder->calls.size(), 5u);
}

TEST(EAGLViewTest, PassingPagesShowTheMiddlePictureWhileTheAnimationRuns) {
  ScopedFakeClock clock;
  TempHome home;
  auto current = halves(kRed, kBlue);
  auto next = halves(kGreen, kYellow);
  auto view = pageTurnView(*current, *next, false);
  ASSERT_NE(view, nullptr);
  const auto middlePath = home.path() / "middle.png";
  ASSERT_TRUE(halves(kMagenta, kMagenta)->writePng(middlePath));

  for (const bool fromFile : {true, false}) {
    SCOPED_TRACE(fromFile ? "file" : "bundle");
    view->setHidden(false);
    view->redraw();
    view->setMidTextruePath(fromFile ? std::optional<std::string>(middlePath.string())
                                     : std::nullopt);
    EXPECT_EQ(view->texture(EAGLView::kSlotMiddle) != 0, fromFile);  // deleted by a stop
    view->setPagePass(2);
    view->finishFlipL2R();
    ASSERT_NE(view->texture(EAGLView::kSlotMiddle), 0u);
    // A file's picture is decoded off the main thread and fills the middle texture when it is in.
    EXPECT_EQ(fromFile, view->isLoadingMiddlePicture());
    ASSERT_TRUE(turnMainLoopUntil([&] { return !view->isLoadingMiddlePicture(); }));
    // Angles 0, 16, 40, 68, 96, 112: the leaf is well over onto the right half.
    for (int i = 0; i < 6; ++i) nextFrame(clock);
    ASSERT_FLOAT_EQ(view->rota(), 128);
    keepPicture(*view, fromFile ? "flat-pages-file-112" : "flat-pages-bundle-112");
    const Color leaf = view->presentedImage()->colorAt(48, 60);
    const Color trailing = view->presentedImage()->colorAt(20, 60);
    if (fromFile) {
      EXPECT_TRUE(shows(*view, 48, 60, kMagenta));
      EXPECT_TRUE(shows(*view, 20, 60, kMagenta));
    } else {
      // The bundle's paper: light and nearly grey, neither page.
      for (const Color& c : {leaf, trailing}) {
        EXPECT_GT(c.red, 0.7f);
        EXPECT_GT(c.green, 0.7f);
        EXPECT_GT(c.blue, 0.7f);
      }
    }
    std::vector<float> angles;
    ASSERT_TRUE(runAnimation(clock, *view, &angles));
    EXPECT_FLOAT_EQ(angles.back(), 0);  // reset after the end frame
    EXPECT_TRUE(shows(*view, 10, 60, kGreen));
    EXPECT_TRUE(shows(*view, 70, 60, kYellow));
    EXPECT_EQ(view->texture(EAGLView::kSlotMiddle), 0u);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(EAGLViewTest, AnOwnerMayReleaseTheViewFromItsCallbackButNotHearFromItsDestructor) {
  ScopedFakeClock clock;
  auto current = halves(kRed, kBlue);
  auto recorder = std::make_shared<Recorder>();
  {
    auto view = pageTurnView(*current, *current, true);
    ASSERT_NE(view, nullptr);
    view->setEaglDelegate(recorder);
    view->finishFlipD2U();
    EAGLView* raw = view.get();
    std::weak_ptr<EAGLView> weak = view;
    recorder->owned = std::move(view);  // the delegate holds the only reference
    raw->stopAnimation();               // and drops it while being told
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"D2UFinish"});
  }
  {
    auto view = pageTurnView(*current, *current, true);
    view->setEaglDelegate(recorder);
    view->setPagePass(3);
    view->flipU2DToRota(120);
    view->cancelFlipU2D();
    nextFrame(clock);
    EXPECT_TRUE(view->isAnimating());
  }  // destroyed while animating: no report
  for (int i = 0; i < 3; ++i) nextFrame(clock);
  EXPECT_EQ(recorder->calls.size(), 1u);
}

// A view with clear parts (a grid whose margins are bare) is pictured as it is seen: over its
// ancestors' backgrounds, or paper white when none has one, never transparent.
TEST(EAGLViewTest, PicturesOfViewsWithClearPartsShowWhatTheyAreSeenOn) {
  auto window = std::make_shared<ui::View>(Rect(0, 0, kW, kH));
  window->setBackgroundColor(kCyan);
  auto holder = std::make_shared<ui::View>(Rect(0, 0, kW, kH));
  holder->setBackgroundColor(Color(1, 0, 0, 0.5f));  // half red over the cyan
  window->addSubview(holder);
  auto grid = std::make_shared<ui::View>(Rect(0, 0, kW, kH));
  auto cell = std::make_shared<ui::View>(Rect(0, 0, kW, 30));
  cell->setBackgroundColor(kBlue);
  grid->addSubview(cell);
  holder->addSubview(grid);

  auto view = EAGLView::create(Rect(0, 0, kW, kH));
  ASSERT_NE(view, nullptr);
  view->setNeedShadow(false);
  view->setClearColorRGB(kBlack);
  view->layoutIfNeeded();
  view->reloadTopTextureWithView(grid.get());
  view->redraw();
  EXPECT_TRUE(shows(*view, 40, 10, kBlue));
  EXPECT_TRUE(shows(*view, 40, 100, Color(0.5f, 0.5f, 0.5f)));

  auto alone = std::make_shared<ui::View>(Rect(0, 0, kW, kH));
  view->reloadTopTextureWithView(alone.get());
  view->redraw();
  EXPECT_TRUE(shows(*view, 40, 100, kWhite));
}

TEST(EAGLViewTest, PicturesComeFromViewsAndTheFrameJoinsTheViewTreeRender) {
  // A snapshot of a view tree: top-down, so its top edge is the page's top edge.
  auto page = std::make_shared<ui::View>(Rect(0, 0, kW, kH));
  page->setBackgroundColor(kBlue);
  auto band = std::make_shared<ui::View>(Rect(0, 0, kW, 30));
  band->setBackgroundColor(kRed);
  page->addSubview(band);
  page->setOpaque(false);

  auto view = EAGLView::create(Rect(10, 20, kW, kH));
  ASSERT_NE(view, nullptr);
  view->setNeedShadow(false);
  view->reloadTopTextureWithView(page.get());
  EXPECT_TRUE(page->isOpaque());
  view->reloadBottomTextureWithView(nullptr);  // an empty texture, no failure
  view->layoutIfNeeded();
  view->redraw();
  EXPECT_TRUE(shows(*view, 40, 10, kRed));
  EXPECT_TRUE(shows(*view, 40, 100, kBlue));

  // The exchanged slots show the other picture; exchanging twice restores them.
  const GLuint top = view->texture(EAGLView::kSlotTop);
  const GLuint bottom = view->texture(EAGLView::kSlotBottom);
  view->switchTopBottom();
  EXPECT_EQ(view->texture(EAGLView::kSlotTop), bottom);
  view->switchTopBottom();
  EXPECT_EQ(view->texture(EAGLView::kSlotTop), top);

  auto screen = std::make_shared<ui::View>(Rect(0, 0, 100, 160));
  screen->setBackgroundColor(kWhite);
  screen->addSubview(view);
  auto picture = ui::render(*screen);
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(ui::ContrastAudit::write(*screen, *picture, "flat-in-tree").has_value());
  EXPECT_EQ(picture->colorAt(5, 5), kWhite);
  EXPECT_EQ(picture->colorAt(50, 30), kRed);    // (40, 10) of the view
  EXPECT_EQ(picture->colorAt(50, 120), kBlue);  // (40, 100)
}

TEST(EAGLViewTest, WithoutAnEGLDisplayCreationFailsCleanly) {
  // A fresh process whose EGL finds no driver at all.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent/egl_vendor.json", 1);
        const bool none = EAGLView::create(Rect(0, 0, kW, kH)) == nullptr;
        std::_Exit(none ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(EAGLViewTest, SettersKeepTheirLimitsAndAnEmptyViewWaitsForASize) {
  auto view = EAGLView::create(Rect(0, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->projectionExtents(), (std::array<float, 4>{0, 0, 0, 0}));
  ::testing::internal::CaptureStderr();
  view->layoutIfNeeded();  // nothing to draw into yet: logged, not fatal
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("failed to make complete framebuffer"),
            std::string::npos);
  EXPECT_EQ(view->presentedImage(), nullptr);

  view->setFrame(Rect(0, 0, 40, 60));
  view->layoutIfNeeded();
  const auto extents = view->projectionExtents();
  EXPECT_GT(extents[1], 0);
  EXPECT_FLOAT_EQ(extents[3] / extents[1], 60.0f / 40);  // top / right = 1 / aspect
  ASSERT_NE(view->presentedImage(), nullptr);
  EXPECT_EQ(view->presentedImage()->pixelWidth(), 40);

  view->setPagePass(9);
  EXPECT_EQ(view->pagePass(), 7);
  view->setPagePass(0);
  EXPECT_EQ(view->pagePass(), 0);
  view->setPagePass(-2);
  EXPECT_EQ(view->pagePass(), -2);
  view->setClearColorRGB(std::nullopt);  // keeps the components
  EXPECT_FALSE(view->clearColorRGB().has_value());

  // The GL error log in words.
  while (glGetError() != GL_NO_ERROR) {
  }
  ::testing::internal::CaptureStderr();
  view->checkGLError(false);
  view->checkGLError(true);
  glEnable(0x1234);
  view->checkGLError(false);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "No GL Error\nGL Error: Enum argument is out of range\n");
}

// A page of a reader at the phone's size: paper, a coloured title band, lines of text as bars.
std::shared_ptr<Image> readerPage(Color paper, Color band, Color mark, int lines) {
  auto image = Image::create(320, 480);
  ui::Canvas canvas(*image);
  canvas.setFillColor(paper);
  canvas.fillRect(Rect(0, 0, 320, 480));
  canvas.setFillColor(band);
  canvas.fillRect(Rect(0, 0, 320, 64));
  canvas.setFillColor(Color(0.55f, 0.55f, 0.55f));
  for (int i = 0; i < lines; ++i) {
    canvas.fillRect(Rect(20, 90 + i * 26.0f, i % 4 == 3 ? 170.0f : 280.0f, 10));
  }
  canvas.setFillColor(mark);
  canvas.fillEllipse(Rect(230, 380, 70, 70));
  return image;
}

// Frames of a turn side by side, each at half size, into one picture.
void writeSheet(const std::vector<std::shared_ptr<Image>>& frames, const std::string& name) {
  auto sheet = Image::create(static_cast<int>(frames.size()) * 164, 244);
  ui::Canvas canvas(*sheet);
  canvas.setFillColor(Color(0.2f, 0.2f, 0.2f));
  canvas.fillRect(Rect(0, 0, sheet->pixelWidth(), 244));
  for (size_t i = 0; i < frames.size(); ++i) {
    canvas.drawImage(*frames[i], Rect(2 + 164.0f * i, 2, 160, 240));
  }
  EXPECT_TRUE(ui::writeSnapshot(*sheet, name).has_value());
}

std::shared_ptr<Image> copyOf(const Image& image) {
  auto copy = Image::create(image.pixelWidth(), image.pixelHeight());
  ui::Canvas(*copy).drawImage(image, Rect(0, 0, image.pixelWidth(), image.pixelHeight()));
  return copy;
}

// How far a frame is from a picture: the share of pixels with a colour component off by more
// than 4/255, and the largest difference. The layers lie a little in front of the plane that
// fills the view exactly (by up to 0.1 %), so high-contrast edges may move by a fraction of a
// pixel; anything misplaced, mirrored or scaled wrongly changes many pixels by far more.
struct Difference {
  double share = 0;
  int largest = 0;
};

Difference difference(const Image& a, const Image& b) {
  Difference out;
  int64_t off = 0;
  for (int y = 0; y < a.pixelHeight(); ++y) {
    for (int x = 0; x < a.pixelWidth(); ++x) {
      const uint32_t p = a.pixelAt(x, y);
      const uint32_t q = b.pixelAt(x, y);
      int worst = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const int d =
            static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
        worst = std::max(worst, std::abs(d));
      }
      if (worst > 4) ++off;
      out.largest = std::max(out.largest, worst);
    }
  }
  out.share = static_cast<double>(off) / (static_cast<double>(a.pixelWidth()) * a.pixelHeight());
  return out;
}

void expectSamePicture(const Image& frame, const Image& picture) {
  const Difference d = difference(frame, picture);
  EXPECT_LT(d.share, 0.03);
  EXPECT_LE(d.largest, 64);
}

TEST(EAGLViewTest, PhoneSizedTurnsStartOnTheCurrentPictureAndEndOnTheNext) {
  ScopedFakeClock clock;
  auto current =
      readerPage(Color(1, 1, 1), Color(0.16f, 0.38f, 0.75f), Color(0.85f, 0.2f, 0.2f), 12);
  auto next =
      readerPage(Color(1, 0.97f, 0.88f), Color(0.2f, 0.6f, 0.3f), Color(0.2f, 0.3f, 0.8f), 9);
  auto view = EAGLView::create(Rect(0, 0, 320, 480));
  ASSERT_NE(view, nullptr);
  view->reloadTopTextureWithImage(current.get());
  view->reloadBottomTextureWithImage(next.get());
  view->layoutIfNeeded();

  // The finger's frames of a right-to-left turn, and an animated one with three pages passing.
  std::vector<std::shared_ptr<Image>> frames;
  view->redraw();
  expectSamePicture(*view->presentedImage(), *current);
  // The measure tells the pages apart.
  EXPECT_GT(difference(*view->presentedImage(), *next).share, 0.2);
  for (float rota : {0.0f, 30.0f, 60.0f, 90.0f, 120.0f, 150.0f, 180.0f}) {
    view->flipR2LToRota(rota);
    frames.push_back(copyOf(*view->presentedImage()));
  }
  expectSamePicture(*frames.back(), *next);
  writeSheet(frames, "sheet-r2l-finger");

  frames.clear();
  view->redraw();
  view->setPagePass(3);
  view->finishFlipL2R();
  for (int i = 0; i < 400 && view->isAnimating(); ++i) {
    nextFrame(clock);
    if (i % 4 == 1) frames.push_back(copyOf(*view->presentedImage()));
  }
  frames.push_back(copyOf(*view->presentedImage()));
  expectSamePicture(*frames.back(), *next);
  writeSheet(frames, "sheet-l2r-three-pages");
}

}  // namespace
}  // namespace zu
