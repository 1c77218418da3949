#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/Image.h"
#include "platform/ui/Renderer.h"
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
  EXPECT_TRUE(ui::writeSnapshot(*screen, "grid_flip_turned"));
  const ui::Color shown = screen->colorAt(static_cast<int>(cell.midX()), static_cast<int>(cell.midY()));
  EXPECT_NEAR(c.red, shown.red, 0.03f);
  EXPECT_NEAR(c.green, shown.green, 0.03f);
}

}  // namespace
}  // namespace zu
