// OriginalWebViewController: a plain browser screen with a title line, a back button and a
// spinner. It loads `link` when its view loads; while a load runs the spinner turns and the title
// line reads "加载中...", and when it has finished the line shows the page's document.title (once
// the page answers) and the back button is enabled exactly when the page can go back. Nothing in
// the client opens it yet; a caller makes it, sets the link and presents it. Failed loads are
// only logged. Portrait only. A link that is no web address (http or https, ExternalUrl) is
// refused and logged, and nothing loads: no local file or script address is ever shown.
//
// Main thread only; owns its views; made with std::make_shared.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/ViewController.h"
#include "platform/web/WebViewDelegate.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Button;
class Label;
}  // namespace ui

namespace web {
class WebView;
}

class OriginalWebViewController : public ui::ViewController, public web::WebViewDelegate {
 public:
  static constexpr const char* kLoadingTitle = "加载中...";

  OriginalWebViewController();
  ~OriginalWebViewController() override;

  void setLink(std::optional<std::string> link) { link_ = std::move(link); }
  const std::optional<std::string>& link() const { return link_; }
  void setWebTitle(std::optional<std::string> title) { webTitle_ = std::move(title); }
  const std::optional<std::string>& webTitle() const { return webTitle_; }

  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<web::WebView>& originalWeb() const { return originalWeb_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }
  const std::shared_ptr<ui::Button>& backButton() const { return backButton_; }

  void goBack();
  void dismissOriginalWeb();

  // web::WebViewDelegate
  void didStartLoad(web::WebView& webView) override;
  void didFinishLoad(web::WebView& webView) override;
  void didFailLoad(web::WebView& webView, int code, const std::string& description) override;

 protected:
  void viewDidLoad() override;

 private:
  std::optional<std::string> link_;
  std::optional<std::string> webTitle_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<web::WebView> originalWeb_;
  std::shared_ptr<ui::ActivityIndicatorView> indicator_;
  std::shared_ptr<ui::Button> backButton_;
};

}  // namespace zu
