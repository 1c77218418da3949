#include "shell/home/CoverViewController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/service/ProgramCover.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/home/CoverSource.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

// A cover list the test changes, as the cover download would.
class ListSource : public CoverSource {
 public:
  std::vector<std::shared_ptr<ProgramCover>> covers;
  bool changed = false;
  std::vector<std::shared_ptr<ProgramCover>> getProgramCovers() override {
    changed = false;
    return covers;
  }
  bool isProgramCoversChanged() override { return changed; }
};

class CoverTest : public ::testing::Test {
 protected:
  void SetUp() override { CoverViewController::registerNib(); }
  void TearDown() override {
    if (controller_ && controller_->timer()) controller_->timer()->invalidate();
    window_.reset();
    controller_.reset();
    ui::AnimationLog::shared().clear();
    ui::Application::shared().resetForTesting();
    ui::NibRegistry::shared().resetForTesting();
  }

  // A cover whose picture is `width` pixels wide, so the shown picture tells which it is.
  std::shared_ptr<ProgramCover> cover(int width, int32_t duration = 0, std::optional<std::string> title = "标题") {
    const fs::path file = home_.path() / ("cover" + std::to_string(width) + ".png");
    auto image = ui::Image::create(width, 4);
    EXPECT_TRUE(image->writePng(file));
    auto c = std::make_shared<ProgramCover>();
    c->setLargeCoverPath(file.string());
    c->setTitle(std::move(title));
    c->setSource(std::string("来源"));
    c->setDescription(std::string("一段说明文字"));
    c->setDuration(duration);
    return c;
  }

  // A full-screen cover of one colour (ARGB), so the screen's pixels tell whether it shows.
  std::shared_ptr<ProgramCover> filled(const std::string& name, uint32_t argb) {
    const fs::path file = home_.path() / (name + ".png");
    auto picture = ui::Image::create(320, 480);
    for (int i = 0; i < 320 * 480; ++i) picture->mutablePixels()[i] = argb;
    EXPECT_TRUE(picture->writePng(file));
    auto c = std::make_shared<ProgramCover>();
    c->setLargeCoverPath(file.string());
    c->setTitle(name);
    return c;
  }

  // The cover's window made and shown, as the home grid does at launch; the main loop is not
  // turned.
  void show() {
    controller_ = std::make_shared<CoverViewController>(source_);
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->setWindowLevel(ui::kWindowLevelStatusBar + 1);
    ui::ViewController::installAsRoot(*window_, controller_);
    window_->makeKeyAndVisible();
  }
  void start() {
    show();
    settle();
  }
  // The pictures are read off the main thread: turns the main loop until the one asked for (and
  // any skip it leads to) is in.
  void settle() {
    ASSERT_TRUE(turnMainLoopUntil([&] { return !controller_->isLoadingPicture(); }));
  }
  int shownWidth() {
    auto image = controller_->coverImageView()->image();
    return image ? image->pixelWidth() : 0;
  }
  // Ticks one second at a time; the picture width at each tick where it changed.
  std::vector<std::pair<int, int>> tick(int ticks) {
    std::vector<std::pair<int, int>> changes;
    for (int t = 1; t <= ticks; ++t) {
      const int before = shownWidth();
      clock_->advance(1.0);
      runDueMainLoopTasks();
      settle();
      if (shownWidth() != before) changes.emplace_back(++tick_, shownWidth());
      else ++tick_;
    }
    return changes;
  }

  ScopedFakeClock clock_;
  TempHome home_;
  std::shared_ptr<ListSource> source_ = std::make_shared<ListSource>();
  std::shared_ptr<CoverViewController> controller_;
  std::shared_ptr<ui::Window> window_;
  int tick_ = 0;
};

using Changes = std::vector<std::pair<int, int>>;

TEST_F(CoverTest, CoversChangeByTheirDurationsWithTwoTransitions) {
  source_->covers = {cover(1), cover(2), cover(3)};
  start();
  EXPECT_EQ(shownWidth(), 1);
  EXPECT_TRUE(ui::AnimationLog::shared().named("setCoverPic").empty());  // the first, at once
  EXPECT_EQ(controller_->titleLabel()->text(), "标题");
  EXPECT_EQ(controller_->originLabel()->text(), "来源");
  EXPECT_GT(controller_->contentLabel()->frame().size.height, 0.f);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "cover"));

  EXPECT_EQ(tick(15), (Changes{{5, 2}, {10, 3}, {15, 1}}));
  auto transitions = ui::AnimationLog::shared().named("setCoverPic");
  ASSERT_EQ(transitions.size(), 6u);  // two a change
  for (const auto& record : transitions) {
    EXPECT_EQ(record->transition, 108);
    EXPECT_DOUBLE_EQ(record->duration, 1.0);
  }

  // Durations 2, then 0 (and a negative one) reading as 5; a blank title shows " ".
  source_->covers = {cover(4, 2), cover(5, 0, std::string("  ")), cover(6, -1)};
  source_->changed = true;
  tick_ = 0;
  // New covers are found on every third tick and restart the list at its first cover, which
  // comes in at the next switch.
  EXPECT_EQ(tick(12), (Changes{{5, 4}, {7, 5}, {12, 6}}));
  EXPECT_EQ(controller_->duration(), 5);
  tick_ = 0;
  EXPECT_EQ(tick(7), (Changes{{5, 4}, {7, 5}}));
  EXPECT_EQ(controller_->titleLabel()->text(), " ");
}

TEST_F(CoverTest, UnreadablePicturesAreSkippedAtMostOnceRoundTheListPerTick) {
  source_->covers = {cover(1), cover(2), cover(3)};
  fs::remove(*source_->covers[1]->largeCoverPath());
  start();
  EXPECT_EQ(tick(5), (Changes{{5, 3}}));  // the second cover is skipped at once

  // The folder is emptied under the list: every tick looks once round the list and gives up.
  for (const auto& c : source_->covers) fs::remove(*c->largeCoverPath());
  const size_t before = ui::AnimationLog::shared().named("setCoverPic").size();
  tick(10);
  EXPECT_EQ(ui::AnimationLog::shared().named("setCoverPic").size(), before);
  EXPECT_EQ(controller_->duration(), 0);
  // A picture written back is shown at the next tick.
  auto image = ui::Image::create(7, 4);
  ASSERT_TRUE(image->writePng(*source_->covers[2]->largeCoverPath()));
  tick(1);
  EXPECT_EQ(shownWidth(), 7);

  // No covers at all: ticks go on and show nothing.
  source_->covers.clear();
  source_->changed = true;
  tick(6);
  EXPECT_TRUE(controller_->covers().empty());
  controller_->resetCover(false);
  controller_->switchCover();
}

TEST_F(CoverTest, ColumnsReadySlidesTheCoverAwayAndCloseBringsItBack) {
  source_->covers = {cover(1), cover(2), cover(3)};
  start();
  NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
  EXPECT_FALSE(controller_->isVisible());
  auto slide = ui::AnimationLog::shared().last();
  ASSERT_TRUE(slide);
  EXPECT_DOUBLE_EQ(slide->duration, 0.3);
  EXPECT_EQ(window_->frame(), ui::Rect(-320, 0, 320, 480));
  EXPECT_FALSE(window_->isHidden());
  clock_->advance(0.3);
  runDueMainLoopTasks();
  EXPECT_TRUE(window_->isHidden());
  EXPECT_EQ(shownWidth(), 0);
  EXPECT_EQ(controller_->titleLabel()->text(), "");

  // While away the list advances without transitions.
  const size_t before = ui::AnimationLog::shared().named("setCoverPic").size();
  tick(9);  // tick 5 takes the second cover unseen
  EXPECT_EQ(ui::AnimationLog::shared().named("setCoverPic").size(), before);

  // Close shows the cover at the index reached, texts as they are, before sliding in.
  controller_->close();
  settle();
  EXPECT_EQ(shownWidth(), 3);
  EXPECT_EQ(controller_->titleLabel()->text(), "标题");
  EXPECT_FALSE(window_->isHidden());
  EXPECT_TRUE(controller_->isVisible());
  EXPECT_EQ(window_->frame(), ui::Rect(0, 0, 320, 480));
  EXPECT_DOUBLE_EQ(ui::AnimationLog::shared().last()->duration, 0.3);

  // A left swipe slides it away again.
  window_->drag(ui::Point{300, 240}, ui::Point{40, 240}, 4);
  EXPECT_FALSE(controller_->isVisible());
}

// The first cover shows at once at its full brightness, so the columns may be ready a moment
// after the launch: the cover slides away as bright as its picture, not half faded in over the
// black ground.
TEST_F(CoverTest, TheFirstCoverShowsAtOnceAndLeavesUndimmed) {
  source_->covers = {filled("bright", 0xffe0c040u), cover(2)};
  start();
  EXPECT_EQ(0xffe0c040u, ui::renderScreen()->pixelAt(160, 100));
  NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
  clock_->advance(0.1);
  auto leaving = ui::renderScreen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*leaving, "cover-leaving"));
  EXPECT_EQ(0xffe0c040u, leaving->pixelAt(100, 100));
}

// The cover is drawn with its picture from the first frame its window shows: the picture is read
// as the view loads, before any turn of the main loop (a returning reader's columns are ready at
// once, and a cover read later slid away black). A first cover whose picture cannot be read is
// skipped at once, and the cover slid back in shows its picture from its first frame too.
TEST_F(CoverTest, TheCoverHasItsPictureFromItsFirstFrame) {
  auto unreadable = filled("gone", 0xff102030u);
  fs::remove(*unreadable->largeCoverPath());
  source_->covers = {unreadable, filled("amber", 0xffe0c040u), filled("sea", 0xff2878c8u)};
  show();
  EXPECT_EQ(0xffe0c040u, ui::renderScreen()->pixelAt(160, 100));
  EXPECT_EQ("amber", controller_->titleLabel()->text());
  EXPECT_TRUE(ui::AnimationLog::shared().named("setCoverPic").empty());
  NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
  clock_->advance(0.3);
  runDueMainLoopTasks();
  ASSERT_TRUE(window_->isHidden());
  controller_->close();
  EXPECT_FALSE(window_->isHidden());
  // Half-way in from the left, the cover's right half shows on the left of the screen, with its
  // picture.
  clock_->advance(0.15);
  EXPECT_EQ(0xff2878c8u, ui::renderScreen()->pixelAt(100, 100));
}

// With no picture to show (none kept yet, as on a first launch, or none readable) the cover never
// slides: the columns being ready hide it at once, and it is not brought back empty.
TEST_F(CoverTest, ACoverWithoutAPictureGoesAtOnceAndStaysAway) {
  auto unreadable = filled("gone", 0xff102030u);
  fs::remove(*unreadable->largeCoverPath());
  for (const auto& covers : {std::vector<std::shared_ptr<ProgramCover>>{}, std::vector{unreadable}}) {
    SCOPED_TRACE(covers.size());
    source_->covers = covers;
    start();
    ui::AnimationLog::shared().clear();
    NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
    EXPECT_TRUE(window_->isHidden());
    EXPECT_EQ(ui::Rect(-320, 0, 320, 480), window_->frame());
    EXPECT_FALSE(controller_->isVisible());
    EXPECT_FALSE(ui::AnimationLog::shared().last());
    controller_->close();
    EXPECT_TRUE(window_->isHidden());
    EXPECT_FALSE(controller_->isVisible());
    EXPECT_FALSE(ui::AnimationLog::shared().last());
    controller_->timer()->invalidate();
  }
}

// The slide is drawn as it moves: half-way through its 0.3 s (ease-in-out, so half the way) the
// cover's right half shows on the left of the screen, over the window under it.
TEST_F(CoverTest, TheCoverSlidesAwayOnScreen) {
  source_->covers = {cover(1), cover(2), cover(3)};
  auto under = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  under->setBackgroundColor(ui::Color::rgba8(40, 120, 200));
  under->makeKeyAndVisible();
  start();
  auto rest = ui::renderScreen();
  NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
  clock_->advance(0.15);
  auto mid = ui::renderScreen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*mid, "cover-slide-halfway"));
  EXPECT_GT(testing::matchingShare(*mid, *rest, 160, 0, 158, 0, 480), 0.98);
  EXPECT_EQ(0xff2878c8u, mid->pixelAt(200, 240));
  EXPECT_EQ(0xff2878c8u, mid->pixelAt(318, 400));
  clock_->advance(0.15);
  runDueMainLoopTasks();
  EXPECT_EQ(0xff2878c8u, ui::renderScreen()->pixelAt(100, 240));
}

}  // namespace
}  // namespace zu
