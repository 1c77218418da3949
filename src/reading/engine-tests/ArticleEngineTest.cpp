// The article page in the real web engine: the page the browser builds from an article, by day,
// by night and without pictures, its bundle pictures (the read-original button, the no-image
// placeholder) loaded through the web view's bundle scheme although the page has no base URL,
// and its bridge links clicked in the page, and the selection menu over a word chosen by a long
// press, and the layouts a tap on the page switches; the sample service's own article with its
// style sheet. Pictures: article-day.png, article-night.png, article-nopic.png,
// browser-toolbar.png, sample-article-{day,night}.png, edit-menu.png (day and night side by side)
// and the layouts' article-bar-layout-*.png and article-full-screen-*.png in reading/snapshots/.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "common/Log.h"
#include "platform/web/engine-tests/EngineTestSupport.h"
#include "testing/LoopbackServer.h"
#include "shell/app/ShellWebResourceProvider.h"
#include "engine/cache/FileCacheManager.h"
#include "common/CommInfo.h"

#include "common/ServiceHosts.h"
#include "common/UrlEncode.h"
#include "engine/core/DESettings.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/device/DeviceProfile.h"
#include "platform/device/Pasteboard.h"
#include "platform/ui/system/CopyKey.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/text/EditMenuView.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/MoviePlayerViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "platform/web/WebResourceProvider.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/browser/NewsBrowseController.h"
#include "reading/browser/NewsBrowseEngine.h"
#include "reading/browser/NewsWebView.h"
#include "reading/ReadingNibs.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "views/GridView.h"
#include "reading/browser/WebViewController_New.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/StandInScreen.h"
#include "shell/skin/NRSkinManager.h"
#include "views/GridView.h"
#include "testing/MainLoopTurn.h"
#include "SampleService.h"

#include <httplib.h>

#include "model/atom/VESKAtomParser.h"
#include "model/entry/Feed.h"

namespace zu {
namespace {

constexpr double kWait = 30;
constexpr uint32_t kRed = 0xffd02020u;

std::string logText() {
  std::ifstream in(VESKLogGetLogFilepath().value_or(""), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The article's picture, answered as the application's cache would.
class PictureProvider : public web::WebResourceProvider {
 public:
  void resourceForUrl(const std::string& url, Reach, Done done) override {
    if (url != kPicture) return done(std::nullopt);
    auto image = ui::Image::create(28, 12);
    for (int i = 0; i < 28 * 12; ++i) image->mutablePixels()[i] = kRed;
    done(web::WebResource{*image->pngData(), "image/png"});
  }
  static constexpr const char* kPicture = "http://img.sample.test/harbour.png";
};

// What the server's article HTML holds: text, a picture behind a picture link, a page and a
// video link, and the page script that answers the client's script object.
const char* kServerHtml = R"(<html><head><title>港口</title></head><body>
<h2 style="margin:8px">港口的清晨 Harbour morning</h2>
<p style="margin:8px">渡船六点半开出，最后一班船等晚上的火车。The first ferry leaves at half past six.</p>
<p style="margin:8px"><a id="pic" href="web:getimageclick;seq=3"><img src='http://img.sample.test/harbour.png' id="img" width="280" height="120"></a></p>
<p style="margin:8px"><a id="page" href="web:gethtmlclick;http://sample.test/page.html">网页 A page</a>
 <a id="video" href="web:getvideoclick;http://sample.test/v.mp4">视频 A video</a></p>
<script>if (window.vesk) { vesk.updateFontLevel = function (level) { document.body.style.fontSize = (10 + 2 * level) + 'px'; };
vesk.updateFontLevel(vesk.fontLevel);
if (vesk.nightMode == 'NIGHT') { document.body.style.background = '#1c1c1e'; document.body.style.color = '#9a9a9a';
  document.head.insertAdjacentHTML('beforeend', '<style>a { color: #7fa7d9; }</style>'); } }</script>
</body></html>)";

// Articles given whole; the search template, when there is one, filled with the escaped words.
class StillEngine : public NewsBrowseEngine {
 public:
  explicit StillEngine(std::optional<std::string> searchTemplate) : searchTemplate_(std::move(searchTemplate)) {}
  std::shared_ptr<Task> createGetNewsDetailTask(const std::shared_ptr<Link>&) override { return nullptr; }
  void asyncRunTask(const std::shared_ptr<Task>&) override {}
  void asyncCancelTask(const std::shared_ptr<Task>&) override {}
  void markNewsRead(const Text&) override {}
  Text getSearchEngineUrlWithKeywords(const std::string& words) override {
    if (!searchTemplate_) return std::nullopt;
    std::string url = *searchTemplate_;
    return url.replace(url.find("{searchTerms}"), 13, UrlEncode::encode(words));
  }

 private:
  std::optional<std::string> searchTemplate_;
};

std::shared_ptr<NewsSummary> article(int i, const std::string& html = kServerHtml) {
  auto summary = std::make_shared<NewsSummary>();
  summary->setEntryId("a" + std::to_string(i));
  auto status = std::make_shared<VeskEntryStatus>();
  summary->setVeskEntryStatus(status);
  auto detail = std::make_shared<NewsDetail>();
  detail->setEntryId(summary->entryId());
  auto content = std::make_shared<Content>();
  content->setType(2);
  content->setData(html);
  detail->setContent(content);
  auto original = std::make_shared<Link>();
  original->setHref("http://sample.test/article/a" + std::to_string(i) + ".html");
  detail->setAlternatelink(original);
  for (int seq : {1, 3}) {
    auto picture = std::make_shared<VeskCategory>();
    picture->setSeq(seq);
    detail->appendVeskCategorys(picture);
  }
  detail->setSupportBump(false);
  summary->setDetail(detail);
  return summary;
}

class ArticleEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VESKLogInit();
    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ReadingNibs::registerNibs();
    web::WebResourceProvider::setShared(std::make_shared<PictureProvider>());
    DESettings::setFirstRead(false);
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    navigation_.reset();
    browser_.reset();
    window_.reset();
    web::WebResourceProvider::setShared(nullptr);
    MSSettings::setValueForNight(false);
    NRSkinManager::sharedManager().changeSkin("Default");
    UserDefaults::standard().set("kMoreSettingsKeyForNopic", Value(false));
    ui::MenuController::shared().resetForTesting();
    Pasteboard::general().resetForTesting();
    testing::ShellFixture::resetShell();
    VESKLogUninit();
  }

  // A browser on the first of three articles (of `html`, the server's text by default), its page
  // loaded and drawn.
  std::shared_ptr<NewsBrowseController> openArticle(std::vector<std::string> html = {}) {
    html.resize(3, kServerHtml);
    auto items = std::make_shared<ScrolledNewsBrowseController::Items>();
    for (int i = 0; i < 3; ++i) items->push_back(article(i, html[static_cast<size_t>(i)]));
    openBrowser(items);
    auto page = browser_->pageAt(0);
    EXPECT_TRUE(page);
    if (!page) return nullptr;
    EXPECT_TRUE(turnMainLoopUntil([&] { return page->isFinishLoad(); }, kWait));
    settle(*page->webView());
    return page;
  }
  // A browser on the first of `items`, shown.
  void openBrowser(const std::shared_ptr<ScrolledNewsBrowseController::Items>& items) {
    browser_ = std::make_shared<ScrolledNewsBrowseController>();
    browser_->setEngine(std::make_shared<StillEngine>(searchTemplate_));
    browser_->setNewsSummary(items);
    browser_->setFirstinIndex(0);
    auto column = std::make_shared<Column>();
    column->setTitle("Harbour");
    browser_->setDataColumn(column);
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
    navigation_->pushViewController(browser_, false);
    window_->layoutIfNeeded();
  }
  // Waits until the page's picture stops changing.
  static void settle(web::WebView& view) {
    turnMainLoopUntil([&] { return view.pageImage() != nullptr; }, kWait);
    for (int i = 0; i < 25; ++i) {
      auto last = view.pageImage();
      turnMainLoopUntil([] { return false; }, 0.4);
      if (view.pageImage() == last) break;
    }
  }
  static std::string run(web::WebView& view, const std::string& script) {
    std::optional<std::string> answer;
    view.evaluateScript(script, [&](const std::string& result) { answer = result; });
    EXPECT_TRUE(turnMainLoopUntil([&] { return answer.has_value(); }, kWait)) << script;
    return answer.value_or("");
  }
  // Long-presses the character after the first of `word` in the first paragraph, lifts the finger
  // and returns the screen with the menu over the selected word, audited as `look` (none without
  // a look).
  std::shared_ptr<ui::Image> pressWord(web::WebView& web, const std::string& word, const std::string& look = "") {
    auto& menu = ui::MenuController::shared();
    const std::string where = run(web,
        "(function(){var r=document.createRange(),t=document.querySelector('p').firstChild,"
        "i=t.data.indexOf('" + word + "')+1;"
        "r.setStart(t,i);r.setEnd(t,i+1);var b=r.getBoundingClientRect();"
        "return (b.left+b.width/2)+','+(b.top+b.height/2);})()");
    float x = 0, y = 0;
    EXPECT_EQ(2, std::sscanf(where.c_str(), "%f,%f", &x, &y)) << where;
    const ui::Point point = web.convertPointTo(ui::Point(x, y), nullptr);
    // Held until the page's long press has begun and the word is selected (a word selected
    // before stays selected until then).
    ui::GestureRecognizer* press = nullptr;
    for (const auto& view : web.scrollView()->subviews()) {
      for (const auto& recognizer : view->gestureRecognizers()) {
        if (dynamic_cast<ui::LongPressGestureRecognizer*>(recognizer.get())) press = recognizer.get();
      }
    }
    EXPECT_TRUE(press);
    auto finger = window_->beginTouch(point);
    EXPECT_TRUE(turnMainLoopUntil([&] {
      return press && press->state() == ui::GestureState::Began && !web.selectedText().empty();
    }, kWait));
    window_->endTouch(finger);
    EXPECT_TRUE(turnMainLoopUntil([&] { return menu.isMenuVisible(); }, kWait));
    EXPECT_LT(menu.menuFrame().maxY(), point.y);  // over the word
    EXPECT_TRUE(browser_->navBar()->isHidden());  // the press was no tap on the page
    if (look.empty()) return nullptr;
    settle(web);  // the engine draws the highlight
    auto screen = ui::renderScreen();
    if (screen) ui::ContrastAudit::expectReadable(ui::ContrastAudit::auditScreen(*screen, look));
    return screen;
  }
  // The reader's tap on the element `selector` of the page, near its left edge (a script's
  // click is no tap).
  void tapElement(web::WebView& web, const std::string& selector) {
    const std::string where = run(web, "(function () { var b = document.querySelector('" + selector +
                                           "').getBoundingClientRect();"
                                           " return (b.left + Math.min(20, b.width / 2)) + ',' + (b.top + b.height / 2); })()");
    float x = 0, y = 0;
    ASSERT_EQ(2, std::sscanf(where.c_str(), "%f,%f", &x, &y)) << where;
    const ui::Point point = web.convertPointTo(ui::Point(x, y), nullptr);
    auto finger = window_->beginTouch(point);
    window_->endTouch(finger, point);
  }
  // Whether the page's selection is gone, in the page and in what the view last heard.
  bool selectionCleared(web::WebView& web) {
    return turnMainLoopUntil([&] { return web.selectedText().empty(); }, kWait) &&
           run(web, NewsWebView::kSelectionScript).empty();
  }
  // Taps the menu's item `index` (of the items shown) where the reader's finger would.
  static void tapItem(size_t index) {
    auto& menu = ui::MenuController::shared();
    const ui::Rect item = menu.menuView()->itemFrames().at(index);
    const ui::Point at(menu.menuFrame().origin.x + item.midX(), menu.menuFrame().origin.y + item.midY());
    auto target = ui::Application::shared().windowForTouch(at);
    ASSERT_TRUE(target);
    target->tap(target->pointFromSuperview(at));
  }

  std::optional<std::string> searchTemplate_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<ScrolledNewsBrowseController> browser_;
};

TEST_F(ArticleEngineTest, DayNightAndNoImagePagesWithTheirBundlePictures) {
  auto page = openArticle();
  ASSERT_TRUE(page);
  auto& web = *page->webView();
  // The script object reached the page's own script, and the bundle's button picture loaded
  // although the page has no base URL.
  EXPECT_EQ("14px", run(web, "document.body.style.fontSize"));
  const auto button = ui::Image::named("skin_web_present.png");
  ASSERT_TRUE(button);
  EXPECT_EQ(std::to_string(static_cast<int>(button->size().width)),
            run(web, "String(document.querySelector('input[type=image]').offsetWidth)"));
  auto picture = ui::render(web);
  EXPECT_EQ(kRed, picture->pixelAt(150, 200)) << "the article's picture is missing";
  ui::ContrastAudit::write(web, *picture, "article-day");
  ui::ContrastAudit::snapshot(*window_, "browser-toolbar");

  MSSettings::setValueForNight(true);
  NRSkinManager::sharedManager().changeSkin("Night");
  page = openArticle();
  ASSERT_TRUE(page);
  EXPECT_EQ("rgb(28, 28, 30)", run(*page->webView(), "document.body.style.backgroundColor"));
  picture = ui::render(*page->webView());
  EXPECT_EQ(0xff1c1c1eu, picture->pixelAt(300, 20));
  ui::ContrastAudit::write(*page->webView(), *picture, "article-night");
  MSSettings::setValueForNight(false);
  NRSkinManager::sharedManager().changeSkin("Default");

  UserDefaults::standard().set("kMoreSettingsKeyForNopic", Value(true));
  page = openArticle();
  ASSERT_TRUE(page);
  auto& plain = *page->webView();
  EXPECT_EQ(0u, run(plain, "document.getElementById('img').src").find("zu-res:"));
  EXPECT_NE("0", run(plain, "String(document.getElementById('img').naturalWidth)"));
  picture = ui::render(plain);
  EXPECT_NE(kRed, picture->pixelAt(150, 200));
  ui::ContrastAudit::write(plain, *picture, "article-nopic");
}

// The layouts a tap on the page switches to, by day and by night: with the bar, the screen's
// ground between the pages and the toolbar is the pages' grey, not black; full screen, the
// article's headline begins below the floating back button, which covers none of it.
TEST_F(ArticleEngineTest, TheLayoutsWithTheBarAndFullScreenByDayAndNight) {
  for (const bool night : {false, true}) {
    SCOPED_TRACE(night ? "night" : "day");
    const std::string look = night ? "night" : "day";
    MSSettings::setValueForNight(night);
    NRSkinManager::sharedManager().changeSkin(night ? "Night" : "Default");
    auto page = openArticle();
    ASSERT_TRUE(page);
    auto& web = *page->webView();
    const auto back = browser_->floatingBackButton();
    ASSERT_TRUE(back);
    // The layout's move has ended: the pages and the toolbar show where they are placed.
    auto settled = [&] {
      const auto now = ui::Presentation::now();
      const auto& grid = *browser_->newsBrowseGrid();
      const auto& toolBar = *browser_->toolBarView();
      return now.stateOf(grid).frame() == grid.frame() && now.stateOf(toolBar).frame() == toolBar.frame();
    };
    // A tap where the page has no link: the layout with the bar.
    window_->tap(ui::Point(160, 400));
    ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->isFullScreen() && settled(); }, kWait));
    ASSERT_FALSE(browser_->navBar()->isHidden());
    auto screen = ui::renderScreen();
    ui::ContrastAudit::writeScreen(*screen, "article-bar-layout-" + look);
    const uint32_t ground = night ? 0xff2b2b30u : 0xfff7f7f7u;
    int other = 0;
    for (int x = 0; x < 320; ++x) other += screen->pixelAt(x, 20 + 419) != ground;
    EXPECT_EQ(0, other) << "the 2 points under the pages show another ground";

    // Again: full screen, the floating back button over the page's top.
    window_->tap(ui::Point(160, 400));
    ASSERT_TRUE(turnMainLoopUntil([&] { return !browser_->isFullScreen() && settled() && browser_->navBar()->isHidden(); },
                                  kWait));
    ASSERT_FLOAT_EQ(1, back->alpha());
    settle(web);
    screen = ui::renderScreen();
    ui::ContrastAudit::writeScreen(*screen, "article-full-screen-" + look);
    // The headline where the page shows it: its place in the page's viewport, moved as the
    // page is drawn.
    const std::string where =
        run(web, "(function(){var b=document.querySelector('h2').getBoundingClientRect();return b.left+','+b.top;})()");
    float left = 0, top = 0;
    ASSERT_EQ(2, std::sscanf(where.c_str(), "%f,%f", &left, &top)) << where;
    const ui::Point origin = web.viewportPoint(ui::Point(0, 0));
    const ui::Point headline = web.convertPointTo(ui::Point(left - origin.x, top - origin.y), nullptr);
    const ui::Rect button = back->convertRectTo(back->bounds(), nullptr);
    EXPECT_GE(headline.y, button.maxY()) << "the back button covers the headline";
  }
  MSSettings::setValueForNight(false);
  NRSkinManager::sharedManager().changeSkin("Default");
}

// On a double-density screen the article is laid out at the screen's 320 points, as at scale 1
// (the width of the page's viewport), and drawn at twice the pixels; the read-original button,
// now of the "@2x" picture, keeps its size in points: a picture pixel to a screen pixel.
TEST_F(ArticleEngineTest, AtDoubleDensityThePageKeepsItsPointsAndTheButtonItsSize) {
  DeviceProfile::setScreenScale(2);
  ui::Image::clearNamedCache();
  struct Restore {
    ~Restore() {
      DeviceProfile::setScreenScale(1);
      ui::Image::clearNamedCache();
    }
  } restore;
  auto page = openArticle();
  ASSERT_TRUE(page);
  auto& web = *page->webView();
  EXPECT_TRUE(web.scalesPageToFit());
  // (The page's 319 points hold its viewport's 320.)
  EXPECT_EQ("320,2", run(web, "innerWidth + ',' + devicePixelRatio"));
  const auto button = ui::Image::named("skin_web_present.png");
  ASSERT_TRUE(button);
  EXPECT_EQ(2.f, button->scale());
  EXPECT_EQ(std::to_string(static_cast<int>(button->size().width)) + "," +
                std::to_string(static_cast<int>(button->size().height)),
            run(web, "(function () { var b = document.querySelector('input[type=image]');"
                     " return b.src.indexOf('%402x') > 0 && b.offsetWidth + ',' + b.offsetHeight; })()"));
  auto picture = ui::render(web, 2);
  ASSERT_EQ(static_cast<int>(2 * web.bounds().size.width), picture->pixelWidth());
  ASSERT_EQ(picture->pixelWidth(), web.pageImage()->pixelWidth());  // the engine's own pixels
  EXPECT_EQ(kRed, picture->pixelAt(300, 400)) << "the article's picture is missing";
  ui::ContrastAudit::write(web, *picture, "article-day@2x");
}

// The reader's taps on the page's bridge links open their screens (each on a page of its own:
// two taps in a row would be the grid's double tap).
TEST_F(ArticleEngineTest, TheBridgeLinksClickedInThePage) {
  auto page = openArticle();
  ASSERT_TRUE(page);
  tapElement(*page->webView(), "#pic");
  auto shownViewer = [&] {
    auto shown = std::dynamic_pointer_cast<ui::NavigationController>(browser_->modalViewController());
    return shown ? std::dynamic_pointer_cast<NewPictureViewController>(shown->topViewController()) : nullptr;
  };
  ASSERT_TRUE(turnMainLoopUntil([&] { return shownViewer() != nullptr; }, kWait));
  EXPECT_EQ(1, shownViewer()->pictureIndex());
  EXPECT_EQ(page->detailData(), shownViewer()->detailData());
  browser_->dismissModalViewController(false);
  auto shownLink = [&] {
    auto shown = std::dynamic_pointer_cast<WebViewController_New>(browser_->modalViewController());
    return shown && shown->link() ? *shown->link() : std::string();
  };
  page = openArticle();
  ASSERT_TRUE(page);
  tapElement(*page->webView(), "#page");
  ASSERT_TRUE(turnMainLoopUntil([&] { return !shownLink().empty(); }, kWait));
  EXPECT_EQ("http://sample.test/page.html", shownLink());
  browser_->dismissModalViewController(false);
  // The read-original button submits its form: the sentinel with "?x=0&y=0".
  page = openArticle();
  ASSERT_TRUE(page);
  tapElement(*page->webView(), "input[type=image]");
  ASSERT_TRUE(turnMainLoopUntil([&] { return !shownLink().empty(); }, kWait));
  EXPECT_EQ("http://sample.test/article/a0.html", shownLink());
  browser_->dismissModalViewController(false);
  page = openArticle();
  ASSERT_TRUE(page);
  tapElement(*page->webView(), "#video");
  ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->modalViewController() != nullptr; }, kWait));
  auto player = std::dynamic_pointer_cast<ui::MoviePlayerViewController>(browser_->modalViewController());
  ASSERT_TRUE(player);
  EXPECT_EQ("http://sample.test/v.mp4", player->contentURL());
  // The page itself stayed.
  EXPECT_EQ("港口", run(*page->webView(), "document.title"));
}

// An article opens nothing by itself and nothing but web pages: a link to a local file or to a
// mail with an attachment, a video that is a local file, a frame of the page, the page on screen
// with a timer (without the reader's tap) and a neighbour loaded ahead (not on screen) with a
// timer all come to nothing; the reader's own tap on a link to a web page on the page on screen
// still opens it.
TEST_F(ArticleEngineTest, AnArticleOpensOnlyWebPagesAndOnlyOnTheReadersTap) {
  const std::string hostile = R"(<html><body><p>恶意的文章 A hostile article</p>
<p><a id="file" href="web:gethtmlclick;file:///etc/passwd">file</a>
<a id="mail" href="web:gethtmlclick;mailto:a@b?attach=/etc/passwd&body=x">mail</a>
<a id="video" href="web:getvideoclick;file:///dev/zero">video</a>
<a id="page" href="web:gethtmlclick;http://sample.test/page.html" style="display:block; height:60px">page</a></p>
<iframe src="web:gethtmlclick;http://sample.test/framed.html"></iframe>
<script>setTimeout(function () { location.href = 'web:gethtmlclick;http://sample.test/timer.html'; }, 300);
setTimeout(function () { location.href = 'web:getvideoclick;http://sample.test/timer.mp4'; }, 350);</script>
</body></html>)";
  const std::string neighbour = R"(<html><body><p>下一篇 The next one</p>
<iframe src="web:gethtmlclick;http://sample.test/neighbour-frame.html"></iframe>
<script>setTimeout(function () { location.href = 'web:gethtmlclick;http://sample.test/neighbour.html'; }, 100);
setTimeout(function () { location.href = 'web:getvideoclick;http://sample.test/v.mp4'; }, 200);</script>
</body></html>)";
  auto page = openArticle({hostile, neighbour});
  ASSERT_TRUE(page);
  auto& web = *page->webView();
  for (const char* id : {"file", "mail", "video"}) {
    run(web, std::string("document.getElementById('") + id + "').click()");
  }
  // The neighbour loads after the page on screen, and its timers run out.
  ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->pageAt(1) && browser_->pageAt(1)->isFinishLoad(); }, kWait));
  turnMainLoopUntil([] { return false; }, 0.6);
  EXPECT_EQ(nullptr, browser_->modalViewController());
  // The page on screen's own timers.
  ASSERT_TRUE(turnMainLoopUntil([&] {
    return logText().find("command without the reader's tap refused: web:getvideoclick;http://sample.test/timer.mp4") !=
               std::string::npos || browser_->modalViewController();
  }, kWait));
  EXPECT_EQ(nullptr, browser_->modalViewController());
  EXPECT_NE(std::string::npos, logText().find("command without the reader's tap refused: web:gethtmlclick;http://sample.test/timer.html"));
  EXPECT_EQ("恶意的文章 A hostile article", run(web, "document.querySelector('p').textContent"));

  // The reader's tap on the page link.
  tapElement(web, "#page");
  ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->modalViewController() != nullptr; }, kWait));
  auto shown = std::dynamic_pointer_cast<WebViewController_New>(browser_->modalViewController());
  ASSERT_TRUE(shown);
  EXPECT_EQ(std::optional<std::string>("http://sample.test/page.html"), shown->link());
}

// A page given to another article stops being the old one's: an article whose page is taken for
// the article the reader jumps to, and whose code runs when the page is blanked for it (as if on
// the reader's tap: the client's own script), opens nothing while the new article is still to
// come.
TEST_F(ArticleEngineTest, AnArticleWhosePageIsReusedOpensNothing) {
  const std::string hostile = R"(<html><body><p>恶意的文章 A hostile article</p><script>
Object.defineProperty(document.body, 'innerHTML', {set: function () {
  setTimeout(function () { location.href = 'web:gethtmlclick;http://sample.test/reused.html'; }, 200); }});
</script></body></html>)";
  auto items = std::make_shared<ScrolledNewsBrowseController::Items>();
  for (int i = 0; i < 8; ++i) {
    auto summary = article(i, hostile);
    if (i >= 3) summary->setDetail(nullptr);  // still to come when the reader gets there
    items->push_back(summary);
  }
  openBrowser(items);
  auto first = browser_->pageAt(0);
  ASSERT_TRUE(first);
  ASSERT_TRUE(turnMainLoopUntil([&] { return first->isFinishLoad(); }, kWait));
  ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->pageAt(1) && browser_->pageAt(1)->isFinishLoad(); }, kWait));
  // The reader jumps ahead (as back from the picture viewer): a page that showed a hostile
  // article is blanked for the one now on screen.
  std::set<NewsBrowseController*> shown;
  for (int index : browser_->newsBrowseGrid()->indexsForCacheCells()) {
    if (auto page = browser_->pageAt(index); page && page->isFinishLoad()) shown.insert(page.get());
  }
  first->setBackPageIndex(5);
  window_->layoutIfNeeded();
  ASSERT_EQ(5, browser_->currentPage());
  ASSERT_TRUE(browser_->pageAt(5));
  ASSERT_EQ(1u, shown.count(browser_->pageAt(5).get())) << "the page on screen is one that showed the article";
  const std::string refused = "article 5: command of the article shown before refused: web:gethtmlclick;http://sample.test/reused.html";
  ASSERT_TRUE(turnMainLoopUntil([&] {
    return logText().find(refused) != std::string::npos || browser_->modalViewController();
  }, kWait));
  EXPECT_EQ(nullptr, browser_->modalViewController());
}

// A long press on a word of the article selects it in the page and shows the article's five
// items over it; 复制 fills the pasteboard with the word and 转发 hands it to the share screen.
TEST_F(ArticleEngineTest, ALongPressShowsTheArticleMenuOverTheWord) {
  auto& menu = ui::MenuController::shared();
  auto titles = [&] {
    std::vector<std::string> shown;
    for (const auto& item : menu.visibleItems()) shown.push_back(item.title);
    return shown;
  };

  auto page = openArticle();
  ASSERT_TRUE(page);
  auto day = pressWord(*page->webView(), "渡船", "edit-menu-day");
  EXPECT_EQ(page->webView()->selectedText(), "渡船");
  EXPECT_EQ(titles(), (std::vector<std::string>{"复制", "词典", "翻译", "搜索", "转发"}));
  tapItem(0);
  ASSERT_TRUE(turnMainLoopUntil([&] { return Pasteboard::general().string().has_value(); }, kWait));
  EXPECT_EQ("渡船", *Pasteboard::general().string());
  EXPECT_FALSE(menu.isMenuVisible());
  // A copy leaves the word selected.
  EXPECT_EQ("渡船", run(*page->webView(), NewsWebView::kSelectionScript));
  // The desktop's Ctrl+C copies the word lit on the page as 复制 does, the menu gone or shown.
  Pasteboard::general().resetForTesting();
  ASSERT_TRUE(ui::CopyKey::press());
  ASSERT_TRUE(turnMainLoopUntil([&] { return Pasteboard::general().string().has_value(); }, kWait));
  EXPECT_EQ("渡船", *Pasteboard::general().string());
  Pasteboard::general().resetForTesting();
  pressWord(*page->webView(), "渡船");
  ASSERT_TRUE(menu.isMenuVisible());
  ASSERT_TRUE(ui::CopyKey::press());
  ASSERT_TRUE(turnMainLoopUntil([&] { return Pasteboard::general().string().has_value(); }, kWait));
  EXPECT_EQ("渡船", *Pasteboard::general().string());
  // Escape lets the word go: then Ctrl+C has nothing to copy.
  ASSERT_TRUE(ui::EscapeKey::press());
  ASSERT_TRUE(turnMainLoopUntil([&] { return page->webView()->selectedText().empty(); }, kWait));
  EXPECT_FALSE(ui::CopyKey::press());

  MSSettings::setValueForNight(true);
  NRSkinManager::sharedManager().changeSkin("Night");
  page = openArticle();
  ASSERT_TRUE(page);
  auto night = pressWord(*page->webView(), "渡船", "edit-menu-night");
  tapItem(4);
  ASSERT_TRUE(turnMainLoopUntil([] { return !StandInScreen::requests().empty(); }, kWait));
  EXPECT_EQ("ShareViewController", StandInScreen::requests().back().nibName);
  EXPECT_EQ("渡船", StandInScreen::requests().back().parameters.get("postText").stringValue().value_or(""));
  // The word handed on, the page lets go of it.
  EXPECT_TRUE(selectionCleared(*page->webView()));

  ASSERT_TRUE(day && night);
  auto both = ui::Image::create(640, 480);
  ui::Canvas canvas(*both);
  canvas.drawImage(*day, ui::Rect(0, 0, 320, 480));
  canvas.drawImage(*night, ui::Rect(320, 0, 320, 480));
  ui::writeSnapshot(*both, "edit-menu");
}

// An article's script cannot tell which pictures of other articles the client holds: of the
// link cache the page gets only what it names itself. A picture of another article the reader
// read (held) comes from the network as one never seen does, so how fast it comes tells
// nothing; the article's own picture comes from the cache, offline too.
TEST_F(ArticleEngineTest, AnArticleGetsOnlyItsOwnPicturesFromTheLinkCache) {
  FileCacheManager::initGlobalInstance();
  CommInfo::setUsername(std::string("reader"));
  LoopbackServer server;
  auto picture = ui::Image::create(28, 12);
  for (int i = 0; i < 28 * 12; ++i) picture->mutablePixels()[i] = kRed;
  const auto png = *picture->pngData();
  for (const char* path : {"/own.png", "/read-before.png", "/never-seen.png"}) {
    server.setResponse(path, LoopbackServer::Response::text(200, std::string(png.begin(), png.end()), "image/png"));
  }
  auto provider = std::make_shared<ShellWebResourceProvider>();
  web::WebResourceProvider::setShared(provider);
  // Earlier reading left this article's picture and another article's in the link cache.
  for (const char* path : {"/own.png", "/read-before.png"}) {
    bool answered = false;
    provider->resourceForUrl(server.url(path), web::WebResourceProvider::Reach::kCacheThenNetwork,
                             [&](std::optional<web::WebResource> resource) {
                               EXPECT_TRUE(resource);
                               answered = true;
                             });
    ASSERT_TRUE(turnMainLoopUntil([&] { return answered; }, kWait));
    ASSERT_TRUE(provider->holds(server.url(path)));
  }
  const std::string html = "<html><body><p>文章 An article</p><img id=\"own\" src=\"" + server.url("/own.png") +
                           "\"><script>window.probes = {};\n"
                           "['read-before', 'never-seen'].forEach(function (name) {\n"
                           "  var probe = new Image();\n"
                           "  probe.onload = function () { probes[name] = 'loaded'; };\n"
                           "  probe.onerror = function () { probes[name] = 'failed'; };\n"
                           "  probe.src = '" + server.url("/") + "' + name + '.png';\n"
                           "});</script></body></html>";
  const std::string probes = "[probes['read-before'] || 'waiting', probes['never-seen'] || 'waiting', "
                             "document.getElementById('own').naturalWidth].join()";
  auto page = openArticle({html});
  ASSERT_TRUE(page);
  ASSERT_TRUE(turnMainLoopUntil([&] { return run(*page->webView(), probes).find("waiting") == std::string::npos; }, kWait));
  EXPECT_EQ("loaded,loaded,28", run(*page->webView(), probes));
  EXPECT_EQ(1u, web::timesServed(server, "/own.png")) << "the page's own picture comes from the cache";
  EXPECT_EQ(2u, web::timesServed(server, "/read-before.png")) << "a held picture it does not name comes from the network";
  EXPECT_EQ(1u, web::timesServed(server, "/never-seen.png"));
  // Nothing of what the script asked for was kept.
  EXPECT_FALSE(provider->holds(server.url("/never-seen.png")));

  // Offline the article still shows its own picture; the other article's stays out of reach.
  server.stop();
  page = openArticle({html});
  ASSERT_TRUE(page);
  ASSERT_TRUE(turnMainLoopUntil([&] { return run(*page->webView(), probes) == "failed,failed,28"; }, kWait))
      << run(*page->webView(), probes);
  browser_.reset();
  navigation_.reset();
  web::WebResourceProvider::setShared(nullptr);
  CommInfo::globalUninit();
  FileCacheManager::uninitGlobalInstance();
}

// A page's style sheet and pictures from the sample service, as the application's cache brings
// them.
class ServiceProvider : public web::WebResourceProvider {
 public:
  explicit ServiceProvider(const SampleService& service) : base_(service.baseUrl()), http_("127.0.0.1", service.port()) {}
  void resourceForUrl(const std::string& url, Reach, Done done) override {
    if (url.rfind(base_, 0) != 0) return done(std::nullopt);
    auto answer = http_.Get(url.substr(base_.size()));
    if (!answer || answer->status != 200) return done(std::nullopt);
    done(web::WebResource{std::vector<uint8_t>(answer->body.begin(), answer->body.end()),
                          answer->get_header_value("Content-Type")});
  }

 private:
  std::string base_;
  httplib::Client http_;
};

// The sample's article as the browser shows it, its style sheet from the service: the time and
// the byline under the headline read at 4.5:1 on the page's ground, by day and by night
// (sample-article-day.png, sample-article-night.png).
TEST_F(ArticleEngineTest, TheSampleArticlesTimeAndBylineReadByDayAndByNight) {
  SampleService service;
  ASSERT_TRUE(service.start());
  web::WebResourceProvider::setShared(std::make_shared<ServiceProvider>(service));
  httplib::Client http("127.0.0.1", service.port());
  auto answer = http.Get("/article/art-news-3.atom");
  ASSERT_TRUE(answer && answer->status == 200);
  auto feed = VESKAtomParser::allocParseFeed(answer->body, kEntryKindNewsDetail);
  ASSERT_TRUE(feed && feed->entrys() && feed->entrys()->size() == 1);
  auto detail = std::dynamic_pointer_cast<NewsDetail>(feed->entrys()->front());
  ASSERT_TRUE(detail && detail->content() && detail->content()->data());
  const std::string html = *detail->content()->data();
  auto colourOf = [](const std::string& css) {
    int r = 0, g = 0, b = 0;
    EXPECT_EQ(3, std::sscanf(css.c_str(), "rgb(%d, %d, %d)", &r, &g, &b)) << css;
    return ui::Color::rgba8(r, g, b);
  };
  for (const bool night : {false, true}) {
    MSSettings::setValueForNight(night);
    NRSkinManager::sharedManager().changeSkin(night ? "Night" : "Default");
    auto page = openArticle({html, html, html});
    ASSERT_TRUE(page);
    auto& web = *page->webView();
    ASSERT_TRUE(turnMainLoopUntil([&] {
      return run(web, "getComputedStyle(document.querySelector('.meta')).fontSize") != "16px";
    }, kWait)) << "the style sheet did not arrive";
    settle(web);
    auto picture = ui::render(web);
    ASSERT_TRUE(picture);
    for (const char* part : {".meta .time", ".byline"}) {
      const ui::Color text = colourOf(run(web, std::string("getComputedStyle(document.querySelector('") + part + "')).color"));
      // The ground beside the line, in the page's right margin (left of the scroll indicator).
      float y = 0;
      ASSERT_EQ(1, std::sscanf(run(web, std::string("String((function(){var b=document.querySelector('") + part +
                                            "').getBoundingClientRect();return b.top+b.height/2;})())").c_str(),
                               "%f", &y));
      const uint32_t pixel = picture->pixelAt(306, static_cast<int>(y));
      const ui::Color ground = ui::Color::rgba8(static_cast<int>((pixel >> 16) & 0xff), static_cast<int>((pixel >> 8) & 0xff), static_cast<int>(pixel & 0xff));
      EXPECT_GE(ui::ContrastAudit::contrastRatio(text, ground), 4.5f)
          << part << (night ? " by night" : " by day") << ": " << run(web, std::string("getComputedStyle(document.querySelector('") + part + "')).color")
          << " on " << std::hex << pixel;
    }
    ui::ContrastAudit::write(web, *picture, night ? "sample-article-night" : "sample-article-day");
  }
  MSSettings::setValueForNight(false);
  NRSkinManager::sharedManager().changeSkin("Default");
}

// The menu's 词典, 翻译 and 搜索 on the word "ferry" open the in-app browser on the sample service's
// pages (the dictionary host, the search template), which name the word and give its entry, its
// translation and the articles that mention it; by day and by night (menu-lookups.png: day
// above, night below, the three pages from left to right).
TEST_F(ArticleEngineTest, TheMenusLookupsShowTheirPagesInTheBrowser) {
  SampleService service;
  ASSERT_TRUE(service.start());
  ServiceHosts::setDictionaryHost(service.host());
  struct Restore {
    ~Restore() { ServiceHosts::setDictionaryHost(std::nullopt); }
  } restore;
  searchTemplate_ = service.baseUrl() + "/search?q={searchTerms}&";
  struct Lookup {
    size_t item;
    const char* path;
    const char* shows;
  };
  const Lookup lookups[] = {{1, "/dp/dp", "n. 渡船，渡轮"}, {2, "/dp/fy", "译文：渡船"},
                            {3, "/search", "Ferry timetable changes for the winter"}};
  auto all = ui::Image::create(960, 960);
  ui::Canvas canvas(*all);
  for (const bool night : {false, true}) {
    MSSettings::setValueForNight(night);
    NRSkinManager::sharedManager().changeSkin(night ? "Night" : "Default");
    auto page = openArticle();
    ASSERT_TRUE(page);
    for (const Lookup& lookup : lookups) {
      pressWord(*page->webView(), "ferry");
      EXPECT_EQ("ferry", page->webView()->selectedText());
      tapItem(lookup.item);
      std::shared_ptr<WebViewController_New> shown;
      ASSERT_TRUE(turnMainLoopUntil([&] {
        shown = std::dynamic_pointer_cast<WebViewController_New>(browser_->modalViewController());
        return shown && shown->webView() && !shown->webView()->isHidden();
      }, kWait)) << lookup.path;
      ASSERT_TRUE(shown->link());
      EXPECT_EQ(0u, shown->link()->find(service.baseUrl() + lookup.path + "?")) << *shown->link();
      const std::string text = run(*shown->webView(), "document.body.innerText");
      EXPECT_NE(std::string::npos, text.find("ferry")) << text;
      EXPECT_NE(std::string::npos, text.find(lookup.shows)) << text;
      settle(*shown->webView());
      auto screen = ui::renderScreen();
      ASSERT_TRUE(screen);
      ui::ContrastAudit::expectReadable(ui::ContrastAudit::auditScreen(
          *screen, std::string("menu-lookup-") + (night ? "night-" : "day-") + std::to_string(lookup.item)));
      canvas.drawImage(*screen, ui::Rect(320.f * static_cast<float>(lookup.item - 1), night ? 480 : 0, 320, 480));
      browser_->dismissModalViewController(false);
      // Back on the article, the word looked up is no longer highlighted.
      EXPECT_TRUE(selectionCleared(*page->webView())) << lookup.path;
      if (lookup.item == 1) {
        settle(*page->webView());
        if (auto back = ui::renderScreen()) ui::writeSnapshot(*back, std::string("after-lookup-") + (night ? "night" : "day"));
      }
      shown->webView()->stopLoading();
      turnMainLoopUntil([] { return false; }, 0.2);
    }
  }
  ui::writeSnapshot(*all, "menu-lookups");
}

}  // namespace
}  // namespace zu
