// The list's pull-to-refresh header, load-more view, empty-favourites view and the tappable ad
// picture: their states, the saved last-refresh line in a fresh home on a fixed clock in China's
// time zone, the arrow's animations in the animation log, and their pictures.
#include <gtest/gtest.h>

#include <numbers>

#include "platform/intl/TimeZone.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "reading/cells/AdDynamicImageView.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/refresh/LoadMoreView.h"
#include "reading/support/ReadingLook.h"
#include "reading/ReadingNibs.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"
#include "views/SCGIFImageView.h"

namespace zu {
namespace {

using ui::Color;
using Header = RefreshTableHeaderView;

// 2012-03-05 08:30 in Shanghai.
constexpr int64_t kMorning = 1330907400000;

class RefreshViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }
  void TearDown() override {
    TimeZone::setDefault(std::nullopt);
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }

  static std::shared_ptr<Header> header(bool night = false) {
    return std::make_shared<Header>(ui::Rect(0, 0, 320, 480), night);
  }
  // The transform changes of the arrow in the log, oldest first.
  static std::vector<std::pair<double, ui::Transform>> arrowAnimations(const Header& h) {
    std::vector<std::pair<double, ui::Transform>> out;
    for (const auto& record : ui::AnimationLog::shared().records()) {
      if (const auto* change = record->change(h.arrowView().get(), "transform")) {
        out.emplace_back(record->duration, std::get<ui::Transform>(change->to));
      }
    }
    return out;
  }

  TempHome home_;
  ScopedFakeClock clock_{kMorning};
};

TEST_F(RefreshViewsTest, FirstHeaderSavesTheCurrentLineAndLaterHeadersShowTheSavedOne) {
  EXPECT_FALSE(UserDefaults::standard().stringForKey(Header::kLastRefreshKey));
  auto first = header();
  EXPECT_EQ(first->lastUpdatedLabel()->text(), "上次刷新: 2012年3月5日 08:30");
  EXPECT_FALSE(first->refreshTime());
  // Written to disk at once.
  UserDefaults reread(UserDefaults::standard().filePath());
  EXPECT_EQ(reread.stringForKey(Header::kLastRefreshKey), "上次刷新: 2012年3月5日 08:30");

  // Another column's header an hour later shows the saved line, until given its own date.
  clock_->advance(3600);
  auto second = header(true);
  EXPECT_EQ(second->lastUpdatedLabel()->text(), "上次刷新: 2012年3月5日 08:30");
  second->setDate(0);
  EXPECT_EQ(second->lastUpdatedLabel()->text(), "上次刷新: 1970年1月1日 08:00");
  EXPECT_EQ(second->refreshTime(), 0.0);
  second->setDate2(kMorning / 1000.0 + 90);
  EXPECT_EQ(second->lastUpdatedLabel()->text(), "上次刷新: 2012年3月5日 08:31");
  EXPECT_EQ(second->refreshTime(), kMorning / 1000.0 + 90);
  // setCurrentDate leaves refreshTime alone; a mode change reads the saved line back.
  second->setCurrentDate();
  EXPECT_EQ(second->lastUpdatedLabel()->text(), "上次刷新: 2012年3月5日 09:30");
  EXPECT_EQ(second->refreshTime(), kMorning / 1000.0 + 90);
  first->setNightMode(true);
  EXPECT_EQ(first->lastUpdatedLabel()->text(), "上次刷新: 2012年3月5日 09:30");
  EXPECT_EQ(UserDefaults(UserDefaults::standard().filePath()).stringForKey(Header::kLastRefreshKey),
            "上次刷新: 2012年3月5日 09:30");
}

TEST_F(RefreshViewsTest, StatesSwitchTheLinesSpinnerAndArrowWithTheRightAnimations) {
  auto h = header();
  EXPECT_EQ(h->state(), Header::kNormal);
  EXPECT_EQ(h->statusLabel()->text(), "向下拖动进行刷新");
  EXPECT_FALSE(h->arrowView()->isHidden());
  EXPECT_TRUE(arrowAnimations(*h).empty());
  const ui::Transform turned = ui::Transform::makeRotation(std::numbers::pi_v<float>);

  h->setState(Header::kPulling);
  EXPECT_EQ(h->statusLabel()->text(), "松开进行刷新");
  EXPECT_EQ(h->arrowView()->transform(), turned);
  auto log = arrowAnimations(*h);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_DOUBLE_EQ(log[0].first, 0.18);
  EXPECT_EQ(log[0].second, turned);

  // Back to normal without letting go: the arrow turns back over 0.18 s.
  h->setState(Header::kNormal);
  log = arrowAnimations(*h);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_DOUBLE_EQ(log[1].first, 0.18);
  EXPECT_TRUE(log[1].second.isIdentity());
  EXPECT_TRUE(h->arrowView()->transform().isIdentity());

  // Pull, let go (loading), then the refresh ends: upright at once, no third turn back.
  h->setState(Header::kPulling);
  h->setState(Header::kLoading);
  EXPECT_EQ(h->statusLabel()->text(), "正在刷新");
  EXPECT_TRUE(h->activityView()->isAnimating());
  EXPECT_TRUE(h->arrowView()->isHidden());
  h->setState(Header::kNormal);
  log = arrowAnimations(*h);
  ASSERT_EQ(log.size(), 3u);  // the two turns down and the one turn back
  EXPECT_EQ(log[2].second, turned);
  EXPECT_FALSE(h->arrowView()->isHidden());
  EXPECT_TRUE(h->arrowView()->transform().isIdentity());
  EXPECT_FALSE(h->activityView()->isAnimating());

  // Any other value is only stored.
  const size_t records = ui::AnimationLog::shared().records().size();
  h->setState(5);
  EXPECT_EQ(h->state(), 5);
  EXPECT_EQ(h->statusLabel()->text(), "向下拖动进行刷新");
  EXPECT_FALSE(h->arrowView()->isHidden());
  EXPECT_EQ(ui::AnimationLog::shared().records().size(), records);
}

TEST_F(RefreshViewsTest, HeaderLooksByModeAndInTheDarkStyle) {
  auto h = header();
  EXPECT_EQ(h->subviews().front(), h->backgroundImageView());
  EXPECT_EQ(h->backgroundImageView()->image()->name(), "list_press_bj.png");
  EXPECT_EQ(h->arrowView()->image()->name(), "refresh_down.png");
  EXPECT_EQ(h->arrowView()->frame(), ui::Rect(56, 436, 12, 25));
  EXPECT_EQ(h->activityView()->frame(), ui::Rect(56, 442, 15, 15));
  // The lines span the header's width at their own heights: the last-refresh line in the
  // system font of 12, the status line in its bold 13.
  EXPECT_EQ(h->lastUpdatedLabel()->frame(), ui::Rect(0, 450, 320, 20));
  EXPECT_EQ(h->statusLabel()->frame(), ui::Rect(0, 432, 320, 20));
  EXPECT_EQ(h->lastUpdatedLabel()->font(), ui::Font::systemFont(12));
  EXPECT_EQ(h->statusLabel()->font(), ui::Font::boldSystemFont(13));
  EXPECT_EQ(h->lastUpdatedLabel()->textColor(), ReadingLook::grey(136));
  EXPECT_EQ(h->statusLabel()->textColor(), ReadingLook::grey(136));
  EXPECT_EQ(h->statusLabel()->shadowColor(), Color::whiteColor());
  EXPECT_EQ(h->activityView()->style(), ui::ActivityIndicatorStyle::Gray);
  h->setNightMode(true);
  EXPECT_EQ(h->backgroundImageView()->image()->name(), "black_list_press_bj.png");
  EXPECT_EQ(h->arrowView()->image()->name(), "black_refresh_down.png");
  EXPECT_EQ(h->lastUpdatedLabel()->textColor(), Color::rgba8(113, 111, 117));
  EXPECT_EQ(h->lastUpdatedLabel()->shadowColor(), Color(0, 0, 0, 0.75f));
  EXPECT_EQ(h->activityView()->style(), ui::ActivityIndicatorStyle::White);
  auto old = h->activityView();
  h->setStyle2();
  EXPECT_EQ(h->statusLabel()->textColor(), ReadingLook::grey(153));
  EXPECT_EQ(h->statusLabel()->shadowColor(), Color::blackColor());
  EXPECT_NE(h->activityView(), old);
  EXPECT_EQ(old->superview(), nullptr);
  EXPECT_EQ(h->activityView()->superview().get(), h.get());
  EXPECT_EQ(h->activityView()->style(), ui::ActivityIndicatorStyle::White);
}

TEST_F(RefreshViewsTest, LoadMoreViewSpinsAtOnceAndKeepsItsTextAcrossModes) {
  LoadMoreView view(ui::Rect(0, 0, 320, 420), false);
  EXPECT_EQ(view.statusLabel()->text(), "正在载入更多");
  EXPECT_EQ(view.statusLabel()->frame(), ui::Rect(135, 210, 320, 20));
  EXPECT_EQ(view.statusLabel()->font(), ui::Font::boldSystemFont(13));
  EXPECT_EQ(view.activityView()->frame(), ui::Rect(110, 210, 20, 20));
  EXPECT_TRUE(view.activityView()->isAnimating());
  EXPECT_FALSE(view.activityView()->hidesWhenStopped());
  EXPECT_EQ(view.statusLabel()->textColor(), ReadingLook::grey(136));
  view.statusLabel()->setText("正在读取内容");
  view.setNightMode(true);
  EXPECT_EQ(view.statusLabel()->text(), "正在读取内容");
  EXPECT_EQ(view.statusLabel()->textColor(), ReadingLook::grey(153));
  EXPECT_EQ(view.statusLabel()->shadowColor(), Color(0, 0, 0, 0.75f));
  EXPECT_EQ(view.activityView()->style(), ui::ActivityIndicatorStyle::White);
  view.setNightMode(false);
  auto old = view.activityView();
  view.setStyle2();
  EXPECT_NE(view.activityView(), old);
  EXPECT_EQ(old->superview(), nullptr);
  EXPECT_TRUE(view.activityView()->isAnimating());
  EXPECT_FALSE(view.activityView()->hidesWhenStopped());
  EXPECT_EQ(view.activityView()->style(), ui::ActivityIndicatorStyle::White);
  EXPECT_EQ(view.statusLabel()->shadowColor(), Color::blackColor());
}

TEST_F(RefreshViewsTest, EmptyFavouritesPictureByMode) {
  ReadingNibs::registerNibs();
  std::shared_ptr<FavoriteNoneView> view;
  for (const auto& object : ui::NibRegistry::shared().load(FavoriteNoneView::kNibName, nullptr)) {
    if (!view) view = std::dynamic_pointer_cast<FavoriteNoneView>(object);
  }
  ui::NibRegistry::shared().resetForTesting();
  ASSERT_TRUE(view);
  view->setNightMode(true);
  ASSERT_TRUE(view->favoriteNone()->image());
  EXPECT_EQ(view->favoriteNone()->image()->name(), "black_shoucang_nocontent.png");
  view->setNightMode(false);
  EXPECT_EQ(view->favoriteNone()->image()->name(), "shoucang_nocontent.png");
  // The picture has no ground of its own: the list's background shows around its star and words
  // (a ground a shade off the list's read as a stray rectangle).
  const auto& picture = *view->favoriteNone()->image();
  EXPECT_EQ(0u, picture.pixelAt(2, 2) >> 24);
  EXPECT_EQ(0u, picture.pixelAt(picture.pixelWidth() - 3, picture.pixelHeight() - 3) >> 24);
  view->setBackgroundColor(ReadingLook::grey(246));
  auto shown = ui::render(*view);
  EXPECT_EQ(shown->pixelAt(2, 2), shown->pixelAt(160, 75));  // no rectangle where the picture lies
  EXPECT_TRUE(ui::ContrastAudit::write(*view, *shown, "favorites-none"));
  // By night the same on the night list's ground.
  view->setNightMode(true);
  view->setBackgroundColor(ui::Color(43 / 255.0f, 44 / 255.0f, 48 / 255.0f, 1));
  auto night = ui::render(*view);
  EXPECT_EQ(night->pixelAt(2, 2), night->pixelAt(160, 75));
  EXPECT_TRUE(ui::ContrastAudit::write(*view, *night, "favorites-none-night"));
}

TEST_F(RefreshViewsTest, AdPictureOpensItsAddressOnlyThroughTheApplication) {
  std::vector<std::string> opened;
  ui::Application::shared().setOpenURLHandler([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  auto ad = std::make_shared<AdDynamicImageView>(ui::Rect(10, 20, 300, 50));
  window->addSubview(ad);
  window->makeKeyAndVisible();
  EXPECT_TRUE(ad->clipsToBounds());
  auto picture = std::dynamic_pointer_cast<SCGIFImageView>(ad->viewWithTag(30));
  ASSERT_TRUE(picture);
  ad->loadImg("", "png");
  EXPECT_EQ(picture->image(), nullptr);
  ad->loadImg("weibo_touxiang.png", "ignored");
  ASSERT_TRUE(picture->image());
  EXPECT_EQ(picture->image()->name(), "weibo_touxiang.png");
  // The picture lies over the button but takes no touches: a tap reaches the button.
  EXPECT_EQ(window->hitTest(ui::Point{100, 40}), ad->button());
  window->tap(ui::Point{100, 40});
  ad->setAdUrl("https://example.com/spring");
  window->tap(ui::Point{100, 40});
  EXPECT_EQ(opened, (std::vector<std::string>{AdDynamicImageView::kDefaultAddress,
                                              "https://example.com/spring"}));
  ui::Application::shared().setOpenURLHandler({});
  picture->setContentMode(ui::ContentMode::ScaleAspectFit);
  picture->setImage(ui::Image::named("shoucang_nocontent.png"));
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*ad, "ad-picture"));
}

TEST_F(RefreshViewsTest, HeaderAndLoadMorePictures) {
  auto shoot = [](ui::View& view, const std::string& name) {
    auto whole = ui::render(view);
    EXPECT_TRUE(ui::ContrastAudit::write(view, *whole, name)) << name;
  };
  // The arrow's head (its widest rows) at the bottom of its frame (56, 26, 12, 25) by day,
  // at the top once turned.
  auto headAtTop = [](const ui::Image& picture) {
    auto ink = [&](int y0, int y1) {
      int n = 0;
      for (int y = y0; y < y1; ++y) {
        for (int x = 56; x < 68; ++x) n += (picture.pixelAt(x, y) & 0xffu) < 0x90u;
      }
      return n;
    };
    return ink(26, 35) > ink(42, 51);
  };
  auto h = std::make_shared<Header>(ui::Rect(0, 0, 320, 70), false);
  h->setDate(kMorning);
  EXPECT_FALSE(headAtTop(*ui::render(*h)));
  shoot(*h, "refresh-header-normal");
  h->setState(Header::kPulling);
  clock_->advance(0.2);  // past the arrow's turn
  EXPECT_TRUE(headAtTop(*ui::render(*h)));
  shoot(*h, "refresh-header-pulling");
  h->setState(Header::kLoading);
  shoot(*h, "refresh-header-loading");
  auto dark = std::make_shared<Header>(ui::Rect(0, 0, 320, 70), true);
  dark->setStyle2();
  dark->setBackgroundColor(ReadingLook::grey(34));
  shoot(*dark, "refresh-header-style2");
  auto night = std::make_shared<Header>(ui::Rect(0, 0, 320, 70), true);
  shoot(*night, "refresh-header-night");
  LoadMoreView more(ui::Rect(0, 0, 320, 120), false);
  more.setBackgroundColor(ReadingLook::grey(247));
  shoot(more, "load-more");
}

}  // namespace
}  // namespace zu
