#include "settings/login/MoreSettingsLoginViewController.h"

#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "model/entry/Feed.h"
#include "model/service/VeskUrs.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "settings/login/LoginEngine.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kUsernameKey = "username";
constexpr const char* kPasswordKey = "password";
constexpr const char* kAnonymousKey = "isAnonymous";
// The context of this screen's error alerts: one blank.
constexpr const char* kErrorContext = " ";

constexpr const char* kDefaultMailDomain = "@vesk.com";
constexpr const char* kDefaultForgetPasswordUrl = "https://reg.vesk.com/getpasswd";
constexpr const char* kDefaultRegisterUrl = "https://reg.vesk.com/register";

std::string configured(const char* key, const char* fallback) {
  auto value = Bundle::mainBundle()->info(key);
  return value && !value->empty() ? *value : std::string(fallback);
}

bool longEnough(std::string_view text) {
  return StringUtil::utf16Length(text) >= MoreSettingsLoginViewController::kMinimumLength;
}

std::shared_ptr<ui::Button> makeButton(ui::NibLoading& file, const ui::Rect& frame,
                                       const std::optional<std::string>& title) {
  auto button = file.make<ui::Button>(ui::ButtonType::Custom, frame);
  if (title) button->setTitle(title, ui::kControlStateNormal);
  return button;
}

std::shared_ptr<ui::TextField> makeField(ui::NibLoading& file, const ui::Rect& frame,
                                         const std::string& placeholder, bool secure) {
  auto field = file.make<ui::TextField>(frame);
  field->setPlaceholder(placeholder);
  field->setSecureTextEntry(secure);
  field->setBorderStyle(ui::TextBorderStyle::None);
  field->setClearButtonMode(ui::TextFieldViewMode::Never);
  field->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
  field->setAutocorrects(false);
  field->setAutocapitalizes(false);
  field->setKeyboardType(secure ? ui::KeyboardType::Default : ui::KeyboardType::EmailAddress);
  field->setReturnKeyType(secure ? ui::ReturnKeyType::Go : ui::ReturnKeyType::Next);
  return field;
}

}  // namespace

// --- the interface file

void MoreSettingsLoginViewController::build(ui::NibLoading& file) {
  if (auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    const Dictionary& parameters = request->parameters();
    file.makeTopLevel<MoreSettingsLoginViewController>(parameters.get("title").stringValue(),
                                                       std::weak_ptr<ui::ViewController>(),
                                                       parameters.get("cancelButtonTitle").stringValue(),
                                                       parameters.get("needToAskSync").boolValue());
  } else if (std::dynamic_pointer_cast<MoreSettingsLoginViewController>(file.owner())) {
    buildView(file);
  }
}

void MoreSettingsLoginViewController::buildView(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 460));
  view->setBackgroundColor(ui::Color::rgba8(238, 240, 243));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  // Behind everything: a touch that reaches no control resigns the fields.
  auto background = file.make<ui::Control>(view->bounds());
  background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto cancel = makeButton(file, ui::Rect(10, 10, 60, 30), std::string("取消"));
  cancel->setLeavesScreen(true);
  auto logo = file.make<ui::ImageView>(ui::Rect(80, 14, 160, 50));
  auto indicator = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  indicator->setFrame(ui::Rect(104, 72, 20, 20));
  auto logging = file.make<ui::Label>(ui::Rect(130, 70, 120, 24));
  logging->setText(std::string("正在登录..."));
  logging->setBackgroundColor(ui::Color::clearColor());
  auto info = file.make<ui::ImageView>(ui::Rect(10, 100, 300, 90));
  auto name = makeField(file, ui::Rect(22, 108, 254, 30), "用户名或邮箱", false);
  auto password = makeField(file, ui::Rect(22, 152, 254, 30), "密码", true);
  auto nameClear = makeButton(file, ui::Rect(282, 113, 19, 19), std::nullopt);
  auto passwordClear = makeButton(file, ui::Rect(282, 157, 19, 19), std::nullopt);
  // The row under the fields ends above the keyboard (its top is 264 in the window).
  auto forget = makeButton(file, ui::Rect(10, 196, 84, 40), std::string("忘记密码?"));
  auto reg = makeButton(file, ui::Rect(100, 196, 84, 40), std::string("注册新用户"));
  auto login = makeButton(file, ui::Rect(250, 196, 60, 40), std::string("登录"));
  cancel->setTitleColor(ui::Color::rgba8(85, 85, 85), ui::kControlStateNormal);
  cancel->titleLabel()->setFont(ui::Font::systemFont(14));
  login->setTitleColor(ui::Color::whiteColor(), ui::kControlStateNormal);
  login->setTitleColor(ui::Color::rgba8(80, 82, 88), ui::kControlStateDisabled);
  login->titleLabel()->setFont(ui::Font::boldSystemFont(16));
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{
           background, cancel, logo, indicator, logging, info, name, password, nameClear, passwordClear,
           forget, reg, login}) {
    view->addSubview(part);
  }
  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsLoginViewController>([=](MoreSettingsLoginViewController& owner) {
    owner.background_ = background;
    owner.cancelButton_ = cancel;
    owner.logoImageView_ = logo;
    owner.loginIndicator_ = indicator;
    owner.loginingLabel_ = logging;
    owner.infoBackgroundImageView_ = info;
    owner.nameTextField_ = name;
    owner.passwordTextField_ = password;
    owner.nameClearButton_ = nameClear;
    owner.passwordClearButton_ = passwordClear;
    owner.forgetButton_ = forget;
    owner.registerButton_ = reg;
    owner.loginButton_ = login;
  });
}

void MoreSettingsLoginViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// --- making and showing

MoreSettingsLoginViewController::MoreSettingsLoginViewController(const std::optional<std::string>&,
                                                                 std::weak_ptr<ui::ViewController> fatherController,
                                                                 const std::optional<std::string>&,
                                                                 bool needToAskSync)
    : ViewController(std::string(kNibName)),
      father_(std::move(fatherController)),
      needToAskSync_(needToAskSync),
      engine_(LoginEngine::defaultEngine()) {}

MoreSettingsLoginViewController::~MoreSettingsLoginViewController() {
  NotificationCenter::defaultCenter().remove(this);
}

std::shared_ptr<MoreSettingsLoginViewController> MoreSettingsLoginViewController::sharedLogin() {
  return std::static_pointer_cast<MoreSettingsLoginViewController>(shared());
}

void MoreSettingsLoginViewController::setEngine(std::shared_ptr<LoginEngine> engine) {
  engine_ = engine ? std::move(engine) : LoginEngine::defaultEngine();
}

std::shared_ptr<ui::ViewController> MoreSettingsLoginViewController::fatherController() const {
  if (auto father = father_.lock()) return father;
  ui::ViewController* presenting = presentingViewController();
  return presenting ? presenting->shared() : nullptr;
}

bool MoreSettingsLoginViewController::show() {
  auto father = father_.lock();
  return father && father->presentModalViewController(shared(), true);
}

std::string MoreSettingsLoginViewController::mailDomain() {
  return configured("ZULoginMailDomain", kDefaultMailDomain);
}

std::string MoreSettingsLoginViewController::forgetPasswordUrl() {
  return configured("ZUForgetPasswordURL", kDefaultForgetPasswordUrl);
}

std::string MoreSettingsLoginViewController::registerUrl() {
  return configured("ZURegisterURL", kDefaultRegisterUrl);
}

// --- the view

void MoreSettingsLoginViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  std::weak_ptr<MoreSettingsLoginViewController> weak = sharedLogin();
  auto on = [weak](void (MoreSettingsLoginViewController::*action)()) {
    return [weak, action](ui::Control&) {
      if (auto self = weak.lock()) ((*self).*action)();
    };
  };
  if (background_) {
    static_cast<ui::Control&>(*background_).addTarget(this, ui::kControlEventTouchDown,
                                                       on(&MoreSettingsLoginViewController::backgroundTapped));
  }
  if (cancelButton_) cancelButton_->addTarget(this, ui::kControlEventTouchUpInside, on(&MoreSettingsLoginViewController::cancelButtonPressed));
  if (loginButton_) loginButton_->addTarget(this, ui::kControlEventTouchUpInside, on(&MoreSettingsLoginViewController::loginButtonPressed));
  if (forgetButton_) forgetButton_->addTarget(this, ui::kControlEventTouchUpInside, on(&MoreSettingsLoginViewController::forgetButtonPressed));
  if (registerButton_) registerButton_->addTarget(this, ui::kControlEventTouchUpInside, on(&MoreSettingsLoginViewController::registerButtonPressed));
  for (const auto& [button, field] : {std::pair{nameClearButton_, nameTextField_}, std::pair{passwordClearButton_, passwordTextField_}}) {
    if (!button || !field) continue;
    std::weak_ptr<ui::TextField> weakField = field;
    button->addTarget(this, ui::kControlEventTouchUpInside, [weak, weakField](ui::Control&) {
      auto self = weak.lock();
      auto target = weakField.lock();
      if (self && target) self->clearButtonPressed(*target);
    });
  }

  if (nameClearButton_) nameClearButton_->setHidden(true);
  if (passwordClearButton_) passwordClearButton_->setHidden(true);
  if (loginingLabel_) loginingLabel_->setHidden(true);
  if (loginIndicator_) loginIndicator_->setHidesWhenStopped(true);
  logging_ = false;
  for (const auto& field : {nameTextField_, passwordTextField_}) {
    if (field) {
      field->setDelegate(sharedLogin());
      field->setText(std::string());
    }
  }
  if (nameTextField_) nameTextField_->becomeFirstResponder();

  // Enabled from what is stored, although the fields start empty.
  const UserDefaults& defaults = UserDefaults::standard();
  if (loginButton_) {
    loginButton_->setEnabled(longEnough(defaults.stringForKey(kUsernameKey).value_or("")) &&
                             longEnough(defaults.stringForKey(kPasswordKey).value_or("")));
  }
  applySkin();
}

void MoreSettingsLoginViewController::applySkin() {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  // By night the screen takes the skin's dark ground and light titles on its dark buttons; by
  // day it keeps the interface file's light grey.
  const bool night = skin.skinName() == "Night";
  if (isViewLoaded()) {
    view()->setBackgroundColor(night ? skin.colorWithCodeName("colorKdpContentBackground").value_or(ui::Color::blackColor())
                                     : ui::Color::rgba8(238, 240, 243));
  }
  if (cancelButton_) {
    cancelButton_->setTitleColor(night ? ui::Color::rgba8(225, 225, 225) : ui::Color::rgba8(85, 85, 85),
                                 ui::kControlStateNormal);
  }
  if (loginButton_) {
    loginButton_->setTitleColor(night ? ui::Color::rgba8(180, 181, 185) : ui::Color::rgba8(80, 82, 88),
                                ui::kControlStateDisabled);
  }
  if (logoImageView_) logoImageView_->setImage(skin.imageWithCodeName("imageKdlgLogo"));
  if (infoBackgroundImageView_) infoBackgroundImageView_->setImage(skin.imageWithCodeName("imageKdlgInfoBackground"));
  if (cancelButton_) {
    cancelButton_->setBackgroundImage(skin.imageWithCodeName("imageKdlgCancelButtonNormal"), ui::kControlStateNormal);
    cancelButton_->setBackgroundImage(skin.imageWithCodeName("imageKdlgCancelButtonHighlighted"),
                                      ui::kControlStateHighlighted);
  }
  if (loginButton_) {
    loginButton_->setBackgroundImage(skin.imageWithCodeName("imageKdlgLoginButtonNormal"), ui::kControlStateNormal);
    loginButton_->setBackgroundImage(skin.imageWithCodeName("imageKdlgLoginButtonHighlighted"),
                                     ui::kControlStateHighlighted);
    loginButton_->setBackgroundImage(skin.imageWithCodeName("imageKdlgLoginButtonDisable"), ui::kControlStateDisabled);
  }
  for (const auto& clear : {nameClearButton_, passwordClearButton_}) {
    if (!clear) continue;
    clear->setImage(skin.imageWithCodeName("imageKdlgClearButtonNormal"), ui::kControlStateNormal);
    clear->setImage(skin.imageWithCodeName("imageKdlgClearButtonHighlighted"), ui::kControlStateHighlighted);
  }
  const auto fieldFont = skin.fontWithCodeName("fontKdlgTextField");
  const auto fieldColor = skin.colorWithCodeName("colorKdlgTextFieldText");
  for (const auto& field : {nameTextField_, passwordTextField_}) {
    if (!field) continue;
    if (fieldFont) field->setFont(*fieldFont);
    if (fieldColor) field->setTextColor(*fieldColor);
    // A placeholder that reads on the field by day and on its dark face by night.
    field->setPlaceholderColor(skin.colorWithCodeName("colorKdmsCellInputPlaceholder"));
  }
  const auto linkFont = skin.fontWithCodeName("fontKdlgForgetAndRegisterButton");
  const auto linkColor = skin.colorWithCodeName("colorKdlgForgetAndRegisterText");
  for (const auto& link : {forgetButton_, registerButton_}) {
    if (!link) continue;
    if (linkFont) link->titleLabel()->setFont(*linkFont);
    link->setTitleColor(linkColor, ui::kControlStateNormal);
  }
  if (loginingLabel_) {
    if (auto font = skin.fontWithCodeName("fontKdlgLogging")) loginingLabel_->setFont(*font);
    if (auto color = skin.colorWithCodeName("colorKdlgLoggingLabel")) loginingLabel_->setTextColor(*color);
  }
  if (loginIndicator_) {
    loginIndicator_->setStyle(static_cast<ui::ActivityIndicatorStyle>(skin.activityIndicatorViewStyle()));
  }
}

void MoreSettingsLoginViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  nameTextField_.reset();
  passwordTextField_.reset();
  nameClearButton_.reset();
  passwordClearButton_.reset();
  loginButton_.reset();
  cancelButton_.reset();
  forgetButton_.reset();
  registerButton_.reset();
  loginIndicator_.reset();
  loginingLabel_.reset();
  logoImageView_.reset();
  infoBackgroundImageView_.reset();
  background_.reset();
}

// --- the fields

ui::TextField* MoreSettingsLoginViewController::otherField(const ui::TextField& field) const {
  if (&field == nameTextField_.get()) return passwordTextField_.get();
  if (&field == passwordTextField_.get()) return nameTextField_.get();
  return nullptr;
}

ui::Button* MoreSettingsLoginViewController::clearButtonOf(const ui::TextField& field) const {
  if (&field == nameTextField_.get()) return nameClearButton_.get();
  if (&field == passwordTextField_.get()) return passwordClearButton_.get();
  return nullptr;
}

bool MoreSettingsLoginViewController::textFieldShouldChangeCharacters(ui::TextField& field, ui::TextRange range,
                                                                      const std::string& replacement) {
  ui::TextField* other = otherField(field);
  if (!other) return true;
  const std::string changed = ui::replaceTextRange(field.text(), range, replacement);
  if (loginButton_) loginButton_->setEnabled(!logging_ && longEnough(changed) && longEnough(other->text()));
  if (ui::Button* clear = clearButtonOf(field)) {
    if (!replacement.empty()) {
      clear->setHidden(false);
    } else if (range.location == 0) {
      clear->setHidden(true);
    }
  }
  return true;
}

void MoreSettingsLoginViewController::textFieldDidBeginEditing(ui::TextField& field) {
  if (ui::Button* clear = clearButtonOf(field)) clear->setHidden(field.text().empty());
  if (ui::TextField* other = otherField(field)) {
    if (ui::Button* clear = clearButtonOf(*other)) clear->setHidden(true);
  }
}

void MoreSettingsLoginViewController::textFieldDidEndEditing(ui::TextField& field) {
  if (ui::Button* clear = clearButtonOf(field)) clear->setHidden(true);
  if (passwordTextField_ && passwordTextField_->isFirstResponder() && !logging_) {
    if (nameTextField_) nameTextField_->resignFirstResponder();
    passwordTextField_->resignFirstResponder();
  }
}

bool MoreSettingsLoginViewController::textFieldShouldClear(ui::TextField&) {
  if (loginButton_) loginButton_->setEnabled(false);
  return true;
}

bool MoreSettingsLoginViewController::textFieldShouldReturn(ui::TextField& field) {
  if (&field == nameTextField_.get()) {
    if (passwordTextField_) passwordTextField_->becomeFirstResponder();
  } else if (&field == passwordTextField_.get() && loginButton_ && loginButton_->isEnabled()) {
    field.resignFirstResponder();
    loginButtonPressed();
  }
  return true;
}

void MoreSettingsLoginViewController::clearButtonPressed(ui::TextField& field) { field.clearText(); }

void MoreSettingsLoginViewController::backgroundTapped() {
  if (nameTextField_) nameTextField_->resignFirstResponder();
  if (passwordTextField_) passwordTextField_->resignFirstResponder();
}

// --- logging in

void MoreSettingsLoginViewController::loginButtonPressed() {
  if (logging_ || !nameTextField_ || !passwordTextField_) return;
  const std::string typed = nameTextField_->text();
  name_ = typed;
  if (!typed.empty() && typed.find('@') == std::string::npos) name_ += mailDomain();
  password_ = passwordTextField_->text();
  if (!longEnough(name_) || !longEnough(password_)) {
    std::make_shared<ui::AlertView>(std::string("用户信息不全"), std::string("请将用户名、密码填写完整"),
                                    std::weak_ptr<ui::AlertViewDelegate>(), std::string("确定"))
        ->show();
    return;
  }
  auto task = engine_->createLoginTask(name_, password_, false);
  if (!task) return;
  if (loginButton_) loginButton_->setEnabled(false);
  if (loginIndicator_) loginIndicator_->startAnimating();
  if (loginingLabel_) loginingLabel_->setHidden(false);
  logging_ = true;
  loginTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsLoginViewController> weak = sharedLogin();
  NotificationCenter::defaultCenter().add(*loginTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->loginResult(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsLoginViewController::stopObserving() {
  if (loginTaskId_) NotificationCenter::defaultCenter().remove(this, *loginTaskId_);
  loginTaskId_.reset();
}

void MoreSettingsLoginViewController::endLogging() {
  logging_ = false;
  if (loginButton_) loginButton_->setEnabled(true);
  if (loginIndicator_) loginIndicator_->stopAnimating();
  if (loginingLabel_) loginingLabel_->setHidden(true);
}

void MoreSettingsLoginViewController::dismiss() {
  if (auto father = fatherController()) father->dismissModalViewController(true);
}

void MoreSettingsLoginViewController::loginResult(const Notification& notification) {
  if (!loginTaskId_ || notification.name != *loginTaskId_) return;
  auto keep = shared();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "Feed") {
    // The service's own form of the reader's name; a reply without one keeps the name sent.
    auto feed = info.get("Result").asObject<Feed>();
    const auto& urs = feed ? feed->veskUrs() : nullptr;
    if (urs && urs->id() && !urs->id()->empty()) name_ = *urs->id();
    return;
  }
  if (type != "TaskStatus") return;
  stopObserving();
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code < 0) {
    endLogging();
    if (nameTextField_) nameTextField_->resignFirstResponder();
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kErrorContext));
    return;
  }
  if (code > 0) {
    dismiss();
    return;
  }
  if (!engine_->setUsername(name_, password_)) {
    endLogging();
    ErrorTips::showErrorInfo(kErrInvalidArg, std::nullopt, std::string(kErrorContext));
    return;
  }
  UserDefaults& defaults = UserDefaults::standard();
  defaults.set(kUsernameKey, Value(name_));
  defaults.set(kPasswordKey, Value(password_));
  defaults.set(kAnonymousKey, Value(false));
  endLogging();
  NotificationCenter::defaultCenter().post(kLoginSuccessNotification, Value(needToAskSync_));
  dismiss();
}

// --- the other buttons

void MoreSettingsLoginViewController::cancelButtonPressed() {
  backgroundTapped();
  dismiss();
}

void MoreSettingsLoginViewController::forgetButtonPressed() { ui::Application::shared().openURL(forgetPasswordUrl()); }

void MoreSettingsLoginViewController::registerButtonPressed() { ui::Application::shared().openURL(registerUrl()); }

}  // namespace zu
