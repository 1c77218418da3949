#include "platform/ui/system/Application.h"

#include <algorithm>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/drawing/StatusBar.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

Application& Application::shared() {
  // Made once and never destroyed, so hooks and completions running at exit find it. It is an
  // Object held by a shared_ptr so notifications can carry it.
  static std::shared_ptr<Application>* app =
      new std::shared_ptr<Application>(new Application());
  return **app;
}

std::vector<std::shared_ptr<Window>> Application::windows() const {
  std::vector<std::pair<const WindowEntry*, std::shared_ptr<Window>>> live;
  for (const WindowEntry& e : windows_) {
    if (auto w = e.window.lock()) live.emplace_back(&e, std::move(w));
  }
  std::stable_sort(live.begin(), live.end(), [](const auto& x, const auto& y) {
    if (x.second->windowLevel() != y.second->windowLevel()) {
      return x.second->windowLevel() < y.second->windowLevel();
    }
    return x.first->order < y.first->order;
  });
  std::vector<std::shared_ptr<Window>> out;
  out.reserve(live.size());
  for (auto& [entry, w] : live) out.push_back(std::move(w));
  return out;
}

std::vector<std::shared_ptr<Window>> Application::visibleWindows() const {
  auto all = windows();
  std::erase_if(all, [](const std::shared_ptr<Window>& w) { return w->isHidden(); });
  return all;
}

std::shared_ptr<Window> Application::windowForTouch(Point screenPoint) const {
  const auto visible = visibleWindows();
  // The drawn keyboard lies above the windows below the status bar's level (see the renderer).
  const bool overKeyboard =
      Keyboard::shared().isVisible() && Keyboard::shownFrame().contains(screenPoint);
  for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
    if (overKeyboard && (*it)->windowLevel() < kWindowLevelStatusBar) return nullptr;
    const Point p = (*it)->pointFromSuperview(screenPoint);
    if ((*it)->hitTest(p)) return *it;
  }
  return nullptr;
}

void Application::registerWindow(const std::shared_ptr<Window>& window) {
  std::erase_if(windows_, [](const WindowEntry& e) { return e.window.expired(); });
  for (const WindowEntry& e : windows_) {
    if (e.window.lock() == window) return;
  }
  windows_.push_back({window, nextOrder_++});
}

void Application::setKeyWindow(const std::shared_ptr<Window>& window) {
  auto old = keyWindow_.lock();
  if (old == window) return;
  registerWindow(window);
  keyWindow_ = window;
  if (old) old->resignKeyWindow();
  window->becomeKeyWindow();
}

SystemEnvironment::Orientation Application::statusBarOrientation() const {
  return SystemEnvironment::statusBarOrientation();
}

void Application::setStatusBarOrientation(SystemEnvironment::Orientation orientation) {
  SystemEnvironment::setStatusBarOrientation(orientation);
}

Rect Application::statusBarFrame() const {
  if (statusBarHidden_) return Rect();
  const Rect screen = Screen::main().bounds();
  const float h = StatusBar::kHeight;
  switch (statusBarOrientation()) {
    case SystemEnvironment::Orientation::kPortraitUpsideDown:
      return Rect(0, screen.size.height - h, screen.size.width, h);
    // The interface's top edge: at the screen's left for landscape left, its right for
    // landscape right (where the renderer draws the bar and the content leaves it room).
    case SystemEnvironment::Orientation::kLandscapeLeft:
      return Rect(0, 0, h, screen.size.height);
    case SystemEnvironment::Orientation::kLandscapeRight:
      return Rect(screen.size.width - h, 0, h, screen.size.height);
    default:
      return Rect(0, 0, screen.size.width, h);
  }
}

void Application::setStatusBarHidden(bool hidden, bool) { statusBarHidden_ = hidden; }

void Application::setStatusBarStyle(StatusBarStyle style, bool) { statusBarStyle_ = style; }

bool Application::openURL(const std::string& url) {
  if (!openURLHandler_) return false;
  const bool opened = openURLHandler_(url);
  if (opened) openedURLs_.push_back(url);
  return opened;
}

bool Application::canOpenURL(const std::string& url) const {
  return canOpenURLHandler_ ? canOpenURLHandler_(url) : false;
}

void Application::terminate(int status) {
  if (terminateHandler_) terminateHandler_(status);
}

void Application::simulateMemoryWarning() {
  NotificationCenter::defaultCenter().post(kDidReceiveMemoryWarningNotification,
                                           Value(weak_from_this().lock()));
}

void Application::scheduleDisplayPass() {
  if (displayPassPosted_) return;
  auto loop = RunLoop::main();
  if (!loop->isCurrent()) return;  // views belong to the main thread
  displayPassPosted_ = loop->post([this] {
    displayPassPosted_ = false;
    runDisplayPass();
  });
}

void Application::runDisplayPass() {
  for (const auto& w : windows()) w->layoutIfNeeded();
}

void Application::resetForTesting() {
  windows_.clear();
  keyWindow_.reset();
  SystemEnvironment::setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
  statusBarHidden_ = false;
  statusBarStyle_ = StatusBarStyle::Default;
  networkActivity_ = false;
  openedURLs_.clear();
  openURLHandler_ = nullptr;
  canOpenURLHandler_ = nullptr;
  terminateHandler_ = nullptr;
}

}  // namespace zu::ui
