// AlertPresenter: the application shell's alerts that the observer raises for a task finish:
// the upgrade alert (the client is too old for the service) and the error-tips alert (a login
// the service no longer accepts). ObserverAlertPresenter shows them with the view kit; the
// observer calls it on the main thread and keeps it for its own life.
#pragma once

#include <optional>
#include <string>

namespace zu {

class AlertPresenter {
 public:
  virtual ~AlertPresenter() = default;
  // -190000: the service asks for a newer client.
  virtual void showUpgradeAlert(int errCode, const std::optional<std::string>& errDesc) = 0;
  // A server authorisation code (isServerAuthorizeError).
  virtual void showErrorTips(int errCode, const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
