#include "platform/ui/system/InterfaceRotation.h"

#include <memory>
#include <vector>

#include "platform/ui/controllers/Alert.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/views/View.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

using Orientation = SystemEnvironment::Orientation;

constexpr float kStatusBarHeight = 20;

bool isLandscape(Orientation o) { return o == Orientation::kLandscapeLeft || o == Orientation::kLandscapeRight; }

// The views of a window that belong to controllers (the root's, or a presented one's), with
// their controllers.
std::vector<std::pair<std::shared_ptr<View>, std::shared_ptr<ViewController>>> contentOf(Window& window) {
  std::vector<std::pair<std::shared_ptr<View>, std::shared_ptr<ViewController>>> out;
  for (const auto& view : window.subviews()) {
    if (ViewController* c = ViewController::controllerOf(view.get())) out.emplace_back(view, c->shared());
  }
  return out;
}

}  // namespace

Transform InterfaceRotation::transformFor(Orientation orientation) {
  // Exact quarter turns (clockwise on screen for a positive angle), so frames stay whole.
  switch (orientation) {
    case Orientation::kLandscapeRight:
      return Transform{0, 1, -1, 0, 0, 0};
    case Orientation::kLandscapeLeft:
      return Transform{0, -1, 1, 0, 0, 0};
    case Orientation::kPortraitUpsideDown:
      return Transform{-1, 0, 0, -1, 0, 0};
    case Orientation::kPortrait:
      break;
  }
  return Transform::identity();
}

Size InterfaceRotation::interfaceSize(Orientation orientation) {
  const Size screen = Screen::main().bounds().size;
  return isLandscape(orientation) ? Size{screen.height, screen.width} : screen;
}

Rect InterfaceRotation::toScreen(Orientation orientation, const Rect& r) {
  const Size interface = interfaceSize(orientation);
  const Rect screen = Screen::main().bounds();
  const Rect centred = r.offsetBy(-interface.width / 2, -interface.height / 2);
  return transformFor(orientation).apply(centred).offsetBy(screen.midX(), screen.midY());
}

Point InterfaceRotation::fromScreen(Orientation orientation, Point p) {
  const Size interface = interfaceSize(orientation);
  const Rect screen = Screen::main().bounds();
  const Point turned = transformFor(orientation).inverted().apply(Point{p.x - screen.midX(), p.y - screen.midY()});
  return Point{turned.x + interface.width / 2, turned.y + interface.height / 2};
}

Rect InterfaceRotation::frameFor(Orientation orientation, bool fullScreen) {
  const Rect screen = Screen::main().bounds();
  if (fullScreen || Application::shared().isStatusBarHidden()) return screen;
  const float w = screen.size.width;
  const float h = screen.size.height;
  // The status bar runs along the interface's top edge, wherever that is on the screen.
  switch (orientation) {
    case Orientation::kPortrait:
      return Rect(0, kStatusBarHeight, w, h - kStatusBarHeight);
    case Orientation::kPortraitUpsideDown:
      return Rect(0, 0, w, h - kStatusBarHeight);
    case Orientation::kLandscapeRight:
      return Rect(0, 0, w - kStatusBarHeight, h);
    case Orientation::kLandscapeLeft:
      return Rect(kStatusBarHeight, 0, w - kStatusBarHeight, h);
  }
  return screen;
}

void InterfaceRotation::place(View& view, Orientation orientation, bool fullScreen) {
  const Rect frame = frameFor(orientation, fullScreen);
  const Size size = isLandscape(orientation) ? Size{frame.size.height, frame.size.width} : frame.size;
  view.setTransform(transformFor(orientation));
  view.setCenter(Point{frame.midX(), frame.midY()});
  view.setBounds(Rect(view.bounds().origin, size));
}

ViewController* InterfaceRotation::shownController(Window& window) {
  auto root = std::dynamic_pointer_cast<ViewController>(window.rootViewController());
  if (!root) return nullptr;
  ViewController* shown = root.get();
  while (auto presented = shown->modalViewController()) shown = presented.get();
  return shown;
}

bool InterfaceRotation::deviceDidTurn(Orientation orientation, bool animated) {
  return turn(orientation, animated, true);
}

bool InterfaceRotation::turn(Orientation to, bool animated, bool onlyWhenAllowed) {
  Application& application = Application::shared();
  const Orientation from = application.statusBarOrientation();
  if (to == from) return false;
  // The key window's shown controller decides (else the frontmost visible window's that has
  // one); every other window turns when its own shown controller allows it.
  std::shared_ptr<Window> deciding = application.keyWindow();
  if (!deciding || !shownController(*deciding)) {
    deciding = nullptr;
    const auto visible = application.visibleWindows();
    for (auto it = visible.rbegin(); it != visible.rend() && !deciding; ++it) {
      if (shownController(**it)) deciding = *it;
    }
  }
  if (!deciding) return false;
  if (onlyWhenAllowed && !shownController(*deciding)->shouldAutorotateToInterfaceOrientation(to)) return false;
  std::vector<std::shared_ptr<Window>> windows{deciding};
  for (const auto& window : application.windows()) {
    if (window == deciding) continue;
    ViewController* shown = shownController(*window);
    if (shown && shown->shouldAutorotateToInterfaceOrientation(to)) windows.push_back(window);
  }

  const bool halfTurn = isLandscape(to) == isLandscape(from);
  const double duration = halfTurn ? 2 * kQuarterTurnDuration : kQuarterTurnDuration;
  std::vector<std::pair<std::shared_ptr<View>, std::shared_ptr<ViewController>>> content;
  for (const auto& window : windows) {
    for (auto& entry : contentOf(*window)) content.push_back(std::move(entry));
  }
  for (const auto& [view, controller] : content) {
    controller->sendRotation(RotationCallback::WillRotate, to, duration);
  }
  // Alerts and sheets shown turn with the interface.
  std::vector<std::shared_ptr<Alert>> alerts;
  for (const auto& window : application.windows()) {
    for (const auto& view : window->subviews()) {
      if (auto alert = std::dynamic_pointer_cast<Alert>(view)) alerts.push_back(alert);
    }
  }
  auto changes = [&content, &alerts, to] {
    for (const auto& [view, controller] : content) place(*view, to, controller->wantsFullScreenLayout());
    for (const auto& alert : alerts) alert->placeForOrientation(to);
  };
  auto finish = [content, from] {
    for (const auto& [view, controller] : content) {
      controller->sendRotation(RotationCallback::DidRotate, from, 0);
    }
  };
  if (animated) {
    Animations::animate(duration, changes, [finish](bool) { finish(); });
    application.setStatusBarOrientation(to);
  } else {
    changes();
    application.setStatusBarOrientation(to);
    finish();
  }
  return true;
}

void InterfaceRotation::settle(Window& window) {
  ViewController* shown = shownController(window);
  if (!shown) return;
  auto keep = shown->shared();
  const Orientation current = Application::shared().statusBarOrientation();
  if (shown->shouldAutorotateToInterfaceOrientation(current)) {
    // Views that were turned for another orientation, or came in upright while the interface
    // was turned, take the current one's place (upright views in an upright interface keep
    // the frames their controllers gave them).
    const Transform turned = transformFor(current);
    for (const auto& [view, controller] : contentOf(window)) {
      if (view->transform() != turned) place(*view, current, controller->wantsFullScreenLayout());
    }
    return;
  }
  const int device = static_cast<int>(Device::current().orientation());
  Orientation target = Orientation::kPortrait;
  if (device >= 1 && device <= 4 &&
      shown->shouldAutorotateToInterfaceOrientation(static_cast<Orientation>(device))) {
    target = static_cast<Orientation>(device);
  }
  turn(target, false, false);
}

}  // namespace zu::ui
