#include "shell/home/ColumnGridCell.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/core/DataEngine.h"
#include "model/columns/Column.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/text/TextMetrics.h"
#include "shell/skin/LegibilityTestSupport.h"
#include "shell/skin/MyFaceSettings.h"
#include "platform/ui/images/ImageLoader.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

std::shared_ptr<Column> column(int type, const std::string& title = "新闻") {
  auto c = std::make_shared<Column>();
  c->setTitle(title);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(type);
  c->setVeskEntryStatus(status);
  auto picture = ui::Image::create(140, 120);
  for (int i = 0; i < 140 * 120; ++i) picture->mutablePixels()[i] = 0xff3070b0u;
  c->setCoverImageData(*picture->pngData());
  return c;
}

class ColumnGridCellTest : public ::testing::Test {
 protected:
  void SetUp() override { ColumnGridCell::registerNibs(); }
  void TearDown() override {
    MyFaceSettings::setModeIsNight(false);
    ui::AnimationLog::shared().clear();
    ui::NibRegistry::shared().resetForTesting();
  }
  static float scaleOf(ui::View* view) { return view->transform().a; }
  // The cover is decoded off the main thread: turns the main loop until the tile shows it.
  static bool coverShown(ColumnGridCell& cell) {
    return turnMainLoopUntil([&] { return cell.contentImageView()->image() != nullptr; });
  }
  static std::string borderName(ColumnGridCell& cell) {
    auto image = cell.borderImageView()->image();
    return image ? image->name() : "none";
  }
};

TEST_F(ColumnGridCellTest, BuiltFromBothFilesWithTheirReuseIdentifiers) {
  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto add = ColumnGridCell::loadFromNib("AddColumnGridCell");
  ASSERT_TRUE(tile && add);
  EXPECT_EQ(tile->identifiy(), "ColumnGridCell");
  EXPECT_EQ(add->identifiy(), "AddColumnGridCell");
  EXPECT_EQ(tile->addButton(), nullptr);
  ASSERT_NE(add->addButton(), nullptr);
  EXPECT_EQ(tile->layer().shadowOpacity, 0.f);
  EXPECT_EQ(tile->layer().shadowRadius, 2.f);

  // The add cell given nil keeps its add picture and shows no title.
  add->updateColumn(nullptr, false);
  ASSERT_NE(add->addButton()->imageForState(ui::kControlStateNormal), nullptr);
  EXPECT_EQ(add->addButton()->imageForState(ui::kControlStateNormal)->name(), "homeadd_normal.png");
  EXPECT_EQ(add->titleLabel()->text(), "");
  struct Delegate : ColumnGridCellDelegate {
    int details = 0, subscribes = 0;
    void presentCellDetail(ColumnGridCell&) override { ++details; }
    void switchToSubscribeView() override { ++subscribes; }
  } delegate;
  add->setDelegate(&delegate);
  add->addButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  tile->setDelegate(&delegate);
  tile->updateColumn(column(0), false);
  tile->detailButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(delegate.subscribes, 1);
  EXPECT_EQ(delegate.details, 1);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*add, "tile-add"));
}

// A microblog column whose account is not bound shows the engine's placeholder: its tile must
// show a picture, not an empty face.
TEST_F(ColumnGridCellTest, AnUnboundMicroblogTileShowsItsPlaceholderPicture) {
  TempHome home;
  DataEngine::initGlobalInstance();
  for (int platform : {0, 1}) {
    auto unbound = column(0, platform == 0 ? "zu微博" : "新浪微博");
    unbound->setCoverImageData(std::nullopt);
    gDataEngine()->setUnauthorizedWeiboColumnData(unbound, platform);
    ASSERT_TRUE(unbound->coverImageThumbnailData()) << platform;
    auto icon = ui::Image::fromData(*unbound->coverImageThumbnailData());
    ASSERT_TRUE(icon) << platform;

    auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
    tile->updateColumn(unbound, false);
    ASSERT_TRUE(coverShown(*tile)) << platform;
    auto picture = tile->contentImageView()->image();
    ASSERT_TRUE(picture) << platform;
    // It covers the tile's face, and is opaque and not of one colour.
    EXPECT_EQ(picture->size().width, tile->contentImageView()->frame().size.width);
    EXPECT_EQ(picture->size().height, tile->contentImageView()->frame().size.height);
    const uint32_t* pixels = picture->pixels();
    const size_t count = static_cast<size_t>(picture->pixelWidth() * picture->pixelHeight());
    size_t opaque = 0, likeTheFirst = 0;
    for (size_t i = 0; i < count; ++i) {
      opaque += (pixels[i] >> 24) == 0xff;
      likeTheFirst += pixels[i] == pixels[0];
    }
    EXPECT_EQ(opaque, count) << platform;
    EXPECT_LT(likeTheFirst, count / 2) << platform;
    if (platform == 0) {
      EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-unbound-microblog"));
    }
  }
  DataEngine::uninitGlobalInstance();
}

TEST_F(ColumnGridCellTest, TextOnlyModeDisablesOnlyAlbumVideoAndAudioTiles) {
  for (int type : {0, 1, 2, 3, 4, 9}) {
    auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
    tile->updateColumn(column(type), true);
    const bool disabled = type == 1 || type == 3 || type == 4;
    EXPECT_EQ(tile->isDisabled(), disabled) << type;
    EXPECT_EQ(borderName(*tile), disabled ? "text_mode_cover.png" : "home_darkmask.png") << type;
    // A disabled tile does not spin when tapped.
    tile->clickedBegin();
    EXPECT_EQ(tile->loadingIndicator()->isAnimating(), !disabled) << type;
    if (type == 4) EXPECT_TRUE(coverShown(*tile) && ui::ContrastAudit::snapshot(*tile, "tile-text-only"));
  }
  // Text-only mode off re-enables a video tile and restores its border at once; a news tile
  // ignores the switch.
  auto video = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto news = ColumnGridCell::loadFromNib("ColumnGridCell");
  video->updateColumn(column(3), true);
  news->updateColumn(column(0), false);
  NotificationCenter::defaultCenter().post("ColumnDisplayModeChange", Value(false));
  EXPECT_FALSE(video->isDisabled());
  EXPECT_EQ(borderName(*video), "home_darkmask.png");
  NotificationCenter::defaultCenter().post("ColumnDisplayModeChange", Value(true));
  EXPECT_TRUE(video->isDisabled());
  EXPECT_FALSE(news->isDisabled());
}

TEST_F(ColumnGridCellTest, DetailButtonSpinnerAndTheTitleOfAReusedTile) {
  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  const float builtHeight = tile->titleLabel()->frame().size.height;
  auto customised = column(0, "长标题长标题长标题长标题长标题长标题");
  customised->setVeskCustomization(std::make_shared<VeskCustomization>());
  customised->setNeedUpdate(true);
  tile->updateColumn(customised, false);
  EXPECT_TRUE(tile->detailButton()->isHidden());
  EXPECT_TRUE(tile->loadingIndicator()->isAnimating());
  const float twoLines = tile->titleLabel()->frame().size.height;
  EXPECT_LE(twoLines, builtHeight);
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-updating"));

  tile->updateColumn(column(0, "短"), false);
  EXPECT_FALSE(tile->detailButton()->isHidden());
  EXPECT_FALSE(tile->loadingIndicator()->isAnimating());
  const float oneLine = tile->titleLabel()->frame().size.height;
  EXPECT_LT(oneLine, twoLines);
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-normal"));
  // Reused for a long title again: two lines again.
  tile->updateColumn(customised, false);
  EXPECT_EQ(tile->titleLabel()->frame().size.height, twoLines);

  // Cleared: no picture, no title, spinner stopped, detail shown.
  tile->updateColumn(nullptr, false);
  EXPECT_EQ(tile->contentImageView()->image(), nullptr);
  EXPECT_EQ(tile->titleLabel()->text(), "");
  EXPECT_FALSE(tile->loadingIndicator()->isAnimating());
  EXPECT_FALSE(tile->detailButton()->isHidden());
}

// A column with a customization record (a microblog user's, a feed's) has no detail button: its
// title takes that room too, so a name of one long word is not broken ("harbour_maste" / "r").
// A tile reused for a column with the button keeps its title clear of it again.
TEST_F(ColumnGridCellTest, ATitleTakesTheRoomOfAMissingDetailButton) {
  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto lines = [&] {
    const auto& title = *tile->titleLabel();
    return ui::TextMetrics::current().lines(title.text(), title.font(), title.bounds().size, title.lineBreakMode());
  };
  auto custom = column(0, "harbour_master");
  custom->setVeskCustomization(std::make_shared<VeskCustomization>());
  tile->updateColumn(custom, false);
  ASSERT_TRUE(tile->detailButton()->isHidden());
  EXPECT_EQ(std::vector<std::string>{"harbour_master"}, lines());
  const ui::Rect face = tile->frontView()->bounds();
  EXPECT_EQ(tile->titleLabel()->frame().maxX(), face.maxX() - tile->titleLabel()->frame().minX());

  tile->updateColumn(column(0, "harbour_master"), false);
  ASSERT_FALSE(tile->detailButton()->isHidden());
  EXPECT_LE(tile->titleLabel()->frame().maxX(), tile->detailButton()->frame().minX());
  tile->updateColumn(custom, false);
  EXPECT_EQ(std::vector<std::string>{"harbour_master"}, lines());
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-custom"));
  MyFaceSettings::setModeIsNight(true);
  auto night = ColumnGridCell::loadFromNib("ColumnGridCell");
  night->updateColumn(custom, false);
  ASSERT_TRUE(coverShown(*night));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*night, "tile-custom-night"));
}

// What a tile draws over its ground can be read: the white title on the text-only card by day
// and by night, the spinner over a darkened cover, and a title too long for two lines ends in
// "…" rather than being cut.
TEST_F(ColumnGridCellTest, TitleAndSpinnerStandOutAndALongTitleEndsInAnEllipsis) {
  auto inTile = [](ColumnGridCell& tile, ui::View& part) { return part.convertRectTo(part.bounds(), &tile); };
  for (bool night : {false, true}) {
    MyFaceSettings::setModeIsNight(night);
    auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
    tile->updateColumn(column(4, "新闻"), true);
    ASSERT_TRUE(tile->isDisabled());
    auto picture = ui::render(*tile);
    ASSERT_TRUE(picture);
    EXPECT_GT(testing::luminanceRange(*picture, inTile(*tile, *tile->titleLabel())), 0.5f) << night;
  }
  MyFaceSettings::setModeIsNight(false);

  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto updating = column(0, "");
  updating->setNeedUpdate(true);
  tile->updateColumn(updating, false);
  ASSERT_TRUE(tile->loadingIndicator()->isAnimating());
  auto picture = ui::render(*tile);
  ASSERT_TRUE(picture);
  EXPECT_GT(testing::luminanceRange(*picture, inTile(*tile, *tile->loadingIndicator())), 0.5f);

  tile->updateColumn(column(0, "长标题长标题长标题长标题长标题长标题"), false);
  const auto& title = *tile->titleLabel();
  const auto lines =
      ui::TextMetrics::current().lines(title.text(), title.font(), title.bounds().size, title.lineBreakMode());
  ASSERT_EQ(2u, lines.size());
  const std::string ellipsis = "…";
  ASSERT_GE(lines.back().size(), ellipsis.size());
  EXPECT_EQ(ellipsis, lines.back().substr(lines.back().size() - ellipsis.size()));
}

// The cover comes in after the update; a tile reused for another column never shows the old
// column's picture meanwhile, and one given the same column again keeps its picture.
TEST_F(ColumnGridCellTest, TheCoverArrivesLaterAndAReusedTileNeverShowsTheOldOne) {
  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto blue = column(0);
  auto red = column(0, "体育");
  auto picture = ui::Image::create(140, 120);
  for (int i = 0; i < 140 * 120; ++i) picture->mutablePixels()[i] = 0xffc02020u;
  red->setCoverImageData(*picture->pngData());
  auto centre = [&] { return tile->contentImageView()->image()->pixelAt(70, 60); };

  tile->updateColumn(blue, false);
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_EQ(0xff3070b0u, centre());
  const auto shown = tile->contentImageView()->image();
  tile->updateColumn(blue, false);
  EXPECT_EQ(shown, tile->contentImageView()->image());

  tile->updateColumn(red, false);
  EXPECT_EQ(nullptr, tile->contentImageView()->image());
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_EQ(0xffc02020u, centre());

  // Cleared while the next cover decodes: it never comes in.
  tile->updateColumn(blue, false);
  tile->updateColumn(nullptr, false);
  ui::ImageLoader after;  // decoded after the dropped cover, delivered after it
  bool delivered = false;
  after.load([] { return ui::Image::create(1, 1); }, [&](std::shared_ptr<ui::Image>) { delivered = true; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return delivered; }));
  EXPECT_EQ(nullptr, tile->contentImageView()->image());
}

TEST_F(ColumnGridCellTest, EditLiftAndDelete) {
  ScopedFakeClock clock;  // the lift is pictured when its animation is over
  auto tile = ColumnGridCell::loadFromNib("ColumnGridCell");
  auto news = column(0);
  tile->updateColumn(news, false);
  ASSERT_TRUE(coverShown(*tile));
  EXPECT_TRUE(tile->delButton()->isHidden());

  tile->updateCellState(true);
  EXPECT_FLOAT_EQ(scaleOf(tile->frontView()), 0.9f);
  EXPECT_FALSE(tile->delButton()->isHidden());
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-edit"));
  // A second YES does not scale again (0.9 × 0.9 would be a fault of composing transforms).
  tile->frontView()->setTransform(ui::Transform::makeScale(0.5f, 0.5f));
  tile->updateCellState(true);
  EXPECT_FLOAT_EQ(scaleOf(tile->frontView()), 0.5f);
  tile->frontView()->setTransform(ui::Transform::makeScale(0.9f, 0.9f));

  tile->longPressedBegin();
  EXPECT_FLOAT_EQ(scaleOf(tile->frontView()), 1.09f);
  EXPECT_EQ(tile->delButton()->transform().tx, -15.f);
  EXPECT_EQ(tile->delButton()->transform().ty, -10.f);
  EXPECT_EQ(tile->layer().shadowOpacity, 1.f);
  EXPECT_DOUBLE_EQ(ui::AnimationLog::shared().last()->duration, 0.3);
  clock->advance(0.3);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*tile, "tile-lifted"));
  // Leaving edit mode during the lift does not rescale the lifted face.
  tile->updateCellState(false);
  EXPECT_FLOAT_EQ(scaleOf(tile->frontView()), 1.09f);
  tile->updateCellState(true);
  tile->longPressedEnd();
  EXPECT_FLOAT_EQ(scaleOf(tile->frontView()), 0.9f);
  EXPECT_EQ(tile->delButton()->transform().tx, 0.f);
  EXPECT_EQ(tile->layer().shadowOpacity, 0.f);

  // Delete posts once with the column; a tile without a column posts nothing.
  std::vector<std::shared_ptr<Object>> posted;
  NotificationCenter::defaultCenter().add("NOTIFICATIONUNSUBSCRIBECOLUMN", this, [&](const Notification& note) {
    posted.push_back(note.object.asObject<Object>());
  });
  tile->delButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  tile->deleteCell();
  EXPECT_EQ(posted, (std::vector<std::shared_ptr<Object>>{news}));
  EXPECT_FALSE(tile->delButton()->isEnabled());
  EXPECT_TRUE(news->isDeleting());
  tile->updateColumn(nullptr, false);
  tile->deleteCell();
  EXPECT_EQ(posted.size(), 1u);
  NotificationCenter::defaultCenter().remove(this);
}

}  // namespace
}  // namespace zu
