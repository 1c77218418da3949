// The web view in the real engine: pages built by the client and pages from a loopback
// server, their sub-resources, the delegate's questions, the scripts the screens run, the
// picture of a page and the engine's cookies. One engine serves the whole binary.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/device/DeviceProfile.h"
#include "platform/device/Pasteboard.h"
#include "platform/net/DesktopProxy.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
#include "platform/web/CookieStorage.h"
#include "platform/web/EngineWebBackend.h"
#include "platform/web/NamedResources.h"
#include "platform/web/WebEngine.h"
#include "platform/web/engine-tests/EngineTestSupport.h"
#include "platform/web/engine-tests/WebEngineTestMain.h"
#include "platform/web/WebResourceProvider.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"
#include "testing/LoopbackProxy.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"
#include "testing/TempHome.h"

namespace zu::web {
namespace {

constexpr double kWait = 20;

std::vector<uint8_t> squarePng(uint32_t argb, int side) {
  auto image = ui::Image::create(side, side);
  for (int i = 0; i < side * side; ++i) image->mutablePixels()[i] = argb;
  return *image->pngData();
}

using Reach = WebResourceProvider::Reach;

// Serves fixed bytes per address and writes down what it was asked, with where the answer may
// come from.
class TestProvider : public WebResourceProvider {
 public:
  void resourceForUrl(const std::string& url, Reach reach, Done done) override {
    std::optional<WebResource> answer;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      asked_.push_back({url, reach});
      if (auto it = resources_.find(url); it != resources_.end()) answer = it->second;
    }
    done(std::move(answer));
  }

  void serve(const std::string& url, std::vector<uint8_t> data, std::string mime = {}) {
    std::lock_guard<std::mutex> lock(mutex_);
    resources_[url] = WebResource{std::move(data), std::move(mime)};
  }
  std::map<std::string, Reach> asked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::map<std::string, Reach> result;
    for (auto& [url, fetch] : asked_) result[url] = fetch;
    return result;
  }
  size_t timesAsked(const std::string& url) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<size_t>(std::count_if(asked_.begin(), asked_.end(),
                                             [&](const auto& entry) { return entry.first == url; }));
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, WebResource> resources_;
  std::vector<std::pair<std::string, Reach>> asked_;
};

class Delegate : public WebViewDelegate {
 public:
  bool shouldStartLoad(WebView&, const std::string& url, int type, bool userGesture) override {
    asked.push_back({url, type});
    gestures[url] = userGesture;
    return url == "about:blank" || allowAll;
  }
  void didNavigateMainFrame(WebView&, const std::string& url, bool userGesture) override {
    mainFrame.push_back(url);
    mainFrameGestures[url] = userGesture;
  }
  void didStartLoad(WebView&) override { ++started; }
  void didFinishLoad(WebView&) override { ++finished; }
  void didFailLoad(WebView&, int, const std::string& text) override {
    ++failed;
    lastError = text;
  }

  bool allowAll = false;
  std::vector<std::pair<std::string, int>> asked;
  std::vector<std::string> mainFrame;
  // Whether the reader's tap made the navigation, by address (the latest).
  std::map<std::string, bool> gestures, mainFrameGestures;
  int started = 0, finished = 0, failed = 0;
  std::string lastError;
};

class WebEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider = std::make_shared<TestProvider>();
    WebResourceProvider::setShared(provider);
    view = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
    view->setBackgroundColor(ui::Color::whiteColor());
    delegate = std::make_shared<Delegate>();
    view->setDelegate(delegate);
  }
  void TearDown() override { WebResourceProvider::setShared(nullptr); }

  // Loads `html` without a base URL, naming `named`, and waits for its finish.
  void loadArticle(const std::string& html, const std::vector<std::string>& named = {}) {
    const int before = delegate->finished;
    view->loadHTMLString(html, std::nullopt, std::make_shared<const NamedResources>(named));
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > before; }, kWait))
        << "failed: " << delegate->failed << " " << delegate->lastError;
  }

  std::vector<std::string> run(const std::vector<std::string>& scripts) {
    std::vector<std::string> results;
    for (auto& js : scripts) {
      view->evaluateScript(js, [&](const std::string& r) { results.push_back(r); });
    }
    EXPECT_TRUE(turnMainLoopUntil([&] { return results.size() == scripts.size(); }, kWait));
    return results;
  }

  // Waits until the page's picture satisfies `check`, then until no new picture has come for a
  // moment, and gives the composed view.
  std::shared_ptr<ui::Image> settledPicture(const std::function<bool(const ui::Image&)>& check) {
    EXPECT_TRUE(turnMainLoopUntil(
        [&] { return view->pageImage() && check(*view->pageImage()); }, kWait));
    for (int i = 0; i < 25; ++i) {  // a page that never settles fails the comparison instead
      auto last = view->pageImage();
      turnMainLoopUntil([] { return false; }, 0.4);
      if (view->pageImage() == last) break;
    }
    return ui::render(*view);
  }

  std::shared_ptr<TestProvider> provider;
  std::shared_ptr<WebView> view;
  std::shared_ptr<Delegate> delegate;
};

constexpr uint32_t kRed = 0xffff0000u;
constexpr uint32_t kBlue = 0xff0000ffu;
constexpr uint32_t kPaper = 0xffffffe0u;  // the style sheet's background

const char* kArticle = R"(<!DOCTYPE html>
<html><head>
<link rel="stylesheet" href="http://static.test/article.css?v=3">
<script src="https://static.test/article.js"></script>
</head><body>
<h1>离线文章 Offline article</h1>
<p>这篇文章的图片来自应用自己的缓存。The pictures of this article come from the application's own cache.</p>
<img src="http://img.test/red.png" style="position:absolute; left:200px; top:300px; width:80px; height:80px">
<img src="https://img.test/blue.png" style="position:absolute; left:40px; top:300px; width:80px; height:80px">
</body></html>)";

void serveArticleResources(TestProvider& provider) {
  const std::string css =
      "body { background: rgb(255,255,224); margin: 16px; font-size: 18px; color: #000; }\n"
      "h1 { color: rgb(0,0,128); font-size: 28px; }\n";
  // Without a MIME type, as the link cache answers: the engine must still take it as a style
  // sheet.
  provider.serve("http://static.test/article.css?v=3",
                 std::vector<uint8_t>(css.begin(), css.end()));
  const std::string js = "document.title = 'script ran';";
  provider.serve("https://static.test/article.js", std::vector<uint8_t>(js.begin(), js.end()));
  provider.serve("http://img.test/red.png", squarePng(kRed, 60));
  provider.serve("https://img.test/blue.png", squarePng(kBlue, 60));
}

bool articleShown(const ui::Image& page) {
  return page.pixelAt(240, 340) == kRed && page.pixelAt(80, 340) == kBlue &&
         page.pixelAt(5, 470) == kPaper;
}

// Dark pixels in the band of the heading: the heading's text was drawn.
int headingInk(const ui::Image& picture) {
  int ink = 0;
  for (int y = 16; y < 70; ++y) {
    for (int x = 0; x < 320; ++x) {
      const uint32_t p = picture.pixelAt(x, y);
      if (((p >> 16) & 0xff) < 0x40 && ((p >> 8) & 0xff) < 0x40) ++ink;
    }
  }
  return ink;
}

const std::vector<std::string> kArticleNames = {"http://static.test/article.css?v=3", "https://static.test/article.js",
                                                "http://IMG.test:80/red.png#top", "https://img.test/blue.png"};

TEST_F(WebEngineTest, ArticleResourcesAllComeFromTheProviderAndShowWhereThePagePutsThem) {
  serveArticleResources(*provider);
  loadArticle(kArticle, kArticleNames);
  EXPECT_EQ(delegate->asked, (std::vector<std::pair<std::string, int>>{{"about:blank", 5}}));

  auto first = settledPicture(articleShown);
  ASSERT_TRUE(first);
  // All named by the page (one as written with its host in capitals, its own port and a
  // fragment): the cache may answer them.
  EXPECT_EQ(provider->asked(), (std::map<std::string, Reach>{
                                   {"http://static.test/article.css?v=3", Reach::kCacheThenNetwork},
                                   {"https://static.test/article.js", Reach::kCacheThenNetwork},
                                   {"http://img.test/red.png", Reach::kCacheThenNetwork},
                                   {"https://img.test/blue.png", Reach::kCacheThenNetwork}}));
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"script ran"});
  // The frames' seal keeps the page's doctype first: the page stays in standards mode.
  EXPECT_EQ(run({"document.compatMode"}), std::vector<std::string>{"CSS1Compat"});
  EXPECT_EQ(first->pixelAt(240, 340), kRed);
  EXPECT_EQ(first->pixelAt(80, 340), kBlue);
  EXPECT_GT(headingInk(*first), 200) << "the heading's text is missing";
  ui::writeSnapshot(*first, "web-page");

  // The same article again draws the same picture.
  loadArticle(kArticle, kArticleNames);
  auto second = settledPicture(articleShown);
  ASSERT_TRUE(second);
  ASSERT_EQ(second->pixelWidth(), first->pixelWidth());
  int different = 0;
  for (int y = 0; y < first->pixelHeight(); ++y) {
    for (int x = 0; x < first->pixelWidth(); ++x) {
      if (first->pixelAt(x, y) != second->pixelAt(x, y)) ++different;
    }
  }
  EXPECT_EQ(different, 0);
}

TEST_F(WebEngineTest, BridgeLinksAndTheFormReachTheDelegateAndLoadNothing) {
  loadArticle(R"(<html><body><a id="pic" href="web:getimageclick;seq=3">picture</a>
<form id="orig" method="get" action="http://original.test/sentinel;"><input type="submit"></form>
<script>document.title = 'article';</script></body></html>)");
  run({"document.getElementById('pic').click()"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->asked.size() >= 2; }, kWait));
  run({"document.getElementById('orig').submit()"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->asked.size() >= 3; }, kWait));
  EXPECT_EQ(delegate->asked[1], (std::pair<std::string, int>{"web:getimageclick;seq=3", 0}));
  EXPECT_EQ(delegate->asked[2].first.rfind("http://original.test/sentinel;", 0), 0u)
      << delegate->asked[2].first;
  EXPECT_EQ(delegate->asked[2].second, 1);
  // Refused: the article is still there and nothing else started.
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"article"});
  EXPECT_EQ(delegate->started, 1);
}

TEST_F(WebEngineTest, ATapFollowsTheLinkUnderItAndADragScrollsThePage) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  loadArticle(R"(<html><body style="margin:0">
<a href="web:getimageclick;seq=7" style="display:block; height:100px; background:#ccc">picture</a>
<div style="height:3000px">long</div></body></html>)");
  auto tap = window->beginTouch({100, 50});
  window->endTouch(tap, {102, 52});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->asked.size() >= 2; }, kWait));
  EXPECT_EQ(delegate->asked[1], (std::pair<std::string, int>{"web:getimageclick;seq=7", 0}));

  // The page tells its length; a finger moving up scrolls the scroll view, and the page with it.
  ASSERT_TRUE(turnMainLoopUntil(
      [&] { return view->scrollView()->contentSize().height == 3100; }, kWait))
      << view->scrollView()->contentSize().height;
  auto drag = window->beginTouch({100, 400});
  for (int y = 380; y >= 200; y -= 20) window->moveTouch(drag, {100, static_cast<float>(y)});
  window->endTouch(drag, {100, 200});
  turnMainLoopUntil([] { return false; }, 1.0);  // a fling settles
  const int offset = static_cast<int>(view->scrollView()->contentOffset().y);
  EXPECT_GT(offset, 150);
  ASSERT_TRUE(turnMainLoopUntil(
      [&] { return run({"window.scrollY"}) == std::vector<std::string>{std::to_string(offset)}; },
      kWait))
      << run({"window.scrollY"})[0] << " vs " << offset;
  EXPECT_EQ(delegate->asked.size(), 2u);
}

// A long press selects the word under the finger through the engine (the page's own selection
// holds it), moving the finger stretches the selection, lifting it shows the edit menu over the
// selection, whose copy fills the pasteboard; a tap elsewhere hides the menu and the page's tap
// clears the selection.
TEST_F(WebEngineTest, ALongPressSelectsTheWordAndTheMenuCopiesIt) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  loadArticle(R"(<html><body style="margin:0; font-size:24px; line-height:40px">
<p style="margin:120px 20px 0"><span id="zh">港口的潮汐</span> <span id="en">tide tables</span></p>
</body></html>)");
  // Where a character of a span lies, in view pixels.
  auto centre = [&](const std::string& id, int at) {
    const auto answer = run({"(function(){var r=document.createRange(),t=document.getElementById('" + id +
                             "').firstChild;r.setStart(t," + std::to_string(at) + ");r.setEnd(t," +
                             std::to_string(at + 1) +
                             ");var b=r.getBoundingClientRect();return (b.left+b.width/2)+','+(b.top+b.height/2);})()"});
    float x = 0, y = 0;
    EXPECT_EQ(2, std::sscanf(answer.at(0).c_str(), "%f,%f", &x, &y)) << answer.at(0);
    return ui::Point{x, y};
  };
  auto selection = [&] { return run({"window.getSelection().toString()"}).at(0); };
  // A finger held until the word under it is selected.
  auto press = [&](ui::Point at, const std::string& word) {
    auto finger = window->beginTouch(at);
    EXPECT_TRUE(turnMainLoopUntil([&] { return view->selectedText() == word; }, kWait)) << view->selectedText();
    return finger;
  };
  auto& menu = ui::MenuController::shared();

  auto finger = press(centre("zh", 3), "潮汐");  // on 潮: the word
  window->endTouch(finger);
  EXPECT_EQ(selection(), "潮汐");
  ASSERT_TRUE(turnMainLoopUntil([&] { return menu.isMenuVisible(); }, kWait));
  EXPECT_LT(menu.menuFrame().maxY(), centre("zh", 3).y);  // over the word

  finger = press(centre("en", 1), "tide");  // then along to "tables"
  EXPECT_FALSE(menu.isMenuVisible());  // the new press hid it
  window->moveTouch(finger, centre("en", 8));
  window->endTouch(finger, centre("en", 8));
  ASSERT_TRUE(turnMainLoopUntil([&] { return menu.isMenuVisible(); }, kWait));
  EXPECT_EQ(view->selectedText().rfind("tide tab", 0), 0u) << view->selectedText();
  EXPECT_EQ(selection(), view->selectedText());
  ASSERT_EQ(menu.visibleItems().size(), 1u);
  EXPECT_TRUE(menu.chooseItem(menu.visibleItems().front().title));
  EXPECT_EQ(Pasteboard::general().string().value_or(""), view->selectedText());

  // A press on empty paper selects nothing and shows no menu.
  finger = window->beginTouch(ui::Point{160, 400});
  turnMainLoopUntil([] { return false; }, 0.8);
  window->endTouch(finger);
  turnMainLoopUntil([] { return false; }, 0.3);
  EXPECT_FALSE(menu.isMenuVisible());
  EXPECT_EQ(selection(), "");

  view->selectWordAt(centre("zh", 0));
  ASSERT_TRUE(turnMainLoopUntil([&] { return view->selectedText() == "港口"; }, kWait)) << view->selectedText();
  view->clearSelection();
  ASSERT_TRUE(turnMainLoopUntil([&] { return view->selectedText().empty(); }, kWait));
  EXPECT_EQ(selection(), "");
  menu.resetForTesting();
  Pasteboard::general().resetForTesting();
}

// A page written for a desktop screen: 960 page pixels wide, red on its left half and blue on
// its right, and telling where it was clicked.
const char* kWidePage = R"X(<html><body style="margin:0">
<div onclick="document.title = event.clientX + ',' + event.clientY"
     style="width:960px; height:300px; background:linear-gradient(to right, #f00 50%, #00f 50%)"></div>
</body></html>)X";

// The points of row `y` of a picture (of `scale` pixels a point) that are red.
float redWidth(const ui::Image& picture, int y, float scale = 1) {
  int red = 0;
  const int row = static_cast<int>(static_cast<float>(y) * scale);
  for (int x = 0; x < picture.pixelWidth(); ++x) red += picture.pixelAt(x, row) == kRed ? 1 : 0;
  return static_cast<float>(red) / scale;
}

// Unscaled, a page is laid out at the view's width and drawn a page pixel to a point, so a wide
// one shows its left part and scrolls sideways; scaled to fit, it is laid out at 980 (or the
// width its viewport asks for) and zoomed to the view's width, and a tap lands where it is drawn.
TEST_F(WebEngineTest, ScalesPageToFitZoomsTheLayoutWidthToTheViewsWidth) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  auto innerWidth = [&] { return run({"String(innerWidth)"}).at(0); };
  // The page drawn once the red part of its row 20 is `width` points wide.
  auto drawnWithRed = [&](float width) {
    EXPECT_TRUE(turnMainLoopUntil(
        [&] { return view->pageImage() && std::abs(redWidth(*view->pageImage(), 20) - width) <= 1.5f; }, kWait))
        << (view->pageImage() ? redWidth(*view->pageImage(), 20) : -1);
    return ui::render(*view);
  };
  loadArticle(kWidePage);
  auto picture = settledPicture([](const ui::Image& p) { return p.pixelAt(300, 20) == kRed; });
  EXPECT_EQ(innerWidth(), "320");
  EXPECT_EQ(redWidth(*picture, 20), 320);
  EXPECT_EQ(view->scrollView()->contentSize().width, 960);
  ui::writeSnapshot(*picture, "web-unscaled");

  // Turned on for the page shown.
  view->setScalesPageToFit(true);
  picture = drawnWithRed(480 * 320 / 980.f);
  EXPECT_EQ(innerWidth(), "980");
  EXPECT_EQ(picture->pixelAt(240, 20), kBlue);
  EXPECT_EQ(view->scrollView()->contentSize().width, 320);
  ui::writeSnapshot(*picture, "web-scaled");
  auto tap = window->beginTouch({240, 60});
  window->endTouch(tap, {240, 60});
  ASSERT_TRUE(turnMainLoopUntil([&] { return !run({"document.title"}).at(0).empty(); }, kWait));
  int x = 0, y = 0;
  ASSERT_EQ(2, std::sscanf(run({"document.title"}).at(0).c_str(), "%d,%d", &x, &y));
  EXPECT_NEAR(x, 240 * 980 / 320, 2);
  EXPECT_NEAR(y, 60 * 980 / 320, 2);

  // A page that asks for the view's width is laid out at it, and at the width a script asks for
  // later.
  loadArticle(std::string("<meta name=\"Viewport\" content=\"width=device-width\">") + kWidePage);
  drawnWithRed(320);
  EXPECT_EQ(innerWidth(), "320");
  run({"document.querySelector('meta[name=Viewport]').content = 'width=640'"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return innerWidth() == "640"; }, kWait)) << innerWidth();
  EXPECT_EQ(drawnWithRed(480 / 2.f)->pixelAt(280, 20), kBlue);
}

// On a double-density screen a page is still laid out in points, but the engine draws it at the
// screen's density: its pictures have twice the pixels, the page sees a devicePixelRatio of 2,
// and a tap lands on the point it was made at.
TEST_F(WebEngineTest, ADoubleDensityScreenGetsPagesInPointsAtTwiceThePixels) {
  DeviceProfile::setScreenScale(2);
  struct Restore {
    ~Restore() { DeviceProfile::setScreenScale(1); }
  } restore;
  view = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
  view->setDelegate(delegate);
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  loadArticle(kWidePage);
  settledPicture([](const ui::Image& p) { return p.pixelWidth() == 640 && p.pixelAt(600, 40) == kRed; });
  EXPECT_EQ(view->pageImage()->pixelHeight(), 960);
  EXPECT_EQ(view->pageImage()->size().width, 320);
  EXPECT_EQ(run({"innerWidth + ',' + devicePixelRatio"}), std::vector<std::string>{"320,2"});
  EXPECT_EQ(redWidth(*ui::render(*view, 2), 20, 2), 320);
  auto tap = window->beginTouch({100, 50});
  window->endTouch(tap, {100, 50});
  ASSERT_TRUE(turnMainLoopUntil([&] { return !run({"document.title"}).at(0).empty(); }, kWait));
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"100,50"});
}

TEST_F(WebEngineTest, TheScreensFourScriptsAnswerInOrder) {
  loadArticle(R"(<html><body><script>
window.vesk = { updateFontLevel: function(level) {
  document.body.style.fontSize = (10 + 2 * level) + 'px'; document.title = 'level ' + level; } };
</script><p id="t">Selected words</p></body></html>)");
  run({"var r = document.createRange(); r.selectNodeContents(document.getElementById('t'));"
       "window.getSelection().removeAllRanges(); window.getSelection().addRange(r);"});
  EXPECT_EQ(run({"vesk.updateFontLevel(5)", "document.title", "window.getSelection().toString()",
                 "document.body.innerHTML = \"\";", "document.body.childElementCount"}),
            (std::vector<std::string>{"", "level 5", "Selected words", "", "0"}));
}

// Of the cache an article gets only what it names itself: a picture its script asks for — one
// another article names — comes from the network (the provider is told so), while the article
// that names it may have it from the cache. The names are the page's own: a view loading
// another page no longer has them.
TEST_F(WebEngineTest, AnArticleGetsFromTheCacheOnlyWhatItNames) {
  provider->serve("http://img.test/red.png", squarePng(kRed, 10));
  provider->serve("http://img.test/other.png", squarePng(kBlue, 12));
  const std::string probe = R"(<script>window.probe = 'waiting'; var p = new Image();
p.onload = function () { window.probe = String(p.naturalWidth); };
p.onerror = function () { window.probe = 'failed'; }; p.src = 'http://img.test/other.png';</script>)";
  loadArticle(R"(<html><body><img id="own" src="http://img.test/red.png">)" + probe + "</body></html>",
              {"http://img.test/red.png"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return run({"window.probe"})[0] != "waiting"; }, kWait));
  EXPECT_EQ(run({"window.probe + ',' + document.getElementById('own').naturalWidth"}),
            std::vector<std::string>{"12,10"});
  EXPECT_EQ(provider->asked(), (std::map<std::string, Reach>{{"http://img.test/red.png", Reach::kCacheThenNetwork},
                                                            {"http://img.test/other.png", Reach::kNetworkOnly}}));

  auto other = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
  other->setDelegate(delegate);
  int finished = delegate->finished;
  other->loadHTMLString(R"(<html><body><img src="http://img.test/other.png"></body></html>)", std::nullopt,
                        std::make_shared<const NamedResources>(std::vector<std::string>{"http://img.test/other.png"}));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > finished; }, kWait));
  EXPECT_EQ(scriptAnswer(*other, "String(document.images[0].naturalWidth)"), "12");
  EXPECT_EQ(provider->asked()["http://img.test/other.png"], Reach::kCacheThenNetwork);

  // The first view, loading a page that names nothing, has its old names no more.
  provider = std::make_shared<TestProvider>();
  provider->serve("http://img.test/red.png", squarePng(kRed, 10));
  WebResourceProvider::setShared(provider);
  loadArticle(R"(<html><body><img src="http://img.test/red.png"></body></html>)");
  EXPECT_EQ(run({"String(document.images[0].naturalWidth)"}), std::vector<std::string>{"10"});
  EXPECT_EQ(provider->asked(), (std::map<std::string, Reach>{{"http://img.test/red.png", Reach::kNetworkOnly}}));
}

// A page from elsewhere gets nothing from the client, online or offline: every picture of it,
// of its own host or another, comes from the network as the engine fetches it, whatever the
// client holds, so the timing the page can read of one (when its answer began) tells nothing
// of what the reader has seen.
TEST_F(WebEngineTest, APageFromElsewhereGetsNothingFromTheClient) {
  LoopbackServer server;
  // Another origin than the page's (127.0.0.1): the same server under another name.
  const std::string other = "http://localhost:" + std::to_string(server.port());
  const auto png = squarePng(kRed, 10);
  for (const char* path : {"/held.png", "/fresh.png", "/own.png"}) {
    server.setResponse(path, LoopbackServer::Response::text(200, std::string(png.begin(), png.end()), "image/png"));
    provider->serve(other + path, squarePng(kBlue, 20), "image/png");
  }
  provider->serve(server.url("/own.png"), squarePng(kBlue, 20), "image/png");
  server.setResponse("/page.html", LoopbackServer::Response::text(200, R"(<html><body><img id="held" src=")" + other +
                                                                         R"(/held.png"><img id="fresh" src=")" + other +
                                                                         R"(/fresh.png"><img id="own" src="/own.png">
<script>function timing(id) { var e = performance.getEntriesByName(document.getElementById(id).src)[0];
  return e ? String(e.responseStart) : 'none'; }</script></body></html>)",
                                                                  "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  EXPECT_EQ(run({"['held', 'fresh', 'own'].map(function (id) { return document.getElementById(id).naturalWidth; }).join()"}),
            std::vector<std::string>{"10,10,10"});
  EXPECT_EQ(run({"timing('held') + ' ' + timing('fresh')"}), std::vector<std::string>{"0 0"});
  for (const char* path : {"/held.png", "/fresh.png", "/own.png"}) EXPECT_EQ(timesServed(server, path), 1u) << path;
  EXPECT_TRUE(provider->asked().empty());

  // An address the engine completes (the root's "/") is still asked about once only.
  server.setResponse("/", LoopbackServer::Response::text(200, "<p>root</p>", "text/html"));
  delegate->asked.clear();
  view->loadRequest(server.baseUrl());
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 1; }, kWait));
  EXPECT_EQ(delegate->asked.size(), 1u);
}

TEST_F(WebEngineTest, HistoryAndReloadAskWithTheirTypesAndStopFailsTheLoad) {
  LoopbackServer server;
  for (const char* path : {"/a", "/b"}) {
    server.setResponse(path, LoopbackServer::Response::text(
                                 200, std::string("<title>") + path + "</title>", "text/html"));
  }
  auto slow = LoopbackServer::Response::text(200, "<p>late</p>", "text/html");
  slow.delayBeforeHeaders = std::chrono::milliseconds(3000);
  server.setResponse("/slow", slow);
  delegate->allowAll = true;
  auto waitFinished = [&](int count) {
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished == count; }, kWait));
  };
  view->loadRequest(server.url("/a"));
  waitFinished(1);
  EXPECT_FALSE(view->canGoBack());
  view->loadRequest(server.url("/b"));
  waitFinished(2);
  EXPECT_TRUE(view->canGoBack());
  EXPECT_FALSE(view->canGoForward());

  delegate->asked.clear();
  view->goBack();
  waitFinished(3);
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"/a"});
  EXPECT_TRUE(view->canGoForward());
  view->reload();
  waitFinished(4);
  EXPECT_EQ(delegate->asked, (std::vector<std::pair<std::string, int>>{
                                 {server.url("/a"), 2}, {server.url("/a"), 3}}));

  EXPECT_EQ(delegate->started, 4);  // each load started once, back and reload included
  const int started = delegate->started;
  view->loadRequest(server.url("/slow"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->started > started; }, kWait))
      << started;
  view->stopLoading();
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->failed == 1; }, kWait));
  EXPECT_EQ(delegate->finished, 4);
  EXPECT_FALSE(view->isLoading());
}

// Only a page the client built shows local files, only of the bundle and the fonts, and only as
// its elements.
TEST_F(WebEngineTest, LocalFilesOnlyForClientBuiltPagesAndOnlyFromTheBundleOrFonts) {
  TempHome home;  // the bundle and a file beside it, outside every allowed folder
  const auto bundle = home.path() / "bundle";
  std::filesystem::create_directories(bundle);
  const auto green = squarePng(0xff00ff00u, 20);
  for (const auto& path : {bundle / "button.png", home.path() / "secret.png"}) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(green.data()),
                                                static_cast<std::streamsize>(green.size()));
  }
  Bundle::setMainBundleForTesting(bundle);
  provider->serve("http://img.test/red.png", squarePng(kRed, 10));
  const std::string images =
      "<img id=\"a\" src=\"" + WebView::fileUrl(bundle / "button.png") + "\">"
      "<img id=\"b\" src=\"" + WebView::fileUrl(bundle / ".." / "secret.png") + "\">"
      "<img id=\"c\" src=\"zu-res://fetch/http%3A%2F%2Fimg.test%2Fred.png\">";
  const std::string widths =
      "['a','b','c'].map(function(id) { return document.getElementById(id).naturalWidth; })"
      ".join(',')";

  // The page writes the bundle's file itself, as the client does; a fetch address it writes
  // itself is not one the extension signed for it, and is refused. Its scripts read nothing of
  // the file it shows: not by a synchronous request (with the Accept header of a picture or
  // none), nor by a fetch.
  const std::string button = WebView::fileUrl(bundle / "button.png");
  loadArticle("<html><body>" + images + R"(<script>
function read(accept) {
  var x = new XMLHttpRequest(); x.open('GET', ')" + button + R"(', false);
  if (accept) x.setRequestHeader('Accept', accept);
  try { x.send(); return x.status + ' ' + x.responseText.length; } catch (e) { return 'refused'; }
}
document.title = [read(''), read('image/png,image/*;q=0.8')].join('|');
window.fetched = 'waiting';
fetch(')" + button + R"(').then(function (r) { return r.text(); })
  .then(function (t) { window.fetched = 'read ' + t.length; }, function () { window.fetched = 'refused'; });
</script></body></html>)");
  EXPECT_EQ(run({widths}), std::vector<std::string>{"20,0,0"});
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"refused|refused"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return run({"window.fetched"})[0] != "waiting"; }, kWait));
  EXPECT_EQ(run({"window.fetched"}), std::vector<std::string>{"refused"});
  EXPECT_TRUE(provider->asked().empty());

  // A page from elsewhere that writes such addresses itself gets nothing through them, and the
  // provider hears nothing of them.
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(
                                       200, "<html><body>" + images + "</body></html>",
                                       "text/html"));
  provider = std::make_shared<TestProvider>();
  WebResourceProvider::setShared(provider);
  delegate->allowAll = true;
  const int before = delegate->finished;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > before; }, kWait));
  EXPECT_EQ(run({widths}), std::vector<std::string>{"0,0,0"});
  EXPECT_TRUE(provider->asked().empty());
  Bundle::resetMainBundleForTesting();
}

// What an article's scripts ask for is never fetched by the client: the page's synchronous
// XMLHttpRequest to a loopback address (the client's provider would answer it, as the link
// cache fetches a miss) keeps the engine's same-origin rules and reads nothing, whatever Accept
// header it forges; only the page's picture comes from the provider.
TEST_F(WebEngineTest, AnArticlesScriptsReadNothingThroughTheClient) {
  LoopbackServer server;
  server.setResponse("/secret", LoopbackServer::Response::text(200, "the secret", "text/plain"));
  const std::string secret = server.url("/secret");
  const std::string text = "the secret";
  provider->serve(secret, std::vector<uint8_t>(text.begin(), text.end()), "text/plain");
  provider->serve("http://img.test/red.png", squarePng(kRed, 10));
  loadArticle(R"(<html><body><img id="pic" src="http://img.test/red.png"><script>
function read(accept) {
  var x = new XMLHttpRequest(); x.open('GET', ')" + secret + R"(', false);
  if (accept) x.setRequestHeader('Accept', accept);
  try { x.send(); return x.status + ' ' + x.responseText; } catch (e) { return 'refused'; }
}
document.title = [read(''), read('image/webp,*/*;q=0.5'), read('text/css,*/*;q=0.1')].join('|');
window.fetched = 'waiting';
fetch(')" + secret + R"(').then(function (r) { return r.text(); })
  .then(function (t) { window.fetched = 'read ' + t; }, function () { window.fetched = 'refused'; });
window.opaque = 'waiting';
fetch(')" + secret + R"(', {mode: 'no-cors'}).then(function (r) { return r.text(); })
  .then(function (t) { window.opaque = 'read ' + t; }, function () { window.opaque = 'refused'; });
</script></body></html>)");
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"refused|refused|refused"});
  ASSERT_TRUE(turnMainLoopUntil(
      [&] { return run({"window.fetched + ',' + window.opaque"})[0].find("waiting") == std::string::npos; }, kWait));
  // A fetch without CORS looks like an element and may be answered, but as nothing a script can
  // read.
  EXPECT_EQ(run({"window.fetched + ',' + window.opaque"}), std::vector<std::string>{"refused,read "});
  EXPECT_EQ(run({"String(document.getElementById('pic').naturalWidth)"}), std::vector<std::string>{"10"});
  EXPECT_EQ(provider->timesAsked(secret), 1u) << "the fetch without CORS only: the scripts' requests never reach it";
  auto asked = provider->asked();
  asked.erase(secret);  // the fetch without CORS
  EXPECT_EQ(asked, (std::map<std::string, Reach>{{"http://img.test/red.png", Reach::kNetworkOnly}}));
}

// A page from elsewhere cannot read, nor probe, what the client cached for other sites: a
// synchronous request for a held address of another origin goes to the network under the
// engine's rules, and addresses of the private scheme that the page writes itself — as the
// scheme once took them, or with a made-up token — answer nothing. Nor do its pictures come from
// the cache.
TEST_F(WebEngineTest, AThirdPartyPageCannotReadWhatTheClientCached) {
  const std::string held = "http://img.other.test/seen.png";  // no such host: only the cache has it
  provider->serve(held, squarePng(kRed, 10), "image/png");
  const std::string escaped = "http%3A%2F%2Fimg.other.test%2Fseen.png";
  const std::string forged = "zu-res://cached/" + std::string(32, 'a') + "/" + escaped;
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(200, R"(<html><body>
<img id="held" src=")" + held + R"("><img id="forged" src=")" + forged + R"(">
<script>
function read(address) {
  var x = new XMLHttpRequest(); x.open('GET', address, false);
  x.setRequestHeader('Accept', 'image/webp,*/*;q=0.5');
  try { x.send(); return x.status + ' ' + x.responseText.length; } catch (e) { return 'refused'; }
}
document.title = [read(')" + held + R"('), read('zu-res://cached/)" + escaped + R"('),
                  read(')" + forged + R"(')].join('|');
</script></body></html>)", "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"refused|refused|refused"});
  EXPECT_EQ(run({"document.getElementById('held').naturalWidth + ',' + "
                 "document.getElementById('forged').naturalWidth"}),
            std::vector<std::string>{"0,0"});
  EXPECT_TRUE(provider->asked().empty());
}

// A page's scripts read their own host's addresses from its server, never from the cache: a
// request of its own origin carries no Origin header, and with an Accept header the script
// sets it would look like a picture (here the client holds the address with other bytes).
TEST_F(WebEngineTest, APageFromElsewhereReadsItsOwnAddressesFromItsServer) {
  LoopbackServer server;
  const std::string own = server.url("/own.txt");
  server.setResponse("/own.txt", LoopbackServer::Response::text(200, "served", "text/plain"));
  const std::string cached = "cached";
  provider->serve(own, std::vector<uint8_t>(cached.begin(), cached.end()), "text/plain");
  server.setResponse("/page.html", LoopbackServer::Response::text(200, R"(<html><body><script>
var x = new XMLHttpRequest(); x.open('GET', '/own.txt', false);
x.setRequestHeader('Accept', 'image/webp,*/*;q=0.5');
try { x.send(); document.title = x.status + ' ' + x.responseText; } catch (e) { document.title = 'refused'; }
window.fetched = 'waiting';
fetch('/own.txt', {headers: {Accept: 'image/png'}, referrerPolicy: 'no-referrer'}).then(function (r) { return r.text(); })
  .then(function (t) { window.fetched = t; }, function () { window.fetched = 'refused'; });
</script></body></html>)", "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  ASSERT_TRUE(turnMainLoopUntil([&] { return run({"window.fetched"})[0] != "waiting"; }, kWait));
  EXPECT_EQ(run({"document.title + ',' + window.fetched"}), std::vector<std::string>{"200 served,served"});
  EXPECT_TRUE(provider->asked().empty());
}

// A signed address serves the element it was made for, once: an article's script that reads
// its own (it is in every stack of a script loaded through it) and sets it on a picture gets
// nothing, and the address is not asked for again.
TEST_F(WebEngineTest, APageCannotReuseTheAddressesSignedForIt) {
  const std::string articleScript = "http://static.test/reads-its-address.js";
  const std::string js = "window.signed = /zu-res:[^\\s]*\\.js/.exec(new Error().stack)[0];";
  provider->serve(articleScript, std::vector<uint8_t>(js.begin(), js.end()), "text/javascript");
  loadArticle("<html><body><script src=\"" + articleScript + "\"></script></body></html>");
  // The picture's element has a name of its own: a global `var picture` would be window.picture,
  // which the wait below reads, and end the wait before the picture has been asked for.
  run({"window.picture = 'waiting'; var probe = new Image();"
       "probe.onload = function () { window.picture = 'loaded'; };"
       "probe.onerror = function () { window.picture = 'refused'; }; probe.src = signed;"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return run({"window.picture"})[0] != "waiting"; }, kWait));
  EXPECT_EQ(run({"signed.indexOf('zu-res://fetch/') + ' ' + window.picture"}), std::vector<std::string>{"0 refused"});
  EXPECT_EQ(provider->timesAsked(articleScript), 1u);
}

// An article's frames, objects and embeds cannot navigate, however they try: the only
// navigation the page asks about beyond blank frames is its main frame's.
TEST_F(WebEngineTest, APageBuiltByTheClientNavigatesOnlyFromItsMainFrame) {
  loadArticle(R"( <!doctype html><html><body><p>article</p>
<iframe src="web:gethtmlclick;http://a.test/"></iframe>
<iframe id="b"></iframe><iframe id="c"></iframe><iframe name="d" id="d"></iframe><iframe id="e"></iframe>
<a id="ld" target="d" href="web:gethtmlclick;http://d.test/">d</a>
<object data="web:gethtmlclick;http://f.test/" type="text/html"></object>
<embed src="web:gethtmlclick;http://g.test/" type="text/html">
<iframe src="javascript:'<script>location.href=&quot;web:gethtmlclick;http://h.test/&quot;</script>'"></iframe>
<form target="d" method="get" action="http://vesk.invalid/readoriginal;"><input type="submit" id="j"></form>
<script>
var inner = document.getElementById('e').contentDocument;
inner.open(); inner.write('<a id="x" href="web:gethtmlclick;http://e.test/">x</a>'); inner.close();
inner.getElementById('x').click();
document.getElementById('b').contentWindow.location = 'web:gethtmlclick;http://b.test/';
document.getElementById('c').src = 'web:gethtmlclick;http://c.test/';
document.getElementById('ld').click();
document.getElementById('j').click();
setTimeout(function () { location.href = 'web:gethtmlclick;http://main.test/'; }, 300);
</script></body></html>)");
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->asked.back().first.find("main.test") != std::string::npos; },
                                kWait));
  turnMainLoopUntil([] { return false; }, 0.3);
  std::vector<std::string> beyondBlank;
  for (const auto& [url, type] : delegate->asked) {
    if (url != "about:blank" && url != "about:srcdoc") beyondBlank.push_back(url);
  }
  EXPECT_EQ(beyondBlank, std::vector<std::string>{"web:gethtmlclick;http://main.test/"});
  EXPECT_EQ(delegate->mainFrame, std::vector<std::string>{"about:blank"});
}

// In a page from elsewhere the engine asks about every frame's navigation alike; the addresses
// the page's own frame comes to — a load's answer, the end of a redirect, a load that failed —
// are told apart by didNavigateMainFrame, and a frame's never come there.
TEST_F(WebEngineTest, ThePagesOwnLoadsAndRedirectsAreToldApartFromItsFrames) {
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(
                                       200, R"(<html><body><iframe src="/frame.html"></iframe>
<iframe id="lost"></iframe><a id="go" href="/moved">go</a></body></html>)",
                                       "text/html"));
  server.setResponse("/frame.html", LoopbackServer::Response::text(200, "<p>frame</p>", "text/html"));
  auto moved = LoopbackServer::Response::text(302, "", "text/html");
  moved.headers.push_back({"Location", server.url("/final.html")});
  server.setResponse("/moved", moved);
  server.setResponse("/final.html", LoopbackServer::Response::text(200, "<p>final</p>", "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  // A frame's load that fails is the frame's alone.
  run({"document.getElementById('lost').src = 'http://frame.invalid/x'"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->asked.size() >= 3; }, kWait));
  turnMainLoopUntil([] { return false; }, 0.5);
  run({"document.getElementById('go').click()"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 1; }, kWait)) << delegate->lastError;
  run({"location.href = 'http://page.invalid/callback'"});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->failed > 0; }, kWait));
  std::vector<std::string> asked;
  for (const auto& [url, type] : delegate->asked) {
    if (url != "about:blank") asked.push_back(url);
  }
  EXPECT_EQ(asked, (std::vector<std::string>{server.url("/page.html"), server.url("/frame.html"),
                                             "http://frame.invalid/x", server.url("/moved"),
                                             server.url("/final.html"), "http://page.invalid/callback"}));
  EXPECT_EQ(delegate->mainFrame, (std::vector<std::string>{server.url("/page.html"), server.url("/final.html"),
                                                           "http://page.invalid/callback"}));
}

// The reader's tap on a link is told to the delegate with the navigation it makes, and with the
// address a server's redirect then leads to; what a page does on its own (a timer) is not, nor
// where its redirect leads. The client's own load counts as the reader's.
TEST_F(WebEngineTest, TheReadersTapIsToldApartFromWhatAPageDoesOnItsOwn) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  LoopbackServer server;
  auto redirect = [&](const std::string& to) {
    auto moved = LoopbackServer::Response::text(302, "", "text/html");
    moved.headers.push_back({"Location", server.url(to)});
    return moved;
  };
  server.setResponse("/page.html", LoopbackServer::Response::text(200, R"(<html><body style="margin:0">
<a href="/go" style="display:block; height:100px; background:#ccc">go</a></body></html>)", "text/html"));
  server.setResponse("/go", redirect("/landed.html"));
  server.setResponse("/landed.html", LoopbackServer::Response::text(
      200, "<script>setTimeout(function () { location.href = '/later'; }, 100);</script>", "text/html"));
  server.setResponse("/later", redirect("/final.html"));
  server.setResponse("/final.html", LoopbackServer::Response::text(200, "<p>final</p>", "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  auto tap = window->beginTouch({100, 50});
  window->endTouch(tap, {102, 52});
  ASSERT_TRUE(turnMainLoopUntil([&] {
    return delegate->mainFrameGestures.count(server.url("/final.html")) > 0 &&
           delegate->gestures.count(server.url("/final.html")) > 0;
  }, kWait));
  EXPECT_EQ(delegate->gestures, (std::map<std::string, bool>{{server.url("/page.html"), true},
                                                             {server.url("/go"), true},
                                                             {server.url("/landed.html"), true},
                                                             {server.url("/later"), false},
                                                             {server.url("/final.html"), false}}));
  // (The main frame comes to where the redirects lead.)
  EXPECT_EQ(delegate->mainFrameGestures, (std::map<std::string, bool>{{server.url("/page.html"), true},
                                                                      {server.url("/landed.html"), true},
                                                                      {server.url("/final.html"), false}}));
}

// The client's back, forward and reload count as the reader's for that move only. The reader's
// back from an entry the page pushed over its first one (at its own address or another) stays in
// the document and asks the engine nothing; what the page then does on its own — a reload, a
// move in its history after leaving — is not the reader's, and the client's forward after it is.
TEST_F(WebEngineTest, TheClientsHistoryMovesCountAsTheReadersOnlyForThemselves) {
  LoopbackServer server;
  // Back at its first entry (once), the page reloads itself, or leaves for a page that comes
  // back at once.
  auto page = [](const std::string& pushed, const std::string& then) {
    return LoopbackServer::Response::text(200, R"(<p>page</p><script>
if (!sessionStorage.pushed) {
  sessionStorage.pushed = '1';
  history.pushState(null, '', )" + pushed + R"();
  addEventListener('popstate', function pop() { removeEventListener('popstate', pop); )" + then + R"(; });
}</script>)", "text/html");
  };
  server.setResponse("/reloads", page("location.href", "location.reload()"));
  server.setResponse("/leaves", page("'#pushed'", "location.href = '/back'"));
  server.setResponse("/back", LoopbackServer::Response::text(
      200, "<script>if (!sessionStorage.left) { sessionStorage.left = '1'; history.back(); }</script>", "text/html"));
  delegate->allowAll = true;
  struct Case {
    std::string path;
    std::map<std::string, bool> own;  // the page's own navigations after the reader's back
    std::string forward;
  };
  for (const Case& c : {Case{"/reloads", {{server.url("/reloads"), false}}, ""},
                        Case{"/leaves", {{server.url("/back"), false}, {server.url("/leaves"), false}}, "/back"}}) {
    // A view whose first entry is the page's.
    view = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
    view->setDelegate(delegate);
    const int finished = delegate->finished;
    view->loadRequest(server.url(c.path));
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished == finished + 1; }, kWait));
    ASSERT_EQ(run({"sessionStorage.pushed + ' ' + history.length"}), std::vector<std::string>{"1 2"});
    delegate->gestures.clear();
    view->goBack();
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->gestures.size() == c.own.size() && delegate->finished == finished + 1 + static_cast<int>(c.own.size()); }, kWait)) << c.path;
    EXPECT_EQ(delegate->gestures, c.own) << c.path;
    if (c.forward.empty()) continue;
    delegate->gestures.clear();
    view->goForward();
    ASSERT_TRUE(turnMainLoopUntil([&] { return !delegate->gestures.empty(); }, kWait)) << c.path;
    EXPECT_EQ(delegate->gestures, (std::map<std::string, bool>{{server.url(c.forward), true}})) << c.path;
  }
}

// Nothing a page is answered is ever saved, whatever the server says: an attachment to the page's
// own navigation or to a frame's, a type the engine cannot show, a "download" link the reader
// taps (shown instead, as on the phone). The page's own navigations fail and leave it as it was,
// and files of the names the server gives are left byte for byte as they were, in the desktop
// user's home and download folder.
TEST_F(WebEngineTest, NothingAPageIsAnsweredIsEverSaved) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  auto& desktop = ScratchDesktop::shared();
  const std::string framed = ScratchDesktop::uniqueName("framed", ".desktop");
  const std::string top = ScratchDesktop::uniqueName("important", ".txt");
  const std::string octet = ScratchDesktop::uniqueName("octet", ".bin");
  const std::string linked = ScratchDesktop::uniqueName("linked", ".txt");
  for (const auto& name : {framed, top, octet, linked}) desktop.plant(name, "the reader's own " + name + "\n");
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(200, R"(<html><head><title>page</title></head>
<body style="margin:0"><a href="/linked" download=")" + linked + R"(" style="display:block; height:100px">save</a>
<iframe src="/framed"></iframe></body></html>)", "text/html"));
  server.setResponse("/framed", attachment(framed, "text/html"));
  server.setResponse("/top", attachment(top, "text/plain"));
  server.setResponse("/files/" + octet, LoopbackServer::Response::text(200, "octets", "application/octet-stream"));
  server.setResponse("/linked", LoopbackServer::Response::text(200, "linked", "text/plain"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  ASSERT_EQ(timesServed(server, "/framed"), 1u);
  for (const std::string& path : {std::string("/top"), "/files/" + octet}) {
    const int failed = delegate->failed;
    run({"location.href = '" + path + "'"});
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->failed > failed; }, kWait)) << path;
  }
  EXPECT_EQ(run({"document.title + ' ' + location.pathname"}), std::vector<std::string>{"page /page.html"});
  EXPECT_EQ(delegate->finished, 1);
  auto tap = window->beginTouch({100, 50});
  window->endTouch(tap, {102, 52});
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 1; }, kWait)) << delegate->lastError;
  EXPECT_EQ(run({"document.body.textContent"}), std::vector<std::string>{"linked"});
  EXPECT_EQ(desktop.changes(), std::vector<std::string>{});
}

// Half a second of a 440 Hz tone, 8 kHz mono 16-bit PCM in a WAV file.
std::string toneWav() {
  constexpr uint32_t kRate = 8000;
  constexpr uint32_t kSamples = kRate / 2;
  std::string out;
  auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  };
  out += "RIFF";
  put(36 + kSamples * 2, 4);
  out += "WAVEfmt ";
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(kRate, 4);
  put(kRate * 2, 4);
  put(2, 2);
  put(16, 2);
  out += "data";
  put(kSamples * 2, 4);
  for (uint32_t i = 0; i < kSamples; ++i) {
    const auto sample = static_cast<int16_t>(3000 * std::sin(2 * M_PI * 440 * i / kRate));
    put(static_cast<uint16_t>(sample), 2);
  }
  return out;
}

// A page that plays sound makes the engine's web process start GStreamer's audio: the sound
// server's client looks for its runtime folder, and orc compiles code into a file it makes and
// removes at once. With no runtime folder of the desktop's, neither goes into the desktop user's
// home: nothing new stays there, and no folder of it was touched (a file made and removed again
// shows in its folder's time).
TEST_F(WebEngineTest, APagePlayingSoundLeavesNothingInTheDesktopUsersHome) {
  auto& desktop = ScratchDesktop::shared();
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  LoopbackServer server;
  server.setResponse("/sound.html", LoopbackServer::Response::text(
                                        200, "<html><body><audio id=\"tone\" src=\"/tone.wav\"></audio><script>"
                                             "document.addEventListener('click', function () { document.getElementById('tone').play(); });"
                                             "</script></body></html>",
                                        "text/html"));
  server.setResponse("/tone.wav", LoopbackServer::Response::text(200, toneWav(), "audio/wav"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/sound.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  window->tap(ui::Point(100, 100));
  // Played to its end (or refused by the machine's audio, which still started GStreamer's).
  const std::string state =
      "(function() { var a = document.getElementById('tone');"
      " return a.ended ? 'ended' : a.error ? 'error ' + a.error.code : 'at ' + a.currentTime; })()";
  auto reached = std::make_shared<std::string>();
  auto asking = std::make_shared<bool>(false);
  ASSERT_TRUE(turnMainLoopUntil(
      [&] {
        if (!*asking) {
          *asking = true;
          view->evaluateScript(state, [reached, asking](const std::string& answer) {
            *reached = answer;
            *asking = false;
          });
        }
        return *reached == "ended";
      },
      kWait))
      << *reached;
  EXPECT_EQ(desktop.changes(), std::vector<std::string>{});
}

// Sound plays only after the reader's tap: not by itself (autoplay), and not from page code
// that the client's own scripts set off — a getter the page put on what a script reads, a
// mutation event of the script that empties a page as its screen closes.
TEST_F(WebEngineTest, MediaPlaysOnlyAfterTheReadersTap) {
  auto window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(view);
  LoopbackServer server;
  server.setResponse("/tone.wav", LoopbackServer::Response::text(200, toneWav(), "audio/wav"));
  server.setResponse("/media.html", LoopbackServer::Response::text(200, R"(<html><body>
<audio id="auto" src="/tone.wav" autoplay></audio><p>sound</p>
<script>window.tries = [];
function tryPlay(why) {
  var a = new Audio('/tone.wav');
  a.play().then(function () { tries.push(why + ' played'); a.pause(); }, function (e) { tries.push(why + ' ' + e.name); });
}
Object.defineProperty(document, 'title', {get: function () { tryPlay('getter'); return 'title'; }});
document.addEventListener('DOMNodeRemoved', function once() {
  document.removeEventListener('DOMNodeRemoved', once); tryPlay('removed'); });
document.addEventListener('click', function () { tryPlay('tap'); });
</script></body></html>)", "text/html"));
  delegate->allowAll = true;
  view->loadRequest(server.url("/media.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > 0; }, kWait)) << delegate->lastError;
  // The autoplaying one has its sound at hand and did not start.
  ASSERT_TRUE(turnMainLoopUntil([&] { return run({"String(document.getElementById('auto').readyState)"})[0] == "4"; }, kWait));
  EXPECT_EQ(run({"String(document.getElementById('auto').paused)"}), std::vector<std::string>{"true"});
  auto tries = [&](size_t count) {
    EXPECT_TRUE(turnMainLoopUntil([&] { return run({"String(tries.length)"})[0] == std::to_string(count); }, kWait));
    return run({"tries.join()"})[0];
  };
  EXPECT_EQ(run({"document.title"}), std::vector<std::string>{"title"});
  EXPECT_EQ(tries(1), "getter NotAllowedError");
  run({"document.body.innerHTML = \"\";"});
  EXPECT_EQ(tries(2), "getter NotAllowedError,removed NotAllowedError");
  window->tap(ui::Point(100, 100));
  EXPECT_EQ(tries(3), "getter NotAllowedError,removed NotAllowedError,tap played");
}

// The web processes this test binary's engine runs now.
std::set<int> webProcesses() {
  std::set<int> pids;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    int ppid = 0;
    char state = 0;
    std::istringstream rest(line.substr(close + 2));
    rest >> state >> ppid;
    // A process that has ended and is not yet reaped (a zombie) runs no page any more.
    if (state == 'Z' || state == 'X') continue;
    if (ppid == getpid() && line.substr(open + 1, close - open - 1) == "WPEWebProcess") {
      pids.insert(std::stoi(line.substr(0, open)));
    }
  }
  return pids;
}

// The pages of one family share one web process; pages of none have one each. (Counted as the
// processes that end when the pages go: the engine may keep a spare process of its own.)
TEST_F(WebEngineTest, PagesOfAFamilyShareOneWebProcess) {
  auto processesOfPages = [&](const std::string& family) {
    std::vector<std::shared_ptr<WebView>> views;
    for (int i = 0; i < 3; ++i) {
      auto page = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
      page->setProcessFamily(family);
      page->setDelegate(delegate);
      views.push_back(page);
    }
    const int finished = delegate->finished;
    for (auto& page : views) page->loadHTMLString("<p>page</p>", std::nullopt);
    EXPECT_TRUE(turnMainLoopUntil([&] { return delegate->finished == finished + 3; }, kWait));
    const std::set<int> running = webProcesses();
    views.clear();
    size_t gone = 0;
    // Until no more of them end for a while.
    for (int quiet = 0; quiet < 4;) {
      turnMainLoopUntil([] { return false; }, 0.25);
      const std::set<int> now = webProcesses();
      size_t ended = 0;
      for (int pid : running) ended += now.count(pid) ? 0 : 1;
      quiet = ended == gone ? quiet + 1 : 0;
      gone = ended;
    }
    return gone;
  };
  EXPECT_EQ(processesOfPages("articles"), 1u);
  EXPECT_EQ(processesOfPages(""), 3u);
}

// A prewarmed family's next page takes the warm page's view, whose compositing has drawn
// already: the page shows only its own document (never the warm document, which the view no
// longer shows), at its own size, hears only its own load and has no history before it. When the family's last page closes, a warm page takes its place,
// and the next page takes that one.
TEST_F(WebEngineTest, APrewarmedFamilysPageTakesTheWarmViewAndShowsOnlyItsOwnDocument) {
  const std::string family = "warm";
  WebView::setPrewarmAllowed(true);
  WebView::prewarm(family);
  WebView::setPrewarmAllowed(false);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(turnMainLoopUntil([&] { return EngineWebBackend::hasWarmPage(family); }, kWait));
    auto own = std::make_shared<Delegate>();
    auto page = std::make_shared<WebView>(ui::Rect{{0, 0}, {200, 300}});
    page->setProcessFamily(family);
    page->setDelegate(own);
    page->loadHTMLString("<body style=\"margin:0;background:rgb(255,0,0)\"><p>own</p></body>", std::nullopt);
    // Every picture until the page's own stands: none of the warm document's ground.
    bool warmGroundSeen = false;
    ASSERT_TRUE(turnMainLoopUntil([&] {
      auto image = page->pageImage();
      if (!image) return false;
      if (image->pixelAt(2, 2) == 0xfff7f7f7u) warmGroundSeen = true;
      return own->finished == 1 && image->pixelWidth() == 200 && image->pixelHeight() == 300 &&
             image->pixelAt(100, 250) == kRed;
    }, kWait));
    EXPECT_FALSE(warmGroundSeen);
    EXPECT_FALSE(EngineWebBackend::hasWarmPage(family));  // this page took it
    EXPECT_EQ(own->started, 1);
    EXPECT_EQ(own->failed, 0);
    EXPECT_EQ(own->mainFrame, std::vector<std::string>{"about:blank"});
    EXPECT_TRUE(own->mainFrameGestures["about:blank"]);  // the client's own load
    EXPECT_FALSE(page->canGoBack());
    std::string answer;
    page->evaluateScript("innerWidth + ',' + history.length", [&](const std::string& r) { answer = r; });
    ASSERT_TRUE(turnMainLoopUntil([&] { return !answer.empty(); }, kWait));
    EXPECT_EQ(answer, "200,1");
    page.reset();
  }
}

// Dark pixels of a page's picture: its text was drawn.
int ink(const ui::Image& picture) {
  int dark = 0;
  for (int y = 0; y < picture.pixelHeight(); ++y) {
    for (int x = 0; x < picture.pixelWidth(); ++x) {
      const uint32_t p = picture.pixelAt(x, y);
      if ((p >> 24) > 0x80 && ((p >> 16) & 0xff) < 0x40 && ((p >> 8) & 0xff) < 0x40 && (p & 0xff) < 0x40) ++dark;
    }
  }
  return dark;
}

const char* kTextPage = "<body style=\"margin:0;background:#fff\"><h1 style=\"color:#000;font-size:40px\">"
                        "\u6587\u5b57 Text</h1></body>";

// A family's page opened again at once after its last page went — while the warm page that
// keeps the family's process is being made — gets its view after that one's, and draws its
// text, every time; so do pages of a family opened together as its process starts.
TEST_F(WebEngineTest, AFamilysPageReopenedAtOnceAfterItsLastWentDrawsItsText) {
  const std::string family = "reopened";
  WebView::setPrewarmAllowed(true);
  WebView::prewarm(family);
  WebView::setPrewarmAllowed(false);
  ASSERT_TRUE(turnMainLoopUntil([&] { return EngineWebBackend::hasWarmPage(family); }, kWait));
  std::shared_ptr<WebView> page;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    // The last page goes (a warm page takes its place) and the next comes in the same turn.
    page.reset();
    page = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 200}});
    page->setProcessFamily(family);
    auto own = std::make_shared<Delegate>();
    page->setDelegate(own);
    page->loadHTMLString(kTextPage, std::nullopt);
    ASSERT_TRUE(turnMainLoopUntil([&] { return own->finished == 1 && page->pageImage() && ink(*page->pageImage()) > 200; },
                                  kWait))
        << "finished " << own->finished << " failed " << own->failed;
  }
  page.reset();

  // Several pages of a family opened at once, as its process starts: each draws its text.
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::shared_ptr<WebView>> pages;
    auto own = std::make_shared<Delegate>();
    for (int i = 0; i < 3; ++i) {
      pages.push_back(std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 200}}));
      pages.back()->setProcessFamily("together " + std::to_string(round));
      pages.back()->setDelegate(own);
      pages.back()->loadHTMLString(kTextPage, std::nullopt);
    }
    ASSERT_TRUE(turnMainLoopUntil([&] {
      return own->finished == 3 && std::all_of(pages.begin(), pages.end(), [](const auto& p) {
               return p->pageImage() && ink(*p->pageImage()) > 200;
             });
    }, kWait)) << "finished " << own->finished << " failed " << own->failed;
  }
}

// A page whose web process is killed comes back in a new one: the client's HTML, and a page
// loaded from an address (asked of its server again). (Every web process of the run is killed:
// the engine may have given the page one it started ahead.)
TEST_F(WebEngineTest, APageWhoseWebProcessIsKilledComesBack) {
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(200, kTextPage, "text/html; charset=utf-8"));
  delegate->allowAll = true;
  auto killAndWait = [&] {
    auto shown = view->pageImage();
    const int finished = delegate->finished;
    const std::set<int> running = webProcesses();
    ASSERT_FALSE(running.empty());
    for (int pid : running) kill(pid, SIGKILL);
    ASSERT_TRUE(turnMainLoopUntil([&] {
      return delegate->finished > finished && view->pageImage() != shown && ink(*view->pageImage()) > 200;
    }, kWait)) << "finished " << delegate->finished << " failed " << delegate->failed;
    EXPECT_EQ(scriptAnswer(*view, "document.querySelector('h1').textContent"), "\u6587\u5b57 Text");
  };

  loadArticle(kTextPage);
  ASSERT_TRUE(turnMainLoopUntil([&] { return view->pageImage() && ink(*view->pageImage()) > 200; }, kWait));
  killAndWait();
  EXPECT_EQ(delegate->asked, (std::vector<std::pair<std::string, int>>{{"about:blank", 5}}));

  view = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
  view->setDelegate(delegate);
  const int finished = delegate->finished;
  view->loadRequest(server.url("/page.html"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > finished && view->pageImage() &&
                                             ink(*view->pageImage()) > 200; }, kWait));
  killAndWait();
  EXPECT_EQ(timesServed(server, "/page.html"), 2u);
}

// The web process draws its pages with Mesa's GL, with llvmpipe where there is no GPU: it keeps
// no shader cache on disk and compiles its shaders the quick way, whatever the desktop's
// environment asked for (the variables reach it from the client, set as the client starts).
TEST_F(WebEngineTest, TheWebProcessCompilesItsShadersQuicklyAndCachesNone) {
  const int finished = delegate->finished;
  view->loadHTMLString("<p>page</p>", std::nullopt);
  ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > finished; }, kWait));
  const std::set<int> pids = webProcesses();
  ASSERT_FALSE(pids.empty());
  int read = 0;
  for (int pid : pids) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    std::map<std::string, std::string> environment;
    for (std::string entry; std::getline(file, entry, '\0');) {
      const size_t equals = entry.find('=');
      if (equals != std::string::npos) environment[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    // An earlier page's process that is ending as it is looked at has no environment left.
    if (environment.empty()) continue;
    ++read;
    SCOPED_TRACE(pid);
    EXPECT_EQ(environment["MESA_SHADER_CACHE_DISABLE"], "true");
    EXPECT_EQ(environment["GALLIVM_PERF"], "nopt");
    EXPECT_EQ(environment["LP_NATIVE_VECTOR_WIDTH"], "128");
  }
  EXPECT_GT(read, 0);
}

TEST_F(WebEngineTest, CookiesAreDeletedBySiteAndTheEphemeralPageKeepsNone) {
  LoopbackServer server;
  server.setHandler([](const LoopbackServer::Request& request) {
    auto response = LoopbackServer::Response::text(200, "<html><body>set</body></html>",
                                                    "text/html");
    response.headers.push_back({"Set-Cookie", "visit" + request.query + "=1; Path=/; Max-Age=3600"});
    return response;
  });
  const std::string port = std::to_string(server.port());
  delegate->allowAll = true;
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    const int before = delegate->finished;
    view->loadRequest("http://" + host + ":" + port + "/set?a");
    ASSERT_TRUE(turnMainLoopUntil([&] { return delegate->finished > before; }, kWait));
  }
  auto sites = [] {
    std::optional<std::vector<std::string>> result;
    CookieStorage::shared().sites([&](std::vector<std::string> s) { result = s; });
    EXPECT_TRUE(turnMainLoopUntil([&] { return result.has_value(); }, kWait));
    return result.value_or(std::vector<std::string>{});
  };
  EXPECT_EQ(sites(), (std::vector<std::string>{"127.0.0.1", "localhost"}));

  std::optional<std::vector<std::string>> deleted;
  CookieStorage::shared().deleteCookiesForDomain("localhost",
                                                 [&](std::vector<std::string> s) { deleted = s; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return deleted.has_value(); }, kWait));
  EXPECT_EQ(*deleted, std::vector<std::string>{"localhost"});
  EXPECT_EQ(sites(), std::vector<std::string>{"127.0.0.1"});

  // The authorisation page's view keeps its cookies to itself.
  auto ephemeral = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
  auto ephemeralDelegate = std::make_shared<Delegate>();
  ephemeralDelegate->allowAll = true;
  ephemeral->setDelegate(ephemeralDelegate);
  ephemeral->setEphemeral(true);
  ephemeral->loadRequest("http://localhost:" + port + "/set?b");
  ASSERT_TRUE(turnMainLoopUntil([&] { return ephemeralDelegate->finished > 0; }, kWait));
  EXPECT_EQ(sites(), std::vector<std::string>{"127.0.0.1"});
}

// A context goes through the desktop's proxy of when it was made (the shared one too: the client
// resolves the proxy before the engine starts), as libcurl's transfers do: a name only the proxy
// knows loads through it, a host it lists as direct is reached directly; a context made for a
// desktop without a proxy goes directly, and such a name is not found.
TEST_F(WebEngineTest, PagesGoThroughTheDesktopsProxyOfWhenTheirContextWasMade) {
  LoopbackServer server;
  server.setHandler([](const LoopbackServer::Request& request) {
    return LoopbackServer::Response::text(200, "<title>" + request.path + "</title>", "text/html");
  });
  LoopbackProxy proxy({"pages.zu-test.invalid"});
  struct Restore {
    ~Restore() { DesktopProxy::setCurrent({}); }
  } restore;
  DesktopProxy::setCurrent(ProxySettings::fromVariables({{"http_proxy", proxy.address()}, {"no_proxy", "localhost"}}));
  const std::string port = std::to_string(server.port());
  auto page = [](const std::shared_ptr<Delegate>& pageDelegate) {
    auto made = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
    pageDelegate->allowAll = true;
    made->setDelegate(pageDelegate);
    made->setEphemeral(true);
    return made;
  };
  auto throughDelegate = std::make_shared<Delegate>();
  auto through = page(throughDelegate);
  through->loadRequest("http://pages.zu-test.invalid:" + port + "/through");
  ASSERT_TRUE(turnMainLoopUntil([&] { return throughDelegate->finished + throughDelegate->failed > 0; }, kWait));
  EXPECT_EQ("/through", scriptAnswer(*through, "document.title")) << throughDelegate->lastError;
  through->loadRequest("http://localhost:" + port + "/direct");
  ASSERT_TRUE(turnMainLoopUntil([&] { return throughDelegate->finished + throughDelegate->failed > 1; }, kWait));
  EXPECT_EQ("/direct", scriptAnswer(*through, "document.title")) << throughDelegate->lastError;
  EXPECT_EQ(proxy.requestsFor("pages.zu-test.invalid").size(), 1u);
  EXPECT_EQ(proxy.requests().size(), 1u) << "the direct host was asked of the proxy";

  DesktopProxy::setCurrent({});
  auto aloneDelegate = std::make_shared<Delegate>();
  auto alone = page(aloneDelegate);
  alone->loadRequest("http://pages.zu-test.invalid:" + port + "/unknown");
  ASSERT_TRUE(turnMainLoopUntil([&] { return aloneDelegate->finished + aloneDelegate->failed > 0; }, kWait));
  EXPECT_EQ(aloneDelegate->failed, 1);
  EXPECT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(timesServed(server, "/unknown"), 0u);
}

TEST_F(WebEngineTest, FreedViewWithLoadAndScriptPendingDeliversNothing) {
  bool called = false;
  {
    auto doomed = std::make_shared<WebView>(ui::Rect{{0, 0}, {320, 480}});
    doomed->setDelegate(delegate);
    doomed->loadHTMLString("<p>gone</p>", std::nullopt);
    runDueMainLoopTasks();  // asked and handed to the engine
    doomed->evaluateScript("document.title", [&](const std::string&) { called = true; });
  }
  turnMainLoopUntil([] { return false; }, 1.0);
  EXPECT_FALSE(called);
  EXPECT_EQ(delegate->started + delegate->finished + delegate->failed, 0);
  // The engine goes on serving other views.
  loadArticle("<p>still here</p>");
}

}  // namespace
}  // namespace zu::web

int main(int argc, char** argv) { return zu::web::runEngineTests(argc, argv, ZU_WEB_FONTS_CONF); }
