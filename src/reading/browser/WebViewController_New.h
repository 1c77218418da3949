// WebViewController_New: the modal in-app browser for web pages that are not articles — an
// article's original page, a page linked from an article, the selection menu's lookups and the
// global message alert's address. It opens through the interface file "WebViewController_New"
// (the request's "link"), or is made directly with setLink / setType; the caller presents it.
//
// A top bar holds back, forward, refresh, share and close. The page stays hidden (the logo
// shows) until its first load has finished. Every load is allowed; an address whose host ends
// with the application store's host goes to the system's opener and the browser closes. The
// share button offers "safari中打开" (the system's opener) and "复制链接" (the pasteboard, with the
// notice "已复制至剪切版"). Pulling the page down more than 80 points from its top and letting go
// closes the browser: one flag shared by every browser is armed when a browser's view loads and
// whenever a drag begins with the page exactly at its top, and disarmed when a drag ends with the
// page scrolled into (offset above 0). Type 1 (the default) scales the page to fit, 0 does not.
// Closing stops the page, empties its body and dismisses the browser (animated).
//
// Where we differ on purpose:
// - A missing or empty link builds no request: the browser closes at once (rather than an empty
//   screen with nothing to load). So does a link that is no web address (http or https,
//   ExternalUrl), refused and logged: loading any scheme would show local files too.
// - Only the page's own frame hands an address to the store, and only on the reader's tap
//   (the browser's own load of its link counts as one, and so does a server's redirect after a
//   tap): were any frame's navigation, or a page's script on its own, handed on, a page could
//   send the reader out of the application unasked. It happens when the page starts loading the
//   address (or is redirected to it); an address the page went to on its own stays in the
//   browser.
// - Closing twice (a pull while the close button's dismissal runs) dismisses once. Once closing,
//   the browser hears nothing more of its page (which the emptying script might set going).
//
// Main thread only. The browser owns its web view and bar; the pull flag is process-wide.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/views/ScrollViewDelegate.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/web/WebViewDelegate.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class NibLoading;
}  // namespace ui

namespace web {
class WebView;
}

class WebViewController_New : public ui::ViewController,
                              public ui::ScrollViewDelegate,
                              public ui::ActionSheetDelegate,
                              public web::WebViewDelegate {
 public:
  static constexpr const char* kNibName = "WebViewController_New";
  // The application store's host: its pages open in the system's opener.
  static constexpr const char* kStoreHost = "apps.vesk.com";
  static constexpr float kPullToClose = -80;
  static constexpr const char* kOpenInBrowser = "safari中打开";
  static constexpr const char* kCopyLink = "复制链接";
  static constexpr const char* kCopiedNotice = "已复制至剪切版";
  static constexpr int kNoticeType = 12;

  // Adds the builder of "WebViewController_New" (the browser, from a request's "link").
  static void registerNib();

  WebViewController_New();
  ~WebViewController_New() override;

  void setLink(std::optional<std::string> link) { link_ = std::move(link); }
  const std::optional<std::string>& link() const { return link_; }
  void setOrignalLink(std::optional<std::string> link) { orignalLink_ = std::move(link); }
  const std::optional<std::string>& orignalLink() const { return orignalLink_; }
  // 1 (default): pages scaled to fit; 0: not.
  void setType(unsigned type) { type_ = type; }
  unsigned type() const { return type_; }

  // The shared pull-to-close flag.
  static bool pullToCloseArmed();

  const std::shared_ptr<web::WebView>& webView() const { return webView_; }
  const std::shared_ptr<ui::Button>& back() const { return back_; }
  const std::shared_ptr<ui::Button>& forward() const { return forward_; }
  const std::shared_ptr<ui::Button>& refreshButton() const { return refreshButton_; }
  const std::shared_ptr<ui::Button>& shareButton() const { return shareButton_; }
  const std::shared_ptr<ui::Button>& closeButton() const { return closeButton_; }
  const std::shared_ptr<ui::ImageView>& topbarImageView() const { return topbarImageView_; }
  const std::shared_ptr<ui::ImageView>& logoImageView() const { return logoImageView_; }

  // The share button: the sheet of "safari中打开" and "复制链接".
  void moreAction();
  // Stops the page, empties it and dismisses the browser.
  void closeView();

  // ui::ScrollViewDelegate (the web view's scroll view): pull to close.
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  // ui::ActionSheetDelegate
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;
  // web::WebViewDelegate
  bool shouldStartLoad(web::WebView& webView, const std::string& url, int type, bool userGesture) override;
  void didNavigateMainFrame(web::WebView& webView, const std::string& url, bool userGesture) override;
  void didFinishLoad(web::WebView& webView) override;
  void didFailLoad(web::WebView& webView, int code, const std::string& description) override;

 protected:
  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<WebViewController_New> self();
  void layBar();

  std::optional<std::string> link_;
  std::optional<std::string> orignalLink_;
  unsigned type_ = 1;
  bool closed_ = false;
  std::shared_ptr<web::WebView> webView_;
  std::shared_ptr<ui::Button> back_;
  std::shared_ptr<ui::Button> forward_;
  std::shared_ptr<ui::Button> refreshButton_;
  std::shared_ptr<ui::Button> shareButton_;
  std::shared_ptr<ui::Button> closeButton_;
  std::shared_ptr<ui::ImageView> topbarImageView_;
  std::shared_ptr<ui::ImageView> logoImageView_;
};

}  // namespace zu
