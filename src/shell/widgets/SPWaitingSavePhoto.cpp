#include "shell/widgets/SPWaitingSavePhoto.h"

#include <algorithm>

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/drawing/Transform.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Window.h"
#include "shell/widgets/CustomLoadingView.h"

namespace zu {

namespace {

std::unique_ptr<SPWaitingSavePhoto> gShared;

constexpr double kFadeSeconds = 0.3;
constexpr double kHoldSeconds = 0.8;
// Between the panel and the keyboard, while it is up.
constexpr float kAboveKeyboard = 10;

struct ToastLook {
  const char* icon;  // null: none
  float startScale;
};

ToastLook lookForType(int type) {
  switch (type) {
    case 1: return {"picgroupbut_favorite_mark.png", 2.0f};
    case 2: return {"picgroupbut_favorite_normal.png", 0.001f};
    case 3: return {"picgroupbut_love_normal.png", 2.0f};
    case 4: return {"picgroupbut_xiepinglun_normal.png", 2.0f};
    case 5: return {"picgroupbut_share_normal.png", 2.0f};
    default: return {nullptr, 2.0f};
  }
}

}  // namespace

SPWaitingSavePhoto& SPWaitingSavePhoto::sharedWaitingSavePhoto() {
  if (!gShared) gShared = std::make_unique<SPWaitingSavePhoto>();
  return *gShared;
}

SPWaitingSavePhoto* SPWaitingSavePhoto::existing() { return gShared.get(); }

void SPWaitingSavePhoto::showLoadingView() { sharedWaitingSavePhoto().showWaitingDialogOnString(kWaitingText, 0); }

void SPWaitingSavePhoto::hideLoadingView() { sharedWaitingSavePhoto().hideWaitingDialog(); }

void SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(int type, const std::string& text) {
  sharedWaitingSavePhoto().showWaitingDialogOnString(text, type);
}

void SPWaitingSavePhoto::setRotateEnable(bool enable) { CustomLoadingView::setRotateEnable(enable); }

void SPWaitingSavePhoto::resign() { gShared.reset(); }

SPWaitingSavePhoto::SPWaitingSavePhoto() {
  window_ = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window_->setWindowLevel(ui::kWindowLevelStatusBar - kWindowLevelBelowStatusBar);
  CustomLoadingView::registerNib();
  viewController_ = std::make_shared<CustomLoadingView>();
  ui::ViewController::installAsRoot(*window_, viewController_);
  window_->setUserInteractionEnabled(false);
  window_->setHidden(true);
  window_->setBackgroundColor(ui::Color::clearColor());
  if (auto* spinner = viewController_->activityIndicator()) spinner->stopAnimating();
  if (auto* panel = viewController_->mainView()) panel->layer().cornerRadius = 5;
}

SPWaitingSavePhoto::~SPWaitingSavePhoto() {
  *alive_ = false;
  if (window_) window_->setHidden(true);
}

void SPWaitingSavePhoto::hideWaitingDialog() {
  if (auto* spinner = viewController_->activityIndicator()) spinner->stopAnimating();
  window_->setHidden(true);
}

void SPWaitingSavePhoto::showWaitingDialog() { window_->setHidden(false); }

void SPWaitingSavePhoto::showWaitingDialogOnString(const std::string& text, int type) {
  const uint64_t generation = ++generation_;
  auto* panel = viewController_->mainView();
  auto* label = viewController_->titleLable();
  auto* icon = viewController_->imageView();
  auto* spinner = viewController_->activityIndicator();
  if (!panel || !label || !icon || !spinner) return;
  label->setText(text);
  label->setTransform(ui::Transform::identity());
  // In the middle of the screen; while the keyboard is up (a field's notice comes while the
  // reader types), just above it, clear of the keyboard and, most likely, of the field.
  const ui::Rect room = viewController_->view()->bounds();
  float middle = room.size.height / 2;
  if (ui::Keyboard::shared().isVisible()) {
    // (The view sits below the status bar; the keyboard's frame is the interface's.)
    const float keyboardTop = ui::Keyboard::interfaceFrame().origin.y - viewController_->view()->frame().origin.y;
    middle = std::min(middle, keyboardTop - kAboveKeyboard - panel->bounds().size.height / 2);
  }
  panel->setCenter(ui::Point{room.size.width / 2, middle});
  // An earlier toast may have been cut short: start from the panel at rest.
  panel->setTransform(ui::Transform::identity());
  panel->setAlpha(1);

  if (type == 0) {
    icon->setImage(nullptr);
    spinner->startAnimating();
    showWaitingDialog();
    return;
  }
  spinner->stopAnimating();
  const ToastLook look = lookForType(type);
  icon->setImage(look.icon ? ui::Image::named(look.icon) : nullptr);
  if (type == 5) ui::Animations::setEnabled(true);
  if (type == 12) {
    const float shift = panel->bounds().size.height / 2 - label->center().y;
    label->setTransform(ui::Transform::makeTranslation(0, shift));
  }
  const float s = look.startScale;
  panel->setTransform(ui::Transform::makeScale(s, s));
  panel->setAlpha(0);
  showWaitingDialog();

  std::weak_ptr<bool> alive = alive_;
  std::weak_ptr<ui::View> weakPanel = panel->shared();
  ui::Animations::animate(
      kFadeSeconds,
      [panel] {
        panel->setTransform(ui::Transform::identity());
        panel->setAlpha(1);
      },
      [this, alive, weakPanel, generation, s](bool) {
        if (alive.expired() || generation != generation_) return;
        auto panelNow = weakPanel.lock();
        if (!panelNow) return;
        ui::Animations::animate(
            kFadeSeconds, kHoldSeconds, 0,
            [panelNow, s] {
              panelNow->setTransform(ui::Transform::makeScale(2.001f - s, 2.001f - s));
              panelNow->setAlpha(0);
            },
            [this, alive, generation](bool) {
              if (alive.expired() || generation != generation_) return;
              finishToast();
            });
      });
}

void SPWaitingSavePhoto::finishToast() {
  window_->setHidden(true);
  if (auto* panel = viewController_->mainView()) {
    panel->setTransform(ui::Transform::identity());
    panel->setAlpha(1);
  }
  if (auto* icon = viewController_->imageView()) icon->setImage(nullptr);
}

}  // namespace zu
