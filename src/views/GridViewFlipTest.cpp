#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "testing/MainLoopTurn.h"
#include "views/EAGLPageTurnView.h"
#include "views/EAGLView.h"
#include "views/GridViewTesting.h"

namespace zu {
namespace {

using gridtest::GridFixture;
using gridtest::RecordingPageTurnView;
using Journal = std::vector<std::string>;
using ui::GestureState;
using ui::Point;
using ui::Rect;

// The page reports of a journal and the ends of animations.
Journal only(const Journal& journal) {
  Journal out;
  for (const auto& line : journal) {
    for (const char* prefix : {"scrolled", "ended", "over", "pages", "animationFinished"}) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
  }
  return out;
}

// A grid of 30 cells (5 pages of 6) under page model `model`, whose page-turn views are
// recording stand-ins; the newest is `turner_`.
class GridFlipTest : public GridFixture {
 protected:
  void makeFlipGrid(int model, int page = 1) {
    configure_ = [this, model](GridView& g) {
      g.setPageTurnViewFactory([this](const Rect&) {
        turner_ = std::make_shared<RecordingPageTurnView>();
        return turner_;
      });
      g.setFlipPageModel(model);
    };
    makeGrid(30);
    grid_->setPage(page, false);
    runDueMainLoopTasks();
    recorder_->take();
  }
  // One report of the scroll view's pan recogniser; x in window points (the grid spans 0…300,
  // its centre line at 150).
  void pan(GestureState state, float x) { grid_->scrollViewPanGestureOnPoint(scroll(), state, Point{x, 200}); }
  void panSequence(std::initializer_list<float> moves) {
    auto it = moves.begin();
    pan(GestureState::Began, *it);
    for (++it; it + 1 != moves.end(); ++it) pan(GestureState::Changed, *it);
    pan(GestureState::Ended, *it);
  }
  // Turner calls without the model and redraw bookkeeping.
  Journal turnerCalls() {
    Journal out;
    for (auto& c : turner_->take()) {
      if (c.rfind("model", 0) != 0 && c != "redraw") out.push_back(c);
    }
    return out;
  }

  std::shared_ptr<RecordingPageTurnView> turner_;
};

TEST_F(GridFlipTest, FingerFinishesATurnOnWithOnePageReportAndATurnBackReusesThePicture) {
  makeFlipGrid(1);
  // Near the centre line nothing turns.
  panSequence({200, 190, 100, 60});
  EXPECT_EQ(1, grid_->getCurPage());
  ASSERT_TRUE(turner_);
  EXPECT_EQ(Journal{}, turnerCalls());
  EXPECT_TRUE(turner_->shown->isHidden());

  // From the right half towards and across the centre: the content moves on under the leaf at
  // the first step, the leaf follows, and the release finishes the turn.
  pan(GestureState::Began, 280);
  pan(GestureState::Changed, 270);
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_FALSE(turner_->shown->isHidden());
  EXPECT_TRUE(grid_->isAnimation());
  pan(GestureState::Changed, 268);
  pan(GestureState::Changed, 200);
  pan(GestureState::Changed, 100);
  pan(GestureState::Ended, 100);
  EXPECT_EQ("RR", turner_->directions);
  ASSERT_EQ(2u, turner_->angles.size());
  EXPECT_NEAR(std::acos(50.0 / 118.0) * 180 / M_PI, turner_->angles[0], 0.01);
  EXPECT_NEAR(std::acos(-50.0 / 118.0) * 180 / M_PI, turner_->angles[1], 0.01);
  EXPECT_EQ((Journal{"top", "bottom", "finishR2L"}), turnerCalls());
  EXPECT_EQ((Journal{"scrolled 1->2"}), recorder_->take());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_EQ((Journal{"ended 1->2", "animationFinished"}), recorder_->take());
  EXPECT_FALSE(grid_->isAnimation());

  // Straight back from the left half: the picture of page 1 is still the bottom one.
  panSequence({30, 40, 42, 120, 250, 250});
  EXPECT_EQ((Journal{"finishL2R"}), turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"scrolled 2->1", "ended 2->1", "animationFinished"}), recorder_->take());
  EXPECT_EQ(1, grid_->getCurPage());
}

TEST_F(GridFlipTest, EndsOfTheGridLiftTheLeafOverNoPageAndNeverTurn) {
  makeFlipGrid(1, 0);
  panSequence({30, 40, 42, 100, 100});
  EXPECT_EQ((Journal{"overBegin"}), recorder_->take());
  EXPECT_EQ((Journal{"top", "bottom null", "cancelL2R"}), turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"animationFinished"}), recorder_->take());
  EXPECT_EQ(0, grid_->getCurPage());

  grid_->setPage(4, false);
  runDueMainLoopTasks();
  recorder_->take();
  turner_->take();
  // The pan decided by its first step: across the centre at once, towards the next page.
  panSequence({280, 60, 60});
  EXPECT_EQ((Journal{"overEnd"}), recorder_->take());
  EXPECT_EQ((Journal{"bottom null", "cancelR2LAfterTo 50"}), turnerCalls());
  turner_->endTurn();
  EXPECT_EQ(4, grid_->getCurPage());
}

TEST_F(GridFlipTest, ReleaseBeforeAnyStepFinishesByTheStartsSideAndPullingBackCancels) {
  makeFlipGrid(1);
  // Released left of the start but right of the centre: on to the next page at once.
  panSequence({280, 200});
  EXPECT_EQ((Journal{"top", "bottom", "finishR2L"}), turnerCalls());
  turner_->endTurn();
  EXPECT_EQ(2, grid_->getCurPage());
  recorder_->take();
  turner_->take();

  // The leaf lifted, then pulled back towards its side: cancelled, the content goes back.
  panSequence({280, 270, 268, 200, 230, 240, 240});
  EXPECT_EQ("RRR", turner_->directions);
  EXPECT_EQ((Journal{"bottom", "cancelR2L"}), turnerCalls());
  EXPECT_EQ(2, grid_->getCurPage());
  turner_->endTurn();
  EXPECT_EQ((Journal{"scrolled 2->3", "scrolled 3->2", "animationFinished"}), recorder_->take());
}

TEST_F(GridFlipTest, PansAcrossTheCentreLineNeverGiveNaNOrChangeDirection) {
  makeFlipGrid(1);
  // Each sequence settles on or across the centre line while the leaf waits after its first
  // step, where the start of the pan would be moved.
  for (auto moves : {std::vector<float>{280, 270, 150, 150, 149, 120, 151, 150},
                     std::vector<float>{280, 270, 140, 139, 60, 150.5f, 149.5f, 30},
                     std::vector<float>{20, 30, 150, 150.2f, 151, 260, 150, 149}}) {
    turner_ = nullptr;
    grid_->setPage(1, false);
    grid_->releaseFilpView();
    pan(GestureState::Began, moves.front());
    for (size_t i = 1; i < moves.size(); ++i) pan(GestureState::Changed, moves[i]);
    pan(GestureState::Ended, moves.back());
    ASSERT_TRUE(turner_);
    for (float a : turner_->angles) {
      EXPECT_TRUE(std::isfinite(a));
      EXPECT_GE(a, 0);
      EXPECT_LE(a, 180);
    }
    // The leaf keeps the direction of the start's side.
    const char side = moves.front() > 150 ? 'R' : 'L';
    EXPECT_EQ(std::string(turner_->directions.size(), side), turner_->directions);
    turner_->endTurn();
  }
}

TEST_F(GridFlipTest, AnimatedPageChangesTurnThePageOnceAndReport) {
  makeFlipGrid(1);
  grid_->setPage(3, true);
  EXPECT_EQ((Journal{"top", "bottom", "pass 2", "finishR2L"}), turnerCalls());
  EXPECT_TRUE(grid_->isAnimation());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_EQ((Journal{"scrolled 1->3", "ended 1->3", "animationFinished"}), recorder_->take());
  grid_->setPage(0, true);
  // The finished turn left the current page's picture due, as the next page's was.
  EXPECT_EQ((Journal{"top", "bottom", "pass 3", "finishL2R"}), turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_EQ(0, grid_->getCurPage());

  // Without animation the new page's picture is taken on the next loop turn.
  grid_->setPage(2, false);
  EXPECT_EQ(Journal{}, turnerCalls());
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"top"}), turnerCalls());

  // A layout pass during a turn hides the view; the turn's end then swaps nothing.
  grid_->setPage(3, true);
  turner_->take();
  grid_->setNeedsLayout();
  grid_->layoutIfNeeded();
  EXPECT_TRUE(turner_->shown->isHidden());
  turner_->endTurn();
  EXPECT_EQ(Journal{}, turnerCalls());

  // Model 4 releases the view and bounces again.
  std::weak_ptr<RecordingPageTurnView> weak = turner_;
  turner_.reset();
  grid_->setFlipPageModel(4);
  EXPECT_EQ(nullptr, grid_->flipView());
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(grid_->canBounce());
}

TEST_F(GridFlipTest, PageAnimatedReloadTurnsByTypeAndGoesBackToTheOwnersModel) {
  struct Case {
    int type;
    Journal calls;
    Journal reports;
  };
  makeFlipGrid(3, 0);
  const std::vector<Case> cases = {
      {0, {"top", "bottom", "pass 2", "finishU2D", "switch"}, {"scrolled 0->0", "ended 0->0", "animationFinished"}},
      {1, {"top", "bottom", "pass 2", "finishU2DPhysics", "switch"}, {"scrolled 0->0", "ended 0->0", "animationFinished"}},
      {2, {"top", "bottom", "pass 2", "finishD2U", "switch"}, {"scrolled 0->0", "ended 0->0", "animationFinished"}},
      {3, {"top", "bottom", "pass 2", "finishL2R", "switch"}, {"scrolled 0->0", "ended 0->0", "animationFinished"}},
      {4, {"top", "bottom", "pass 2", "finishR2L", "switch"}, {"scrolled 0->1", "ended 0->1", "animationFinished"}},
      {9, {"top"}, {"scrolled 0->0", "ended 0->0", "animationFinished"}},
  };
  for (const auto& c : cases) {
    turner_ = nullptr;
    source_->asked.clear();
    grid_->reloadDataWithPageAnimation(c.type, 2, c.type == 4 ? 1 : 0);
    EXPECT_EQ(nullptr, turner_) << "starts after the call returns";
    clock_->advance(0.02);
    runDueMainLoopTasks();
    ASSERT_TRUE(turner_) << c.type;
    // A flat turn for its duration; without a turn the owner's model is back at once.
    EXPECT_EQ(c.type == 9 ? 3 : 1, grid_->flipPageModel());
    std::weak_ptr<RecordingPageTurnView> weak = turner_;
    turner_->endTurn();
    EXPECT_EQ(c.calls, turnerCalls()) << c.type;
    EXPECT_EQ(c.reports, only(recorder_->take())) << c.type;
    // Back on the owner's model, which releases the view even from inside its report.
    EXPECT_EQ(3, grid_->flipPageModel());
    EXPECT_EQ(nullptr, grid_->flipView());
    turner_.reset();
    EXPECT_TRUE(weak.expired());
    if (c.type == 4) grid_->setPage(0, false);
    recorder_->take();
  }

  // Model 4 reloads at once without a page-turn view.
  grid_->setFlipPageModel(4);
  source_->count = 12;
  grid_->reloadDataWithPageAnimation(0, 1, 1);
  EXPECT_EQ(1, grid_->getCurPage());
  EXPECT_EQ(nullptr, turner_);
  EXPECT_EQ(nullptr, grid_->flipView());
}

TEST_F(GridFlipTest, WithoutAPageTurnViewPansTurnNothingAndPagesChangeAtOnce) {
  configure_ = [](GridView& g) {
    g.setPageTurnViewFactory([](const Rect&) { return nullptr; });
    g.setFlipPageModel(1);
  };
  makeGrid(30);
  recorder_->take();
  panSequence({280, 270, 268, 200, 100, 100});
  EXPECT_EQ(0, grid_->getCurPage());
  EXPECT_FALSE(grid_->isAnimation());
  grid_->setPage(2, true);
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_EQ((Journal{"scrolled 0->2", "ended 0->2"}), only(recorder_->take()));
  grid_->reloadDataWithPageAnimation(3, 1, 1);
  clock_->advance(0.02);
  runDueMainLoopTasks();
  EXPECT_EQ(1, grid_->getCurPage());
  EXPECT_EQ(1, grid_->flipPageModel());
  EXPECT_EQ((Journal{"scrolled 2->1", "ended 2->1", "animationFinished"}), only(recorder_->take()));
}

// The book curl of model 2 (and of reloads of types 5 and 6): in portrait one page whose spine
// is the grid's left edge, in landscape two facing pages about the centre line.
class GridCurlTest : public GridFlipTest {
 protected:
  void TearDown() override {
    ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
    GridFlipTest::TearDown();
  }
  void landscape() {
    ui::Application::shared().setStatusBarOrientation(
        SystemEnvironment::Orientation::kLandscapeRight);
  }
  void panAt(GestureState state, float x, float y) {
    grid_->scrollViewPanGestureOnPoint(scroll(), state, Point{x, y});
  }
  bool scrollHidden() { return scroll().isHidden(); }
};

TEST_F(GridCurlTest, AnimatedPageChangesCurlOnAndBackByOrientation) {
  makeFlipGrid(2);
  grid_->setPage(3, true);
  EXPECT_EQ((Journal{"top", "bottom", "pass 2", "RB (300, 400)", "curved", "finishR2L_B"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_EQ((Journal{"scrolled 1->3", "ended 1->3", "animationFinished"}), only(recorder_->take()));

  // Back in portrait: the previous page curls in over the current one, an un-curl.
  grid_->setPage(1, true);
  EXPECT_EQ((Journal{"top", "bottom", "pass 2", "switch", "RB (-300, 400)", "curved",
                     "cancelR2L_B"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ(1, grid_->getCurPage());
  // The un-curl settles the page and reports the end once; the current page's picture is the
  // one the curl ended on.
  EXPECT_EQ((Journal{"scrolled 3->1", "ended 3->1", "animationFinished"}), only(recorder_->take()));
  EXPECT_EQ(Journal{}, turnerCalls());

  // Landscape: two columns, the left-bottom corner turns back across the centre.
  landscape();
  grid_->setPage(0, true);
  EXPECT_EQ((Journal{"bottom", "pass 1", "LB (0, 400) col", "curved", "finishL2R_B col"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_EQ(0, grid_->getCurPage());
  grid_->setPage(1, true);
  EXPECT_EQ((Journal{"top", "bottom", "pass 1", "RB (300, 400) col", "curved", "finishR2L_B col"}),
            turnerCalls());
}

TEST_F(GridCurlTest, PageAnimatedReloadsOfTypesFiveAndSixCurlUnderModelTwo) {
  makeFlipGrid(3, 1);
  grid_->reloadDataWithPageAnimation(6, 2, 2);
  clock_->advance(0.02);
  runDueMainLoopTasks();
  ASSERT_TRUE(turner_);
  EXPECT_EQ(2, grid_->flipPageModel());
  EXPECT_EQ((Journal{"top", "bottom", "pass 2", "RB (300, 400)", "curved", "finishR2L_B"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ(3, grid_->flipPageModel());
  EXPECT_EQ(2, grid_->getCurPage());
  recorder_->take();

  turner_ = nullptr;
  grid_->reloadDataWithPageAnimation(5, 1, 1);
  clock_->advance(0.02);
  runDueMainLoopTasks();
  ASSERT_TRUE(turner_);
  EXPECT_EQ((Journal{"top", "bottom", "pass 1", "switch", "RB (-300, 400)", "curved", "cancelR2L_B"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ(1, grid_->getCurPage());
  EXPECT_EQ(3, grid_->flipPageModel());
  EXPECT_EQ(1, std::count(recorder_->journal.begin(), recorder_->journal.end(), "animationFinished"));
}

TEST_F(GridCurlTest, FingerLiftsTheCornerOnItsSideOfTheStartAndFinishesOrTurnsBack) {
  makeFlipGrid(2);
  // Portrait: a pan from the middle curls the next page; the finger level with the start lifts
  // the bottom-right corner: d = 180, cos a = 1, so the corner sits right under the finger.
  panAt(GestureState::Began, 150, 200);
  panAt(GestureState::Changed, 140, 200);
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_TRUE(scrollHidden());
  panAt(GestureState::Changed, 120, 200);
  // Moving down and left lifts the top-right corner: d = 189.737, cos a = 0.94868,
  // k = d + 200 sin a = 252.982, so the corner goes to (300 − 240, 80).
  panAt(GestureState::Changed, 120, 260);
  panAt(GestureState::Ended, 120, 260);
  EXPECT_EQ((Journal{"RB (120, 400)", "RT (60, 80)"}), turner_->curls);
  // Steep from the start (60 down over 30 across): a curved finish at the top corner.
  EXPECT_EQ((Journal{"top", "bottom", "RB (120, 400)", "RT (60, 80)", "curved", "finishR2L_T"}),
            turnerCalls());
  turner_->endTurn();
  EXPECT_EQ((Journal{"switch"}), turnerCalls());
  EXPECT_FALSE(scrollHidden());
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_EQ((Journal{"scrolled 1->2", "ended 1->2", "animationFinished"}), only(recorder_->take()));

  // A quick move to the right turns back: the previous page curls in over the current one.
  panAt(GestureState::Began, 100, 200);
  panAt(GestureState::Changed, 200, 200);
  // (The picture of page 1 is still the bottom one.)
  EXPECT_EQ((Journal{"switch", "RB (-300, 400)", "curved", "cancelR2L_B"}), turnerCalls());
  EXPECT_TRUE(scrollHidden());
  turner_->endTurn();
  EXPECT_EQ(1, grid_->getCurPage());
  EXPECT_FALSE(scrollHidden());
  recorder_->take();

  // Pulled back to the right after curling: the turn is cancelled at the corner in use.
  panAt(GestureState::Began, 250, 200);
  panAt(GestureState::Changed, 240, 200);
  panAt(GestureState::Changed, 200, 190);
  panAt(GestureState::Changed, 230, 190);
  panAt(GestureState::Ended, 230, 190);
  const Journal calls = turnerCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ((Journal{"straight", "cancelR2L_B"}), Journal(calls.end() - 2, calls.end()));
  turner_->endTurn();
  EXPECT_EQ(1, grid_->getCurPage());

  // Landscape: a pan within 100 points of the centre line does nothing.
  landscape();
  turner_->curls.clear();
  panAt(GestureState::Began, 160, 200);
  panAt(GestureState::Changed, 140, 200);
  panAt(GestureState::Changed, 120, 200);
  panAt(GestureState::Ended, 120, 200);
  EXPECT_EQ(Journal{}, turnerCalls());
  EXPECT_EQ(1, grid_->getCurPage());
}

// The real page-turn view: a right-to-left turn by finger through the scroll view's pan, drawn
// with GL, ends on the next page with one report, and its last frame shows the next page.
TEST_F(GridFlipTest, FingerTurnDrawnWithGLEndsShowingTheNextPage) {
  // Every page in a colour of its own.
  struct PagePainted : gridtest::PaintedSource {
    std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override {
      auto cell = PaintedSource::gridViewCellAtIndex(grid, index);
      const float page = static_cast<float>(index / 6);
      cell->setBackgroundColor(ui::Color{0.2f + 0.15f * page, 0.9f - 0.2f * page, 0.3f, 1});
      return cell;
    }
  };
  source_ = std::make_shared<PagePainted>();
  window_->setBackgroundColor(ui::Color{1, 1, 1, 1});
  configure_ = [](GridView& g) { g.setFlipPageModel(1); };
  makeGrid(30);
  grid_->setPage(1, false);
  runDueMainLoopTasks();
  recorder_->take();

  auto finger = window_->beginTouch(Point{285, 200});
  for (float x : {270.f, 266.f, 264.f, 230.f, 180.f, 120.f}) {
    clock_->advance(0.02);
    window_->moveTouch(finger, Point{x, 200});
  }
  auto flip = std::dynamic_pointer_cast<EAGLPageTurnView>(grid_->flipView());
  if (!flip) GTEST_SKIP() << "no GL context";
  EXPECT_TRUE(ui::writeSnapshot(*flip->eaglView().presentedImage(), "grid_flip_by_finger"));
  window_->endTouch(finger, Point{120, 200});
  EXPECT_TRUE(flip->isAnimating());
  for (int i = 0; i < 400 && flip->isAnimating(); ++i) {
    clock_->advance(1.0 / 60);
    runDueMainLoopTasks();
    if (i == 3) {
      EXPECT_TRUE(ui::writeSnapshot(*flip->eaglView().presentedImage(), "grid_flip_finishing"));
    }
  }
  EXPECT_FALSE(flip->isAnimating());
  EXPECT_TRUE(flip->view().isHidden());
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_EQ((Journal{"scrolled 1->2", "ended 1->2", "animationFinished"}),
            (only(recorder_->take())));

  // The last frame is page 2 whole: the colour of its cells at a cell's centre, the white of
  // the window's background between cells.
  const auto& image = *flip->eaglView().presentedImage();
  const Rect cell = scroll().convertRectTo(grid_->rect0AtIndex(14), grid_.get());
  const ui::Color c = image.colorAt(static_cast<int>(cell.midX()), static_cast<int>(cell.midY()));
  EXPECT_NEAR(0.5f, c.red, 0.03f);
  EXPECT_NEAR(0.5f, c.green, 0.03f);
  EXPECT_NEAR(0.3f, c.blue, 0.03f);
  auto screen = ui::render(*window_);
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *screen, "grid_flip_turned"));
  const ui::Color shown = screen->colorAt(static_cast<int>(cell.midX()), static_cast<int>(cell.midY()));
  EXPECT_NEAR(c.red, shown.red, 0.03f);
  EXPECT_NEAR(c.green, shown.green, 0.03f);
}

// The real page-turn view under model 2: the finger curls the page's corner, drawn with GL;
// the release finishes the curl on the next page.
TEST_F(GridFlipTest, FingerCurlDrawnWithGLEndsShowingTheNextPage) {
  struct PagePainted : gridtest::PaintedSource {
    std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override {
      auto cell = PaintedSource::gridViewCellAtIndex(grid, index);
      const float page = static_cast<float>(index / 6);
      cell->setBackgroundColor(ui::Color{0.2f + 0.15f * page, 0.9f - 0.2f * page, 0.3f, 1});
      return cell;
    }
  };
  source_ = std::make_shared<PagePainted>();
  window_->setBackgroundColor(ui::Color{1, 1, 1, 1});
  configure_ = [](GridView& g) { g.setFlipPageModel(2); };
  makeGrid(30);
  grid_->setPage(1, false);
  runDueMainLoopTasks();
  recorder_->take();

  // A row of the frames as the finger goes, at half size: six under the finger, then every
  // other frame of the finish.
  const ui::Size size = grid_->frame().size;
  auto row = ui::Image::create(static_cast<int>(size.width / 2) * 10, static_cast<int>(size.height / 2));
  ASSERT_TRUE(row);
  ui::Canvas rowCanvas(*row);
  int column = 0;
  auto keepFrame = [&](const ui::Image& frame) {
    if (column >= 10) return;
    rowCanvas.drawImage(frame, Rect(static_cast<float>(column++) * size.width / 2, 0,
                                    size.width / 2, size.height / 2));
  };

  auto finger = window_->beginTouch(Point{285, 300});
  for (Point p : {Point{270, 290}, Point{250, 280}, Point{235, 274}, Point{220, 268},
                  Point{200, 260}, Point{185, 254}, Point{165, 246}, Point{150, 240}}) {
    clock_->advance(0.02);
    window_->moveTouch(finger, p);
    auto shown = std::dynamic_pointer_cast<EAGLPageTurnView>(grid_->flipView());
    if (shown && p.x <= 235) keepFrame(*shown->eaglView().presentedImage());
  }
  auto flip = std::dynamic_pointer_cast<EAGLPageTurnView>(grid_->flipView());
  if (!flip) GTEST_SKIP() << "no GL context";
  EXPECT_TRUE(ui::writeSnapshot(*flip->eaglView().presentedImage(), "grid_curl_by_finger"));
  window_->endTouch(finger, Point{150, 240});
  EXPECT_TRUE(flip->isAnimating());
  for (int i = 0; i < 100 && flip->isAnimating(); ++i) {
    clock_->advance(1.0 / 60);
    runDueMainLoopTasks();
    if (i == 2) EXPECT_TRUE(ui::writeSnapshot(*flip->eaglView().presentedImage(), "grid_curl_finishing"));
    if (i % 2 == 0) keepFrame(*flip->eaglView().presentedImage());
  }
  EXPECT_TRUE(ui::writeSnapshot(*row, "grid_curl_row"));
  EXPECT_FALSE(flip->isAnimating());
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_EQ((Journal{"scrolled 1->2", "ended 1->2", "animationFinished"}), only(recorder_->take()));
  EXPECT_FALSE(scroll().isHidden());
  const auto& image = *flip->eaglView().presentedImage();
  const Rect cell = scroll().convertRectTo(grid_->rect0AtIndex(14), grid_.get());
  const ui::Color c = image.colorAt(static_cast<int>(cell.midX()), static_cast<int>(cell.midY()));
  EXPECT_NEAR(0.5f, c.red, 0.03f);
  EXPECT_NEAR(0.5f, c.green, 0.03f);
}

}  // namespace
}  // namespace zu
