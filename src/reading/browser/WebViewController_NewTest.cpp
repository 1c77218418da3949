// The in-app browsers with the recording web view: opening by name, the hidden page until its
// first load, pull to close, copy and open elsewhere, store links, a missing link; the plain
// browser's title line; the mail composer held in portrait.
#include <gtest/gtest.h>

#include "common/Log.h"
#include "platform/device/Pasteboard.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebView.h"
#include "reading/browser/CustomMailViewController.h"
#include "reading/browser/OriginalWebViewController.h"
#include "reading/ReadingNibs.h"
#include "reading/browser/WebViewController_New.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

constexpr const char* kPage = "http://news.example/story?id=7";

class BrowserTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    ReadingNibs::registerNibs();
    Pasteboard::general().resetForTesting();
    ui::Application::shared().setOpenURLHandler([this](const std::string& url) {
      opened_.push_back(url);
      return true;
    });
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, root_);
  }
  void TearDown() override {
    browser_.reset();
    root_.reset();
    window_.reset();
    SPWaitingSavePhoto::resign();
    Pasteboard::general().resetForTesting();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // Opens the browser as the shell does, by name, and presents it.
  void open(const std::string& link, std::optional<unsigned> type = std::nullopt) {
    browser_ = std::dynamic_pointer_cast<WebViewController_New>(ScreenRequest::browser(link));
    ASSERT_TRUE(browser_);
    if (type) browser_->setType(*type);
    ASSERT_TRUE(root_->presentModalViewController(browser_, false));
    settle();
  }
  // Every later turn the web view and the kit queue on one another (a load's question, its
  // events, a script's answer, an animation's end).
  void settleAll() {
    for (int i = 0; i < 4; ++i) settle();
  }
  web::RecordingWebBackend& page() { return *browser_->webView()->recorder(); }
  bool isOpen() const { return root_->modalViewController() == browser_; }
  // A finger on the page from y `from` to y `to` (window points), let go without a fling.
  void drag(float from, float to) {
    auto& scroll = *browser_->webView()->scrollView();
    scroll.beginDrag(ui::Point(160, from));
    scroll.dragTo(ui::Point(160, (from + to) / 2));
    scroll.dragTo(ui::Point(160, to));
    scroll.endDrag();
  }
  static std::string notice() {
    auto* panel = SPWaitingSavePhoto::existing();
    return panel ? panel->viewController()->titleLable()->text() : std::string();
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<WebViewController_New> browser_;
  std::vector<std::string> opened_;
};

TEST_F(BrowserTest, OpensByNameAndShowsThePageOnlyOnceLoaded) {
  open(kPage);
  EXPECT_EQ(kPage, browser_->link());
  EXPECT_EQ(kPage, browser_->orignalLink());
  EXPECT_EQ(1u, browser_->type());
  EXPECT_TRUE(browser_->webView()->scalesPageToFit());
  EXPECT_TRUE(page().scalesPageToFit());
  ASSERT_FALSE(page().calls().empty());
  EXPECT_EQ(web::RecordingWebBackend::Call::kLoadUrl, page().calls()[0].kind);
  EXPECT_EQ(kPage, page().calls()[0].content);
  EXPECT_TRUE(browser_->webView()->isHidden());
  EXPECT_FALSE(browser_->logoImageView()->isHidden());

  // A failed load leaves the page hidden.
  page().failLoad(-1004, "no route");
  settle();
  EXPECT_TRUE(browser_->webView()->isHidden());

  browser_->webView()->reload();
  settle();
  page().finishLoad();
  settle();
  EXPECT_FALSE(browser_->webView()->isHidden());
  EXPECT_FALSE(browser_->back()->isEnabled());
  EXPECT_FALSE(browser_->forward()->isEnabled());

  // A link in the page: back is possible after it, forward after going back.
  ASSERT_TRUE(page().simulateNavigation("http://news.example/other", 0));
  settle();
  page().finishLoad();
  settle();
  EXPECT_TRUE(browser_->back()->isEnabled());
  browser_->back()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  page().finishLoad();
  settle();
  EXPECT_FALSE(browser_->back()->isEnabled());
  EXPECT_TRUE(browser_->forward()->isEnabled());
}

// Back and forward look as pressable as they are: faded with no page to go to, plain once there
// is one.
TEST_F(BrowserTest, BackAndForwardLookPressableOnlyWithHistory) {
  open(kPage);
  page().finishLoad();
  settle();
  auto backLook = [&] {
    window_->layoutIfNeeded();
    auto picture = ui::render(*window_);
    const ui::Rect frame = browser_->back()->convertRectTo(browser_->back()->bounds(), nullptr);
    std::vector<uint32_t> pixels;
    for (int y = static_cast<int>(frame.minY()); y < static_cast<int>(frame.maxY()); ++y) {
      for (int x = static_cast<int>(frame.minX()); x < static_cast<int>(frame.maxX()); ++x) {
        pixels.push_back(picture->pixelAt(x, y));
      }
    }
    return pixels;
  };
  const auto faded = backLook();
  for (const auto& button : {browser_->back(), browser_->forward()}) {
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(ui::Button::kDisabledImageAlpha, button->imageView()->alpha());
  }
  EXPECT_EQ(1.0f, browser_->refreshButton()->imageView()->alpha());

  ASSERT_TRUE(page().simulateNavigation("http://news.example/other", 0));
  settle();
  page().finishLoad();
  settle();
  EXPECT_EQ(1.0f, browser_->back()->imageView()->alpha());
  EXPECT_EQ(ui::Button::kDisabledImageAlpha, browser_->forward()->imageView()->alpha());
  EXPECT_NE(faded, backLook());
  browser_->back()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  page().finishLoad();
  settle();
  EXPECT_EQ(faded, backLook());
  EXPECT_EQ(1.0f, browser_->forward()->imageView()->alpha());
}

TEST_F(BrowserTest, TypeZeroShowsThePageUnscaled) {
  open(kPage, 0u);
  EXPECT_FALSE(browser_->webView()->scalesPageToFit());
  EXPECT_FALSE(page().scalesPageToFit());
}

TEST_F(BrowserTest, APullDownRightAfterOpeningCloses) {
  open(kPage);
  page().finishLoad();
  settle();
  EXPECT_TRUE(WebViewController_New::pullToCloseArmed());
  // A small pull does not.
  drag(100, 140);
  settle();
  EXPECT_TRUE(isOpen());
  drag(100, 460);
  EXPECT_FALSE(page().scripts().empty());
  EXPECT_EQ("document.body.innerHTML = \"\";", page().scripts().back());
  settle();
  EXPECT_FALSE(isOpen());
}

TEST_F(BrowserTest, AfterScrollingIntoThePageOnlyAPullBegunAtTheTopCloses) {
  open(kPage);
  page().setContentSize(320, 3000);
  page().finishLoad();
  settle();
  // Into the page: the flag goes down.
  drag(400, 100);
  settle();
  ASSERT_GT(browser_->webView()->scrollView()->contentOffset().y, 0);
  EXPECT_FALSE(WebViewController_New::pullToCloseArmed());
  // Back up past the top in one drag that began inside the page: not armed, stays open.
  drag(80, 470);
  drag(80, 470);
  settle();
  EXPECT_TRUE(isOpen());
  // At the top now: a drag that begins there arms, and the pull closes.
  browser_->webView()->scrollView()->setContentOffset(ui::Point(0, 0));
  drag(100, 460);
  settle();
  EXPECT_FALSE(isOpen());
}

TEST_F(BrowserTest, CopyingTheAddressKeepsTheBrowserOpenAndOpeningElsewhereHandsItOn) {
  open(kPage);
  browser_->shareButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(sheet);
  EXPECT_EQ((std::vector<std::string>{"safari中打开", "复制链接", "取消"}), sheet->buttonTitles());
  sheet->clickButtonTitled("复制链接");
  settle();
  EXPECT_EQ(kPage, Pasteboard::general().string());
  EXPECT_EQ("已复制至剪切版", notice());
  EXPECT_TRUE(isOpen());
  EXPECT_TRUE(opened_.empty());

  browser_->moreAction();
  std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top())->clickButtonTitled("safari中打开");
  settle();
  EXPECT_EQ((std::vector<std::string>{kPage}), opened_);
  EXPECT_TRUE(isOpen());
}

TEST_F(BrowserTest, AStoreLinkLeavesForTheStoreAndCloses) {
  open(kPage);
  page().finishLoad();
  settle();
  page().simulateNavigation("http://news.example/elsewhere", 0);
  settle();
  EXPECT_TRUE(isOpen());
  EXPECT_TRUE(opened_.empty());
  // A frame inside the page (an advert) does not send the reader to the store.
  EXPECT_TRUE(page().simulateFrameNavigation("https://apps.vesk.com/ad", 5));
  settleAll();
  EXPECT_TRUE(isOpen());
  EXPECT_TRUE(opened_.empty());
  // Nor does the page going there on its own (a timer), directly or through its server.
  page().simulateNavigation("https://apps.vesk.com/timer", 5, false);
  settleAll();
  page().simulateNavigation("http://news.example/later", 5, false);
  page().simulateRedirect("https://apps.vesk.com/later");
  settleAll();
  EXPECT_TRUE(isOpen());
  EXPECT_TRUE(opened_.empty());
  // The reader's tap does, also through the server's redirect.
  page().simulateNavigation("http://news.example/go", 0);
  page().simulateRedirect("https://apps.vesk.com/zu-news");
  settleAll();
  EXPECT_EQ((std::vector<std::string>{"https://apps.vesk.com/zu-news"}), opened_);
  EXPECT_FALSE(isOpen());
}

// The browser is for web pages: a link of another scheme loads nothing and the browser goes.
TEST_F(BrowserTest, ALinkThatIsNoWebAddressIsRefused) {
  for (const char* link : {"file:///etc/passwd", "mailto:a@b?attach=/etc/passwd&body=x", "javascript:alert(1)"}) {
    SCOPED_TRACE(link);
    open(link);
    settleAll();
    EXPECT_FALSE(isOpen());
    for (const auto& call : page().calls()) EXPECT_NE(web::RecordingWebBackend::Call::kLoadUrl, call.kind);
  }
}

TEST_F(BrowserTest, AMissingLinkClosesTheBrowser) {
  open("");
  settleAll();
  EXPECT_FALSE(isOpen());
  EXPECT_TRUE(page().calls().empty() || page().calls()[0].kind != web::RecordingWebBackend::Call::kLoadUrl);

  // Presented with its slide, as the message alert does: it goes while still coming in, and
  // the screen below is back in the window afterwards.
  browser_ = std::dynamic_pointer_cast<WebViewController_New>(ScreenRequest::browser(""));
  ASSERT_TRUE(browser_);
  ASSERT_TRUE(root_->presentModalViewController(browser_, true));
  for (int i = 0; i < 10; ++i) settle(0.05);
  settleAll();
  EXPECT_FALSE(isOpen());
  EXPECT_EQ(window_.get(), root_->view()->window());
  EXPECT_FALSE(browser_->view()->window());
}

TEST_F(BrowserTest, ThePlainBrowserShowsLoadingThenThePagesTitle) {
  auto plain = std::make_shared<OriginalWebViewController>();
  plain->setLink(std::string(kPage));
  ASSERT_TRUE(root_->presentModalViewController(plain, false));
  auto& recorder = *plain->originalWeb()->recorder();
  recorder.setScriptAnswer("document.title", "The Story");
  settleAll();
  EXPECT_EQ(kPage, recorder.currentUrl());
  EXPECT_EQ("加载中...", plain->titleLabel()->text());
  EXPECT_FALSE(plain->indicator()->isHidden());
  recorder.finishLoad();
  settleAll();
  EXPECT_EQ("The Story", plain->titleLabel()->text());
  EXPECT_TRUE(plain->indicator()->isHidden());
  EXPECT_FALSE(plain->backButton()->isEnabled());
  plain->dismissOriginalWeb();
  settle();
  EXPECT_FALSE(root_->modalViewController());
}

TEST_F(BrowserTest, ThePlainBrowserLoadsOnlyWebAddresses) {
  for (const char* link : {"file:///etc/passwd", "javascript:alert(1)"}) {
    SCOPED_TRACE(link);
    auto plain = std::make_shared<OriginalWebViewController>();
    plain->setLink(std::string(link));
    ASSERT_TRUE(root_->presentModalViewController(plain, false));
    settleAll();
    for (const auto& call : plain->originalWeb()->recorder()->calls()) {
      EXPECT_NE(web::RecordingWebBackend::Call::kLoadUrl, call.kind);
    }
    plain->dismissOriginalWeb();
    settle();
  }
}

TEST_F(BrowserTest, TheMailComposerHoldsPortrait) {
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeRight);
  auto mail = std::make_shared<CustomMailViewController>();
  ASSERT_TRUE(root_->presentModalViewController(mail, false));
  EXPECT_EQ(SystemEnvironment::Orientation::kPortrait, ui::Application::shared().statusBarOrientation());
  EXPECT_FALSE(mail->shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation::kPortrait));
  EXPECT_FALSE(mail->shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation::kLandscapeRight));
}

}  // namespace
}  // namespace zu
