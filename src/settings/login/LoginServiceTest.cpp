// The login screen against the sample service, through the whole engine and the application
// observer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/Base64.h"
#include "engine/core/EngineTestSupport.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

class LoginServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    // The bundle names a mail domain of its own.
    writeBundleFile("Info.plist",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                    "<key>CFBundleVersion</key><string>2.0.0</string>"
                    "<key>ZULoginMailDomain</key><string>@sample.example</string></dict></plist>\n");
    Bundle::setMainBundleForTesting(bundleDir_);
    startEngine();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, root_);
    NotificationCenter::defaultCenter().add(MoreSettingsLoginViewController::kLoginSuccessNotification, this,
                                            [this](const Notification& n) { successes_.push_back(n.object); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    login_.reset();
    root_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
    // The test bundle's (empty) skin is not left for the next test.
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  // Opens the screen as the shell does and logs in with what is typed.
  void logIn(const std::string& name, const std::string& password) {
    ASSERT_TRUE(ScreenRequest::showLogin("登录", root_, "取消", true));
    login_ = std::dynamic_pointer_cast<MoreSettingsLoginViewController>(root_->modalViewController());
    ASSERT_TRUE(login_);
    login_->view();
    login_->nameTextField()->becomeFirstResponder();
    login_->nameTextField()->insertText(name);
    login_->passwordTextField()->becomeFirstResponder();
    login_->passwordTextField()->insertText(password);
    login_->passwordTextField()->insertReturn();
    ASSERT_TRUE(login_->isLogging());
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
  std::shared_ptr<MoreSettingsLoginViewController> login_;
  std::vector<Value> successes_;
};

TEST_F(LoginServiceTest, ARealLoginStoresTheServicesIdAndARefusedOneGoesBackToIdle) {
  logIn("Reader", "pw");
  ASSERT_TRUE(turnUntil([&] { return !successes_.empty(); }));
  // Sent with the bundle's domain; the engine lower-cases the name.
  auto asked = service_.requestsTo("/login");
  ASSERT_FALSE(asked.empty());
  const std::string credentials = "reader@sample.example:pw";
  EXPECT_EQ("Basic " + Base64::encode(reinterpret_cast<const uint8_t*>(credentials.data()), credentials.size()),
            asked.back().headers["authorization"]);
  // Stored and made current: the service's id, not the name sent.
  const std::string id = SampleService::ursIdOf("reader@sample.example");
  auto& defaults = UserDefaults::standard();
  EXPECT_EQ(std::optional<std::string>(id), defaults.stringForKey("username"));
  EXPECT_EQ(std::optional<std::string>("pw"), defaults.stringForKey("password"));
  EXPECT_FALSE(defaults.boolForKey("isAnonymous"));
  EXPECT_TRUE(defaults.objectForKey("isAnonymous").isBool());
  EXPECT_EQ(id, engine_->getUsername());
  EXPECT_TRUE(successes_[0].boolValue());
  // The file holding the plain password is the owner's alone.
  struct stat info {};
  ASSERT_EQ(0, ::stat(defaults.filePath().c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777u);
  ASSERT_TRUE(turnUntil([&] { return !root_->modalViewController(); }));

  // Refused by the service: idle again, the fields kept, nothing stored, the reader unchanged.
  service_.refuseLogin("locked@sample.example", 1);
  logIn("locked", "pw");
  ASSERT_TRUE(turnUntil([&] { return !login_->isLogging(); }));
  EXPECT_EQ(root_->modalViewController(), login_);
  EXPECT_EQ("locked", login_->nameTextField()->text());
  EXPECT_EQ("pw", login_->passwordTextField()->text());
  EXPECT_TRUE(login_->loginButton()->isEnabled());
  EXPECT_EQ(1u, successes_.size());
  EXPECT_EQ(std::optional<std::string>(id), defaults.stringForKey("username"));
  EXPECT_EQ(id, engine_->getUsername());
}

}  // namespace
}  // namespace zu
