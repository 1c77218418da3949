// Sectors of a magazine-style page: the style chosen from the entry status, the size searches,
// the border table, every layout's frames for each picture location (exact metrics), pictures
// from the real image cache and their arrival, and a demo page drawn with the real fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "engine/core/EngineTestSupport.h"
#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskThumbnail.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "reading/sectors/NewSummary.h"
#include "reading/sectors/Sector.h"
#include "reading/sectors/SectorController.h"
#include "reading/sectors/SectorControllerDelegate.h"
#include "reading/sectors/SectorView.h"

namespace zu {
namespace {

using ui::Rect;
using ui::Size;

constexpr int64_t kYear2001 = 978307200000;  // 2001-01-01 UTC: "01-01-01 "

struct Thumb {
  int width;
  int height;
  std::string href = "http://127.0.0.1:9/none.png";
};

std::shared_ptr<NewSummary> summary(const std::string& title, std::optional<std::string> text,
                                    std::optional<Thumb> thumb, std::optional<int> status) {
  NewsSummary entry;
  entry.setTitle(title);
  entry.setUpdated(kYear2001);
  if (text) {
    auto content = std::make_shared<Content>();
    content->setData(text);
    entry.setContent(content);
  }
  if (thumb) {
    auto record = std::make_shared<VeskThumbnail>();
    record->setWidth(thumb->width);
    record->setHeight(thumb->height);
    record->setHref(thumb->href);
    entry.setVeskThumbnail(record);
  }
  if (status) {
    auto record = std::make_shared<VeskEntryStatus>();
    record->setType(*status);
    entry.setVeskEntryStatus(record);
  }
  auto data = std::make_shared<NewSummary>();
  data->setNewsData(entry);
  return data;
}

std::vector<std::shared_ptr<ui::Label>> labels(const SectorController& controller) {
  std::vector<std::shared_ptr<ui::Label>> found;
  for (const auto& view : controller.containerView()->subviews()) {
    if (auto label = std::dynamic_pointer_cast<ui::Label>(view)) found.push_back(label);
  }
  return found;
}

std::shared_ptr<ui::Label> labelWith(const SectorController& controller, const std::string& text) {
  for (const auto& label : labels(controller)) {
    if (label->text() == text) return label;
  }
  return nullptr;
}

bool hasSpinner(const ui::View& view) {
  for (const auto& sub : view.subviews()) {
    if (std::dynamic_pointer_cast<ui::ActivityIndicatorView>(sub)) return true;
  }
  return false;
}

class SectorLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>()); }
  void TearDown() override { ui::TextMetrics::setCurrent(nullptr); }

  static std::shared_ptr<SectorController> make(float w, float h, int location, int newsType = 0,
                                                std::optional<Rect> fixedPicture = std::nullopt) {
    auto sector = std::make_shared<Sector>(Rect(0, 0, w, h), 0, location, 15);
    if (fixedPicture) {
      sector->isImageLocation = true;
      sector->imageRect = *fixedPicture;
    }
    return SectorController::create(Rect(0, 0, w, h), {}, newsType, 15, sector);
  }
};

TEST_F(SectorLayoutTest, StyleFollowsTheEntryStatusAndBlankSummariesCountAsNone) {
  const Thumb thumb{80, 60};
  struct Case {
    std::optional<int> status;
    std::optional<std::string> text;
    bool thumbnail;
    int expected;
  } cases[] = {
      {2, "text", true, 18},        {1, std::nullopt, false, 17},
      {5, "text", true, 7},         {0, "text", true, 3},
      {0, "text", false, 1},        {0, std::nullopt, true, 2},
      {0, std::nullopt, false, 7},  {0, " \n\t\r\n ", true, 2},
      // No entry-status record: an ordinary summary, styled by what it has.
      {std::nullopt, "text", true, 3},       {std::nullopt, "text", false, 1},
      {std::nullopt, std::nullopt, false, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.status.value_or(-1) << " " << c.text.value_or("none"));
    auto controller = make(300, 300, 1, 7);
    controller->setData(
        summary("Title", c.text, c.thumbnail ? std::optional<Thumb>(thumb) : std::nullopt,
                c.status));
    EXPECT_EQ(controller->new_style(), c.expected);
  }

  // Blanks and line breaks take the layout without summary: the quoted title and no summary.
  auto controller = make(300, 300, 1);
  controller->setData(summary("Title", "  \n \n  ", thumb, 0));
  EXPECT_TRUE(labelWith(*controller, "\u201cTitle\u201d"));
  EXPECT_FALSE(labelWith(*controller, "  \n \n  "));
  EXPECT_EQ(labels(*controller).size(), 2u);
  // A second summary replaces the first one's labels.
  controller->setData(summary("Other", "Some words of summary here", thumb, 0));
  EXPECT_FALSE(labelWith(*controller, "\u201cTitle\u201d"));
  EXPECT_TRUE(labelWith(*controller, "Other"));
}

TEST_F(SectorLayoutTest, TitleFontSizeSearch) {
  auto controller = make(300, 300, 1);
  EXPECT_EQ(controller->binSearchTitleFontSize("abc", Size{0, 100}), 21);
  EXPECT_EQ(controller->binSearchTitleFontSize("abc", Size{100, -5}), 21);
  // Taller than the area already at 21 (25.2 points): 21 × 0.9.
  EXPECT_EQ(controller->binSearchTitleFontSize("abc", Size{1000, 10}), 18);
  // One line at 1.2 ems fits 61 points up to size 50 (51 measures 62): 50 × 0.9 = 45.
  EXPECT_EQ(controller->binSearchTitleFontSize("abc", Size{1000, 61}), 45);
  // Higher than the 1024-point measure can ever reach: the doubling must stop, at most 48.
  EXPECT_EQ(controller->binSearchTitleFontSize("abc", Size{1000, 2000}), 48);
  EXPECT_EQ(controller->binSearchTitleFontSize(std::nullopt, Size{1000, 2000}), 18);
}

TEST_F(SectorLayoutTest, TextLengthSearch) {
  auto controller = make(300, 300, 1);
  EXPECT_EQ(controller->binSearchTextLength("字", Size{100, 100}, 100), 0u);
  EXPECT_EQ(controller->binSearchTextLength("", Size{100, 100}, 100), 0u);
  // Three 16-point characters a line of 48; one line (19.2 → 20) fits 20 points: index 2.
  EXPECT_EQ(controller->binSearchTextLength("一二三四五六七八九十", Size{48, 20}, 48), 2u);
  // Two lines (39) fit 40 points: six characters.
  EXPECT_EQ(controller->binSearchTextLength("一二三四五六七八九十", Size{48, 40}, 48), 5u);
}

TEST_F(SectorLayoutTest, BordersByDockAndType) {
  using E = SectorView::Edge;
  const unsigned expected[] = {E::kRight,  0,       E::kBottom, 0,        0,
                               E::kRight | E::kBottom, E::kRight, E::kBottom, 0,
                               E::kRight | E::kBottom, E::kRight | E::kBottom, E::kBottom,
                               E::kRight, E::kRight, E::kBottom, E::kAll};
  for (int dock = 0; dock < 16; ++dock) {
    SCOPED_TRACE(dock);
    EXPECT_EQ(SectorView::bordersFor(dock, 0), expected[dock]);
    EXPECT_EQ(SectorView::bordersFor(dock, 6), 0u);
  }
  EXPECT_EQ(SectorView::bordersFor(-1, 3), static_cast<unsigned>(E::kAll));

  // Drawn: dock 5 darkens the right and bottom edges only; type 6 nothing.
  const auto edgeShade = [](int dock, int type) {
    auto page = std::make_shared<ui::View>(Rect(0, 0, 60, 40));
    page->setBackgroundColor(ui::Color::whiteColor());
    page->addSubview(std::make_shared<SectorView>(Rect(0, 0, 60, 40), dock, type));
    auto image = ui::render(*page);
    return std::array<float, 4>{image->colorAt(59, 20).red, image->colorAt(30, 39).red,
                                image->colorAt(0, 20).red, image->colorAt(30, 0).red};
  };
  const auto docked = edgeShade(5, 0);
  EXPECT_LT(docked[0], 0.95f);
  EXPECT_LT(docked[1], 0.95f);
  EXPECT_GT(docked[2], 0.99f);
  EXPECT_GT(docked[3], 0.99f);
  for (float shade : edgeShade(5, 6)) EXPECT_GT(shade, 0.99f);
  for (float shade : edgeShade(20, 0)) EXPECT_LT(shade, 0.95f);
}

TEST_F(SectorLayoutTest, FixedLayoutsPlacePictureAndTextByLocation) {
  // Content 290 × 290 (W = H = 270); the fixed picture rectangle 150 × 120 at the origin.
  struct Case {
    int location;
    Rect picture;
    Rect text;
  } cases[] = {
      {1, Rect(10, 10, 140, 90), Rect(160, 10, 120, 90)},
      {2, Rect(10, 10, 120, 90), Rect(10, 10, 140, 90)},
      {3, Rect(10, 10, 120, 110), Rect(10, 130, 120, 150)},
      {4, Rect(10, 10, 120, 110), Rect(10, 10, 120, 150)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.location);
    auto controller = make(300, 300, c.location, 0, Rect(0, 0, 150, 120));
    controller->setData(summary("标题", std::nullopt, Thumb{80, 60}, 0));
    ASSERT_TRUE(controller->labelImage());
    EXPECT_EQ(controller->labelImage()->frame(), c.picture);
    // "01-01-01 ": its eight digits and dashes at 14 points (the trailing blank takes no
    // width at a line end), one line of 16.8 → 17.
    auto source = labels(*controller).at(0);
    EXPECT_EQ(source->frame(), Rect(c.text.origin.x, c.text.maxY() - 17, 56, 17));
    auto title = labelWith(*controller, "\u201c标题\u201d");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->frame(), Rect(c.text.origin.x, c.text.origin.y, c.text.size.width,
                                   c.text.size.height - 22));
    EXPECT_LE(title->font().pointSize, 48);
    EXPECT_GE(title->font().pointSize, 18);
  }

  // With a summary: title, source 5 below, summary 10 below that, in the text area of location 3.
  auto controller = make(300, 300, 3, 0, Rect(0, 0, 150, 120));
  controller->setData(summary("标题", "摘要的文字", Thumb{80, 60}, 0));
  auto title = labelWith(*controller, "标题");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->frame(), Rect(10, 130, 52, 32));
  auto source = labels(*controller).at(1);
  EXPECT_EQ(source->frame(), Rect(10, 167, 56, 17));
  auto text = labelWith(*controller, "摘要的文字");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->frame(), Rect(10, 194, 80, 20));
  EXPECT_EQ(text->lineBreakMode(), ui::LineBreakMode::TailTruncation);

  // No room for the summary (30 or less): the layout without it, quoted title.
  auto tight = make(300, 300, 1, 0, Rect(0, 0, 150, 120));
  tight->setData(summary("一个很长很长的标题放不下", "摘要", Thumb{80, 60}, 0));
  EXPECT_TRUE(labelWith(*tight, "\u201c一个很长很长的标题放不下\u201d"));
  EXPECT_FALSE(labelWith(*tight, "摘要"));
}

TEST_F(SectorLayoutTest, FreeLayoutsSizeThePictureFromTheThumbnail) {
  // A tall thumbnail: the text beside it is nearer to a square; the picture keeps its place.
  for (int location : {1, 2}) {
    SCOPED_TRACE(location);
    auto controller = make(300, 300, location);
    controller->setData(summary("标题", std::nullopt, Thumb{150, 250}, 0));
    ASSERT_TRUE(controller->labelImage());
    EXPECT_EQ(controller->labelImage()->frame(),
              Rect(location == 1 ? 10 : 130, 30, 150, 250));
    auto title = labelWith(*controller, "\u201c标题\u201d");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->frame().origin, ui::Point(location == 1 ? 170 : 10, 10));
    EXPECT_EQ(title->frame().size.width, 110);
  }
  // A wide thumbnail: the text above (or below for 3) and the picture across the whole width,
  // taking exactly the height the text leaves.
  for (int location : {1, 2, 3, 4}) {
    SCOPED_TRACE(location);
    auto controller = make(300, 300, location);
    controller->setData(summary("标题", std::nullopt, Thumb{200, 100}, 0));
    ASSERT_TRUE(controller->labelImage());
    const Rect picture = controller->labelImage()->frame();
    auto title = labelWith(*controller, "\u201c标题\u201d");
    auto source = labels(*controller).at(1);
    ASSERT_TRUE(title);
    EXPECT_EQ(picture.origin.x, 10);
    EXPECT_EQ(picture.size.width, 270);
    EXPECT_EQ(source->frame().minY(), title->frame().maxY() + 5);
    if (location == 3) {
      EXPECT_EQ(picture.minY(), 10);
      EXPECT_EQ(title->frame().minY(), picture.maxY() + 10);
      EXPECT_EQ(source->frame().maxY(), 280);
    } else {
      EXPECT_EQ(title->frame().minY(), 10);
      EXPECT_EQ(picture.minY(), source->frame().maxY() + 10);
      EXPECT_EQ(picture.maxY(), 280);
    }
  }
  // A picture too large to leave 30 points of text: the photo layout.
  auto photo = make(100, 100, 3);
  photo->setData(summary("标题", std::nullopt, Thumb{80, 80}, 0));
  ASSERT_TRUE(photo->labelImage());
  EXPECT_EQ(photo->labelImage()->frame(), Rect(10, 10, 70, 70));
  EXPECT_FALSE(labelWith(*photo, "\u201c标题\u201d"));
}

TEST_F(SectorLayoutTest, FreeLayoutWithSummarySplitsTheTextAroundThePicture) {
  // Content 290 × 290; thumbnail 100 × 60 at the bottom left; title 32 high, source 17.
  std::string words;
  for (int i = 0; i < 60; ++i) words += "word ";
  auto controller = make(300, 300, 1);
  controller->setData(summary("标题", words, Thumb{100, 60}, 0));
  EXPECT_EQ(labelWith(*controller, "标题")->frame(), Rect(10, 10, 52, 32));
  EXPECT_EQ(labels(*controller).at(1)->frame(), Rect(10, 47, 56, 17));
  ASSERT_EQ(labels(*controller).size(), 4u);
  auto first = labels(*controller).at(2);
  auto rest = labels(*controller).at(3);
  // Band: 270 − 10 − (60 + 32 + 5 + 17 + 10) = 136 high, from 74.
  EXPECT_EQ(first->frame(), Rect(10, 74, 270, 136));
  EXPECT_EQ(rest->frame(), Rect(120, 213, 160, 67));
  EXPECT_EQ(first->text() + rest->text(), words);
  EXPECT_LE(ui::TextMetrics::current()
                .sizeOf(first->text(), first->font(), Size{270, 1024}, ui::LineBreakMode::WordWrap)
                .height,
            136);
  EXPECT_EQ(controller->labelImage()->frame(), Rect(10, 220, 100, 60));

  // Location 4 as 1; location 3 stacks the text under the centred picture, with no column.
  auto bottom = make(300, 300, 4);
  bottom->setData(summary("标题", words, Thumb{100, 60}, 0));
  ASSERT_EQ(labels(*bottom).size(), 4u);
  EXPECT_EQ(labels(*bottom).at(3)->frame(), Rect(120, 213, 160, 67));
  auto top = make(300, 300, 3);
  top->setData(summary("标题", words, Thumb{100, 60}, 0));
  EXPECT_EQ(top->labelImage()->frame(), Rect(95, 10, 100, 60));
  ASSERT_EQ(labels(*top).size(), 3u);
  EXPECT_EQ(labels(*top).at(0)->frame(), Rect(10, 80, 52, 32));
  EXPECT_EQ(labels(*top).at(1)->frame().origin, ui::Point(10, 117));
  EXPECT_EQ(labels(*top).at(2)->frame(), Rect(10, 144, 270, 136));

  // Too tall to stack: the picture gives up the excess, keeping its bottom edge; with no band
  // left the whole summary goes into the column beside it.
  auto low = make(300, 200, 1);
  low->setData(summary("标题", words, Thumb{100, 150}, 0));
  EXPECT_EQ(low->labelImage()->frame(), Rect(10, 74, 100, 106));
  ASSERT_EQ(labels(*low).size(), 3u);
  EXPECT_EQ(labels(*low).at(2)->frame(), Rect(120, 74, 160, 106));
  EXPECT_EQ(labels(*low).at(2)->text(), words);

  // Location 2 puts the column at the left; a rest of blanks makes no second label.
  auto right = make(300, 300, 2);
  right->setData(summary("标题", words, Thumb{100, 60}, 0));
  EXPECT_EQ(labels(*right).at(3)->frame().origin, ui::Point(10, 213));
  auto fits = make(300, 300, 1);
  fits->setData(summary("标题", "short text\n\n   \n", Thumb{100, 60}, 0));
  EXPECT_EQ(labels(*fits).size(), 3u);
  // A summary that fits the band whole stays whole: its last character is not cut off into
  // the column beside the picture.
  auto whole = make(300, 300, 1);
  whole->setData(summary("标题", "short text", Thumb{100, 60}, 0));
  ASSERT_EQ(labels(*whole).size(), 3u);
  EXPECT_EQ(labels(*whole).at(2)->text(), "short text");
}

TEST_F(SectorLayoutTest, PhotoLayoutAndUnusableThumbnails) {
  auto controller = make(300, 200, 1);
  controller->setData(summary("A photo title", std::nullopt, Thumb{80, 60}, 1));
  ASSERT_TRUE(controller->labelImage());
  EXPECT_EQ(controller->labelImage()->frame(), Rect(10, 10, 270, 170));
  EXPECT_TRUE(hasSpinner(*controller->labelImage()));
  std::shared_ptr<ui::View> bar = controller->containerView()->subviews().back();
  // "A photo title": 13 half-width characters at 17 points = 110.5 → 111 wide, 20.4 → 21 high.
  EXPECT_EQ(bar->frame(), Rect(10, 190 - 20 - 21, 270, 31));
  ASSERT_TRUE(bar->backgroundColor());
  EXPECT_FLOAT_EQ(bar->backgroundColor()->alpha, 0.5f);
  auto caption = std::dynamic_pointer_cast<ui::Label>(bar->subviews().at(0));
  ASSERT_TRUE(caption);
  EXPECT_EQ(caption->frame(), Rect(5, 5, 111, 21));

  // A 0 × 0 thumbnail record: no picture in the free layouts, finite frames everywhere.
  for (int location : {1, 2, 3, 4}) {
    SCOPED_TRACE(location);
    for (bool text : {false, true}) {
      auto zero = make(300, 300, location);
      zero->setData(summary("标题", text ? std::optional<std::string>("摘要") : std::nullopt,
                            Thumb{0, 0}, 0));
      EXPECT_FALSE(zero->labelImage());
      for (const auto& label : labels(*zero)) {
        const Rect f = label->frame();
        EXPECT_TRUE(std::isfinite(f.origin.x) && std::isfinite(f.origin.y) &&
                    std::isfinite(f.size.width) && std::isfinite(f.size.height));
      }
    }
  }
  // A sector smaller than its margins (W and H negative) with a 0 × 0 thumbnail: the picture
  // stays empty rather than dividing by the thumbnail's zero size.
  for (int location : {1, 2, 3, 4}) {
    SCOPED_TRACE(location);
    auto tiny = make(15, 15, location);
    tiny->setData(summary("标题", std::nullopt, Thumb{0, 0}, 0));
    EXPECT_FALSE(tiny->labelImage());
    for (const auto& view : tiny->containerView()->subviews()) {
      const Rect f = view->frame();
      EXPECT_TRUE(std::isfinite(f.origin.x) && std::isfinite(f.origin.y) &&
                  std::isfinite(f.size.width) && std::isfinite(f.size.height));
    }
  }
  auto fixedZero = make(300, 300, 1, 0, Rect(0, 0, 150, 120));
  fixedZero->setData(summary("标题", "摘要的文字", Thumb{0, 0}, 0));
  ASSERT_TRUE(fixedZero->labelImage());
  EXPECT_EQ(fixedZero->labelImage()->frame(), Rect(10, 10, 140, 90));
}

TEST_F(SectorLayoutTest, MiddleCropOfAnImage) {
  auto image = ui::Image::create(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) image->mutablePixels()[y * 8 + x] = 0xff000000u | (y << 8) | x;
  }
  auto crop = SectorController::getImageFromImage(*image, Size{8, 4}, 2);
  ASSERT_TRUE(crop);
  EXPECT_EQ(crop->pixelWidth(), 4);
  EXPECT_EQ(crop->pixelHeight(), 2);
  EXPECT_EQ(crop->pixelAt(0, 0), 0xff000000u | (3 << 8) | 2);
  EXPECT_FALSE(SectorController::getImageFromImage(*image, Size{8, 4}, 0));
  // Asking for more than the image holds stays inside it.
  auto all = SectorController::getImageFromImage(*image, Size{40, 40}, 1);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->pixelWidth(), 8);
}

// ---- pictures from the image cache --------------------------------------------------------

class GridRecorder : public SectorControllerDelegate {
 public:
  void updateGridView() override { ++updates; }
  int updates = 0;
};

// A sector that placed no picture (no thumbnail) still tells the grid when its address arrives.
TEST_F(SectorLayoutTest, OwnAddressArrivingWithoutAPictureStillTellsTheGrid) {
  auto grid = std::make_shared<GridRecorder>();
  auto sector = std::make_shared<Sector>(Rect(0, 0, 200, 200), 0, 1, 15);
  auto controller = SectorController::create(Rect(0, 0, 200, 200), grid, 0, 15, sector);
  auto data = summary("无图", std::nullopt, std::nullopt, 0);
  data->imageurl = "http://127.0.0.1:9/own.png";
  controller->setData(data);
  ASSERT_FALSE(controller->labelImage());
  Dictionary own;
  own.set(SectorController::kImageUrlKey, Value(std::string("http://127.0.0.1:9/own.png")));
  NotificationCenter::defaultCenter().post(SectorController::kImageUpdateNotification, Value(),
                                           own);
  EXPECT_EQ(grid->updates, 1);
}

class SectorPictureTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    std::ifstream in(std::string(ZU_SOURCE_DIR) + "/resources/imageloadingbj.png", std::ios::binary);
    writeBundleFile("imageloadingbj.png", std::string(std::istreambuf_iterator<char>(in), {}));
    ui::Image::clearNamedCache();
    startEngine();
  }
  void TearDown() override {
    ui::Image::clearNamedCache();
    EngineFixture::TearDown();
  }
  std::string image(const std::string& name) const { return service_.baseUrl() + "/img/" + name; }
  // Fetches `url` into the engine's image cache.
  void cache(const std::string& url) {
    auto finish = runTask(engine_->createDownloadImageTask(url));
    ASSERT_TRUE(finish);
    ASSERT_EQ(finish->code, 0);
    ASSERT_TRUE(engine_->getImageLocalPath(url));
  }
  static std::shared_ptr<SectorController> make(const Rect& frame, int location, int dock,
                                                const std::shared_ptr<SectorControllerDelegate>&
                                                    delegate = nullptr,
                                                std::optional<Rect> fixedPicture = std::nullopt) {
    auto sector = std::make_shared<Sector>(frame, 0, location, dock);
    if (fixedPicture) {
      sector->isImageLocation = true;
      sector->imageRect = *fixedPicture;
    }
    return SectorController::create(frame, delegate, 0, dock, sector);
  }
};

TEST_F(SectorPictureTest, LoadingPictureIsReplacedOnlyForItsOwnAddress) {
  const std::string url = image("art-photo-1-thumb.png");
  auto grid = std::make_shared<GridRecorder>();
  auto controller = make(Rect(0, 0, 200, 200), 3, 15, grid);
  auto data = summary("图", std::nullopt, Thumb{80, 60, url}, 1);
  data->imageurl = url;
  controller->setData(data);
  auto picture = controller->labelImage();
  ASSERT_TRUE(picture);
  ASSERT_TRUE(picture->image());
  EXPECT_EQ(picture->image()->name(), "imageloadingbj.png");
  ASSERT_TRUE(hasSpinner(*picture));
  // Centre minus 18.5 in a 170 × 170 picture.
  EXPECT_EQ(picture->subviews().at(0)->frame(), Rect(66.5f, 66.5f, 20, 20));

  cache(url);
  Dictionary other;
  other.set(SectorController::kImageUrlKey, Value(image("art-rss-1-thumb.png")));
  NotificationCenter::defaultCenter().post(SectorController::kImageUpdateNotification, Value(),
                                           other);
  EXPECT_TRUE(hasSpinner(*picture));
  EXPECT_EQ(picture->image()->name(), "imageloadingbj.png");
  EXPECT_EQ(grid->updates, 0);

  Dictionary own;
  own.set(SectorController::kImageUrlKey, Value(url));
  NotificationCenter::defaultCenter().post(SectorController::kImageUpdateNotification, Value(),
                                           own);
  EXPECT_FALSE(hasSpinner(*picture));
  ASSERT_TRUE(picture->image());
  EXPECT_EQ(picture->image()->pixelWidth(), 80);
  EXPECT_EQ(picture->contentMode(), ui::ContentMode::ScaleAspectFill);
  EXPECT_EQ(grid->updates, 1);

  // A controller gone stops listening.
  controller.reset();
  NotificationCenter::defaultCenter().post(SectorController::kImageUpdateNotification, Value(),
                                           own);
  EXPECT_EQ(grid->updates, 1);
}

TEST_F(SectorPictureTest, DemoPageOfSixSectors) {
  const std::string cachedA = image("art-photo-1-thumb.png");
  const std::string cachedB = image("art-rss-1-thumb.png");
  const std::string cachedC = image("art-photo-2-thumb.png");
  cache(cachedA);
  cache(cachedB);
  cache(cachedC);
  const std::string missing = image("thumb-missing.png");

  auto author = std::make_shared<Author>();
  author->setName("海港记者");
  const std::string longText =
      "清晨的港口还笼着薄雾,渔船一艘接一艘地回来,码头上的人们忙着卸货、分拣、过秤。"
      "市场的喧闹从六点开始,一直持续到正午,新鲜的鱼虾很快被城里的饭馆订走。";
  auto page = std::make_shared<ui::View>(Rect(0, 0, 480, 640));
  page->setBackgroundColor(ui::Color::whiteColor());
  std::vector<std::shared_ptr<SectorController>> sectors;
  const auto add = [&](std::shared_ptr<SectorController> controller,
                       std::shared_ptr<NewSummary> data) {
    data->setAuthor(author);
    data->setUpdated(kYear2001);
    controller->setData(data);
    page->addSubview(controller->sectorView());
    sectors.push_back(std::move(controller));
  };
  add(make(Rect(0, 0, 480, 200), 1, 2, nullptr, Rect(0, 0, 150, 180)),
      summary("港口的早晨", longText, Thumb{80, 60, cachedA}, 0));
  add(make(Rect(0, 200, 240, 220), 3, 5),
      summary("灯笼街的夜市重新开张", std::nullopt, Thumb{80, 60, missing}, 0));
  add(make(Rect(240, 200, 240, 220), 1, 7),
      summary("潮水退去之后的海滩", std::nullopt, Thumb{80, 60, cachedB}, 2));
  add(make(Rect(0, 420, 160, 220), 4, 0, nullptr, Rect(0, 80, 140, 120)),
      summary("茶园里的采茶季", std::nullopt, Thumb{80, 60, missing}, 0));
  add(make(Rect(160, 420, 160, 220), 2, 0),
      summary("工坊", longText, Thumb{80, 60, cachedC}, 0));
  add(make(Rect(320, 420, 160, 220), 1, 8),
      summary("新船下水", longText, Thumb{80, 60, cachedA}, 0));

  EXPECT_EQ(sectors[0]->new_style(), 3);
  EXPECT_EQ(sectors[2]->new_style(), 18);
  ASSERT_TRUE(sectors[1]->labelImage());
  EXPECT_TRUE(hasSpinner(*sectors[1]->labelImage()));
  ASSERT_TRUE(sectors[0]->labelImage());
  EXPECT_FALSE(hasSpinner(*sectors[0]->labelImage()));
  auto rendered = ui::render(*page);
  ASSERT_TRUE(rendered);
  EXPECT_TRUE(ui::writeSnapshot(*rendered, "sectors-demo"));
  // The cached picture of the first sector is drawn, not the loading picture.
  const Rect shown = sectors[0]->labelImage()->frame();
  const ui::Color middle = rendered->colorAt(static_cast<int>(5 + shown.midX()),
                                             static_cast<int>(5 + shown.midY()));
  EXPECT_FALSE(middle.red > 0.99f && middle.green > 0.99f && middle.blue > 0.99f);
}

}  // namespace
}  // namespace zu
