#include "reading/browser/OriginalWebViewController.h"

#include "common/Log.h"
#include "platform/net/ExternalUrl.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/web/WebView.h"

namespace zu {

namespace {
constexpr float kTitleHeight = 44;
}  // namespace

OriginalWebViewController::OriginalWebViewController() : ViewController(std::nullopt) {}

OriginalWebViewController::~OriginalWebViewController() {
  if (originalWeb_) {
    originalWeb_->setDelegate({});
    originalWeb_->stopLoading();
  }
}

void OriginalWebViewController::viewDidLoad() {
  auto root = view();
  const ui::Rect bounds = root->bounds();
  root->setBackgroundColor(ui::Color(0.9686f, 0.9686f, 0.9686f));

  std::weak_ptr<OriginalWebViewController> weak =
      std::static_pointer_cast<OriginalWebViewController>(shared());
  backButton_ = std::make_shared<ui::Button>(ui::ButtonType::RoundedRect, ui::Rect(5, 7, 50, 30));
  backButton_->setTitle(std::string("返回"), ui::kControlStateNormal);
  backButton_->setEnabled(false);
  backButton_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
    if (auto self = weak.lock()) self->goBack();
  });
  root->addSubview(backButton_);

  titleLabel_ = std::make_shared<ui::Label>(ui::Rect(60, 0, bounds.size.width - 120, kTitleHeight));
  titleLabel_->setTextAlignment(ui::TextAlignment::Center);
  if (webTitle_) titleLabel_->setText(*webTitle_);
  root->addSubview(titleLabel_);

  indicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  indicator_->setCenter(ui::Point{bounds.size.width - 30, kTitleHeight / 2});
  indicator_->setHidesWhenStopped(true);
  root->addSubview(indicator_);

  originalWeb_ = std::make_shared<web::WebView>(
      ui::Rect(0, kTitleHeight, bounds.size.width, bounds.size.height - kTitleHeight));
  originalWeb_->setOpaque(false);
  originalWeb_->setBackgroundColor(ui::Color::clearColor());
  originalWeb_->setDelegate(weak);
  root->addSubview(originalWeb_);
  if (link_ && ExternalUrl::isWebAddress(*link_)) {
    originalWeb_->loadRequest(*link_);
  } else if (link_ && !link_->empty()) {
    VESKLogImpl("OriginalWebViewController: no web address, refused: %s", ExternalUrl::printable(*link_).c_str());
  }
  indicator_->startAnimating();
}

void OriginalWebViewController::didStartLoad(web::WebView&) {
  if (indicator_) indicator_->startAnimating();
  if (titleLabel_) titleLabel_->setText(kLoadingTitle);
}

void OriginalWebViewController::didFinishLoad(web::WebView& webView) {
  if (indicator_) indicator_->stopAnimating();
  if (backButton_) backButton_->setEnabled(webView.canGoBack());
  std::weak_ptr<OriginalWebViewController> weak =
      std::static_pointer_cast<OriginalWebViewController>(shared());
  webView.evaluateScript("document.title", [weak](const std::string& title) {
    auto self = weak.lock();
    if (!self) return;
    self->webTitle_ = title;
    if (self->titleLabel_) self->titleLabel_->setText(title);
  });
}

void OriginalWebViewController::didFailLoad(web::WebView&, int code, const std::string& description) {
  VESKLogImpl("self= OriginalWebViewController,error = %d %s", code, description.c_str());
}

void OriginalWebViewController::goBack() {
  if (originalWeb_) originalWeb_->goBack();
}

void OriginalWebViewController::dismissOriginalWeb() { dismissModalViewController(true); }

}  // namespace zu
