// VESK_iPhoneAppDelegate: the application delegate. The main interface file ("MainWindow",
// MainWindowNib) makes it with its window and root tab bar controller; the executable then calls
// applicationDidFinishLaunching and, later, the background, foreground and terminate steps.
//
// Launch, in order: the uncaught-exception handler; the log; the engine; one Observer (with the
// kit's alerts) handed to the engine; the status bar shown; "autoRefreshOn" stored as YES when
// absent; "NOTIFICATIONRELOGIN" observed for the process's life; the window (normal level, the
// root controller's view installed — the first view loaded —, key and visible, black); the
// CommonAlert with the window; on the first run the six-page "help" guide and font size 1, else
// after a grown bundle version the five-page "newhelp" guide, once; the brightness overlay.
// Background: the engine's background step, then "isAnonymous". Terminate: "isAnonymous", the
// engine torn down, the overlay removed, the log closed.
//
// Re-login ("NOTIFICATIONRELOGIN", posted on the main thread): the engine logs out — the main
// thread waits for the task thread, never the reverse —, "Notification_Logout" is posted and the
// login screen ("登录", "取消", no sync question) is presented on the root controller. Two
// re-logins in a row log out twice, but the second login screen is refused while the first is
// presented (a controller presents one screen at a time), so one login screen shows.
//
// Main thread only. The delegate keeps the window, the root controller and the CommonAlert.
#pragma once

#include <memory>

#include "platform/runtime/Object.h"

namespace zu::ui {
class TabBarController;
class Window;
}  // namespace zu::ui

namespace zu {

class AppEngine;
class CommonAlert;

class VESK_iPhoneAppDelegate : public Object {
 public:
  static constexpr const char* kAnonymousKey = "isAnonymous";

  explicit VESK_iPhoneAppDelegate(std::shared_ptr<AppEngine> engine = nullptr);
  ~VESK_iPhoneAppDelegate() override;

  const std::shared_ptr<ui::Window>& window() const { return window_; }
  void setWindow(std::shared_ptr<ui::Window> window) { window_ = std::move(window); }
  const std::shared_ptr<ui::TabBarController>& rootController() const { return rootController_; }
  void setRootController(std::shared_ptr<ui::TabBarController> controller) {
    rootController_ = std::move(controller);
  }
  const std::shared_ptr<CommonAlert>& commonAlert() const { return commonAlert_; }
  void setEngine(std::shared_ptr<AppEngine> engine);

  bool applicationDidFinishLaunching();
  void applicationDidEnterBackground();
  void applicationWillEnterForeground();
  void applicationWillTerminate();
  void onNeedRelogin();
  void setFirstrunValues();

  // Writes "CRASH: …" and "Stack Trace: …" to the console for an exception nobody caught;
  // installed as the terminate handler at launch. The process then aborts.
  static void uncaughtExceptionHandler();

 private:
  std::shared_ptr<AppEngine> engine_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::TabBarController> rootController_;
  std::shared_ptr<CommonAlert> commonAlert_;
};

}  // namespace zu
