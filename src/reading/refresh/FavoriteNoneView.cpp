#include "reading/refresh/FavoriteNoneView.h"

#include "platform/runtime/Bundle.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/MyFaceSettings.h"

namespace zu {

void FavoriteNoneView::build(ui::NibLoading& file) {
  auto view = file.makeTopLevel<FavoriteNoneView>(ui::Rect(0, 0, 320, 420));
  view->setBackgroundColor(ui::Color::clearColor());
  auto picture = file.make<ui::ImageView>(ui::Rect(0, 60, 320, 240));
  picture->setContentMode(ui::ContentMode::Center);
  view->addSubview(picture);
  file.connect([view, picture] { view->picture_ = picture; });
}

void FavoriteNoneView::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

FavoriteNoneView::FavoriteNoneView(const ui::Rect& frame) : View(frame) {}

void FavoriteNoneView::setNightMode(bool night) {
  if (!picture_) return;
  const std::string name = MyFaceSettings::imageName("shoucang_nocontent", night);
  auto path = Bundle::mainBundle()->pathForResource(name, "png");
  auto image = path ? ui::Image::withContentsOfFile(*path) : nullptr;
  if (image) image->setName(name + ".png");
  picture_->setImage(image);
}

}  // namespace zu
