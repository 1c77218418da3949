// Test helpers of the grid view tests: a data source that counts and orders its cellAtIndex
// calls and tags each cell with its index (reusing cells through dequeue), a delegate with
// settable geometry that writes every report into a journal, and a fixture with a window, the
// fake clock and a grid inside a plain container view. Test thread (the main loop) only.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"
#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"
#include "views/PageTurnView.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu::gridtest {

class CountingSource : public GridViewDataSourceProtocol {
 public:
  int count = 0;
  // Every index asked for, in order; and the cells made new (not dequeued).
  std::vector<int> asked;
  int made = 0;
  // Off: every cell is made new, so tests can tell cells apart.
  bool reuse = true;

  // Called with each index asked for, before the cell is made.
  std::function<void(int)> onAsk;

  int numberOfCellsInGridView(GridView&) override { return count; }
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override {
    asked.push_back(index);
    if (onAsk) onAsk(index);
    std::shared_ptr<GridViewCell> cell = reuse ? grid.dequeueReusableCellWithIdentifier("cell") : nullptr;
    if (!cell) {
      cell = std::make_shared<GridViewCell>();
      cell->setIdentifiy("cell");
      ++made;
    }
    cell->setTag(index);
    return cell;
  }
};

// Cells with a colour per index and their number, for the pictures a reviewer looks at.
class PaintedSource : public CountingSource {
 public:
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override {
    auto cell = CountingSource::gridViewCellAtIndex(grid, index);
    const float hue = static_cast<float>(index % 6) / 6.0f;
    cell->setBackgroundColor(ui::Color{0.3f + 0.7f * hue, 0.8f - 0.5f * hue, 0.5f, 1});
    std::shared_ptr<ui::Label> label;
    for (auto& v : cell->subviews()) label = std::dynamic_pointer_cast<ui::Label>(v);
    if (!label) {
      label = std::make_shared<ui::Label>(ui::Rect(6, 6, 60, 24));
      cell->addSubview(label);
    }
    label->setText(std::to_string(index));
    return cell;
  }
};

class Recorder : public GridViewProtocol {
 public:
  int rows = 2;
  int cols = 3;
  float ratioX = 10;
  float ratioY = 10;
  bool allowMoves = true;
  bool allowDragging = true;
  bool allowLongPress = true;
  std::vector<std::string> journal;

  int rowCountInGridView(GridView&) override { return rows; }
  int colCountInGridView(GridView&) override { return cols; }
  float plotratioXInGridView(GridView&) override { return ratioX; }
  float plotratioYInGridView(GridView&) override { return ratioY; }
  void gridViewPageScrolledFromTo(GridView&, int from, int to) override {
    note("scrolled " + std::to_string(from) + "->" + std::to_string(to));
  }
  void gridViewChangePageCountTo(GridView&, int from, int to) override {
    note("pages " + std::to_string(from) + "->" + std::to_string(to));
  }
  void gridViewPageScrollEndedFromTo(GridView&, int from, int to) override {
    note("ended " + std::to_string(from) + "->" + std::to_string(to));
  }
  void movePageOverEndOnGridView(GridView&) override { note("overEnd"); }
  void movePageOverBeginOnGridView(GridView&) override { note("overBegin"); }
  void gridViewTouchDownCellAtIndex(GridView&, int i) override { note("down " + std::to_string(i)); }
  void gridViewTouchCancelCellAtIndex(GridView&, int i) override { note("cancel " + std::to_string(i)); }
  void gridViewDidClickCellAtIndex(GridView&, int i) override { note("click " + std::to_string(i)); }
  void gridViewTapGestuseAtIndex(GridView&, ui::TapGestureRecognizer&, int i) override {
    note("doubleTap " + std::to_string(i));
  }
  void gridViewSwipe(GridView&, unsigned direction) override { note("swipe " + std::to_string(direction)); }
  void animationFinished(GridView&) override { note("animationFinished"); }
  void gridViewLongPressBeginAtIndex(GridView&, int i) override { note("longBegin " + std::to_string(i)); }
  void gridViewLongPressEndAtIndex(GridView&, int i) override { note("longEnd " + std::to_string(i)); }
  void gridViewCellMoveFromIndexToIndex(GridView&, int from, int to) override {
    note("move " + std::to_string(from) + "->" + std::to_string(to));
  }
  bool gridViewShouldCellMoveFromIndexToIndex(GridView&, int, int) override { return allowMoves; }
  bool gridViewSupportDraggingAtIndex(GridView&, int) override { return allowDragging; }
  bool gridViewSupportLongPressAtIndex(GridView&, int) override { return allowLongPress; }

  // The journal since the last call.
  std::vector<std::string> take() {
    std::vector<std::string> out;
    out.swap(journal);
    return out;
  }

 private:
  void note(std::string line) { journal.push_back(std::move(line)); }
};

// A stand-in for the page-turn view: writes each call into a journal and ends a running turn
// only when the test says so (endTurn), reporting it as the real view does — finished or
// cancelled, by direction, while still shown — then hiding.
class RecordingPageTurnView : public PageTurnView,
                              public std::enable_shared_from_this<RecordingPageTurnView> {
 public:
  std::vector<std::string> calls;
  // Every curl point handed over, its corner and column style ("RB (x, y) col").
  std::vector<std::string> curls;
  // Every leaf angle handed over, and its direction ('L' turns back, 'R' turns on).
  std::vector<float> angles;
  std::string directions;
  std::shared_ptr<ui::View> shown = std::make_shared<ui::View>();
  int pass = 1;
  bool animating = false;
  // The report the running turn ends with.
  void (PageTurnViewDelegate::*report)(PageTurnView&) = nullptr;
  std::weak_ptr<PageTurnViewDelegate> delegate;

  ui::View& view() override { return *shown; }
  void setEaglDelegate(std::weak_ptr<PageTurnViewDelegate> d) override { delegate = std::move(d); }
  void clearEaglDelegate() override { delegate.reset(); }
  void setClearColorRGB(std::optional<ui::Color>) override {}
  void setFlipModel(int model) override { note("model " + std::to_string(model)); }
  void reloadTopTextureWithView(ui::View* v) override { note(v ? "top" : "top null"); }
  void reloadBottomTextureWithView(ui::View* v) override { note(v ? "bottom" : "bottom null"); }
  void reloadMidTextureWithPath(const std::string& path) override { note("mid " + path); }
  void switchTopBottom() override { note("switch"); }
  void redraw() override { note("redraw"); }
  int pagePass() const override { return pass; }
  void setPagePass(int pages) override {
    pass = pages;
    note("pass " + std::to_string(pages));
  }
  void flipL2RToRota(float rota) override {
    angles.push_back(rota);
    directions += 'L';
  }
  void flipR2LToRota(float rota) override {
    angles.push_back(rota);
    directions += 'R';
  }
  void finishFlipL2R() override { start("finishL2R", &PageTurnViewDelegate::EAGLViewDidFlipL2RFinish); }
  void finishFlipR2L() override { start("finishR2L", &PageTurnViewDelegate::EAGLViewDidFlipR2LFinish); }
  void finishFlipU2D() override { start("finishU2D", &PageTurnViewDelegate::EAGLViewDidFlipU2DFinish); }
  void finishFlipU2DPhysics() override {
    start("finishU2DPhysics", &PageTurnViewDelegate::EAGLViewDidFlipU2DFinish);
  }
  void finishFlipD2U() override { start("finishD2U", &PageTurnViewDelegate::EAGLViewDidFlipD2UFinish); }
  void cancelFlipL2R() override { start("cancelL2R", &PageTurnViewDelegate::EAGLViewDidFlipL2RCancel); }
  void cancelFlipR2L() override { start("cancelR2L", &PageTurnViewDelegate::EAGLViewDidFlipR2LCancel); }
  void cancelFlipL2RAfterTo(float rota) override {
    start("cancelL2RAfterTo " + std::to_string(static_cast<int>(rota)), &PageTurnViewDelegate::EAGLViewDidFlipL2RCancel);
  }
  void cancelFlipR2LAfterTo(float rota) override {
    start("cancelR2LAfterTo " + std::to_string(static_cast<int>(rota)), &PageTurnViewDelegate::EAGLViewDidFlipR2LCancel);
  }
  void setIsBeizerTans(bool curved) override { note(curved ? "curved" : "straight"); }
  void flipBookFromRBWithFinger(ui::Point f, bool c) override { curl("RB", f, c); }
  void flipBookFromRTWithFinger(ui::Point f, bool c) override { curl("RT", f, c); }
  void flipBookFromLBWithFinger(ui::Point f, bool c) override { curl("LB", f, c); }
  void flipBookFromLTWithFinger(ui::Point f, bool c) override { curl("LT", f, c); }
  void finishFlipBookR2L_B(bool c) override { book("finishR2L_B", c, &PageTurnViewDelegate::EAGLViewDidFlipR2LFinish); }
  void finishFlipBookR2L_T(bool c) override { book("finishR2L_T", c, &PageTurnViewDelegate::EAGLViewDidFlipR2LFinish); }
  void finishFlipBookL2R_B(bool c) override { book("finishL2R_B", c, &PageTurnViewDelegate::EAGLViewDidFlipL2RFinish); }
  void finishFlipBookL2R_T(bool c) override { book("finishL2R_T", c, &PageTurnViewDelegate::EAGLViewDidFlipL2RFinish); }
  void cancelFlipBookR2L_B(bool c) override { book("cancelR2L_B", c, &PageTurnViewDelegate::EAGLViewDidFlipR2LCancel); }
  void cancelFlipBookR2L_T(bool c) override { book("cancelR2L_T", c, &PageTurnViewDelegate::EAGLViewDidFlipR2LCancel); }
  void cancelFlipBookL2R_B(bool c) override { book("cancelL2R_B", c, &PageTurnViewDelegate::EAGLViewDidFlipL2RCancel); }
  void cancelFlipBookL2R_T(bool c) override { book("cancelL2R_T", c, &PageTurnViewDelegate::EAGLViewDidFlipL2RCancel); }
  bool isAnimating() const override { return animating; }

  // Ends the running turn with its report.
  void endTurn() {
    auto keep = shared_from_this();
    if (!animating) return;
    animating = false;
    if (auto d = delegate.lock()) ((*d).*report)(*this);
    pass = 1;
    shown->setHidden(true);
  }
  // The journal since the last call.
  std::vector<std::string> take() {
    std::vector<std::string> out;
    out.swap(calls);
    return out;
  }

 private:
  void note(std::string line) { calls.push_back(std::move(line)); }
  void curl(const char* corner, ui::Point f, bool column) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (%g, %g)%s", corner, static_cast<double>(f.x),
                  static_cast<double>(f.y), column ? " col" : "");
    curls.push_back(text);
    note(text);
  }
  void book(const char* name, bool column, void (PageTurnViewDelegate::*r)(PageTurnView&)) {
    start(std::string(name) + (column ? " col" : ""), r);
  }
  void start(std::string name, void (PageTurnViewDelegate::*r)(PageTurnView&)) {
    note(std::move(name));
    animating = true;
    report = r;
  }
};

class GridFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    container_ = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 480));
    window_->addSubview(container_);
  }
  void TearDown() override {
    grid_.reset();
    ui::Application::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }

  // A grid of `count` cells at `frame` in the container, laid out once.
  std::shared_ptr<GridView> makeGrid(int count, const ui::Rect& frame = ui::Rect(0, 0, 300, 400),
                                     bool horizontal = true) {
    source_->count = count;
    grid_ = GridView::create(frame);
    grid_->setDataSource(source_);
    grid_->setGridViewDelegate(recorder_);
    grid_->setExtendsHorizontal(horizontal);
    if (configure_) configure_(*grid_);
    container_->addSubview(grid_);
    grid_->layoutIfNeeded();
    return grid_;
  }
  ScrollViewForGridView_3_0& scroll() { return *grid_->contentScrollView(); }
  // Turns the main loop until the grid's background preparation has finished.
  void finishPreparation() {
    clock_->advance(0.02);
    EXPECT_TRUE(RunLoop::main()->runUntil([this] { return !grid_->isPreparing(); }, 10));
  }

  ScopedFakeClock clock_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::View> container_;
  std::shared_ptr<CountingSource> source_ = std::make_shared<CountingSource>();
  std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
  std::shared_ptr<GridView> grid_;
  // Applied to each new grid before its first layout.
  std::function<void(GridView&)> configure_;
};

}  // namespace zu::gridtest
