// MoreSettingsLoginViewController: the modal screen on which the reader logs in with a name and
// a password. It checks the two fields, runs the engine's login task, and on success makes the
// engine use the reader, stores "username", "password" and "isAnonymous" (NO) in the user
// defaults, posts "MoreSettingsLoginResultSuccessNotification" (object: the opener's
// needToAskSync) and is dismissed by the controller that presented it. The forgotten-password
// and register buttons open the service's account pages through the application.
//
// Opening: other screens ask for the interface file "MoreSettingsLoginViewController" through a
// ScreenRequest (ScreenRequest::showLogin) with the parameters "title", "cancelButtonTitle" and
// "needToAskSync"; the file makes the screen, and the presenting controller is its father. The
// same file, loaded with the screen as owner, builds its view (SettingsNibs registers it).
//
// Field rules (lengths in UTF-16 units): while a field is typed in, the login button is enabled
// exactly when both fields, with the change, hold at least 2; at load it is enabled from the
// stored "username" and "password" although both fields start empty. An insertion shows the
// field's clear button, a deletion at position 0 hides it. Return moves from the name to the
// password, then logs in when the button is enabled; a tap on the background resigns both. A
// name without "@" is sent with the configured mail domain ("ZULoginMailDomain" of the bundle's
// Info.plist) appended. The service's reply feed carries the reader's id (its urs record),
// which replaces the name before it is stored.
//
// Where we differ on purpose (faults mended):
//  - A reply feed without a non-empty id leaves the name as sent: a nil name is never stored.
//  - When the engine does not take the name (one that cannot be a user's folder), nothing is
//    stored and no success is posted: the screen goes back to idle with the invalid-argument
//    alert, its fields kept.
//  - A second press while a login runs is ignored, and typing while it runs leaves the login
//    button disabled.
//  - An empty name field gets no mail domain: it is refused by the incomplete-information
//    alert like any other missing credential, not sent as a bare "@domain".
// The user-defaults file holding the plain password (the automatic login needs it) is written
// owner-only by the platform.
//
// Tasks come from a LoginEngine (the data engine's by default); their results arrive as task
// notifications on the main thread. Main thread only. The father is not retained; the outlets
// belong to the view tree and are dropped when the view is unloaded.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/text/TextField.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Button;
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

struct Notification;
class LoginEngine;

class MoreSettingsLoginViewController : public ui::ViewController, public ui::TextFieldDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsLoginViewController";
  static constexpr const char* kLoginSuccessNotification = "MoreSettingsLoginResultSuccessNotification";
  static constexpr size_t kMinimumLength = 2;

  // The interface file: the screen for a ScreenRequest owner, the view for the screen itself.
  static void registerNib();

  // The title and the cancel title are kept by the caller's contract but not shown.
  MoreSettingsLoginViewController(const std::optional<std::string>& title,
                                  std::weak_ptr<ui::ViewController> fatherController,
                                  const std::optional<std::string>& cancelButtonTitle, bool needToAskSync);
  ~MoreSettingsLoginViewController() override;

  // The father presents the screen modally, animated; false when it could not.
  bool show();

  // The configured mail domain ("@" and a host) and account pages.
  static std::string mailDomain();
  static std::string forgetPasswordUrl();
  static std::string registerUrl();

  const std::shared_ptr<LoginEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<LoginEngine> engine);
  // The father given at making, else the controller presenting the screen.
  std::shared_ptr<ui::ViewController> fatherController() const;

  // --- state (read by tests)
  bool isLogging() const { return logging_; }
  bool needToAskSync() const { return needToAskSync_; }
  const std::string& name() const { return name_; }
  const std::string& password() const { return password_; }

  // --- outlets (null until the view loaded)
  const std::shared_ptr<ui::TextField>& nameTextField() const { return nameTextField_; }
  const std::shared_ptr<ui::TextField>& passwordTextField() const { return passwordTextField_; }
  const std::shared_ptr<ui::Button>& nameClearButton() const { return nameClearButton_; }
  const std::shared_ptr<ui::Button>& passwordClearButton() const { return passwordClearButton_; }
  const std::shared_ptr<ui::Button>& loginButton() const { return loginButton_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }
  const std::shared_ptr<ui::Button>& forgetButton() const { return forgetButton_; }
  const std::shared_ptr<ui::Button>& registerButton() const { return registerButton_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& loginIndicator() const { return loginIndicator_; }
  const std::shared_ptr<ui::Label>& loginingLabel() const { return loginingLabel_; }
  const std::shared_ptr<ui::View>& backgroundControl() const { return background_; }

  // --- actions
  void loginButtonPressed();
  void cancelButtonPressed();
  void forgetButtonPressed();
  void registerButtonPressed();
  void clearButtonPressed(ui::TextField& field);
  void backgroundTapped();
  void loginResult(const Notification& notification);

  // --- the fields
  void textFieldDidBeginEditing(ui::TextField& field) override;
  void textFieldDidEndEditing(ui::TextField& field) override;
  bool textFieldShouldChangeCharacters(ui::TextField& field, ui::TextRange range,
                                       const std::string& replacement) override;
  bool textFieldShouldClear(ui::TextField& field) override;
  bool textFieldShouldReturn(ui::TextField& field) override;

  // --- the view
  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  static void build(ui::NibLoading& file);
  static void buildView(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsLoginViewController> sharedLogin();
  void applySkin();
  // Back to idle: the login button enabled, the indicator stopped, the label hidden.
  void endLogging();
  void stopObserving();
  void dismiss();
  ui::TextField* otherField(const ui::TextField& field) const;
  ui::Button* clearButtonOf(const ui::TextField& field) const;

  std::weak_ptr<ui::ViewController> father_;
  bool needToAskSync_ = false;
  bool logging_ = false;
  std::string name_;
  std::string password_;
  std::shared_ptr<LoginEngine> engine_;
  // The login task whose results count, while it runs.
  std::optional<std::string> loginTaskId_;

  std::shared_ptr<ui::TextField> nameTextField_;
  std::shared_ptr<ui::TextField> passwordTextField_;
  std::shared_ptr<ui::Button> nameClearButton_;
  std::shared_ptr<ui::Button> passwordClearButton_;
  std::shared_ptr<ui::Button> loginButton_;
  std::shared_ptr<ui::Button> cancelButton_;
  std::shared_ptr<ui::Button> forgetButton_;
  std::shared_ptr<ui::Button> registerButton_;
  std::shared_ptr<ui::ActivityIndicatorView> loginIndicator_;
  std::shared_ptr<ui::Label> loginingLabel_;
  std::shared_ptr<ui::ImageView> logoImageView_;
  std::shared_ptr<ui::ImageView> infoBackgroundImageView_;
  std::shared_ptr<ui::View> background_;
};

}  // namespace zu
