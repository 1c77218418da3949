#include "shell/app/VESK_iPhoneAppDelegate.h"

#include <execinfo.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "engine/core/DESettings.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/views/Window.h"
#include "shell/app/AppEngine.h"
#include "shell/app/CommonAlert.h"
#include "shell/app/CustomBrightnessWindow.h"
#include "shell/app/MSSettings.h"
#include "shell/app/Observer.h"
#include "shell/app/ObserverAlertPresenter.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellWebResourceProvider.h"

namespace zu {

namespace {

constexpr int kFirstRunFontSize = 1;

std::string currentExceptionText() {
  try {
    if (auto current = std::current_exception()) std::rethrow_exception(current);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
  return "no exception";
}

}  // namespace

VESK_iPhoneAppDelegate::VESK_iPhoneAppDelegate(std::shared_ptr<AppEngine> engine)
    : engine_(engine ? std::move(engine) : std::make_shared<AppEngine>()) {}

VESK_iPhoneAppDelegate::~VESK_iPhoneAppDelegate() {
  NotificationCenter::defaultCenter().remove(this);
}

void VESK_iPhoneAppDelegate::setEngine(std::shared_ptr<AppEngine> engine) {
  if (engine) engine_ = std::move(engine);
}

void VESK_iPhoneAppDelegate::uncaughtExceptionHandler() {
  std::fprintf(stderr, "CRASH: %s\n", currentExceptionText().c_str());
  void* frames[64];
  const int count = backtrace(frames, 64);
  std::string trace;
  if (char** symbols = backtrace_symbols(frames, count)) {
    for (int i = 0; i < count; ++i) trace += std::string("\n  ") + symbols[i];
    std::free(symbols);
  }
  std::fprintf(stderr, "Stack Trace: %s\n", trace.c_str());
  std::abort();
}

bool VESK_iPhoneAppDelegate::applicationDidFinishLaunching() {
  std::set_terminate(&VESK_iPhoneAppDelegate::uncaughtExceptionHandler);
  engine_->logInit();
  engine_->initGlobalInstance();
  engine_->setObserver(std::make_shared<Observer>(std::make_shared<ObserverAlertPresenter>()));
  ShellWebResourceProvider::install();
  ui::Application::shared().setStatusBarHidden(false);
  if (MSSettings::localValueForKey(MSSettings::kAutoRefreshKey).isNull()) {
    MSSettings::setLocalValue(true, MSSettings::kAutoRefreshKey);
  }
  NotificationCenter::defaultCenter().add("NOTIFICATIONRELOGIN", this,
                                          [this](const Notification&) { onNeedRelogin(); });
  if (window_) {
    window_->setWindowLevel(ui::kWindowLevelNormal);
    ui::ViewController::installAsRoot(*window_, rootController_);
    window_->makeKeyAndVisible();
    window_->setBackgroundColor(ui::Color::blackColor());
  }
  commonAlert_ = CommonAlert::create();
  commonAlert_->setWindow(window_);
  if (DESettings::isFirstRun()) {
    DESettings::setFirstRun(false);
    DESettings::setNeedDisplayUpgradeHelper(false);
    if (window_) ScreenRequest::createHelpView("help", 6, *window_);
    setFirstrunValues();
  }
  if (DESettings::needDisplayUpgradeHelper()) {
    DESettings::setNeedDisplayUpgradeHelper(false);
    if (window_) ScreenRequest::createHelpView("newhelp", 5, *window_);
  }
  CustomBrightnessWindow::globalInit();
  return true;
}

void VESK_iPhoneAppDelegate::applicationDidEnterBackground() {
  engine_->applicationDidEnterBackground();
  UserDefaults::standard().set(kAnonymousKey, engine_->isAnonymous());
}

void VESK_iPhoneAppDelegate::applicationWillEnterForeground() {
  NotificationCenter::defaultCenter().post("Notification_ApplicationEnterForeground");
}

void VESK_iPhoneAppDelegate::applicationWillTerminate() {
  UserDefaults::standard().set(kAnonymousKey, engine_->isAnonymous());
  engine_->uninitGlobalInstance();
  CustomBrightnessWindow::globalUninit();
  engine_->logUninit();
}

void VESK_iPhoneAppDelegate::onNeedRelogin() {
  engine_->logout();
  NotificationCenter::defaultCenter().post("Notification_Logout");
  ScreenRequest::showLogin("登录", rootController_, "取消", false);
}

void VESK_iPhoneAppDelegate::setFirstrunValues() { DESettings::setFondSize(kFirstRunFontSize); }

}  // namespace zu
