#include "reading/browser/WebViewController_New.h"

#include "common/Log.h"
#include "platform/device/Pasteboard.h"
#include "platform/net/ExternalUrl.h"
#include "platform/net/UrlRequest.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/web/WebView.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

namespace {

constexpr float kBarHeight = 44;
constexpr float kBarButtonSide = 44;
bool gPullToCloseArmed = false;

bool endsWith(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void WebViewController_New::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// The browser of a request: its "link" is the address to open (and the one it was opened on).
void WebViewController_New::build(ui::NibLoading& file) {
  auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
  if (!request) return;
  auto browser = file.makeTopLevel<WebViewController_New>();
  auto link = request->parameters().get("link").stringValue();
  browser->setLink(link);
  browser->setOrignalLink(link);
}

WebViewController_New::WebViewController_New() : ViewController(std::nullopt) {}

WebViewController_New::~WebViewController_New() {
  if (webView_) {
    webView_->setDelegate({});
    webView_->stopLoading();
  }
}

bool WebViewController_New::pullToCloseArmed() { return gPullToCloseArmed; }

std::shared_ptr<WebViewController_New> WebViewController_New::self() {
  return std::static_pointer_cast<WebViewController_New>(shared());
}

void WebViewController_New::viewDidLoad() {
  const auto& skin = NRSkinManager::sharedManager();
  auto root = view();
  const ui::Rect bounds = root->bounds();
  const ui::Rect content(0, kBarHeight, bounds.size.width, bounds.size.height - kBarHeight);
  if (auto color = skin.colorWithCodeName("colorKdpContentBackground")) root->setBackgroundColor(*color);

  logoImageView_ = std::make_shared<ui::ImageView>(skin.imageWithCodeName("imageKdpCenterLogo"));
  const ui::Size logo = logoImageView_->frame().size;
  logoImageView_->setFrame(ui::Rect((content.size.width - logo.width) / 2,
                                    content.origin.y + (content.size.height - logo.height) / 2, logo.width, logo.height));
  root->addSubview(logoImageView_);

  webView_ = std::make_shared<web::WebView>(content);
  webView_->setHidden(true);
  webView_->setScalesPageToFit(type_ == 1);
  webView_->setOpaque(false);
  webView_->setBackgroundColor(ui::Color::white(0.96484375f));
  webView_->setDelegate(self());
  webView_->scrollView()->setDelegate(self());
  root->addSubview(webView_);
  gPullToCloseArmed = true;

  layBar();

  if (!link_ || !ExternalUrl::isWebAddress(*link_)) {
    if (link_ && !link_->empty()) {
      VESKLogImpl("%s: no web address, refused: %s", kNibName, ExternalUrl::printable(*link_).c_str());
    }
    // Nothing to load: the browser goes as soon as it has come.
    std::weak_ptr<WebViewController_New> weak = self();
    RunLoop::main()->post([weak] {
      if (auto browser = weak.lock()) browser->closeView();
    });
    return;
  }
  webView_->loadRequest(*link_);
}

// The bar: its background, back and forward at the left, refresh, share and close at the right.
void WebViewController_New::layBar() {
  const auto& skin = NRSkinManager::sharedManager();
  const float width = view()->bounds().size.width;
  topbarImageView_ = std::make_shared<ui::ImageView>(ui::Rect(0, 0, width, kBarHeight));
  topbarImageView_->setImage(skin.imageWithCodeName("imageKdpNavigationBarBackground"));
  view()->addSubview(topbarImageView_);
  std::weak_ptr<WebViewController_New> weak = self();
  auto button = [&](float x, const char* image, std::function<void(WebViewController_New&)> action) {
    auto made = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(x, 0, kBarButtonSide, kBarButtonSide));
    made->setImage(skin.imageWithCodeName(image), ui::kControlStateNormal);
    made->addTarget(this, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
      if (auto browser = weak.lock()) action(*browser);
    });
    view()->addSubview(made);
    return made;
  };
  back_ = button(4, "imageKdpwvBackButtonNormal", [](WebViewController_New& b) { b.webView_->goBack(); });
  forward_ = button(52, "imageKdpwvForwardButtonNormal", [](WebViewController_New& b) { b.webView_->goForward(); });
  refreshButton_ = button(width - 3 * kBarButtonSide - 4, "imageKdpwvRefreshButtonNormal",
                          [](WebViewController_New& b) { b.webView_->reload(); });
  shareButton_ = button(width - 2 * kBarButtonSide - 4, "imageKdpwvShareButtonNormal",
                        [](WebViewController_New& b) { b.moreAction(); });
  closeButton_ = button(width - kBarButtonSide - 4, "imageKdpwvCloseButtonNormal",
                        [](WebViewController_New& b) { b.closeView(); });
  closeButton_->setLeavesScreen(true);
  back_->setEnabled(false);
  forward_->setEnabled(false);
}

void WebViewController_New::viewDidUnload() {
  if (webView_) {
    webView_->setDelegate({});
    webView_->scrollView()->setDelegate({});
    webView_->stopLoading();
  }
  webView_.reset();
  back_.reset();
  forward_.reset();
  refreshButton_.reset();
  shareButton_.reset();
  closeButton_.reset();
  topbarImageView_.reset();
  logoImageView_.reset();
}

bool WebViewController_New::shouldStartLoad(web::WebView&, const std::string&, int, bool) { return true; }

void WebViewController_New::didNavigateMainFrame(web::WebView&, const std::string& url, bool userGesture) {
  const auto host = UrlRequest::hostOfUrl(url);
  if (!host || !endsWith(*host, kStoreHost)) return;
  if (!userGesture) {
    // The page went there on its own: it stays in the browser.
    VESKLogImpl("%s: store address without the reader's tap kept in the browser: %s", kNibName,
                ExternalUrl::printable(url).c_str());
    return;
  }
  ui::Application::shared().openURL(url);
  closeView();
}

void WebViewController_New::didFinishLoad(web::WebView& webView) {
  webView.setHidden(false);
  if (back_) back_->setEnabled(webView.canGoBack());
  if (forward_) forward_->setEnabled(webView.canGoForward());
}

void WebViewController_New::didFailLoad(web::WebView&, int code, const std::string& description) {
  VESKLogImpl("self= %s,error = %d %s", kNibName, code, description.c_str());
}

void WebViewController_New::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  if (scrollView.contentOffset().y == 0) gPullToCloseArmed = true;
}

void WebViewController_New::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool) {
  const float y = scrollView.contentOffset().y;
  if (gPullToCloseArmed && y < kPullToClose) {
    closeView();
  } else if (y > 0) {
    gPullToCloseArmed = false;
  }
}

void WebViewController_New::closeView() {
  if (closed_) return;
  closed_ = true;
  if (webView_) {
    // Nothing the page does from now on reaches the browser: a page's own code the emptying
    // script sets off could otherwise hand an address to the store.
    webView_->setDelegate({});
    webView_->stopLoading();
    webView_->evaluateScript("document.body.innerHTML = \"\";");
  }
  dismissModalViewController(true);
}

void WebViewController_New::moreAction() {
  auto sheet = std::make_shared<ui::ActionSheet>(std::nullopt, self(), "取消", std::nullopt,
                                                 std::vector<std::string>{kOpenInBrowser, kCopyLink});
  sheet->showInView(view());
}

void WebViewController_New::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) {
  if (index == sheet.cancelButtonIndex() || !link_) return;
  const std::string choice = sheet.buttonTitleAtIndex(index);
  if (choice == kOpenInBrowser) {
    ui::Application::shared().openURL(*link_);
  } else if (choice == kCopyLink) {
    Pasteboard::general().setString(*link_);
    SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kNoticeType, kCopiedNotice);
  }
}

}  // namespace zu
