#include "reading/cells/AdDynamicImageView.h"

#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "views/SCGIFImageView.h"

namespace zu {

AdDynamicImageView::AdDynamicImageView(const ui::Rect& frame) : View(frame) {
  setClipsToBounds(true);
  setBackgroundColor(ui::Color::clearColor());
  const ui::Rect whole(0, 0, frame.width(), frame.height());
  button_ = std::make_shared<ui::Button>(ui::ButtonType::Custom, whole);
  // The button belongs to this view; the target goes with it in the destructor.
  button_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { adOpen(); });
  addSubview(button_);
  picture_ = std::make_shared<SCGIFImageView>(whole);
  picture_->setTag(kPictureTag);
  picture_->setUserInteractionEnabled(false);
  addSubview(picture_);
}

AdDynamicImageView::~AdDynamicImageView() { button_->removeTarget(this); }

void AdDynamicImageView::loadImg(const std::string& name, const std::string& /*type*/) {
  if (name.empty()) return;
  if (auto view = std::dynamic_pointer_cast<ui::ImageView>(viewWithTag(kPictureTag))) {
    view->setImage(ui::Image::named(name));
  }
}

void AdDynamicImageView::adOpen() {
  ui::Application::shared().openURL(adUrl_.value_or(kDefaultAddress));
}

}  // namespace zu
