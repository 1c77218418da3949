// The authorisation screen in the real engine, binding Renren (OAuth 2.0) against a loopback
// server that plays the platform: its authorisation page, its login-success callback and its
// session exchange. One engine serves the whole binary.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>

#include "engine/openplatform/OpenPlatformTestSupport.h"
#include "engine/openplatform/OpenSns_Renren.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Window.h"
#include "platform/web/engine-tests/EngineTestSupport.h"
#include "platform/web/engine-tests/WebEngineTestMain.h"
#include "share/ShareScreens.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/StandInScreen.h"
#include "testing/MainLoopTurn.h"

namespace zu {
namespace {

using Response = LoopbackServer::Response;

constexpr double kWait = 20;

// The platform's pages. The authorisation page knows the binding's state (it is in its own
// address) and uses it as a platform's page would, or as a page bent on binding someone else's
// account would: from a frame of its own, at an address that only begins like the callback, or
// with a state of its own making.
std::string authorisationPage(const std::string& mode) {
  const std::string callback = "/oauth/login_success.html";
  if (mode == "attachments") return "<title>authorise</title><iframe src=\"/oauth/framed\"></iframe>";
  if (mode == "genuine") {
    return "<script>var state = new URLSearchParams(location.search).get('state');"
           "location.href = '" + callback + "#access_token=mine&expires_in=60&state=' + state;</script>";
  }
  return "<p>授权 Authorise</p><script>var state = new URLSearchParams(location.search).get('state');"
         "var frame = document.createElement('iframe');"
         "frame.src = '" + callback + "#access_token=framed&state=' + state;"
         "document.body.appendChild(frame);"
         "setTimeout(function () { location.href = '" + callback + "x#access_token=longer&state=' + state; }, 400);"
         "</script>";
}

class AuthorisationEngineTest : public testing::OpenPlatformTest {
 protected:
  void SetUp() override {
    OpenPlatformTest::SetUp();
    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ShareScreens::registerNibs();
    server.setHandler([this](const LoopbackServer::Request& r) {
      if (r.path == "/oauth/authorize") return Response::text(200, authorisationPage(mode()), "text/html");
      if (r.path == "/oauth/framed" || r.path == "/oauth/top") return web::attachment(attachmentName(r.path));
      if (r.path == "/oauth/login_success.htmlx") {
        // The page goes on to the callback itself, with a state it made up.
        return Response::text(200, "<script>setTimeout(function () { location.href = "
                                   "'/oauth/login_success.html#access_token=forged&state=0123'; }, 100);</script>",
                              "text/html");
      }
      if (r.path == "/oauth/login_success.html") return Response::text(200, "<p>ok</p>", "text/html");
      if (r.path == "/renren_api/session_key") return Response::text(200, "{}");
      return Response::text(404, "");
    });
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    navigation_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    OpenPlatformTest::TearDown();
  }

  std::shared_ptr<AuthenicationViewController> openScreen() {
    auto screen = std::dynamic_pointer_cast<AuthenicationViewController>(ScreenRequest::authentication(5, [] {}));
    EXPECT_TRUE(screen);
    if (!screen) return nullptr;
    navigation_->pushViewController(screen, false);
    screen->view();
    return screen;
  }
  std::vector<std::string> pathsAsked() {
    std::vector<std::string> paths;
    for (const auto& r : server.requests()) paths.push_back(r.path);
    return paths;
  }

  // What the platform's pages serve, set on the test thread and read on the server's.
  void setMode(std::string mode) {
    std::lock_guard<std::mutex> lock(pageLock_);
    mode_ = std::move(mode);
  }
  std::string mode() {
    std::lock_guard<std::mutex> lock(pageLock_);
    return mode_;
  }
  void setAttachmentNames(std::map<std::string, std::string> names) {
    std::lock_guard<std::mutex> lock(pageLock_);
    attachmentNames_ = std::move(names);
  }
  std::string attachmentName(const std::string& path) {
    std::lock_guard<std::mutex> lock(pageLock_);
    return attachmentNames_.at(path);
  }

  std::mutex pageLock_;
  std::string mode_;                                    // guarded by pageLock_
  // The file name each attachment of the "attachments" page asks to be saved under.
  std::map<std::string, std::string> attachmentNames_;  // guarded by pageLock_
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

TEST_F(AuthorisationEngineTest, OnlyThePagesOwnAnswerWithTheBindingsStateBinds) {
  setMode("forged");
  openScreen();
  // The page's frame came to the callback, the page to a longer address, then to the callback
  // with a made-up state: that last one is the client's callback, refused for its state.
  ASSERT_TRUE(turnMainLoopUntil([] { return !ui::AlertRegistry::shared().shown().empty(); }, kWait));
  auto alert = std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().shown().back());
  ASSERT_TRUE(alert);
  EXPECT_EQ(std::optional<std::string>("连接错误"), alert->title());
  const auto paths = pathsAsked();
  EXPECT_EQ(2, std::count(paths.begin(), paths.end(), "/oauth/login_success.html")) << "the frame's and the page's";
  EXPECT_EQ(0, std::count(paths.begin(), paths.end(), "/renren_api/session_key"));
  EXPECT_TRUE(notifications.seen.empty());
  EXPECT_FALSE(store()->getAccountInfo(5));
  alert->clickButton(0);

  // The platform's own answer, with the state of this binding, binds.
  testing::ShellFixture::resetShell();
  StandInScreen::registerMissing();
  ShareScreens::registerNibs();
  setMode("genuine");
  openScreen();
  ASSERT_TRUE(turnMainLoopUntil(
      [&] {
        const auto asked = pathsAsked();
        return std::count(asked.begin(), asked.end(), "/renren_api/session_key") > 0;
      },
      kWait));
  EXPECT_EQ(notifications.seen, std::vector<std::string>{"Notification_Opt_BindOk 5"});
  EXPECT_EQ(requestTo("/renren_api/session_key").query, "oauth_token=mine");
  // The platform's empty session answer ends the exchange with the screen's alert: nothing is
  // left on its way when the test ends.
  ASSERT_TRUE(turnMainLoopUntil([] { return !ui::AlertRegistry::shared().shown().empty(); }, kWait));
}

// The platform's page (or a frame in it) that serves attachments saves nothing: files of the
// names it gives stay as they were in the desktop user's folders, and the page stays, its
// refused navigation failing like any other (the indicator stops).
TEST_F(AuthorisationEngineTest, APageServingAttachmentsSavesNothing) {
  auto& desktop = web::ScratchDesktop::shared();
  const std::map<std::string, std::string> names = {
      {"/oauth/framed", web::ScratchDesktop::uniqueName("bashrc", "")},
      {"/oauth/top", web::ScratchDesktop::uniqueName("important", ".txt")}};
  for (const auto& [path, name] : names) desktop.plant(name, "kept " + name);
  setAttachmentNames(names);
  setMode("attachments");
  auto screen = openScreen();
  ASSERT_TRUE(screen);
  auto served = [&](const std::string& path) {
    const auto paths = pathsAsked();
    return std::count(paths.begin(), paths.end(), path);
  };
  ASSERT_TRUE(turnMainLoopUntil(
      [&] { return served("/oauth/framed") == 1 && !screen->activityIndicator()->isAnimating(); }, kWait));
  screen->activityIndicator()->startAnimating();
  screen->webView()->evaluateScript("location.href = '/oauth/top'");
  ASSERT_TRUE(turnMainLoopUntil([&] { return !screen->activityIndicator()->isAnimating(); }, kWait));
  EXPECT_EQ(1, served("/oauth/top"));
  EXPECT_EQ("authorise /oauth/authorize", web::scriptAnswer(*screen->webView(), "document.title + ' ' + location.pathname"));
  EXPECT_EQ(desktop.changes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace zu

int main(int argc, char** argv) { return zu::web::runEngineTests(argc, argv, ZU_WEB_FONTS_CONF); }
