// The picture viewer against the sample service through the whole engine: an album article's
// pictures arrive through a real prioritised session and are read back from the engine's cache,
// an address the service does not serve shows the failure picture, and the picture on screen is
// saved to the album folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/pictures/PictureView.h"
#include "reading/support/ReadingServiceTestSupport.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"

namespace zu {
namespace {

class NewPictureViewControllerServiceTest : public testing::ReadingServiceFixture {
 protected:
  void TearDown() override {
    SPWaitingSavePhoto::resign();
    ui::PhotoAlbum::setFolder(std::nullopt);
    ReadingServiceFixture::TearDown();
  }
  static std::string notice() {
    auto* panel = SPWaitingSavePhoto::existing();
    return panel ? panel->viewController()->titleLable()->text() : std::string();
  }
};

TEST_F(NewPictureViewControllerServiceTest, AnAlbumArticlesPicturesArriveThroughARealSessionAndOneIsSaved) {
  const auto album = home_.path() / "album";
  std::filesystem::create_directories(album);
  ui::PhotoAlbum::setFolder(album);
  const std::vector<std::optional<std::string>> urls = {service_.baseUrl() + "/img/art-photo-2-picture.png",
                                                        service_.baseUrl() + "/no-such-place/picture.png",
                                                        std::nullopt};
  auto detail = std::make_shared<NewsDetail>();
  detail->setTitle(std::string("Album"));
  for (const auto& url : urls) {
    auto picture = std::make_shared<VeskCategory>();
    picture->setA_href(url);
    detail->appendVeskCategorys(picture);
  }
  auto summary = std::make_shared<NewsSummary>();
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(1);
  summary->setVeskEntryStatus(status);
  summary->setDetail(detail);
  auto list = std::make_shared<NewPictureViewController::Items>(NewPictureViewController::Items{summary});

  auto opener = std::make_shared<ui::ViewController>(std::nullopt);
  ui::ViewController::installAsRoot(*window_, opener);
  auto viewer = NewPictureViewController::initWithSummaryArray(list, 0, 0, {});
  opener->presentModalViewController(NewPictureViewController::inNavigationController(viewer), false);
  ASSERT_TRUE(viewer->bigPictureSession());

  // The page on screen gets its picture from the engine's cache once the session reports it.
  ASSERT_TRUE(turnUntil([&] {
    auto cell = viewer->currentCell();
    return cell && cell->showsPicture();
  }));
  const auto cached = engine_->getImageLocalPath(urls[0]);
  ASSERT_TRUE(cached);
  const auto served = ui::Image::fromFile(*cached);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->size(), viewer->currentCell()->imageView()->image()->size());

  // The neighbour the service does not serve fails, and its page shows the failure picture.
  ASSERT_TRUE(turnUntil([&] { return viewer->downloadFailed()[1]; }));
  viewer->bigImageGridView()->setPage(1, false);
  ASSERT_TRUE(turnUntil([&] {
    auto cell = viewer->currentCell();
    return cell && cell->showsFailure();
  }));
  EXPECT_EQ("2/3", viewer->numberLabel()->text());

  // Back on the first picture, saving writes the cached file to the album.
  viewer->bigImageGridView()->setPage(0, false);
  viewer->saveOnePicture();
  ASSERT_TRUE(turnUntil([&] { return notice() == NewPictureViewController::kSavedText; }));
  auto saved = ui::Image::fromFile(album / "IMG_0001.png");
  ASSERT_TRUE(saved);
  EXPECT_EQ(served->size(), saved->size());
  viewer->back();
  EXPECT_FALSE(viewer->bigPictureSession());
}

}  // namespace
}  // namespace zu
