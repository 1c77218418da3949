// ObserverAlertPresenter: the observer's two alerts on the view kit, and what their buttons do.
//  - The upgrade alert (finish -190000): "通知", the service's text, "确定", tag 1. Any button
//    opens the store page (the bundle's "ZUStoreURL") through the application and then ends the
//    process with status 0 through the application's terminate hook.
//  - The authorisation alert (a server authorisation code): the "default" error-tips title and
//    message for the code with the service's text as tip, "确定", tag 2. Any button posts
//    "NOTIFICATIONRELOGIN" (object and user info empty), which the application delegate answers
//    with a log-out and the login screen. While one is on screen a second one is not shown (the
//    finish is still posted), so a burst of failing tasks asks for one login.
// Main thread only (the observer calls it there); made with std::make_shared and kept by the
// observer; the alerts hold it weakly as their delegate.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/AlertView.h"
#include "shell/app/AlertPresenter.h"

namespace zu {

class ObserverAlertPresenter : public AlertPresenter,
                               public ui::AlertViewDelegate,
                               public std::enable_shared_from_this<ObserverAlertPresenter> {
 public:
  static constexpr int kUpgradeTag = 1;
  static constexpr int kAuthorizeTag = 2;
  static constexpr const char* kStoreUrlKey = "ZUStoreURL";

  void showUpgradeAlert(int errCode, const std::optional<std::string>& errDesc) override;
  void showErrorTips(int errCode, const std::optional<std::string>& errDesc) override;

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;
  void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) override;

 private:
  bool authorizeAlertShown_ = false;
};

}  // namespace zu
