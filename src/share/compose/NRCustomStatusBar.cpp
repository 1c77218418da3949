#include "share/compose/NRCustomStatusBar.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/Label.h"

namespace zu {

NRCustomStatusBar::NRCustomStatusBar(const ui::Rect&)
    : ui::Window(ui::Application::shared().statusBarFrame()) {
  setWindowLevel(ui::kWindowLevelStatusBar + 1);
  const ui::Size size = bounds().size;

  auto strip = std::make_shared<ui::View>(ui::Rect(0, 0, size.width, size.height));
  strip->setBackgroundColor(ui::Color::blackColor());
  addSubview(strip);

  indicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  // A hidden bar leaves a zero frame; the spinner never takes a negative size.
  const float side = std::max(0.f, size.height - 6);
  indicator_->setFrame(ui::Rect(2, 3, side, side));
  indicator_->setHidesWhenStopped(true);
  addSubview(indicator_);

  statusLabel_ = std::make_shared<ui::Label>(ui::Rect(0, 0, size.width, size.height));
  statusLabel_->setBackgroundColor(ui::Color::clearColor());
  statusLabel_->setTextColor(ui::Color::whiteColor());
  statusLabel_->setFont(ui::Font::boldSystemFont(10));
  statusLabel_->setTextAlignment(ui::TextAlignment::Center);
  addSubview(statusLabel_);
}

std::shared_ptr<NRCustomStatusBar>& NRCustomStatusBar::sCustomStatusBar() {
  static std::shared_ptr<NRCustomStatusBar> overlay;
  return overlay;
}

const std::shared_ptr<NRCustomStatusBar>& NRCustomStatusBar::shared() { return sCustomStatusBar(); }

void NRCustomStatusBar::showWithStatusMessage(const std::optional<std::string>& text) {
  auto& overlay = sCustomStatusBar();
  if (!overlay) overlay = std::make_shared<NRCustomStatusBar>();
  overlay->showStatusMessage(text);
}

void NRCustomStatusBar::hide() {
  auto& overlay = sCustomStatusBar();
  if (!overlay) return;
  overlay->hideStatus();
  overlay.reset();
}

void NRCustomStatusBar::showStatusMessage(const std::optional<std::string>& text) {
  if (!text) return;
  statusLabel_->setText(*text);
  indicator_->startAnimating();
  setHidden(false);
}

void NRCustomStatusBar::hideStatus() {
  indicator_->stopAnimating();
  setHidden(true);
}

}  // namespace zu
