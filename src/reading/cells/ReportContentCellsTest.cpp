// The article list's cells as the list gets them from their interface files: read and night
// colours, the reset on reuse, the microblog row's highlight, the two-item rows under real
// touch sequences, and each cell drawn by day and by night.
#include <gtest/gtest.h>

#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/support/ReadingLook.h"
#include "reading/ReadingNibs.h"
#include "reading/cells/ReportContentTableCell.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/cells/ReportContentTableCellForVideo.h"
#include "reading/cells/ReportContentTableCellImageAndVideoProtocol.h"
#include "reading/cells/ReportContentTableCellMBlog.h"
#include "reading/cells/ReportContentTableCellWithImage.h"
#include "reading/cells/TextWrapAroundView.h"

namespace zu {
namespace {

using ui::Color;

Color grey(int level) { return ReadingLook::grey(level); }

std::string imageName(const std::shared_ptr<ui::ImageView>& view) {
  return view && view->image() ? view->image()->name() : "none";
}

std::shared_ptr<ui::Image> solid(int w, int h, uint32_t argb) {
  auto image = ui::Image::create(w, h);
  for (int i = 0; i < w * h; ++i) image->mutablePixels()[i] = argb;
  return image;
}

class ReportContentCellsTest : public ::testing::Test {
 protected:
  void SetUp() override { ReadingNibs::registerNibs(); }
  void TearDown() override { ui::NibRegistry::shared().resetForTesting(); }

  template <typename T>
  static std::shared_ptr<T> load(const char* name) {
    for (const auto& object : ui::NibRegistry::shared().load(name, nullptr)) {
      if (auto cell = std::dynamic_pointer_cast<T>(object)) return cell;
    }
    return nullptr;
  }

  static void snapshot(ui::View& view, const std::string& name) {
    EXPECT_TRUE(ui::ContrastAudit::snapshot(view, name)) << name;
  }
};

TEST_F(ReportContentCellsTest, EachFileMakesItsClassUnderItsOwnReuseIdentifier) {
  EXPECT_EQ(load<ReportContentTableCell>("ReportContentTableCell")->reuseIdentifier(),
            "ReportContentTableCell");
  EXPECT_EQ(load<ReportContentTableCellWithImage>("ReportContentTableCellWithImage")->reuseIdentifier(),
            "ReportContentTableCellWithImage");
  EXPECT_EQ(load<ReportContentTableCellMBlog>("ReportContentTableCellMBlog")->reuseIdentifier(),
            "ReportContentTableCellMBlog");
  EXPECT_EQ(load<ReportContentTableCellForImage>("ReportContentTableCellForImage")->reuseIdentifier(),
            "ReportContentTableCellForImage");
  EXPECT_EQ(load<ReportContentTableCellForVideo>("ReportContentTableCellForVideo")->reuseIdentifier(),
            "ReportContentTableCellForVideo");
  EXPECT_EQ(load<LoadMoreViewCell>("LoadMoreViewCell")->reuseIdentifier(), "LoadMoreViewCell");
}

TEST_F(ReportContentCellsTest, TextCellsReadColoursSurviveNightAndAReuseMakesThemUnread) {
  for (const char* name : {"ReportContentTableCell", "ReportContentTableCellWithImage"}) {
    SCOPED_TRACE(name);
    auto cell = load<ReportContentTableCell>(name);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->contentCellTitle()->textColor(), grey(70));
    EXPECT_EQ(cell->contentCellSummary()->textColor(), grey(102));
    cell->setRead(true);
    EXPECT_EQ(cell->contentCellTitle()->textColor(), grey(153));
    // Night while read keeps the read colour; the summary takes the night colour.
    cell->setNightMode(true);
    EXPECT_EQ(cell->contentCellTitle()->textColor(), grey(153));
    EXPECT_EQ(cell->contentCellSummary()->textColor(), grey(153));
    EXPECT_EQ(imageName(cell->upperLineView()), "black_listpage_line.png");
    auto pressed = std::dynamic_pointer_cast<ui::ImageView>(cell->selectedBackgroundView());
    ASSERT_TRUE(pressed);
    EXPECT_EQ(imageName(pressed), "black_list_press_bj.png");
    EXPECT_EQ(cell->bottomLineView()->image(), nullptr);
    // A reuse: unread in the mode kept, texts empty, labels back in place.
    cell->contentCellTitle()->setText("标题");
    cell->contentCellSummary()->setText("摘要");
    cell->contentCellUpdated()->setText("今天 08:00");
    cell->contentCellSummary()->setFrame(ui::Rect(10, 30, 200, 60));
    cell->contentCellUpdated()->setFrame(ui::Rect(12, 80, 100, 14));
    cell->prepareForReuse();
    EXPECT_FALSE(cell->isRead());
    EXPECT_TRUE(cell->nightMode());
    EXPECT_EQ(cell->contentCellTitle()->textColor(), grey(195));
    EXPECT_EQ(cell->contentCellTitle()->text(), "");
    EXPECT_EQ(cell->contentCellSummary()->text(), "");
    EXPECT_EQ(cell->contentCellUpdated()->text(), "");
    EXPECT_EQ(cell->contentCellSummary()->frame(), ui::Rect(10, 47, 200, 34));
    EXPECT_EQ(cell->contentCellUpdated()->frame(), ui::Rect(12, 31, 100, 14));
    // By day again, read and then reused: the day's unread colour.
    cell->setNightMode(false);
    cell->setRead(true);
    cell->prepareForReuse();
    EXPECT_EQ(cell->contentCellTitle()->textColor(), grey(70));
    EXPECT_EQ(imageName(cell->upperLineView()), "listpage_line.png");
  }
}

TEST_F(ReportContentCellsTest, ImageCellFramesItsThumbnailByModeAndClearsItOnReuse) {
  auto cell = load<ReportContentTableCellWithImage>("ReportContentTableCellWithImage");
  ASSERT_TRUE(cell);
  EXPECT_EQ(imageName(cell->bkImageView()), "list_pic_bj.png");
  cell->setNightMode(true);
  EXPECT_EQ(imageName(cell->bkImageView()), "black_list_pic_bj.png");
  cell->contentCellImage()->setImage(solid(80, 62, 0xff3070b0u));
  cell->prepareForReuse();
  EXPECT_EQ(cell->contentCellImage()->image(), nullptr);
  EXPECT_EQ(imageName(cell->bkImageView()), "black_list_pic_bj.png");
}

TEST_F(ReportContentCellsTest, MicroblogCellResetsItsPartsAndShowsAHighlightAsASelection) {
  auto cell = load<ReportContentTableCellMBlog>("ReportContentTableCellMBlog");
  ASSERT_TRUE(cell);
  auto frame = cell->contentView()->viewWithTag(ReportContentTableCellMBlog::kImageFrameTag);
  ASSERT_TRUE(frame);
  cell->contentCellName()->setText("作者");
  cell->contentCellRetweetString()->setText("转发");
  cell->contentCellUpdated()->setText("昨天 10:00");
  cell->contentCellImage()->setHidden(false);
  cell->contentCellImage()->setImage(solid(10, 10, 0xff000000u));
  cell->contentCellImage()->setFrame(ui::Rect(240, 40, 66, 66));
  frame->setHidden(false);
  frame->setFrame(ui::Rect(238, 38, 70, 70));
  cell->contentWrapContent()->setFrame(ui::Rect(48, 36, 262, 90));
  cell->contentCellIcon()->setImage(solid(30, 30, 0xffff0000u));
  cell->setNightMode(true);
  EXPECT_EQ(cell->contentCellName()->textColor(), grey(153));
  EXPECT_EQ(imageName(cell->iconBKImage()), "black_weibo_pic_bg.png");
  EXPECT_EQ(imageName(cell->upperLineView()), "black_listpage_line.png");
  cell->prepareForReuse();
  EXPECT_EQ(cell->contentCellName()->text(), "");
  EXPECT_EQ(cell->contentCellRetweetString()->text(), "");
  EXPECT_EQ(cell->contentCellUpdated()->text(), "");
  EXPECT_TRUE(cell->contentCellImage()->isHidden());
  EXPECT_EQ(cell->contentCellImage()->image(), nullptr);
  EXPECT_EQ(cell->contentCellImage()->frame(), ui::Rect(50, 124, 66, 66));
  EXPECT_TRUE(frame->isHidden());
  EXPECT_EQ(frame->frame(), ui::Rect(48, 122, 70, 70));
  EXPECT_EQ(cell->contentWrapContent()->frame(), ui::Rect(48, 36, 262, 480));
  EXPECT_EQ(imageName(cell->contentCellIcon()), "weibo_touxiang.png");
  EXPECT_EQ(cell->contentCellName()->textColor(), grey(153));
  cell->setNightMode(false);
  EXPECT_EQ(cell->contentCellName()->textColor(), grey(51));

  cell->setHighlighted(true, false);
  EXPECT_TRUE(cell->isSelected());
  EXPECT_FALSE(cell->isHighlighted());
  cell->setHighlighted(false, false);
  EXPECT_FALSE(cell->isSelected());
}

struct PressRecorder : ReportContentTableCellImageAndVideoProtocol {
  std::vector<int> tags;
  void ImageAndVideoButtonPressed(ReportContentTableCellImageAndVideo&, int pressed) override {
    tags.push_back(pressed);
  }
};

TEST_F(ReportContentCellsTest, TwoItemCellMasksFollowRealTouchesAndTapsReportTheirTag) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  auto cell = load<ReportContentTableCellForImage>("ReportContentTableCellForImage");
  ASSERT_TRUE(cell);
  cell->setFrame(ui::Rect(0, 0, 320, 140));
  window->addSubview(cell);
  window->makeKeyAndVisible();
  auto first = cell->contentCellMaskFirst();
  auto second = cell->contentCellMaskSecond();
  EXPECT_EQ(first->tag(), 7);
  EXPECT_EQ(second->tag(), 8);
  auto list = std::make_shared<PressRecorder>();
  PressRecorder& recorder = *list;

  // Press the first thumbnail and slide off: the mask shows, then clears; nothing reported.
  cell->setDelegate(list);
  auto touch = window->beginTouch(ui::Point{80, 60});
  EXPECT_FLOAT_EQ(first->alpha(), 0.3f);
  EXPECT_FLOAT_EQ(second->alpha(), 0);
  window->moveTouch(touch, ui::Point{80, 300});
  window->endTouch(touch, ui::Point{80, 300});
  EXPECT_FLOAT_EQ(first->alpha(), 0);
  EXPECT_TRUE(recorder.tags.empty());

  // A tap on each: its tag reported, its mask left at 0.3.
  window->tap(ui::Point{240, 60});
  window->tap(ui::Point{80, 60});
  EXPECT_EQ(recorder.tags, (std::vector<int>{2, 1}));
  EXPECT_FLOAT_EQ(first->alpha(), 0.3f);
  EXPECT_FLOAT_EQ(second->alpha(), 0.3f);

  // No delegate: a tap does nothing beyond the mask.
  cell->setDelegate({});
  window->tap(ui::Point{240, 60});
  EXPECT_EQ(recorder.tags.size(), 2u);
  // A list that went away before its cell is not reached by the cell's taps.
  {
    auto gone = std::make_shared<PressRecorder>();
    cell->setDelegate(gone);
  }
  EXPECT_EQ(cell->delegate(), nullptr);
  window->tap(ui::Point{80, 60});
  EXPECT_FLOAT_EQ(first->alpha(), 0.3f);

  // A reuse clears both masks and titles and dresses the album look of the mode.
  cell->titleCellImageFirst()->setText("相册");
  cell->setNightMode(true);
  EXPECT_EQ(cell->titleCellImageFirst()->textColor(), grey(225));
  cell->prepareForReuse();
  EXPECT_FLOAT_EQ(first->alpha(), 0);
  EXPECT_FLOAT_EQ(second->alpha(), 0);
  EXPECT_EQ(cell->titleCellImageFirst()->text(), "");
  EXPECT_EQ(cell->titleCellImageSecond()->textColor(), grey(225));
  EXPECT_EQ(imageName(cell->contentCellImageSecond()), "black_album_board.png");
  auto loading = cell->contentCellButtonFirst()->backgroundImageForState(ui::kControlStateNormal);
  ASSERT_TRUE(loading);
  EXPECT_EQ(loading->name(), "black_album_pic_loading.png");
  cell->setNightMode(false);
  EXPECT_EQ(cell->titleCellImageFirst()->textColor(), Color::blackColor());
  EXPECT_EQ(imageName(cell->contentCellImageFirst()), "album_board.png");
  for (int tag : {22, 23, 24}) EXPECT_TRUE(cell->contentView()->viewWithTag(tag)) << tag;
}

TEST_F(ReportContentCellsTest, VideoCellNightOnlyStoresAndAReuseEmptiesBothItems) {
  auto cell = load<ReportContentTableCellForVideo>("ReportContentTableCellForVideo");
  ASSERT_TRUE(cell);
  const Color title = cell->titleCellImageFirst()->textColor();
  cell->setNightMode(true);
  EXPECT_TRUE(cell->nightMode());
  EXPECT_EQ(cell->titleCellImageFirst()->textColor(), title);
  for (const auto& button : {cell->contentCellButtonFirst(), cell->contentCellButtonSecond()}) {
    button->setImage(solid(10, 10, 0xff00ff00u), ui::kControlStateNormal);
    cell->ButtonDown(*button);
  }
  cell->titleCellImageSecond()->setText("视频");
  EXPECT_FLOAT_EQ(cell->contentCellMaskSecond()->alpha(), 0.3f);
  cell->prepareForReuse();
  EXPECT_EQ(cell->contentCellButtonFirst()->imageForState(ui::kControlStateNormal), nullptr);
  EXPECT_EQ(cell->contentCellButtonSecond()->imageForState(ui::kControlStateNormal), nullptr);
  EXPECT_FLOAT_EQ(cell->contentCellMaskFirst()->alpha(), 0);
  EXPECT_FLOAT_EQ(cell->contentCellMaskSecond()->alpha(), 0);
  EXPECT_EQ(cell->titleCellImageSecond()->text(), "");
}

TEST_F(ReportContentCellsTest, LoadMoreCellStaysPausedAcrossReuseAndTakesTheModesColours) {
  auto cell = load<LoadMoreViewCell>("LoadMoreViewCell");
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->statusLabel()->text(), "正在载入更多");
  EXPECT_EQ(cell->statusLabel()->textColor(), grey(136));
  EXPECT_EQ(cell->statusLabel()->shadowColor(), Color::whiteColor());
  cell->statusLabel()->setText("点击载入更多");
  cell->setPaused(true);
  cell->activityView()->stopAnimating();
  cell->setNightMode(true);
  EXPECT_EQ(cell->activityView()->style(), ui::ActivityIndicatorStyle::White);
  cell->prepareForReuse();
  EXPECT_TRUE(cell->paused());
  EXPECT_EQ(cell->statusLabel()->text(), "点击载入更多");
  EXPECT_EQ(cell->statusLabel()->textColor(), grey(153));
  EXPECT_EQ(cell->statusLabel()->shadowColor(), Color(0, 0, 0, 0.75f));
  cell->setNightMode(false);
  cell->setStyle2();
  EXPECT_EQ(cell->statusLabel()->textColor(), grey(153));
  EXPECT_EQ(cell->statusLabel()->shadowColor(), Color::blackColor());
  EXPECT_EQ(cell->activityView()->style(), ui::ActivityIndicatorStyle::White);
}

// --- pictures

ui::AttributedString postText() {
  ui::AttributedString text(
      "今天下午，城市图书馆新馆正式向读者开放，首日接待读者超过八千人次。新馆藏书两百万册，"
      "设有古籍修复展示区和儿童阅读区，夜间开放至二十二点。");
  text.setFont(ui::Font::systemFont(14));
  ui::ParagraphStyle style;
  style.lineSpacing = 4;
  text.setParagraphStyle(style);
  return text;
}

void fillText(ReportContentTableCell& cell, bool night) {
  cell.setNightMode(night);
  cell.contentCellTitle()->setText("城市图书馆新馆今日开放");
  cell.contentCellUpdated()->setText("今天 08:30");
  cell.contentCellSummary()->setText("新馆藏书两百万册，设有古籍修复展示区和儿童阅读区，夜间开放至二十二点。");
}

TEST_F(ReportContentCellsTest, EveryCellDrawnByDayAndByNight) {
  for (bool night : {false, true}) {
    const std::string mode = night ? "night" : "day";
    const Color back = night ? grey(34) : grey(247);

    auto text = load<ReportContentTableCell>("ReportContentTableCell");
    fillText(*text, night);
    text->setRead(night);  // the night row read: its title in the read grey
    text->setBackgroundColor(back);
    snapshot(*text, "cell-text-" + mode);

    auto withImage = load<ReportContentTableCellWithImage>("ReportContentTableCellWithImage");
    fillText(*withImage, night);
    withImage->contentCellImage()->setImage(solid(80, 62, 0xff3d7ab8u));
    withImage->setBackgroundColor(back);
    snapshot(*withImage, "cell-image-" + mode);

    auto blog = load<ReportContentTableCellMBlog>("ReportContentTableCellMBlog");
    blog->setNightMode(night);
    blog->setBackgroundColor(back);
    blog->contentCellName()->setText("城市日报");
    blog->contentCellUpdated()->setText("昨天 21:05");
    blog->contentCellRetweetString()->setText("转发自 @图书馆之友");
    auto wrap = blog->contentWrapContent();
    wrap->setFrame(ui::Rect(48, 36, 262, 480));
    wrap->setWrappedViewFrame(ui::Rect(240, 36, 70, 70));
    wrap->setXDistance(6);
    ui::AttributedString post = postText();
    post.setTextColor(night ? grey(195) : grey(51));
    wrap->setAttributedString(post);
    const float height = wrap->calculateTotalHeight();
    EXPECT_GT(height, 0);
    blog->contentCellImage()->setHidden(false);
    blog->contentCellImage()->setFrame(ui::Rect(242, 38, 66, 66));
    blog->contentCellImage()->setImage(solid(66, 66, 0xffc08040u));
    auto frame = blog->contentView()->viewWithTag(ReportContentTableCellMBlog::kImageFrameTag);
    frame->setHidden(false);
    frame->setFrame(ui::Rect(240, 36, 70, 70));
    blog->contentCellRetweetString()->setFrame(ui::Rect(48, 40 + height, 262, 16));
    blog->setFrame(ui::Rect(0, 0, 320, 64 + height));
    snapshot(*blog, "cell-mblog-" + mode);

    auto album = load<ReportContentTableCellForImage>("ReportContentTableCellForImage");
    album->setNightMode(night);
    album->setBackgroundColor(back);
    album->titleCellImageFirst()->setText("春日花展");
    album->titleCellImageSecond()->setText("老街新貌");
    album->contentCellButtonSecond()->setImage(solid(140, 100, 0xff5a9a5au), ui::kControlStateNormal);
    album->ButtonDown(*album->contentCellButtonSecond());
    snapshot(*album, "cell-album-" + mode);

    auto video = load<ReportContentTableCellForVideo>("ReportContentTableCellForVideo");
    video->setNightMode(night);
    video->titleCellImageFirst()->setText("发布会回放");
    video->titleCellImageSecond()->setText("赛事集锦");
    video->contentCellButtonFirst()->setImage(solid(140, 100, 0xff704060u), ui::kControlStateNormal);
    video->contentCellButtonSecond()->setImage(solid(140, 100, 0xff406070u), ui::kControlStateNormal);
    snapshot(*video, "cell-video-" + mode);
  }
}

}  // namespace
}  // namespace zu
