#include "shell/app/ObserverAlertPresenter.h"

#include "common/Log.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "shell/app/ErrorTips.h"

namespace zu {

void ObserverAlertPresenter::showUpgradeAlert(int /*errCode*/,
                                              const std::optional<std::string>& errDesc) {
  auto alert = std::make_shared<ui::AlertView>("通知", errDesc, weak_from_this(), "确定");
  alert->setTag(kUpgradeTag);
  alert->show();
}

void ObserverAlertPresenter::showErrorTips(int errCode,
                                           const std::optional<std::string>& errDesc) {
  if (authorizeAlertShown_) return;
  const std::optional<std::string> context = "default";
  auto alert = std::make_shared<ui::AlertView>(ErrorTips::getDescForError(errCode, context),
                                               ErrorTips::getTipForError(errCode, errDesc, context),
                                               weak_from_this(), "确定");
  alert->setTag(kAuthorizeTag);
  authorizeAlertShown_ = true;
  alert->show();
}

void ObserverAlertPresenter::alertViewClickedButtonAtIndex(ui::AlertView& alert, int /*index*/) {
  if (alert.tag() == kUpgradeTag) {
    auto store = Bundle::mainBundle()->info(kStoreUrlKey);
    if (store && !store->empty()) {
      ui::Application::shared().openURL(*store);
    } else {
      VESKLogImpl("no store address in the bundle");
    }
    ui::Application::shared().terminate(0);
  } else if (alert.tag() == kAuthorizeTag) {
    NotificationCenter::defaultCenter().post("NOTIFICATIONRELOGIN");
  }
}

void ObserverAlertPresenter::alertViewDidDismissWithButtonIndex(ui::AlertView& alert,
                                                                int /*index*/) {
  if (alert.tag() == kAuthorizeTag) authorizeAlertShown_ = false;
}

}  // namespace zu
