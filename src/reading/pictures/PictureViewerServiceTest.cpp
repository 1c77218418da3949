// The picture viewer against the sample service, through the whole engine: the album column's
// first article opened from its list, a picture link of its page followed, the album's pictures
// coming into the viewer's pages through a real prioritised session (the picture without an
// address showing the failure picture), one saved to a photo album folder, and a drag past the
// last picture moving on to the next album (and past that one's last into an album without
// pictures doing nothing).
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/EngineTestSupport.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "platform/web/RecordingWebBackend.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/browser/NewsBrowseController.h"
#include "reading/browser/NewsWebView.h"
#include "reading/pictures/PictureView.h"
#include "reading/support/ReadingServiceTestSupport.h"
#include "reading/list/ReportContentController.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "shell/app/ScreenRequest.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "testing/TestFiles.h"
#include "views/GridView.h"

namespace zu {
namespace {

class PictureViewerServiceTest : public testing::ReadingServiceFixture {
 protected:
  void SetUp() override {
    ReadingServiceFixture::SetUp();
    const std::string failure = NewPictureViewController::kFailurePicture;
    writeBundleFile(failure, TestFiles::read(std::filesystem::path(ZU_SOURCE_DIR) / "resources" / failure));
    ui::Image::clearNamedCache();
  }
  void TearDown() override {
    if (viewer_) viewer_->back();
    viewer_.reset();
    SPWaitingSavePhoto::resign();
    ui::PhotoAlbum::setFolder(std::nullopt);
    NewsBrowseController::clearErrorAlertShown();
    ReadingServiceFixture::TearDown();
  }

  // The album column's list, its first album opened in the browser and its page loaded.
  std::shared_ptr<ScrolledNewsBrowseController> openFirstAlbum() {
    auto list = std::dynamic_pointer_cast<ReportContentController>(ScreenRequest::articleList(columns_["col-photo"]));
    EXPECT_TRUE(list);
    if (!list) return nullptr;
    list->setEngine(std::make_shared<testing::LoopbackListEngine>());
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    EXPECT_TRUE(turnUntil([&] { return list->dataSource()->size() == 3 && !list->loadingView(); }));
    list->contenttable()->layoutIfNeeded();
    auto row = std::dynamic_pointer_cast<ReportContentTableCellForImage>(
        list->contenttable()->cellForRow(ui::IndexPath::forRow(0, 0)));
    EXPECT_TRUE(row);
    if (!row) return nullptr;
    row->contentCellButtonFirst()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
    auto browser = std::dynamic_pointer_cast<ScrolledNewsBrowseController>(navigation_->topViewController());
    EXPECT_TRUE(browser);
    if (!browser) return nullptr;
    EXPECT_TRUE(turnUntil([&] {
      auto page = browser->pageAt(0);
      return page && page->detailData() && !page->webView()->recorder()->calls().empty();
    }));
    return browser;
  }
  std::shared_ptr<PictureView> shownCell(int page) {
    viewer_->view()->layoutIfNeeded();
    return viewer_->cellAt(page);
  }
  // Turns until page `page` shows its downloaded picture; its size then.
  std::optional<ui::Size> pictureOn(int page) {
    std::shared_ptr<PictureView> cell;
    if (!turnUntil([&] { return (cell = shownCell(page)) && cell->showsPicture(); })) return std::nullopt;
    return cell->imageView()->image()->size();
  }
  static std::string notice() {
    auto* panel = SPWaitingSavePhoto::existing();
    return panel ? panel->viewController()->titleLable()->text() : std::string();
  }
  static ui::Size fullSize(const VeskCategory& picture) {
    return ui::Size(static_cast<float>(picture.a_width()), static_cast<float>(picture.a_height()));
  }

  std::shared_ptr<NewPictureViewController> viewer_;
};

TEST_F(PictureViewerServiceTest, AnAlbumsPicturesArriveThroughTheSessionOneIsSavedAndTheViewerMovesOn) {
  auto browser = openFirstAlbum();
  ASSERT_TRUE(browser);
  auto page = browser->pageAt(0);
  EXPECT_EQ(std::optional<std::string>("art-photo-2"), page->detailData()->entryId());
  // The article shows (the reader can tap it only then).
  auto* recorder = page->webView()->recorder();
  ASSERT_TRUE(turnUntil([&] { return !recorder->calls().empty() && recorder->calls().back().kind == web::RecordingWebBackend::Call::kLoadHtml; }));
  recorder->finishLoad();
  ASSERT_TRUE(turnUntil([&] { return page->isFinishLoad(); }));
  // The second picture of the page's strip: the viewer in album mode, on that picture.
  EXPECT_FALSE(page->webView()->recorder()->simulateNavigation("web:getimageclick;seq=2", 0));
  auto presented = std::dynamic_pointer_cast<ui::NavigationController>(browser->modalViewController());
  ASSERT_TRUE(presented);
  viewer_ = std::dynamic_pointer_cast<NewPictureViewController>(presented->topViewController());
  ASSERT_TRUE(viewer_);
  EXPECT_EQ(browser->newsSummary(), viewer_->summaryArray());
  EXPECT_EQ(0, viewer_->detailIndex());
  EXPECT_EQ(1, viewer_->pictureIndex());
  const auto pictures = viewer_->pictureArray();
  ASSERT_EQ(4u, pictures.size());
  ASSERT_EQ(4u, viewer_->pictureURLS().size());
  EXPECT_FALSE(viewer_->pictureURLS()[2]);  // the picture without an address keeps its place
  ASSERT_TRUE(viewer_->bigPictureSession());

  // The page shown comes through the session at the size its record gives (the tall one), and
  // its neighbour before it as the next one.
  EXPECT_EQ(fullSize(*pictures[1]), pictureOn(1));
  EXPECT_EQ(ui::Size(320, 480), fullSize(*pictures[1]));
  EXPECT_EQ("2/4", viewer_->numberLabel()->text());
  ASSERT_TRUE(turnUntil([&] { return engine_->getImageLocalPath(viewer_->pictureURLS()[0]).has_value(); }));
  EXPECT_EQ(1u, service_.requestsTo("/img/art-photo-2-album-2.png").size());

  // Saved to the album folder: the file there is the picture, at its size.
  const auto album = home_.path() / "album";
  ui::PhotoAlbum::setFolder(album);
  viewer_->saveButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return notice() == NewPictureViewController::kSavedText; }));
  auto saved = ui::Image::fromFile(album / "IMG_0001.png");
  ASSERT_TRUE(saved);
  EXPECT_EQ(fullSize(*pictures[1]), saved->size());

  // The picture without an address fails; the last one, a panorama, arrives.
  viewer_->bigImageGridView()->setPage(2, false);
  std::shared_ptr<PictureView> failed;
  ASSERT_TRUE(turnUntil([&] { return (failed = shownCell(2)) && !failed->imageView()->isHidden(); }));
  EXPECT_FALSE(failed->showsPicture());
  EXPECT_EQ(ui::Image::named(NewPictureViewController::kFailurePicture), failed->imageView()->image());
  EXPECT_TRUE(viewer_->downloadFailed()[2]);
  viewer_->bigImageGridView()->setPage(3, false);
  EXPECT_EQ(fullSize(*pictures[3]), pictureOn(3));
  EXPECT_GT(pictures[3]->a_width(), pictures[3]->a_height());

  // Past the last picture: the next album, once the page has its article (the browser loads the
  // neighbours the viewer reports), with a session of its own.
  auto& list = *browser->newsSummary();
  ASSERT_TRUE(turnUntil([&] { return list[1]->detail() != nullptr; }));
  const auto firstSession = viewer_->bigPictureSession();
  viewer_->movePageOverEndOnGridView(*viewer_->bigImageGridView());
  ASSERT_TRUE(turnUntil([&] { return viewer_->detailIndex() == 1 && !viewer_->isLoadPics(); }));
  EXPECT_EQ(std::optional<std::string>("art-photo-1"), viewer_->detailData()->entryId());
  EXPECT_NE(firstSession, viewer_->bigPictureSession());
  ASSERT_EQ(3u, viewer_->pictureArray().size());
  EXPECT_EQ(fullSize(*viewer_->pictureArray()[0]), pictureOn(0));
  EXPECT_EQ("1/3", viewer_->numberLabel()->text());

  // Past its last picture: the album after it has no pictures, so the viewer stays (no move, no
  // transition page once the first one has gone).
  ASSERT_TRUE(turnUntil([&] {
    return list[2]->detail() != nullptr && !viewer_->view()->viewWithTag(NewPictureViewController::kTransitionTag);
  }));
  viewer_->bigImageGridView()->setPage(2, false);
  EXPECT_EQ(fullSize(*viewer_->pictureArray()[2]), pictureOn(2));
  viewer_->movePageOverEndOnGridView(*viewer_->bigImageGridView());
  EXPECT_FALSE(viewer_->isLoadPics());
  EXPECT_FALSE(viewer_->view()->viewWithTag(NewPictureViewController::kTransitionTag));
  EXPECT_EQ(1, viewer_->detailIndex());
  EXPECT_EQ(std::optional<std::string>("art-photo-1"), viewer_->detailData()->entryId());
}

}  // namespace
}  // namespace zu
