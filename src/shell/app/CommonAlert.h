// CommonAlert: the application-wide alerts raised by notification, wherever the reader is:
//  111 "Notification_SoftwareUpdateInfo" (a VeskSoftUpdate under "NotiKey_VeskSoftUpdate"):
//      its title and text, "取消"/"好"; "好" opens its download address outside the application.
//  222 "Notification_MessageInfo" (VeskMessages under the same key): the first message only,
//      "关闭" and, when it has an address, "查看详情", which opens the in-app browser presented
//      by the window's root controller.
//  333 "Notification_ShowBindAlert" ("context", "platformtype"): "立即绑定" opens the
//      authorisation screen in a navigation controller presented by the context; its return
//      action dismisses it.
//  444 "Notification_ShowLoginAlert" ("context"): "登录" opens the login screen on the context,
//      asking about the sync afterwards.
// Only button 1 acts. The update and message alerts get a left-aligned message. The addresses
// and the context are those of the latest alert of their kind; the context is held weakly (a
// context that has gone opens nothing). An update or message notification without a record, a
// message list without messages and an empty address show or open nothing.
//
// The info task posts its notifications on the "task" thread: every alert is built on the main
// loop whoever posts (inline when posted there). Made once by the application delegate with
// create() and kept by it; its observations end with it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"
#include "platform/ui/controllers/AlertView.h"

namespace zu::ui {
class ViewController;
class Window;
}  // namespace zu::ui

namespace zu {

struct Notification;

class CommonAlert : public Object, public ui::AlertViewDelegate {
 public:
  static constexpr int kSoftUpdateTag = 111;
  static constexpr int kMessageTag = 222;
  static constexpr int kBindTag = 333;
  static constexpr int kLoginTag = 444;
  static constexpr const char* kRecordKey = "NotiKey_VeskSoftUpdate";

  static std::shared_ptr<CommonAlert> create();
  ~CommonAlert() override;

  const std::shared_ptr<ui::Window>& window() const { return window_; }
  void setWindow(std::shared_ptr<ui::Window> window) { window_ = std::move(window); }
  const std::optional<std::string>& updateUrlString() const { return updateUrlString_; }
  const std::optional<std::string>& urlString() const { return urlString_; }
  int platformType() const { return platformType_; }
  std::shared_ptr<ui::ViewController> context() const { return context_.lock(); }

  void onSoftwareUpdate(const Notification& notification);
  void onMessage(const Notification& notification);
  void onBindingBlog(const Notification& notification);
  void onLogin(const Notification& notification);

  void willPresentAlertView(ui::AlertView& alert) override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;

  // Wraps `controller` in a navigation controller that the context presents, animated.
  void showController(const std::shared_ptr<ui::ViewController>& controller);
  // The context dismisses what it presents, animated.
  void handleClose();

 private:
  CommonAlert() = default;
  std::shared_ptr<CommonAlert> self();
  void show(std::optional<std::string> title, std::optional<std::string> message, int tag,
            std::string cancel, std::vector<std::string> others);

  int platformType_ = 0;
  std::shared_ptr<ui::Window> window_;
  std::optional<std::string> updateUrlString_;
  std::optional<std::string> urlString_;
  std::weak_ptr<ui::ViewController> context_;
};

}  // namespace zu
