#include "platform/ui/controllers/Alert.h"

#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

constexpr double kDismissDuration = 0.2;

}  // namespace

Alert::Alert(std::optional<std::string> title) : title_(std::move(title)) {}

Alert::~Alert() = default;

int Alert::addButtonWithTitle(std::string title) {
  buttons_.push_back(std::move(title));
  return static_cast<int>(buttons_.size()) - 1;
}

std::string Alert::buttonTitleAtIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(buttons_.size())) return std::string();
  return buttons_[static_cast<size_t>(index)];
}

void Alert::show() {
  if (visible_) return;
  auto self = std::static_pointer_cast<Alert>(shared());
  if (!self) return;
  willPresent();
  const Rect screen = Screen::main().bounds();
  window_ = std::make_shared<Window>(screen);
  window_->setWindowLevel(kWindowLevelAlert);
  window_->setBackgroundColor(Color::white(0, 0.4f));
  placeForOrientation(SystemEnvironment::statusBarOrientation());
  window_->addSubview(self);
  window_->makeKeyAndVisible();
  visible_ = true;
  AlertRegistry::shared().add(self);
  didPresent();
}

void Alert::placeForOrientation(SystemEnvironment::Orientation orientation) {
  const Size interface = InterfaceRotation::interfaceSize(orientation);
  const Rect panel = panelFrame(Rect(Point{0, 0}, interface));
  setTransform(InterfaceRotation::transformFor(orientation));
  setBounds(Rect(Point{0, 0}, panel.size));
  const Rect onScreen = InterfaceRotation::toScreen(orientation, panel);
  setCenter(Point{onScreen.midX(), onScreen.midY()});
}

bool Alert::clickButton(int index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return false;
  auto keep = shared();
  clicked(index);
  dismissWithClickedButtonIndex(index, true);
  return true;
}

bool Alert::clickButtonTitled(const std::string& title) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i] == title) return clickButton(static_cast<int>(i));
  }
  return false;
}

void Alert::touchesEnded(const TouchSet& touches, const Event&) {
  if (touches.empty()) return;
  const Point p = touches.front()->locationInView(this);
  for (int i = 0; i < numberOfButtons(); ++i) {
    if (buttonFrame(i).contains(p)) {
      clickButton(i);
      return;
    }
  }
}

void Alert::dismissWithClickedButtonIndex(int index, bool animated) {
  if (!visible_) return;
  auto keep = std::static_pointer_cast<Alert>(shared());
  visible_ = false;
  willDismiss(index);
  std::shared_ptr<Window> window = std::move(window_);
  window_.reset();
  auto finish = [keep, window, index] {
    keep->removeFromSuperview();
    window->setHidden(true);
    AlertRegistry::shared().remove(keep.get());
    keep->didDismiss(index);
  };
  if (!animated) {
    finish();
    return;
  }
  Animations::animate(kDismissDuration, [&] { window->setAlpha(0); }, [finish](bool) { finish(); });
}

}  // namespace zu::ui
