#include "settings/login/MoreSettingsLoginViewController.h"

#include <gtest/gtest.h>

#include "engine/core/ErrorCodes.h"
#include "platform/device/Pasteboard.h"
#include "platform/ui/text/OneLineInput.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/FocusChain.h"
#include "platform/ui/text/Keyboard.h"
#include "settings/login/LoginTestSupport.h"
#include "shell/app/ErrorTips.h"

namespace zu {
namespace {

using testing::loginFeed;
using testing::postLoginFeed;
using testing::postLoginFinish;

class LoginScreenTest : public testing::LoginFixture {
 protected:
  static bool reddish(uint32_t argb) {
    const int r = argb >> 16 & 0xff, g = argb >> 8 & 0xff, b = argb & 0xff;
    return r > g + 60 && r > b + 60;
  }
  bool loginEnabled() const { return login_->loginButton()->isEnabled(); }
  bool nameClearShown() const { return !login_->nameClearButton()->isHidden(); }
  bool passwordClearShown() const { return !login_->passwordClearButton()->isHidden(); }
  std::shared_ptr<testing::ScriptedLoginTask> lastTask() const {
    return engine_->tasks.empty() ? nullptr : engine_->tasks.back();
  }
  // Settles the posted finish, the dismissal and its animation.
  void finish(int code, const std::string& desc = "null") {
    postLoginFinish(lastTask(), code, desc);
    settle(1);
  }
};

// By night the screen takes the skin's dark ground (not the interface file's light grey), and
// its cancel and disabled login titles turn light on their dark buttons.
TEST_F(LoginScreenTest, ByNightTheGroundIsDarkAndTheTitlesLight) {
  testing::NightLook night;
  open(true);
  ASSERT_TRUE(login_);
  ASSERT_TRUE(login_->view()->backgroundColor());
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(*login_->view()->backgroundColor()), 0.1f);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("login-night"));
  fill("ab", "pw");
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("login-night-filled"));
}

// The keyboard comes up with the screen; the login button and the two links under the fields
// stay wholly above it, so the reader can log in without dismissing it.
TEST_F(LoginScreenTest, TheButtonsUnderTheFieldsStayAboveTheKeyboard) {
  open(true);
  ASSERT_TRUE(login_);
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  const float keyboardTop = ui::Keyboard::shownFrame().minY();
  for (const auto& button : {login_->loginButton(), login_->forgetButton(), login_->registerButton()}) {
    const ui::Rect inWindow = button->convertRectTo(button->bounds(), nullptr);
    EXPECT_LE(inWindow.maxY(), keyboardTop) << button->currentTitle().value_or("");
    const auto& password = login_->passwordTextField();
    EXPECT_GE(inWindow.minY(), password->convertRectTo(password->bounds(), nullptr).maxY());
  }
}

TEST_F(LoginScreenTest, TheShellOpensTheRealScreenWithItsParameters) {
  open(true);
  ASSERT_TRUE(login_);
  EXPECT_TRUE(openedScreens().empty());  // not the stand-in
  EXPECT_TRUE(login_->needToAskSync());
  EXPECT_EQ(root_, login_->fatherController());
  EXPECT_FALSE(login_->isLogging());
  EXPECT_TRUE(login_->nameTextField()->isFirstResponder());
  EXPECT_TRUE(login_->nameTextField()->text().empty());
  EXPECT_TRUE(login_->passwordTextField()->isSecureTextEntry());
  EXPECT_FALSE(nameClearShown());
  EXPECT_FALSE(passwordClearShown());
  EXPECT_TRUE(login_->loginingLabel()->isHidden());
  // Nothing stored: the login button starts disabled. The skin's pictures are on.
  EXPECT_FALSE(loginEnabled());
  ASSERT_TRUE(login_->loginButton()->backgroundImageForState(ui::kControlStateDisabled));
  EXPECT_NE(login_->loginButton()->backgroundImageForState(ui::kControlStateNormal),
            login_->loginButton()->backgroundImageForState(ui::kControlStateDisabled));
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screen, "login-empty").has_value());
  // The disabled login button is drawn grey; both fields filled, it turns the skin's red.
  const ui::Point corner = login_->loginButton()->convertPointTo(ui::Point{8, 8}, nullptr);
  const auto x = static_cast<int>(corner.x), y = static_cast<int>(corner.y);
  EXPECT_FALSE(reddish(screen->pixelAt(x, y)));
  fill("ab", "pw");
  EXPECT_TRUE(reddish(ui::renderScreen()->pixelAt(x, y)));

  // Cancel: the father dismisses it; the keyboard goes with it.
  press(*login_->cancelButton());
  settle(1);
  EXPECT_FALSE(root_->modalViewController());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_TRUE(engine_->tasks.empty());

  // Made by hand with its father, it is shown by the father and dismissed by it.
  auto direct = std::make_shared<MoreSettingsLoginViewController>(std::string("登录"), root_, std::string("取消"), false);
  ASSERT_TRUE(direct->show());
  EXPECT_EQ(direct, root_->modalViewController());
  settle(1);
  press(*direct->cancelButton());
  settle(1);
  EXPECT_FALSE(root_->modalViewController());
}

TEST_F(LoginScreenTest, StoredCredentialsEnableLoginAtLoadThoughTheFieldsStartEmpty) {
  UserDefaults::standard().set("username", Value("ab"));
  UserDefaults::standard().set("password", Value("pw"));
  open();
  EXPECT_TRUE(loginEnabled());
  EXPECT_TRUE(login_->nameTextField()->text().empty());
  EXPECT_TRUE(login_->passwordTextField()->text().empty());
  // Pressed at once: empty fields are incomplete information, even with the mail domain at hand.
  press(*login_->loginButton());
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(std::optional<std::string>("用户信息不全"), topAlert()->title());
  EXPECT_TRUE(engine_->tasks.empty());
  topAlert()->clickButton(0);
  press(*login_->cancelButton());
  settle(1);

  // One stored character of either is not enough.
  UserDefaults::standard().set("username", Value("a"));
  UserDefaults::standard().set("password", Value("pw"));
  open();
  EXPECT_FALSE(loginEnabled());
}

TEST_F(LoginScreenTest, TheFieldRulesCountUtf16UnitsAndShowTheClearButtons) {
  open();
  auto& name = *login_->nameTextField();
  auto& password = *login_->passwordTextField();
  type(name, "a");
  EXPECT_TRUE(nameClearShown());
  EXPECT_FALSE(loginEnabled());
  name.insertText("b");
  EXPECT_FALSE(loginEnabled());  // the password is still empty
  // Return in the name moves to the password; the name's clear button hides.
  name.insertReturn();
  EXPECT_TRUE(password.isFirstResponder());
  EXPECT_FALSE(nameClearShown());
  password.insertText("p");
  EXPECT_TRUE(passwordClearShown());
  EXPECT_FALSE(loginEnabled());
  password.insertText("w");  // the second character enables at once
  EXPECT_TRUE(loginEnabled());
  password.deleteBackward();  // a deletion not at position 0: the clear button stays
  EXPECT_FALSE(loginEnabled());
  EXPECT_TRUE(passwordClearShown());
  password.deleteBackward();  // deleting at position 0 hides it
  EXPECT_FALSE(passwordClearShown());
  // One character outside the basic plane is two units: enough.
  password.insertText("😀");
  EXPECT_TRUE(loginEnabled());

  // Back in the name field its clear button shows again and the password's hides; the clear
  // button empties the field and disables the login.
  name.becomeFirstResponder();
  EXPECT_TRUE(nameClearShown());
  EXPECT_FALSE(passwordClearShown());
  press(*login_->nameClearButton());
  EXPECT_TRUE(name.text().empty());
  EXPECT_FALSE(nameClearShown());
  EXPECT_FALSE(loginEnabled());

  // A tap on the background resigns both fields.
  name.insertText("ab");
  window_->tap(login_->backgroundControl()->convertPointTo(ui::Point{160, 400}, nullptr));
  EXPECT_FALSE(name.isFirstResponder());
  EXPECT_FALSE(password.isFirstResponder());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());

  // Return in the password field logs in while the button is enabled.
  password.becomeFirstResponder();
  password.insertReturn();
  ASSERT_EQ(1u, engine_->tasks.size());
  EXPECT_FALSE(password.isFirstResponder());
  EXPECT_EQ(std::optional<std::string>("😀"), engine_->tasks[0]->password);
}

// Tab goes from the name to the password, as Return's 下一项 does, and on round to the name;
// Shift+Tab goes back. What is typed after Tab is the password, never the name's tail, and Tab
// itself types nothing.
TEST_F(LoginScreenTest, TabMovesBetweenTheNameAndThePassword) {
  open();
  auto& keyboard = ui::Keyboard::shared();
  auto& name = *login_->nameTextField();
  auto& password = *login_->passwordTextField();
  ASSERT_TRUE(name.isFirstResponder());
  keyboard.type("reader");
  ASSERT_TRUE(ui::FocusChain::advance(false));
  EXPECT_TRUE(password.isFirstResponder());
  keyboard.type("pw");
  // Both fields are in sight above the keyboard.
  settle(1);
  for (const ui::View* field : {&name, &password}) EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*field));
  EXPECT_EQ("reader", name.text());
  EXPECT_EQ("pw", password.text());
  EXPECT_TRUE(loginEnabled());
  EXPECT_TRUE(passwordClearShown());
  EXPECT_FALSE(nameClearShown());
  ASSERT_TRUE(ui::FocusChain::advance(false));  // from the last field back to the first
  EXPECT_TRUE(name.isFirstResponder());
  ASSERT_TRUE(ui::FocusChain::advance(true));
  EXPECT_TRUE(password.isFirstResponder());
  ASSERT_TRUE(ui::FocusChain::advance(true));
  EXPECT_TRUE(name.isFirstResponder());
  ASSERT_TRUE(ui::FocusChain::advance(true));
  keyboard.pressReturn();
  ASSERT_EQ(1u, engine_->tasks.size());
  EXPECT_EQ(std::optional<std::string>("reader@vesk.com"), lastTask()->name);
  EXPECT_EQ(std::optional<std::string>("pw"), lastTask()->password);
}

TEST_F(LoginScreenTest, TheMailDomainIsAddedToABareNameAndShortPasswordsAreRefused) {
  open();
  fill("ab", "p");
  press(*login_->loginButton());  // enabled? no: but the press itself is checked too
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(std::optional<std::string>("用户信息不全"), topAlert()->title());
  EXPECT_EQ(std::optional<std::string>("请将用户名、密码填写完整"), topAlert()->message());
  EXPECT_EQ("确定", topAlert()->buttonTitleAtIndex(0));
  EXPECT_TRUE(engine_->tasks.empty());
  EXPECT_FALSE(login_->isLogging());
  topAlert()->clickButton(0);
  settle(1);
  EXPECT_EQ(0u, alertCount());

  login_->passwordTextField()->insertText("w");
  press(*login_->loginButton());
  ASSERT_EQ(1u, engine_->tasks.size());
  EXPECT_EQ(std::optional<std::string>("ab@vesk.com"), lastTask()->name);
  EXPECT_EQ(std::optional<std::string>("pw"), lastTask()->password);
  EXPECT_FALSE(lastTask()->forced);
  EXPECT_TRUE(lastTask()->ran);
  EXPECT_TRUE(login_->isLogging());
  EXPECT_FALSE(loginEnabled());
  EXPECT_TRUE(login_->loginIndicator()->isAnimating());
  EXPECT_FALSE(login_->loginingLabel()->isHidden());
  // A second press, or a change typed while it runs, starts nothing more.
  press(*login_->loginButton());
  login_->passwordTextField()->insertText("x");
  EXPECT_FALSE(loginEnabled());
  press(*login_->loginButton());
  EXPECT_EQ(1u, engine_->tasks.size());
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screen, "login-busy").has_value());

  // Failed: back to idle, the fields kept; then a name with "@" goes as typed.
  finish(kErrNetDisconnected);
  login_->nameTextField()->setText("x@y");
  press(*login_->loginButton());
  ASSERT_EQ(2u, engine_->tasks.size());
  EXPECT_EQ(std::optional<std::string>("x@y"), lastTask()->name);
  EXPECT_EQ(std::optional<std::string>("pwx"), lastTask()->password);
}

// What is pasted into the fields goes to the service as the reader can see it: a name with a
// terminal's escape, a bell and a right-to-left override comes without them, and a pasted
// hundred megabytes is cut to the 4,096 characters a field holds before anything else sees it.
TEST_F(LoginScreenTest, PastedCredentialsGoWithoutControlsAndCutToWhatAFieldHolds) {
  open();
  auto& board = Pasteboard::general();
  board.resetForTesting();
  ASSERT_TRUE(login_->nameTextField()->becomeFirstResponder());
  board.setString("\x1B[2J\u202Egnp.exe\x07\r\n");
  ASSERT_TRUE(ui::Keyboard::shared().performEditCommand("paste:"));
  EXPECT_EQ("[2Jgnp.exe", login_->nameTextField()->text());
  ASSERT_TRUE(login_->passwordTextField()->becomeFirstResponder());
  board.setString(std::string(size_t{100} << 20, 'p'));
  ASSERT_TRUE(ui::Keyboard::shared().performEditCommand("paste:"));
  board.resetForTesting();
  EXPECT_EQ(ui::OneLineInput::kMaxLength, login_->passwordTextField()->text().size());
  EXPECT_TRUE(loginEnabled());
  press(*login_->loginButton());
  ASSERT_EQ(1u, engine_->tasks.size());
  EXPECT_EQ(std::optional<std::string>("[2Jgnp.exe@vesk.com"), lastTask()->name);
  EXPECT_EQ(std::optional<std::string>(std::string(ui::OneLineInput::kMaxLength, 'p')), lastTask()->password);
}

TEST_F(LoginScreenTest, SuccessStoresTheServicesIdAndTellsTheApplication) {
  open(true);
  fill("Reader", "secret");
  press(*login_->loginButton());
  postLoginFeed(lastTask(), loginFeed("urs.reader@vesk.com"));
  EXPECT_EQ("urs.reader@vesk.com", login_->name());
  EXPECT_TRUE(presented());
  finish(kErrOk);
  ASSERT_EQ(1u, engine_->users.size());
  EXPECT_EQ((std::pair<std::string, std::string>("urs.reader@vesk.com", "secret")), engine_->users[0]);
  auto& defaults = UserDefaults::standard();
  EXPECT_EQ(std::optional<std::string>("urs.reader@vesk.com"), defaults.stringForKey("username"));
  EXPECT_EQ(std::optional<std::string>("secret"), defaults.stringForKey("password"));
  ASSERT_TRUE(defaults.objectForKey("isAnonymous").isBool());
  EXPECT_FALSE(defaults.boolForKey("isAnonymous"));
  ASSERT_EQ(1u, successes_.size());
  EXPECT_TRUE(successes_[0].boolValue());
  EXPECT_FALSE(login_->isLogging());
  EXPECT_FALSE(root_->modalViewController());
  EXPECT_EQ(0u, alertCount());

  // The opener's flag goes with the notification as it was given.
  open(false);
  fill("ab", "pw");
  press(*login_->loginButton());
  finish(kErrOk);
  ASSERT_EQ(2u, successes_.size());
  EXPECT_FALSE(successes_[1].boolValue());
  EXPECT_TRUE(successes_[1].isBool());
}

TEST_F(LoginScreenTest, AReplyWithoutAnIdKeepsTheNameSentAndARefusedNameStoresNothing) {
  open();
  fill("ab", "pw");
  press(*login_->loginButton());
  postLoginFeed(lastTask(), loginFeed(std::nullopt));
  postLoginFeed(lastTask(), loginFeed(std::string()));
  postLoginFeed(lastTask(), nullptr);
  finish(kErrOk);
  EXPECT_EQ(std::optional<std::string>("ab@vesk.com"), UserDefaults::standard().stringForKey("username"));
  EXPECT_EQ(1u, successes_.size());

  // The engine does not take the name: no stored login, no success, the screen stays idle.
  UserDefaults::standard().removeObject("username");
  open();
  engine_->takesUser = false;
  fill("ab", "pw");
  press(*login_->loginButton());
  postLoginFeed(lastTask(), loginFeed("bad/name"));
  finish(kErrOk);
  EXPECT_FALSE(UserDefaults::standard().stringForKey("username"));
  EXPECT_EQ(1u, successes_.size());
  EXPECT_TRUE(presented());
  EXPECT_FALSE(login_->isLogging());
  EXPECT_TRUE(loginEnabled());
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(ErrorTips::getDescForError(kErrInvalidArg, std::string(" ")), topAlert()->title());
}

TEST_F(LoginScreenTest, AFailureShowsTheTipsAndStaysAPositiveCodeOnlyDismisses) {
  open();
  fill("ab", "pw");
  press(*login_->loginButton());
  finish(kErrNetDisconnected, "连接中断");
  EXPECT_TRUE(presented());
  EXPECT_FALSE(login_->isLogging());
  EXPECT_TRUE(loginEnabled());
  EXPECT_FALSE(login_->loginIndicator()->isAnimating());
  EXPECT_TRUE(login_->loginingLabel()->isHidden());
  EXPECT_FALSE(login_->nameTextField()->isFirstResponder());
  EXPECT_EQ("ab", login_->nameTextField()->text());
  EXPECT_EQ("pw", login_->passwordTextField()->text());
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(ErrorTips::getDescForError(kErrNetDisconnected, std::string(" ")), topAlert()->title());
  EXPECT_EQ(ErrorTips::getTipForError(kErrNetDisconnected, std::string("连接中断"), std::string(" ")),
            topAlert()->message());
  EXPECT_TRUE(engine_->users.empty());
  EXPECT_TRUE(successes_.empty());
  EXPECT_FALSE(UserDefaults::standard().stringForKey("password"));
  window_->layoutIfNeeded();
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screen, "login-error").has_value());
  topAlert()->clickButton(0);
  settle(1);

  // A cancelled login shows nothing and is idle again; a later finish of an old task is ignored.
  press(*login_->loginButton());
  auto cancelled = lastTask();
  finish(kErrCancelled);
  EXPECT_EQ(0u, alertCount());
  EXPECT_FALSE(login_->isLogging());
  press(*login_->loginButton());
  postLoginFinish(cancelled, kErrOk);
  settle(1);
  EXPECT_TRUE(login_->isLogging());
  EXPECT_TRUE(engine_->users.empty());

  finish(1);
  EXPECT_FALSE(root_->modalViewController());
  EXPECT_TRUE(engine_->users.empty());
  EXPECT_TRUE(successes_.empty());
  EXPECT_FALSE(UserDefaults::standard().stringForKey("username"));
}

TEST_F(LoginScreenTest, ForgottenPasswordAndRegisterOpenTheAccountPages) {
  std::vector<std::string> opened;
  ui::Application::shared().setOpenURLHandler([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  open();
  press(*login_->forgetButton());
  press(*login_->registerButton());
  EXPECT_EQ((std::vector<std::string>{MoreSettingsLoginViewController::forgetPasswordUrl(),
                                      MoreSettingsLoginViewController::registerUrl()}),
            opened);
  EXPECT_EQ(0u, opened[0].rfind("https://", 0));
  EXPECT_NE(opened[0], opened[1]);
  EXPECT_TRUE(presented());
}

}  // namespace
}  // namespace zu
