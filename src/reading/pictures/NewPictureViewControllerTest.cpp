// The picture viewer on a fake clock with a recording session: the page it opens on and the ranges
// each settled page asks for, results for shared addresses, failures and what clears them, the
// picture layout, the information panel and its kept fold state, the bars' tap timing, album moves
// behind the transition page, rotation, saving and sharing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskExif.h"
#include "model/service/VeskExifInfo.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/views/Window.h"
#include "reading/pictures/NewPictureEngine.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/pictures/NewPictureViewControllerDelegate.h"
#include "reading/pictures/PictureView.h"
#include "reading/ReadingNibs.h"
#include "reading/support/ReportContentTestSupport.h"
#include "views/ScrollViewForGridView_3_0.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"

namespace zu {
namespace {

using Window = SpySession::Window;
using Orientation = SystemEnvironment::Orientation;

// Says which pictures are cached and records every session it makes.
class RecordingPictureEngine : public NewPictureEngine {
 public:
  Text getImageLocalPath(const Text& url) override {
    auto it = url ? cachedFiles.find(*url) : cachedFiles.end();
    return it == cachedFiles.end() ? std::nullopt : Text(it->second);
  }
  std::shared_ptr<DownloadWithPrioritySession> createPictureSession(const std::vector<Text>& urls) override {
    auto session = std::make_shared<SpySession>(DownloadWithPrioritySession::UrlList(urls.begin(), urls.end()));
    sessions.push_back(session);
    return session;
  }
  std::map<std::string, std::string> cachedFiles;
  std::vector<std::shared_ptr<SpySession>> sessions;
};

class RecordingDelegate : public NewPictureViewControllerDelegate {
 public:
  void setDetailIndex(int64_t index) override { detailIndexes.push_back(index); }
  void setBackPageIndex(int64_t index) override { backIndexes.push_back(index); }
  std::vector<int64_t> detailIndexes;
  std::vector<int64_t> backIndexes;
};

struct Picture {
  std::optional<std::string> url;
  std::optional<std::string> exifTitle;
  std::vector<std::pair<std::string, std::string>> exif;
};

std::shared_ptr<NewsDetail> article(const std::string& title, const std::vector<Picture>& pictures) {
  auto detail = std::make_shared<NewsDetail>();
  detail->setTitle(title);
  detail->setVeskCategorys(std::vector<std::shared_ptr<VeskCategory>>());
  int seq = 1;
  for (const auto& picture : pictures) {
    auto category = std::make_shared<VeskCategory>();
    category->setA_href(picture.url);
    category->setSeq(seq++);
    if (picture.exifTitle || !picture.exif.empty()) {
      auto exif = std::make_shared<VeskExif>();
      exif->setTitle(picture.exifTitle);
      for (const auto& [key, value] : picture.exif) {
        auto info = std::make_shared<VeskExifInfo>();
        info->setKey(key);
        info->setValue(value);
        exif->appendInfos(info);
      }
      category->setVeskExif(exif);
    }
    detail->appendVeskCategorys(category);
  }
  return detail;
}

std::vector<Picture> addresses(const std::string& prefix, int count) {
  std::vector<Picture> pictures;
  for (int i = 0; i < count; ++i) pictures.push_back({"http://pic/" + prefix + std::to_string(i), {}, {}});
  return pictures;
}

class NewPictureViewControllerTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    ReadingNibs::registerNibs();
    UserDefaults::standard().removeObject(NewPictureViewController::kFoldKey);
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    opener_ = std::make_shared<ui::ViewController>(std::nullopt);
    ui::ViewController::installAsRoot(*window_, opener_);
    engine_ = std::make_shared<RecordingPictureEngine>();
    delegate_ = std::make_shared<RecordingDelegate>();
  }
  void TearDown() override {
    SPWaitingSavePhoto::resign();
    ui::PhotoAlbum::setFolder(std::nullopt);
    opener_.reset();
    window_.reset();
    ShellFixture::TearDown();
  }

  // A picture file of `w` × `h` points in one colour; the engine reports it cached for `url`. A
  // `caption` is written on a dark band along its bottom edge, as the album pictures carry theirs.
  std::string cache(const std::string& url, int w, int h, const ui::Color& color = ui::Color::rgba8(40, 110, 170),
                    const std::string& caption = std::string()) {
    auto image = ui::Image::create(w, h);
    {
      ui::Canvas canvas(*image);
      canvas.setFillColor(color);
      canvas.fillRect(ui::Rect(0, 0, static_cast<float>(w), static_cast<float>(h)));
      canvas.setFillColor(ui::Color::rgba8(240, 200, 60));
      canvas.fillEllipse(ui::Rect(w / 4.0f, h / 4.0f, w / 2.0f, h / 2.0f));
      if (!caption.empty()) {
        const ui::Rect band(0, h - 56.0f, static_cast<float>(w), 56);
        canvas.setFillColor(ui::Color::rgba8(40, 36, 30));
        canvas.fillRect(band);
        canvas.drawText(caption, band.insetBy(0, 12), ui::Font::boldSystemFont(24), ui::Color::whiteColor(),
                        ui::LineBreakMode::WordWrap, ui::TextAlignment::Center);
      }
    }
    const auto path = home_.path() / ("picture-" + std::to_string(engine_->cachedFiles.size()) + ".png");
    EXPECT_TRUE(image->writePng(path));
    engine_->cachedFiles[url] = path.string();
    return path.string();
  }

  std::shared_ptr<NewPictureViewController> show(std::shared_ptr<NewPictureViewController> viewer) {
    viewer->setEngine(engine_);
    opener_->presentModalViewController(NewPictureViewController::inNavigationController(viewer), false);
    settle(0);
    return viewer;
  }
  std::shared_ptr<NewPictureViewController> album(const std::vector<std::shared_ptr<NewsDetail>>& details, int index,
                                                  int picture) {
    list_ = std::make_shared<NewPictureViewController::Items>();
    for (size_t i = 0; i < details.size(); ++i) {
      auto item = summary("s" + std::to_string(i), kNow, 1);
      item->setDetail(details[i]);
      list_->push_back(item);
    }
    return show(NewPictureViewController::initWithSummaryArray(list_, index, picture, delegate_));
  }
  static GridView& grid(NewPictureViewController& viewer) { return *viewer.bigImageGridView(); }
  static std::shared_ptr<ui::Image> failurePicture() { return ui::Image::named(NewPictureViewController::kFailurePicture); }
  static std::string notice() {
    auto* panel = SPWaitingSavePhoto::existing();
    return panel ? panel->viewController()->titleLable()->text() : std::string();
  }
  void snapshot(ui::View& view, const std::string& name) {
    view.layoutIfNeeded();
    EXPECT_TRUE(ui::ContrastAudit::snapshot(view, name));
  }
  // The screen as shown, status bar included, at the clock's time.
  void snapshotScreen(const std::string& name) {
    window_->layoutIfNeeded();
    EXPECT_TRUE(ui::ContrastAudit::snapshotScreen(name));
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> opener_;
  std::shared_ptr<RecordingPictureEngine> engine_;
  std::shared_ptr<RecordingDelegate> delegate_;
  std::shared_ptr<NewPictureViewController::Items> list_;
};

TEST_F(NewPictureViewControllerTest, OpensOnTheLastPictureAndEachSettledPageAsksForItNowAndItsNeighboursNext) {
  cache("http://pic/a2", 640, 320);
  auto viewer = show(NewPictureViewController::initWithDetail(article("Quay", addresses("a", 3)), 99));
  EXPECT_EQ(2, viewer->pictureIndex());
  EXPECT_EQ(2, grid(*viewer).getCurPage());
  EXPECT_EQ("3/3", viewer->numberLabel()->text());
  ASSERT_EQ(1u, engine_->sessions.size());
  auto& session = *engine_->sessions[0];
  EXPECT_EQ(NewPictureViewController::kSessionTestMask, session.testMask());
  EXPECT_EQ((DownloadWithPrioritySession::UrlList{"http://pic/a0", "http://pic/a1", "http://pic/a2"}), session.urls);
  // Now the page shown, next its neighbours; the one past the end selects nothing.
  EXPECT_EQ((std::vector<Window>{{2, 1, 0, 0, -1}, {1, 1, 0, 1, -1}, {3, 1, 0, 1, -1}}), session.windows);
  EXPECT_TRUE(DownloadWithPrioritySession::allocCalculateSequenceArray(3, 3, 1, 0, -1).empty());

  // The cell left behind is zoomed back (parked, or reused for another page); page 0's previous
  // range starts at −1 and selects nothing.
  auto last = viewer->currentCell();
  ASSERT_TRUE(last && last->showsPicture());
  last->imageScrollView()->setZoomScale(2.0f);
  session.windows.clear();
  grid(*viewer).setPage(0, false);
  settle(0);
  EXPECT_EQ("1/3", viewer->numberLabel()->text());
  EXPECT_EQ((std::vector<Window>{{0, 1, 0, 0, -1}, {-1, 1, 0, 1, -1}, {1, 1, 0, 1, -1}}), session.windows);
  EXPECT_TRUE(DownloadWithPrioritySession::allocCalculateSequenceArray(3, -1, 1, 0, -1).empty());
  EXPECT_EQ(1.0f, last->imageScrollView()->zoomScale());
  // The page on screen is kept for the next appearance.
  viewer->viewWillDisappear(false);
  EXPECT_EQ(0, viewer->pictureIndex());
}

TEST_F(NewPictureViewControllerTest, WithoutPicturesNothingIsAskedAndTheBottomBarIsInactive) {
  auto viewer = show(NewPictureViewController::initWithDetail(article("Empty", {}), 3));
  EXPECT_EQ(0, viewer->pictureIndex());
  EXPECT_EQ(0u, viewer->imageCount());
  EXPECT_TRUE(engine_->sessions.empty());
  EXPECT_FALSE(viewer->bigPictureSession());
  EXPECT_FALSE(viewer->bottomBarView()->isUserInteractionEnabled());
  EXPECT_EQ("", viewer->numberLabel()->text());
  EXPECT_TRUE(viewer->midBarView()->isHidden());
  viewer->saveOnePicture();
  EXPECT_EQ(NewPictureViewController::kSaveFailedText, notice());
}

TEST_F(NewPictureViewControllerTest, OneResultReloadsEveryPageOfItsAddressAndALaterPictureClearsAFailure) {
  // Pictures 0 and 1 share an address; 2 has none; 3 is cached but is no picture.
  auto pictures = addresses("b", 5);
  pictures[1].url = "http://pic/b0";
  pictures[2].url = std::nullopt;
  auto viewer = show(NewPictureViewController::initWithDetail(article("Shared", pictures), 0));
  std::ofstream(home_.path() / "broken.png") << "not a picture";
  engine_->cachedFiles["http://pic/b3"] = (home_.path() / "broken.png").string();
  auto& session = *engine_->sessions[0];
  // The picture without an address keeps its place: the session gets a null for it.
  EXPECT_EQ((DownloadWithPrioritySession::UrlList{"http://pic/b0", "http://pic/b0", std::nullopt, "http://pic/b3",
                                                  "http://pic/b4"}),
            session.urls);
  EXPECT_EQ((std::vector<bool>{false, false, true, false, false}), viewer->downloadFailed());
  settle(1);
  auto cell0 = viewer->cellAt(0);
  auto cell1 = viewer->cellAt(1);
  ASSERT_TRUE(cell0 && cell1);
  EXPECT_TRUE(cell0->imageView()->isHidden());
  EXPECT_FALSE(cell0->indicatorView()->isHidden());

  // One result for the shared address shows it on both pages.
  const auto path = cache("http://pic/b0", 400, 300);
  viewer->onDownloadResult(viewer->bigPictureSession(), "http://pic/b0", path);
  settle(1);
  grid(*viewer).prepareCells();  // the reload remakes the page on screen; its neighbour now
  EXPECT_TRUE(viewer->cellAt(0)->showsPicture());
  EXPECT_TRUE(viewer->cellAt(1)->showsPicture());
  EXPECT_FALSE(viewer->cellAt(1)->imageView()->isHidden());
  EXPECT_TRUE(viewer->cellAt(1)->indicatorView()->isHidden());

  // A failure shows the failure picture centred at its own size; a later picture replaces it.
  grid(*viewer).setPage(4, false);
  settle(1);
  viewer->onDownloadResult(viewer->bigPictureSession(), "http://pic/b4", std::nullopt);
  settle(1);
  EXPECT_TRUE(viewer->downloadFailed()[4]);
  auto failed = viewer->cellAt(4);
  ASSERT_TRUE(failed && failurePicture());
  EXPECT_EQ(failurePicture(), failed->imageView()->image());
  // Pages are the grid less a point each way: 319 × 479.
  EXPECT_EQ(ui::Rect(109.5f, 199.5f, 100, 80), failed->imageView()->frame());
  snapshotScreen("pictures-failed");
  // A result of another session is not this viewer's.
  auto other = std::make_shared<SpySession>(DownloadWithPrioritySession::UrlList{});
  viewer->onDownloadResult(other, "http://pic/b4", cache("http://pic/b4", 300, 400));
  EXPECT_TRUE(viewer->downloadFailed()[4]);
  viewer->onDownloadResult(viewer->bigPictureSession(), "http://pic/b4", engine_->cachedFiles["http://pic/b4"]);
  settle(1);
  EXPECT_FALSE(viewer->downloadFailed()[4]);
  EXPECT_TRUE(viewer->cellAt(4)->showsPicture());

  // The page without an address and the file that does not decode both show the failure picture.
  grid(*viewer).setPage(3, false);
  settle(1);
  EXPECT_EQ(failurePicture(), viewer->cellAt(2)->imageView()->image());
  EXPECT_EQ(failurePicture(), viewer->cellAt(3)->imageView()->image());
  EXPECT_TRUE(viewer->downloadFailed()[3]);
  // Saving a picture that does not decode fails at once.
  viewer->saveOnePicture();
  EXPECT_EQ(NewPictureViewController::kSaveFailedText, notice());
}

TEST_F(NewPictureViewControllerTest, PictureLayoutFitsTheShapeAndZoomKeepsThePictureCentred) {
  PictureView::registerNib();
  auto cell = PictureView::load();
  ASSERT_TRUE(cell);
  cell->setFrame(ui::Rect(0, 0, 320, 480));
  auto& scroll = *cell->imageScrollView();
  auto wide = ui::Image::create(640, 320);
  ASSERT_TRUE(cell->showPicture(wide));
  EXPECT_EQ(ui::Rect(0, 160, 320, 160), cell->imageView()->frame());
  EXPECT_FLOAT_EQ(3.0f, scroll.maximumZoomScale());  // 640 / 320 × 1.5
  EXPECT_EQ(ui::Size(320, 480), scroll.contentSize());
  // Zoomed twice the picture is 640 × 320: wider than the page, still lower, so centred upright.
  scroll.setZoomScale(2.0f);
  EXPECT_EQ(ui::Size(640, 480), scroll.contentSize());
  EXPECT_EQ(ui::Rect(0, 80, 640, 320), cell->imageView()->frame());
  // About to turn: laid out for 480 × 320.
  cell->resetImageRotate(true);
  EXPECT_EQ(1.0f, scroll.zoomScale());
  EXPECT_EQ(ui::Rect(0, 40, 480, 240), cell->imageView()->frame());
  EXPECT_FLOAT_EQ(2.0f, scroll.maximumZoomScale());  // 640 / 480 × 1.5

  auto tall = ui::Image::create(300, 900);
  ASSERT_TRUE(cell->showPicture(tall));
  EXPECT_EQ(ui::Rect(80, 0, 160, 480), cell->imageView()->frame());
  EXPECT_FLOAT_EQ(900.0f / 480 * 1.5f, scroll.maximumZoomScale());
  // A picture smaller than the page may still grow to 1.5.
  ASSERT_TRUE(cell->showPicture(ui::Image::create(100, 50)));
  EXPECT_EQ(ui::Rect(0, 160, 320, 160), cell->imageView()->frame());
  EXPECT_FLOAT_EQ(1.5f, scroll.maximumZoomScale());
  // Nothing to fit: refused, the page unchanged.
  EXPECT_FALSE(cell->showPicture(nullptr));
  EXPECT_TRUE(cell->showsPicture());
  cell->setFrame(ui::Rect(0, 0, 0, 0));
  cell->resetImageRotate(false);
  EXPECT_EQ(ui::Rect(0, 160, 320, 160), cell->imageView()->frame());
}

TEST_F(NewPictureViewControllerTest, ThePanelShowsTheExifTextAndItsFoldStateHoldsForTheNextViewer) {
  cache("http://pic/c0", 300, 450, ui::Color::rgba8(70, 120, 90), "Chapel steps");
  std::vector<Picture> pictures = {
      {"http://pic/c0", "Harbour at dawn", {{"相机", "X100"}, {"光圈", "f/8"}}},
      {"http://pic/c1", "", {}},
      {"http://pic/c2", std::nullopt, {{"ISO", "200"}}},
  };
  auto viewer = show(NewPictureViewController::initWithDetail(article("Morning boats", pictures), 0));
  EXPECT_TRUE(viewer->hasPicutrueInfo());
  EXPECT_EQ("Harbour at dawn\n\n相机 : X100\n光圈 : f/8", viewer->descriptLable()->text());
  const ui::Rect open = viewer->midBarView()->frame();
  EXPECT_EQ(445.0f, open.origin.y + open.size.height);  // 35 above the bottom
  EXPECT_FALSE(viewer->foldButton()->isHidden());
  EXPECT_TRUE(viewer->unfoldButton()->isHidden());
  snapshotScreen("pictures-bars-open");

  viewer->foldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(viewer->isDetailFold());  // the state flips when the fold has ended
  settle(0.3);
  EXPECT_TRUE(viewer->isDetailFold());
  EXPECT_TRUE(UserDefaults::standard().boolForKey(NewPictureViewController::kFoldKey));
  EXPECT_EQ(ui::Rect(0, 445, 320, 0), viewer->midBarView()->frame());
  EXPECT_TRUE(viewer->foldButton()->isHidden());
  EXPECT_FALSE(viewer->unfoldButton()->isHidden());
  snapshotScreen("pictures-panel-folded");

  // An empty title without infos: no panel, no fold buttons; infos alone have no blank line.
  viewer->handleSwipeOnDesciptionView(ui::kSwipeDirectionLeft);
  settle(1);
  EXPECT_EQ(1, grid(*viewer).getCurPage());
  EXPECT_FALSE(viewer->hasPicutrueInfo());
  EXPECT_TRUE(viewer->midBarView()->isHidden());
  EXPECT_FALSE(viewer->foldButton()->isEnabled());
  viewer->showDetail();
  settle(0.3);
  EXPECT_TRUE(viewer->isDetailFold());
  viewer->handleSwipeOnDesciptionView(ui::kSwipeDirectionLeft);
  settle(1);
  EXPECT_EQ("ISO : 200", viewer->descriptLable()->text());
  viewer->back();
  settle(1);

  // The next viewer opens folded, and unfolding opens the panel above the bottom bar.
  auto next = show(NewPictureViewController::initWithDetail(article("Morning boats", pictures), 0));
  EXPECT_TRUE(next->isDetailFold());
  EXPECT_EQ(ui::Rect(0, 445, 320, 0), next->midBarView()->frame());
  next->unfoldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.3);
  EXPECT_FALSE(next->isDetailFold());
  EXPECT_EQ(open, next->midBarView()->frame());
  EXPECT_FALSE(UserDefaults::standard().boolForKey(NewPictureViewController::kFoldKey));
  next->back();
  settle(1);
  // A text higher than 100 points is cut to 100 and scrolls.
  std::vector<std::pair<std::string, std::string>> many;
  for (int i = 0; i < 12; ++i) many.emplace_back("键" + std::to_string(i), "值");
  auto third = show(NewPictureViewController::initWithDetail(article("Long", {{"http://pic/d0", "Long", many}}), 0));
  EXPECT_EQ(100.0f, third->descriptScrollView()->frame().size.height);
  EXPECT_EQ(120.0f, third->midBarView()->frame().size.height);
  EXPECT_TRUE(third->descriptScrollView()->isScrollEnabled());
  EXPECT_GT(third->descriptScrollView()->contentSize().height, 100.0f);
}

// The picture is fitted to the whole page, and the bars and the open panel lie over it: showing
// or hiding them, folding or unfolding the panel, leaves it where it is. On a picture without
// panel text the fold button looks as inactive as it is.
TEST_F(NewPictureViewControllerTest, ThePictureFillsThePageUnderThePanelAndFoldsLookInactiveWithoutPanelText) {
  cache("http://pic/f0", 300, 450, ui::Color::rgba8(70, 120, 90), "Chapel steps");
  cache("http://pic/f1", 300, 450, ui::Color::rgba8(90, 70, 120), "Chapel door");
  auto viewer = show(NewPictureViewController::initWithDetail(
      article("Chapel", {{"http://pic/f0", "Steps", {{"相机", "X100"}}}, {"http://pic/f1", "", {}}}), 0));
  ASSERT_FALSE(viewer->isDetailFold());
  auto picture = [&](int page) {
    auto cell = std::dynamic_pointer_cast<PictureView>(grid(*viewer).getCellIndex(page));
    EXPECT_TRUE(cell && cell->showsPicture());
    return cell ? cell->imageView()->convertRectTo(cell->imageView()->bounds(), nullptr) : ui::Rect();
  };
  const ui::Rect panel = viewer->midBarView()->convertRectTo(viewer->midBarView()->bounds(), nullptr);
  // 300 × 450 in a page of 319 × 479: fitted to the page's width (319 × 478.5), centred in the
  // page, under the panel.
  const ui::Rect whole = picture(0);
  EXPECT_EQ(ui::Rect(0, 0.25f, 319, 478.5f), whole);
  EXPECT_GT(whole.maxY(), panel.maxY());
  snapshotScreen("pictures-under-panel-day");
  {
    testing::NightLook night;
    snapshotScreen("pictures-under-panel-night");
  }
  // The bars hidden and shown again, the panel folded and open again: the picture stays.
  for (int i = 0; i < 2; ++i) {
    viewer->handleSingleTap();
    settle(0.05);
    EXPECT_EQ(whole, picture(0));
    settle(0.3);
    EXPECT_EQ(whole, picture(0));
  }
  viewer->foldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.1);
  EXPECT_EQ(whole, picture(0));
  settle(0.3);
  EXPECT_EQ(whole, picture(0));
  viewer->unfoldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.3);
  EXPECT_EQ(whole, picture(0));

  // The next picture has no panel text, and 收起 is greyed and deaf to a finger.
  viewer->handleSwipeOnDesciptionView(ui::kSwipeDirectionLeft);
  settle(1);
  ASSERT_EQ(1, grid(*viewer).getCurPage());
  EXPECT_EQ(whole.size, picture(1).size);
  auto& fold = *viewer->foldButton();
  ASSERT_FALSE(fold.isHidden());
  EXPECT_FALSE(fold.isEnabled());
  EXPECT_LT(fold.titleLabel()->textColor().alpha, 0.5f);
  window_->tap(fold.convertPointTo(ui::Point(30, 15), nullptr));
  settle(0.3);
  EXPECT_FALSE(viewer->isDetailFold());
  EXPECT_TRUE(viewer->midBarView()->isHidden());
}

// A second press on the fold button while the panel still folds does not flip the state back:
// the panel, the buttons and the kept choice agree once it has folded.
TEST_F(NewPictureViewControllerTest, APressWhileThePanelFoldsLeavesItFolded) {
  auto viewer = show(NewPictureViewController::initWithDetail(
      article("Folds", {{"http://pic/t0", "Quay", {{"k", "v"}}}}), 0));
  ASSERT_TRUE(viewer->hasPicutrueInfo());
  viewer->foldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.1);
  viewer->foldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_EQ(ui::Rect(0, 445, 320, 0), viewer->midBarView()->frame());
  EXPECT_TRUE(viewer->isDetailFold());
  EXPECT_TRUE(UserDefaults::standard().boolForKey(NewPictureViewController::kFoldKey));
  EXPECT_TRUE(viewer->foldButton()->isHidden());
  EXPECT_FALSE(viewer->unfoldButton()->isHidden());
  // Unfolding still works after it.
  viewer->unfoldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_FALSE(viewer->isDetailFold());
  EXPECT_GT(viewer->midBarView()->frame().size.height, 0.0f);
}

// A page turned while the panel folds lays the panel out for the state the fold ends in.
TEST_F(NewPictureViewControllerTest, APageTurnedWhileThePanelFoldsShowsItFolded) {
  auto viewer = show(NewPictureViewController::initWithDetail(
      article("Folds", {{"http://pic/u0", "Quay", {{"k", "v"}}}, {"http://pic/u1", "Pier", {{"k", "w"}}}}), 0));
  viewer->foldButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(0.1);
  viewer->handleSwipeOnDesciptionView(ui::kSwipeDirectionLeft);
  settle(1);
  ASSERT_EQ(1, grid(*viewer).getCurPage());
  EXPECT_EQ("Pier\n\nk : w", viewer->descriptLable()->text());
  EXPECT_TRUE(viewer->isDetailFold());
  EXPECT_EQ(ui::Rect(0, 445, 320, 0), viewer->midBarView()->frame());
  EXPECT_FALSE(viewer->unfoldButton()->isHidden());
}

TEST_F(NewPictureViewControllerTest, ASingleTapTogglesTheBarsAfterAFifthOfASecondUnlessADoubleTapZooms) {
  cache("http://pic/e0", 640, 320);
  auto viewer = show(NewPictureViewController::initWithDetail(
      article("Taps", {{"http://pic/e0", "Tide", {{"k", "v"}}}, {"http://pic/e1", {}, {}}}), 0));
  window_->tap(ui::Point{160, 240});
  settle(0.19);
  EXPECT_FALSE(viewer->isBarHidden());
  settle(0.01);
  EXPECT_TRUE(viewer->isBarHidden());
  EXPECT_EQ(0.0f, viewer->topBarView()->alpha());
  EXPECT_EQ(0.0f, viewer->bottomBarView()->alpha());
  EXPECT_EQ(0.0f, viewer->titleLabel()->alpha());
  EXPECT_EQ(0.0f, viewer->midBarView()->alpha());
  EXPECT_TRUE(ui::Application::shared().isStatusBarHidden());
  settle(1);

  // Two quick taps: the pending toggle is cancelled and the picture zooms to 2, then back to 1.
  window_->tap(ui::Point{160, 240});
  settle(0.1);
  window_->tap(ui::Point{160, 240});
  settle(1);
  EXPECT_TRUE(viewer->isBarHidden());
  EXPECT_EQ(2.0f, viewer->currentCell()->imageScrollView()->zoomScale());
  viewer->handleDoubleTap();
  settle(1);
  EXPECT_EQ(1.0f, viewer->currentCell()->imageScrollView()->zoomScale());
  viewer->handleSingleTap();
  settle(1);
  EXPECT_FALSE(viewer->isBarHidden());
  EXPECT_EQ(1.0f, viewer->topBarView()->alpha());
  // A toggle still pending when the viewer goes does nothing.
  viewer->handleSingleTap();
  std::weak_ptr<NewPictureViewController> weak = viewer;
  viewer->back();
  viewer.reset();
  settle(1);
  EXPECT_TRUE(weak.expired());
  EXPECT_FALSE(ui::Application::shared().isStatusBarHidden());
}

TEST_F(NewPictureViewControllerTest, APinchZoomsThePictureAndKeepsItCentredWhileItIsLowerThanThePage) {
  cache("http://pic/p0", 640, 320);
  auto viewer = show(NewPictureViewController::initWithDetail(article("Pinch", addresses("p", 2)), 0));
  auto a = window_->beginTouch(ui::Point{110, 240});
  auto b = window_->beginTouch(ui::Point{210, 240});
  for (int step = 1; step <= 5; ++step) {
    const float d = 100 + 20.0f * step;
    window_->moveTouch(a, ui::Point{160 - d / 2, 240});
    window_->moveTouch(b, ui::Point{160 + d / 2, 240});
  }
  window_->endTouch(a);
  window_->endTouch(b);
  settle(1);
  EXPECT_EQ(0, grid(*viewer).getCurPage());
  EXPECT_FALSE(viewer->isBarHidden());  // two fingers are no tap
  auto& scroll = *viewer->currentCell()->imageScrollView();
  EXPECT_NEAR(2.0f, scroll.zoomScale(), 0.05f);
  // Twice the fitted 319 × 159.5: wider than the page, still lower, so centred from top to bottom.
  const ui::Rect picture = viewer->currentCell()->imageView()->frame();
  EXPECT_NEAR(479.0f, scroll.contentSize().height, 0.01f);
  EXPECT_NEAR(239.5f, picture.origin.y + picture.size.height / 2, 0.01f);
  EXPECT_NEAR(scroll.contentSize().width, picture.size.width, 0.01f);
}

TEST_F(NewPictureViewControllerTest, AnAlbumMovesToTheNeighbouringArticleBehindTheTransitionPage) {
  cache("http://pic/f1", 500, 375, ui::Color::rgba8(150, 90, 60));
  cache("http://pic/g0", 500, 375, ui::Color::rgba8(60, 90, 150));
  cache("http://pic/g2", 500, 375, ui::Color::rgba8(150, 90, 60));
  auto first = article("First album", addresses("f", 2));
  auto second = article("Second album", addresses("g", 3));
  auto empty = article("No pictures", {});
  auto viewer = album({first, second, empty}, 1, 2);
  EXPECT_EQ((std::vector<int64_t>{1}), delegate_->detailIndexes);
  EXPECT_EQ(2, grid(*viewer).getCurPage());

  // Past the last picture: the next article has none, so nothing happens.
  viewer->movePageOverEndOnGridView(grid(*viewer));
  EXPECT_FALSE(viewer->isLoadPics());
  EXPECT_FALSE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));

  // Before the first: the previous article's page comes in from the left, once.
  viewer->movePageOverBeginOnGridView(grid(*viewer));
  viewer->movePageOverBeginOnGridView(grid(*viewer));
  EXPECT_TRUE(viewer->isLoadPics());
  EXPECT_FALSE(viewer->isLoadRight());
  auto page = viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag);
  ASSERT_TRUE(page);
  EXPECT_EQ(ui::Rect(0, 0, 320, 480), page->frame());  // the model value; the slide is animated
  auto title = std::dynamic_pointer_cast<ui::Label>(page->subviews().front());
  ASSERT_TRUE(title);
  EXPECT_EQ("First album", title->text());
  settle(0.25);
  snapshotScreen("pictures-transition");
  // Half-way in from the left over the picture: black on the left, the picture on the right.
  auto midway = ui::renderScreen();
  EXPECT_EQ(ui::Color::rgba8(0, 0, 0), midway->colorAt(10, 140));
  EXPECT_EQ(ui::Color::rgba8(150, 90, 60), midway->colorAt(300, 140));
  settle(0.15);
  auto& oldSession = *engine_->sessions[0];
  settle(0.29);
  EXPECT_EQ(1, viewer->detailIndex());
  EXPECT_FALSE(oldSession.closed);
  settle(0.01);
  // Loaded on its last picture with a new session; the old one closed.
  EXPECT_FALSE(viewer->isLoadPics());
  EXPECT_EQ(0, viewer->detailIndex());
  EXPECT_EQ((std::vector<int64_t>{1, 0}), delegate_->detailIndexes);
  EXPECT_TRUE(oldSession.closed);
  ASSERT_EQ(2u, engine_->sessions.size());
  EXPECT_EQ((DownloadWithPrioritySession::UrlList{"http://pic/f0", "http://pic/f1"}), engine_->sessions[1]->urls);
  EXPECT_EQ((std::vector<Window>{{1, 1, 0, 0, -1}, {0, 1, 0, 1, -1}, {2, 1, 0, 1, -1}}), engine_->sessions[1]->windows);
  EXPECT_EQ(1, grid(*viewer).getCurPage());
  EXPECT_EQ("2/2", viewer->numberLabel()->text());
  EXPECT_TRUE(viewer->currentCell()->showsPicture());
  EXPECT_EQ("First album", viewer->titleLabel()->text());
  EXPECT_TRUE(viewer->view()->isUserInteractionEnabled());
  // The page leaves 1.0 s later, sliding out to the right, and is gone when the slide ends.
  settle(0.99);
  EXPECT_TRUE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  settle(0.01);
  EXPECT_EQ(320.0f, page->frame().origin.x);
  settle(0.3);
  EXPECT_FALSE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));

  // The first article has no previous one; past its end the second comes back on its first picture.
  viewer->movePageOverBeginOnGridView(grid(*viewer));
  EXPECT_FALSE(viewer->isLoadPics());
  viewer->movePageOverEndOnGridView(grid(*viewer));
  settle(0.7);
  EXPECT_EQ(1, viewer->detailIndex());
  EXPECT_EQ(0, grid(*viewer).getCurPage());
  settle(2);
  // Closing reports the article it closed on and closes the session.
  viewer->back();
  EXPECT_EQ((std::vector<int64_t>{1}), delegate_->backIndexes);
  EXPECT_TRUE(engine_->sessions.back()->closed);
  settle(1);
  EXPECT_FALSE(opener_->modalViewController());
}

TEST_F(NewPictureViewControllerTest, StepsOfAMoveDoNothingOnceTheViewerHasGone) {
  auto viewer = album({article("One", addresses("h", 1)), article("Two", addresses("i", 1))}, 0, 0);
  viewer->movePageOverEndOnGridView(grid(*viewer));
  std::weak_ptr<NewPictureViewController> weak = viewer;
  viewer->back();
  // Still held while it slides away: the move is over, no article loads and no session opens.
  settle(1);
  EXPECT_FALSE(viewer->isLoadPics());
  EXPECT_EQ(0, viewer->detailIndex());
  EXPECT_EQ(1u, engine_->sessions.size());
  EXPECT_FALSE(viewer->bigPictureSession());
  viewer.reset();
  ASSERT_TRUE(weak.expired());
  settle(3);
  EXPECT_EQ((std::vector<int64_t>{0}), delegate_->detailIndexes);
  EXPECT_EQ((std::vector<int64_t>{0}), delegate_->backIndexes);
  // A move the viewer's going cut short.
  viewer = album({article("One", addresses("h", 1)), article("Two", addresses("i", 1))}, 0, 0);
  viewer->movePageOverEndOnGridView(grid(*viewer));
  weak = viewer;
  opener_->dismissModalViewController(false);
  viewer.reset();
  ASSERT_TRUE(weak.expired());
  settle(3);
  EXPECT_EQ(2u, engine_->sessions.size());
  // Past the end of the list's last article nothing comes.
  auto lastOne = album({article("One", addresses("h", 1)), article("Two", addresses("i", 1))}, 1, 0);
  lastOne->movePageOverEndOnGridView(grid(*lastOne));
  EXPECT_FALSE(lastOne->isLoadPics());
  EXPECT_FALSE(lastOne->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  lastOne->back();
  settle(1);
  // Single-article mode has no list to move in.
  auto single = show(NewPictureViewController::initWithDetail(article("Alone", addresses("j", 2)), 1));
  single->movePageOverEndOnGridView(grid(*single));
  EXPECT_FALSE(single->isLoadPics());
}

// The transition page of the last move is still on the view while it slides out: a drag past
// the first picture then starts no move, and once the page is gone the next drag moves again.
TEST_F(NewPictureViewControllerTest, ADragWhileTheTransitionPageLeavesLeavesTheAlbumMovable) {
  auto viewer = album({article("One", addresses("q", 2)), article("Two", addresses("r", 2)),
                       article("Three", addresses("s", 2))},
                      1, 1);
  viewer->movePageOverEndOnGridView(grid(*viewer));
  settle(0.7);
  ASSERT_EQ(2, viewer->detailIndex());
  settle(1.0);  // the page starts sliding out; the grid shows through where it was
  ASSERT_TRUE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  viewer->movePageOverBeginOnGridView(grid(*viewer));
  EXPECT_FALSE(viewer->isLoadPics());
  settle(1);
  EXPECT_FALSE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  EXPECT_EQ(2, viewer->detailIndex());
  viewer->movePageOverBeginOnGridView(grid(*viewer));
  EXPECT_TRUE(viewer->isLoadPics());
  settle(0.7);
  EXPECT_EQ(1, viewer->detailIndex());
  EXPECT_EQ(1, grid(*viewer).getCurPage());
  EXPECT_EQ("2/2", viewer->numberLabel()->text());
}

// A drag past the last picture brings the next article: it opens on its first picture and stays
// there, whether the old pages still spring back from the pull when it comes or the finger
// still holds them (it then comes once the finger lets go), never carried on to where the old
// pages were going.
TEST_F(NewPictureViewControllerTest, TheNextArticleIsNotMovedByTheDragThatBroughtIt) {
  auto viewer = album({article("One", addresses("t", 2)), article("Two", addresses("u", 3)),
                       article("Three", addresses("v", 2))},
                      0, 1);
  auto& scroll = *grid(*viewer).contentScrollView();
  auto pullPastTheEnd = [&](double held) {
    scroll.beginDrag(ui::Point{300, 240});
    for (float x = 280; x >= 40; x -= 40) {
      clock_.clock()->advance(0.016);
      scroll.dragTo(ui::Point{x, 240});
    }
    ASSERT_TRUE(viewer->isLoadPics());
    for (double t = 0; t < held; t += 0.05) settle(0.05);
    scroll.endDrag();
    for (int step = 0; step < 40; ++step) settle(0.05);
  };
  ASSERT_EQ(1, grid(*viewer).getCurPage());
  // Let go before the next article comes: it comes while the pages spring back.
  pullPastTheEnd(0.5);
  ASSERT_EQ(1, viewer->detailIndex());
  EXPECT_EQ(0, grid(*viewer).getCurPage());
  EXPECT_EQ("1/3", viewer->numberLabel()->text());
  EXPECT_EQ(0.0f, scroll.contentOffset().x);

  // Held past the time it would come: it comes when the finger lets go.
  grid(*viewer).setPage(2, false);
  settle(1);
  ASSERT_FALSE(viewer->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  pullPastTheEnd(1.5);
  ASSERT_EQ(2, viewer->detailIndex());
  EXPECT_EQ(0, grid(*viewer).getCurPage());
  EXPECT_EQ("1/2", viewer->numberLabel()->text());
  EXPECT_EQ(0.0f, scroll.contentOffset().x);
}

TEST_F(NewPictureViewControllerTest, TheViewerTurnsToLandscapeAndReloadsTheNeighbours) {
  cache("http://pic/k1", 640, 320, ui::Color::rgba8(30, 80, 120));
  auto viewer = show(NewPictureViewController::initWithDetail(
      article("Wide harbour", {{"http://pic/k0", {}, {}}, {"http://pic/k1", "Wide", {{"镜头", "23mm"}}},
                               {"http://pic/k2", {}, {}}, {std::nullopt, {}, {}}}),
      1));
  auto cell = viewer->currentCell();
  ASSERT_TRUE(cell && cell->showsPicture());
  // Pages are the grid less a point each way: 319 × 479, then 479 × 319.
  EXPECT_EQ(ui::Rect(0, 159.75f, 319, 159.5f), cell->imageView()->frame());
  // The neighbours were made waiting; their pictures arrive in the cache meanwhile.
  cache("http://pic/k0", 200, 300);
  cache("http://pic/k2", 200, 300);
  ASSERT_TRUE(ui::InterfaceRotation::deviceDidTurn(Orientation::kLandscapeRight, false));
  settle(0);
  EXPECT_EQ(ui::Size(480, 320), viewer->screenSize());
  EXPECT_EQ(ui::Size(480, 320), viewer->view()->bounds().size);
  EXPECT_EQ(1, grid(*viewer).getCurPage());
  cell = viewer->currentCell();
  ASSERT_TRUE(cell);
  EXPECT_EQ(ui::Rect(0, 39.75f, 479, 239.5f), cell->imageView()->frame());
  grid(*viewer).prepareCells();
  ASSERT_TRUE(viewer->cellAt(0) && viewer->cellAt(2));
  EXPECT_TRUE(viewer->cellAt(0)->showsPicture());
  EXPECT_TRUE(viewer->cellAt(2)->showsPicture());
  const ui::Rect panel = viewer->midBarView()->frame();
  EXPECT_EQ(480.0f, panel.size.width);
  EXPECT_EQ(285.0f, panel.origin.y + panel.size.height);
  EXPECT_EQ(ui::Rect(0, 285, 480, 35), viewer->bottomBarView()->frame());
  snapshot(*viewer->view(), "pictures-landscape");
  ASSERT_TRUE(ui::InterfaceRotation::deviceDidTurn(Orientation::kPortrait, false));
  settle(0);
  EXPECT_EQ(ui::Size(320, 480), viewer->view()->bounds().size);
  EXPECT_EQ(ui::Rect(0, 159.75f, 319, 159.5f), viewer->currentCell()->imageView()->frame());
  // The failure picture of a page without an address is centred again on the turned page.
  grid(*viewer).setPage(3, false);
  settle(1);
  ASSERT_TRUE(viewer->currentCell() && viewer->currentCell()->showsFailure());
  EXPECT_EQ(ui::Rect(109.5f, 199.5f, 100, 80), viewer->currentCell()->imageView()->frame());
  ASSERT_TRUE(ui::InterfaceRotation::deviceDidTurn(Orientation::kLandscapeLeft, false));
  settle(0);
  EXPECT_EQ(3, grid(*viewer).getCurPage());
  EXPECT_EQ(ui::Rect(189.5f, 119.5f, 100, 80), viewer->currentCell()->imageView()->frame());
}

TEST_F(NewPictureViewControllerTest, SavingWritesTheCachedPictureToTheAlbumAndSharingOpensTheShareScreen) {
  const auto album = home_.path() / "album";
  std::filesystem::create_directories(album);
  ui::PhotoAlbum::setFolder(album);
  cache("http://pic/m1", 120, 90);
  auto detail = article("Keep", addresses("m", 2));
  auto viewer = show(NewPictureViewController::initWithDetail(detail, 1));
  viewer->saveButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  // Encoded and written on the album's worker; the notice comes on the main loop.
  ASSERT_TRUE(RunLoop::main()->runUntil(
      [&] { return notice() == NewPictureViewController::kSavedText; }, 10));
  ASSERT_TRUE(std::filesystem::exists(album / "IMG_0001.png"));
  EXPECT_EQ(ui::Size(120, 90), ui::Image::fromFile(album / "IMG_0001.png")->size());
  settle(2);
  // Not cached: "保存失败" at once, nothing written.
  grid(*viewer).setPage(0, false);
  settle(0);
  viewer->saveOnePicture();
  EXPECT_EQ(NewPictureViewController::kSaveFailedText, notice());
  EXPECT_FALSE(std::filesystem::exists(album / "IMG_0002.png"));
  settle(2);
  // A save that ends after the viewer went shows nothing.
  grid(*viewer).setPage(1, false);
  settle(0);
  viewer->saveOnePicture();
  std::weak_ptr<NewPictureViewController> weak = viewer;
  viewer.reset();
  opener_->dismissModalViewController(false);
  ASSERT_TRUE(weak.expired());
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(NewPictureViewController::kSaveToastKind, "before");
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return std::filesystem::exists(album / "IMG_0002.png"); }, 10));
  settle(0);  // the save's completion, which finds no viewer
  EXPECT_EQ("before", notice());

  // Sharing: the share screen by name with the article and the page as the picture to post.
  viewer = show(NewPictureViewController::initWithDetail(detail, 1));
  viewer->shareButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  ASSERT_EQ((std::vector<std::string>{ScreenRequest::kShareNib}), openedScreens());
  const auto& parameters = StandInScreen::requests().back().parameters;
  EXPECT_EQ(1, parameters.get("postImageIndex").intValue());
  EXPECT_EQ(detail, parameters.get("newsdetail").asObject<NewsDetail>());
  EXPECT_EQ(viewer, parameters.get("newsBrowseController").asObject<NewPictureViewController>());
  EXPECT_TRUE(std::dynamic_pointer_cast<ui::NavigationController>(viewer->modalViewController()));
}

TEST_F(NewPictureViewControllerTest, OpenedByNameTheViewerTakesTheRequestsParameters) {
  auto detail = article("By name", addresses("n", 3));
  auto item = summary("n", kNow, 1);
  item->setDetail(detail);
  Array list{Value(summary("before", kNow)), Value(item)};
  auto request = std::make_shared<ScreenRequest>(
      ScreenRequest::kPictureViewerNib,
      Dictionary{{"summaryArray", Value(list)}, {"detailIndex", 1}, {"picIndex", 2},
                 {"delegate", Value(std::static_pointer_cast<Object>(std::make_shared<NewsSummary>()))}});
  auto viewer = std::dynamic_pointer_cast<NewPictureViewController>(request->load());
  ASSERT_TRUE(viewer);
  EXPECT_EQ(2u, viewer->summaryArray()->size());
  EXPECT_EQ(detail, viewer->detailData());
  EXPECT_EQ(2, viewer->pictureIndex());
  EXPECT_EQ("By name", viewer->photosTitle());
  EXPECT_FALSE(viewer->delegate());  // not a viewer's delegate
  request = std::make_shared<ScreenRequest>(ScreenRequest::kPictureViewerNib,
                                            Dictionary{{"detail", Value(detail)}, {"index", 1}, {"summary", Value(item)}});
  viewer = std::dynamic_pointer_cast<NewPictureViewController>(request->load());
  ASSERT_TRUE(viewer);
  EXPECT_FALSE(viewer->summaryArray());
  EXPECT_EQ(1, viewer->pictureIndex());
  EXPECT_EQ(item, viewer->summaryData());
}

}  // namespace
}  // namespace zu
