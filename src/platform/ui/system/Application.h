// Application: the process-wide application object of the view kit (Application::shared(),
// main thread only): its windows by level and the key window, the status bar's orientation,
// style and hidden flag (the renderer draws the bar from them), URL opening and termination
// hooks, memory warnings, and the display pass that lays out the windows' views. The idle timer
// and background tasks are the platform's application services (zu::Application in
// platform/device) and the orientation is the process's system environment: these calls reach
// them, so there is one state for each.
//
// Kept from the phone: windows() are ordered by level, back to front (equal levels in the order
// they were first shown); a memory warning posts
// "UIApplicationDidReceiveMemoryWarningNotification" with the application as object.
// Where we differ on purpose: opening a URL and terminating go to hooks (the executable installs
// real ones; tests observe them), and the opened URLs are listed. Windows are held weakly:
// a window nobody keeps disappears from the list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/device/Application.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Object.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Window;

// The status bar's look, with the phone's values: dark text on grey, or white on black (opaque,
// or translucent over the screen).
enum class StatusBarStyle { Default = 0, BlackTranslucent = 1, BlackOpaque = 2 };

class Application : public Object {
 public:
  using BackgroundTaskId = zu::Application::BackgroundTaskId;
  inline static const char* const kDidReceiveMemoryWarningNotification =
      "UIApplicationDidReceiveMemoryWarningNotification";

  static Application& shared();

  // Live windows, back to front by level.
  std::vector<std::shared_ptr<Window>> windows() const;
  // Live, visible windows, back to front.
  std::vector<std::shared_ptr<Window>> visibleWindows() const;
  std::shared_ptr<Window> keyWindow() const { return keyWindow_.lock(); }
  // The window a touch at `screenPoint` goes to: the frontmost visible window with a view there
  // that takes touches (so an overlay window with interaction off lets touches through). While
  // the keyboard shows, its frame swallows the touches (null) of every window drawn below it
  // (those below the status bar's level), as the phone's keyboard window did.
  std::shared_ptr<Window> windowForTouch(Point screenPoint) const;
  void registerWindow(const std::shared_ptr<Window>& window);
  void setKeyWindow(const std::shared_ptr<Window>& window);

  // The process's one status-bar orientation (SystemEnvironment's, which book layout reads).
  SystemEnvironment::Orientation statusBarOrientation() const;
  void setStatusBarOrientation(SystemEnvironment::Orientation orientation);
  bool isStatusBarHidden() const { return statusBarHidden_; }
  void setStatusBarHidden(bool hidden, bool animated = false);
  StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
  // Where the status bar lies on the screen, in screen coordinates, as the phone answered it:
  // a 20-point strip along the edge that is the top in the status bar's orientation, or the
  // zero rectangle while the bar is hidden.
  Rect statusBarFrame() const;
  void setStatusBarStyle(StatusBarStyle style, bool animated = false);
  bool isIdleTimerDisabled() const { return zu::Application::isIdleTimerDisabled(); }
  void setIdleTimerDisabled(bool disabled) { zu::Application::setIdleTimerDisabled(disabled); }
  bool isNetworkActivityIndicatorVisible() const { return networkActivity_; }
  void setNetworkActivityIndicatorVisible(bool visible) { networkActivity_ = visible; }

  BackgroundTaskId beginBackgroundTask(std::function<void()> expirationHandler = {}) {
    return zu::Application::beginBackgroundTask(std::move(expirationHandler));
  }
  void endBackgroundTask(BackgroundTaskId id) { zu::Application::endBackgroundTask(id); }
  double backgroundTimeRemaining() const { return zu::Application::backgroundTimeRemaining(); }

  // Opens `url` through the hook; false when there is no hook or it refuses.
  bool openURL(const std::string& url);
  bool canOpenURL(const std::string& url) const;
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  void setOpenURLHandler(std::function<bool(const std::string&)> handler) {
    openURLHandler_ = std::move(handler);
  }
  void setCanOpenURLHandler(std::function<bool(const std::string&)> handler) {
    canOpenURLHandler_ = std::move(handler);
  }
  // Ends the process through the hook (the executable's exits with `status`).
  void terminate(int status);
  void setTerminateHandler(std::function<void(int)> handler) { terminateHandler_ = std::move(handler); }

  // Posts the memory-warning notification on this thread.
  void simulateMemoryWarning();

  // Asks for a display pass (layout of every window) on the main loop; coalesced.
  void scheduleDisplayPass();
  // Lays out every window now.
  void runDisplayPass();

  // Forgets windows, hooks and flags (between tests).
  void resetForTesting();

 private:
  Application() = default;

  struct WindowEntry {
    std::weak_ptr<Window> window;
    uint64_t order;
  };
  std::vector<WindowEntry> windows_;
  uint64_t nextOrder_ = 0;
  std::weak_ptr<Window> keyWindow_;
  bool statusBarHidden_ = false;
  StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
  bool networkActivity_ = false;
  std::vector<std::string> openedURLs_;
  std::function<bool(const std::string&)> openURLHandler_;
  std::function<bool(const std::string&)> canOpenURLHandler_;
  std::function<void(int)> terminateHandler_;
  bool displayPassPosted_ = false;
};

}  // namespace zu::ui
