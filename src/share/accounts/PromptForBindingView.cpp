#include "share/accounts/PromptForBindingView.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "share/accounts/MBAccountManagerViewController.h"

namespace zu {

namespace {

std::shared_ptr<ui::Button> promptButton(const ui::Rect& frame, const char* title) {
  auto button = std::make_shared<ui::Button>(ui::ButtonType::RoundedRect, frame);
  button->setBackgroundColor(ui::Color::clearColor());
  button->setTitle(std::string(title), ui::kControlStateNormal);
  button->titleLabel()->setFont(ui::Font::boldSystemFont(14));
  return button;
}

}  // namespace

PromptForBindingView::PromptForBindingView(const ui::Rect& frame, std::shared_ptr<ui::Image> image,
                                           const std::shared_ptr<ui::ViewController>& controller)
    : ui::View(frame), controller_(controller) {
  setAlpha(0.5f);
  setBackgroundColor(ui::Color::blackColor());
  image_ = std::make_shared<ui::ImageView>(std::move(image));
  addSubview(image_);

  bindButton_ = promptButton(ui::Rect(60, 250, 80, 20), "马上绑定");
  bindButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { turnToBindPage(); });
  addSubview(bindButton_);
  cancelButton_ = promptButton(ui::Rect(180, 250, 80, 20), "取消");
  cancelButton_->setLeavesScreen(true);
  cancelButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { backToContext(); });
  addSubview(cancelButton_);
}

// A button may outlive the prompt (a touch in flight keeps it): its actions go with the prompt.
PromptForBindingView::~PromptForBindingView() {
  bindButton_->removeTarget(this);
  cancelButton_->removeTarget(this);
}

std::shared_ptr<ui::ViewController> PromptForBindingView::shareScreen() const {
  auto controller = controller_.lock();
  if (!controller || controller->nibName() != std::optional<std::string>(kShareScreenNib)) return nullptr;
  return controller;
}

void PromptForBindingView::turnToBindPage() {
  auto controller = shareScreen();
  if (!controller) return;
  // The prompt may be freed by leaving its superview: keep it through the call.
  auto keep = shared_from_this();
  if (auto* navigation = controller->navigationController()) {
    navigation->pushViewController(std::make_shared<MBAccountManagerViewController>(), true);
  }
  removeFromSuperview();
}

void PromptForBindingView::backToContext() {
  auto keep = shared_from_this();
  if (auto controller = shareScreen()) {
    if (auto* navigation = controller->navigationController()) navigation->popViewController(true);
  }
  removeFromSuperview();
}

}  // namespace zu
