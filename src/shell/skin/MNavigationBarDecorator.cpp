#include "shell/skin/MNavigationBarDecorator.h"

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"

namespace zu {

namespace {

// After anything the bar adds or sends back, its tagged background goes back to the bottom
// through the plain view operation (the bar's own would run the hook again).
void keepBackgroundLowest(ui::NavigationBar& bar) {
  for (const auto& view : bar.subviews()) {
    if (view->tag() == MNavigationBarDecorator::kBackgroundTag) {
      if (bar.subviews().front() != view) bar.View::sendSubviewToBack(view);
      return;
    }
  }
}

}  // namespace

MNavigationBarDecorator::MNavigationBarDecorator() {
  ui::NavigationBar::setSubviewHook(keepBackgroundLowest);
}

MNavigationBarDecorator::~MNavigationBarDecorator() { ui::NavigationBar::setSubviewHook({}); }

void MNavigationBarDecorator::decorateNavigationBar(ui::NavigationBar& bar,
                                                    const std::shared_ptr<ui::Image>& image) {
  decorate(bar, image, false);
}

void MNavigationBarDecorator::decorateNavigationController(ui::NavigationController& controller,
                                                           const std::shared_ptr<ui::Image>& image) {
  if (const auto& bar = controller.navigationBar()) decorate(*bar, image, true);
}

void MNavigationBarDecorator::decorate(ui::NavigationBar& bar, const std::shared_ptr<ui::Image>& image,
                                       bool controller) {
  if (SystemEnvironment::systemVersion() >= 5.0f) {
    bar.setBackgroundImage(image);
    if (!controller) bar.setClipsToBounds(false);
    return;
  }
  if (auto existing = std::dynamic_pointer_cast<ui::ImageView>(bar.viewWithTag(kBackgroundTag))) {
    existing->setImage(image);
    return;
  }
  auto background = std::make_shared<ui::ImageView>(image);
  background->setTag(kBackgroundTag);
  if (controller) background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  bar.insertSubviewAt(background, 0);
  bar.setClipsToBounds(false);
}

}  // namespace zu
