// AuthenicationViewController: binds one microblog or SNS account. It asks the platform's client
// to start the OAuth authorisation, shows the platform's page in a web view (an ephemeral
// session, after the shared cookies of the two microblog domains are deleted), lets the page
// load every address, and hands each address the page's own frame starts loading (and each
// redirect of it) to the client (through the factory) so that it can catch its callback. On the client's success it posts
// "Notification_Authorized" (object: the platform number) and performs its return action; on
// an error it shows "连接错误" with the client's text, whose button performs the return action.
//
// Opened through the interface file "AuthenicationViewController" (a ScreenRequest with
// "accountType" and the opener's return action), or made directly and pushed by the bound
// accounts screen. Without a return action the screen pops itself (animated).
//
// Where we differ on purpose:
//  - Only the page's main frame reaches the client: were every address any frame was about
//    to load handed on, a frame inside the page (an advert, say) could navigate to the
//    callback address with a token of someone else's and bind that account. The address goes
//    when the main frame starts loading it rather than when it is asked about, since the web
//    view's question does not tell frames apart.
//  - On destruction the screen clears the client's observer only while it is still itself, so
//    a newer screen of the same platform keeps its answers; answers that arrive after the
//    screen is gone reach nobody.
//  - A platform number outside the seven opens an empty page: there is no client to ask.
//
// Main thread only. Owned by its navigation controller; owns its view, web view and spinner.
// The client is the AccountEngine's (the factory's), observed but not owned.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/openplatform/OpenPlatformObserver.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/web/WebViewDelegate.h"

namespace zu::ui {
class ActivityIndicatorView;
class NibLoading;
}  // namespace zu::ui

namespace zu::web {
class WebView;
}

namespace zu {

class AuthenicationViewController : public ui::ViewController,
                                    public web::WebViewDelegate,
                                    public OpenPlatformObserver,
                                    public ui::AlertViewDelegate {
 public:
  static constexpr const char* kNibName = "AuthenicationViewController";
  static constexpr const char* kAuthorizedNotification = "Notification_Authorized";
  static constexpr int kErrorAlertTag = 1293;

  AuthenicationViewController();
  ~AuthenicationViewController() override;

  // Registers the interface file that ScreenRequest::authentication opens.
  static void registerNib();
  // The cookie domains deleted before a page shows: the hosts of the configured Tencent and
  // Sohu microblog web addresses.
  static std::vector<std::string> microblogCookieDomains();

  int accountType() const { return accountType_; }
  void setAccountType(int platform) { accountType_ = platform; }
  // What leaves the screen; an empty function keeps the default (pop).
  void setReturnAction(std::function<void()> action);
  // A view above the page (set before the view loads).
  void setHeaderView(std::shared_ptr<ui::View> view) { headerView_ = std::move(view); }

  // Pops the navigation controller (animated).
  void returnAction();
  void backButtonPressed() { returnAction(); }

  const std::shared_ptr<web::WebView>& webView() const { return webView_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }

  void loadView() override;
  void viewDidLoad() override;
  void viewDidUnload() override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // OpenPlatformObserver.
  void onOPAuthorizeUrl(OpenPlatformBase* client, const std::string& url) override;
  void onOPLoginSucc(OpenPlatformBase* client) override;
  void onOPPostSuccess(OpenPlatformBase*) override {}
  void onOPError(OpenPlatformBase* client, int errorCode, const std::string& errorDesc) override;

  // WebViewDelegate.
  bool shouldStartLoad(web::WebView& webView, const std::string& url, int type, bool userGesture) override;
  void didNavigateMainFrame(web::WebView& webView, const std::string& url, bool userGesture) override;
  void didFinishLoad(web::WebView& webView) override;
  void didFailLoad(web::WebView& webView, int code, const std::string& description) override;

  // AlertViewDelegate.
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;

 private:
  static void buildScreen(ui::NibLoading& file);
  // Runs the return action (or the default), keeping the screen alive through it.
  void performReturn();
  void stopIndicator();

  int accountType_ = 0;
  std::function<void()> returnAction_;
  std::shared_ptr<ui::View> headerView_;
  std::shared_ptr<web::WebView> webView_;
  std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
  // The client this screen observes (it may be reset by the factory meanwhile).
  std::weak_ptr<OpenPlatformBase> client_;
};

}  // namespace zu
