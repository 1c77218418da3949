// The in-app browser in the real web engine: an article's original page from the sample
// service, shown once loaded under the browser's bar (browser.png), and a link in it followed
// with the history buttons to match; a wide page scaled to fit and unscaled (browser-scaled.png,
// browser-unscaled.png). One engine serves the whole binary.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/Log.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "platform/web/engine-tests/EngineTestSupport.h"
#include "platform/web/engine-tests/WebEngineTestMain.h"
#include "platform/web/WebView.h"
#include "reading/ReadingNibs.h"
#include "reading/browser/WebViewController_New.h"
#include "SampleService.h"
#include "shell/app/ScreenRequest.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"

namespace zu {
namespace {

constexpr double kWait = 20;

std::string logText() {
  std::ifstream in(VESKLogGetLogFilepath().value_or(""), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class BrowserEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VESKLogInit();
    ASSERT_TRUE(service_.start());
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, root_);
  }
  void TearDown() override {
    if (browser_ && browser_->webView()) browser_->webView()->stopLoading();
    browser_.reset();
    root_.reset();
    window_.reset();
    service_.stop();
    VESKLogUninit();
  }

  // The page's picture once it has stopped changing for a moment.
  void waitForSettledPage() {
    auto& page = *browser_->webView();
    ASSERT_TRUE(turnMainLoopUntil([&] { return !page.isHidden() && page.pageImage(); }, kWait));
    for (int i = 0; i < 25; ++i) {
      auto last = page.pageImage();
      turnMainLoopUntil([] { return false; }, 0.4);
      if (page.pageImage() == last) break;
    }
  }

  SampleService service_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<WebViewController_New> browser_;
};

TEST_F(BrowserEngineTest, AnArticlesOriginalPageShowsUnderTheBar) {
  browser_ = std::dynamic_pointer_cast<WebViewController_New>(
      ScreenRequest::browser(service_.baseUrl() + "/article/art-news-3.html"));
  ASSERT_TRUE(browser_);
  ASSERT_TRUE(root_->presentModalViewController(browser_, false));
  EXPECT_TRUE(browser_->webView()->isHidden());
  waitForSettledPage();
  auto picture = ui::render(*window_);
  ui::ContrastAudit::write(*window_, *picture, "browser");
  // The page's blue header lies just under the bar; below it the white page.
  const uint32_t header = picture->pixelAt(160, 20 + 44 + 10);
  EXPECT_LT(header & 0xff, 0xc0u);           // blue channel of #2d5f8b: 0x8b
  EXPECT_LT((header >> 16) & 0xff, 0x60u);   // red channel: 0x2d
  EXPECT_EQ(0xffffffffu, picture->pixelAt(300, 470));
  EXPECT_FALSE(browser_->back()->isEnabled());
  EXPECT_EQ(1u, service_.requestsTo("/article/art-news-3.html").size());

  std::string title;
  browser_->webView()->evaluateScript("document.title", [&](const std::string& t) { title = t; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return !title.empty(); }, kWait));
  EXPECT_EQ("Ferry timetable changes for the winter", title);

  // Another page of the service: back is possible afterwards.
  browser_->webView()->evaluateScript("location.href = '" + service_.baseUrl() + "/article/art-news-2.html';");
  ASSERT_TRUE(turnMainLoopUntil([&] { return browser_->back()->isEnabled(); }, kWait));
  EXPECT_FALSE(browser_->forward()->isEnabled());
}

// A page written for a desktop screen (no viewport, 960 wide: red, then blue): the default
// browser lays it out at 980 and scales it to the screen's width, so both halves show side by
// side (browser-scaled.png); a browser of type 0, which the selection menu's lookups open, lays
// it out at the screen's width unscaled, so its red left part fills the screen
// (browser-unscaled.png).
TEST_F(BrowserEngineTest, TypeZeroShowsAWidePageUnscaledTheDefaultScalesItToFit) {
  LoopbackServer server;
  server.setResponse("/wide.html", LoopbackServer::Response::text(200, R"X(<html><body style="margin:0">
<div style="width:960px; height:600px; background:linear-gradient(to right, #f00 50%, #00f 50%)"></div>
</body></html>)X", "text/html"));
  const uint32_t red = 0xffff0000u, blue = 0xff0000ffu;
  for (const unsigned type : {1u, 0u}) {
    browser_ = std::dynamic_pointer_cast<WebViewController_New>(ScreenRequest::browser(server.url("/wide.html")));
    ASSERT_TRUE(browser_);
    browser_->setType(type);
    ASSERT_TRUE(root_->presentModalViewController(browser_, false));
    // Under the bar: 20 of status bar, 44 of bar. Shown at the left, its red; at 240, the blue
    // of a page zoomed to fit or the red of one unscaled.
    const int y = 20 + 44 + 60;
    std::shared_ptr<ui::Image> picture;
    ASSERT_TRUE(turnMainLoopUntil([&] {
      picture = ui::render(*window_);
      return !browser_->webView()->isHidden() && picture->pixelAt(80, y) == red &&
             picture->pixelAt(240, y) == (type == 1 ? blue : red);
    }, kWait));
    if (type == 1) {
      ui::ContrastAudit::write(*window_, *picture, "browser-scaled");
    } else {
      EXPECT_EQ(red, picture->pixelAt(310, y));
      ui::ContrastAudit::write(*window_, *picture, "browser-unscaled");
    }
    root_->dismissModalViewController(false);
    browser_->webView()->stopLoading();
  }
}

// A link into the store, tapped by the reader, leaves for the store and closes the browser, also
// when the server's redirect leads there; a page that goes to the store on its own (a timer, and
// its redirect) keeps the reader in the browser.
TEST_F(BrowserEngineTest, OnlyTheReadersTapLeavesForTheStore) {
  std::vector<std::string> opened;
  ui::Application::shared().setOpenURLHandler([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  struct Restore {
    ~Restore() { ui::Application::shared().setOpenURLHandler(nullptr); }
  } restore;
  const std::string store = std::string("http://") + WebViewController_New::kStoreHost + "/app/";
  LoopbackServer server;
  auto redirect = [&](const std::string& to) {
    auto moved = LoopbackServer::Response::text(302, "", "text/html");
    moved.headers.push_back({"Location", to});
    return moved;
  };
  server.setResponse("/links.html", LoopbackServer::Response::text(200, R"(<meta name="viewport" content="width=device-width">
<body style="margin:0">
<a href=")" + store + R"(tapped" style="display:block; height:100px; background:#ccc">store</a>
<a href="/to-store" style="display:block; height:100px; background:#aaa">via</a></body>)", "text/html"));
  server.setResponse("/to-store", redirect(store + "redirected"));
  server.setResponse("/timer.html", LoopbackServer::Response::text(
      200, "<script>setTimeout(function () { location.href = '" + store + "timer'; }, 50);</script>", "text/html"));
  server.setResponse("/timer-via.html", LoopbackServer::Response::text(
      200, "<script>setTimeout(function () { location.href = '/to-store-later'; }, 50);</script>", "text/html"));
  server.setResponse("/to-store-later", redirect(store + "timer-redirected"));
  auto open = [&](const std::string& path) {
    browser_ = std::dynamic_pointer_cast<WebViewController_New>(ScreenRequest::browser(server.url(path)));
    ASSERT_TRUE(browser_);
    ASSERT_TRUE(root_->presentModalViewController(browser_, false));
  };
  for (const std::string& path : {"/timer.html", "/timer-via.html"}) {
    open(path);
    const std::string address = store + (path == "/timer.html" ? "timer" : "timer-redirected");
    ASSERT_TRUE(turnMainLoopUntil([&] {
      return logText().find("without the reader's tap kept in the browser: " + address) != std::string::npos ||
             !opened.empty();
    }, kWait)) << path;
    EXPECT_EQ(opened, std::vector<std::string>{});
    EXPECT_EQ(root_->modalViewController(), browser_);
    browser_->webView()->stopLoading();
    root_->dismissModalViewController(false);
  }

  // The page lies under the status bar and the browser's bar: each link is 100 high.
  for (const std::string& link : {"tapped", "redirected"}) {
    open("/links.html");
    ASSERT_TRUE(turnMainLoopUntil([&] { return !browser_->webView()->isHidden(); }, kWait));  // loaded
    const float y = 20 + 44 + (link == "tapped" ? 50 : 150);
    auto finger = window_->beginTouch({160, y});
    window_->endTouch(finger, {160, y});
    ASSERT_TRUE(turnMainLoopUntil([&] { return !opened.empty() && !root_->modalViewController(); }, kWait)) << link;
    EXPECT_EQ(opened, std::vector<std::string>{store + link});
    opened.clear();
  }
}

// A page in the browser that serves attachments, to a frame of its own and to its own
// navigation, saves nothing: files of the names it gives stay as they were in the desktop user's
// folders, and the page stays, its refused navigation logged as a failed load.
TEST_F(BrowserEngineTest, APageServingAttachmentsSavesNothing) {
  auto& desktop = web::ScratchDesktop::shared();
  const std::string framed = web::ScratchDesktop::uniqueName("zu-probe", ".desktop");
  const std::string top = web::ScratchDesktop::uniqueName("important", ".txt");
  for (const auto& name : {framed, top}) desktop.plant(name, "kept " + name);
  LoopbackServer server;
  server.setResponse("/page.html", LoopbackServer::Response::text(
                                       200, "<title>page</title><iframe src=\"/framed\"></iframe>", "text/html"));
  server.setResponse("/framed", web::attachment(framed));
  server.setResponse("/top", web::attachment(top));
  browser_ = std::dynamic_pointer_cast<WebViewController_New>(ScreenRequest::browser(server.url("/page.html")));
  ASSERT_TRUE(browser_);
  ASSERT_TRUE(root_->presentModalViewController(browser_, false));
  waitForSettledPage();
  ASSERT_EQ(1u, web::timesServed(server, "/framed"));
  browser_->webView()->evaluateScript("location.href = '/top'");
  ASSERT_TRUE(turnMainLoopUntil(
      [&] { return logText().find("self= WebViewController_New,error = ") != std::string::npos; }, kWait));
  EXPECT_EQ(1u, web::timesServed(server, "/top"));
  EXPECT_EQ("page /page.html", web::scriptAnswer(*browser_->webView(), "document.title + ' ' + location.pathname"));
  EXPECT_EQ(desktop.changes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace zu

int main(int argc, char** argv) { return zu::web::runEngineTests(argc, argv, ZU_WEB_FONTS_CONF); }
