#include "share/accounts/AuthenicationViewController.h"

#include "common/Log.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/web/WebView.h"
#include "share/accounts/AccountEngine.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

// "scheme://host[:port][/…]" → "host".
std::string hostOf(const std::string& address) {
  size_t start = address.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  const size_t end = address.find_first_of(":/?#", start);
  return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

AuthenicationViewController::AuthenicationViewController() : ui::ViewController(std::string(kNibName)) {}

AuthenicationViewController::~AuthenicationViewController() {
  if (auto client = client_.lock(); client && client->observer() == this) client->setObserver(nullptr);
}

void AuthenicationViewController::buildScreen(ui::NibLoading& file) {
  auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
  if (!request) return;
  auto screen = file.makeTopLevel<AuthenicationViewController>();
  screen->setAccountType(static_cast<int>(request->parameters().get("accountType").intValue()));
  screen->setReturnAction(request->returnAction());
}

void AuthenicationViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, buildScreen); }

std::vector<std::string> AuthenicationViewController::microblogCookieDomains() {
  const OpenPlatformConfig& config = OpenPlatformConfig::current();
  return {hostOf(config.qqWeb), hostOf(config.sohuWeb)};
}

void AuthenicationViewController::setReturnAction(std::function<void()> action) {
  if (action) returnAction_ = std::move(action);
}

void AuthenicationViewController::returnAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void AuthenicationViewController::performReturn() {
  auto keep = shared();
  if (returnAction_) {
    auto action = returnAction_;
    action();
  } else {
    returnAction();
  }
}

void AuthenicationViewController::loadView() {
  auto view = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 416));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  ui::Rect pageFrame = view->bounds();
  if (headerView_) {
    const float height = headerView_->frame().size.height;
    headerView_->setFrame(ui::Rect(0, 0, pageFrame.size.width, height));
    headerView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
    view->addSubview(headerView_);
    pageFrame = ui::Rect(0, height, pageFrame.size.width, pageFrame.size.height - height);
  }
  webView_ = std::make_shared<web::WebView>(pageFrame);
  webView_->setScalesPageToFit(true);
  // The authorisation page shares no cookies or storage with the reader's other pages.
  webView_->setEphemeral(true);
  webView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  view->addSubview(webView_);
  setView(view);
}

void AuthenicationViewController::viewDidLoad() {
  auto self = std::static_pointer_cast<AuthenicationViewController>(shared());
  webView_->setDelegate(std::weak_ptr<web::WebViewDelegate>(self));

  const NRSkinManager& skin = NRSkinManager::sharedManager();
  ui::NavigationItem& item = *navigationItem();
  item.setHidesBackButton(true);
  item.setLeftBarButtonItem(skin.barButtonItemWithTitle(
      "  返回", NRSkinManager::kBackButtonType, this, [this](ui::Control&) { performReturn(); }));
  skin.setCurrentSkinTitleNavigationItem("帐号绑定", item);
  if (auto* navigation = navigationController()) {
    skin.setCurrentBackgroundImageOfNavigationBar(*navigation->navigationBar());
  }

  activityIndicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  activityIndicator_->setHidesWhenStopped(true);
  const ui::Rect bounds = view()->bounds();
  activityIndicator_->setCenter(ui::Point{bounds.size.width / 2, bounds.size.height / 2 - 40});
  view()->addSubview(activityIndicator_);
  activityIndicator_->startAnimating();

  auto client = AccountEngine::current()->getOpenPlatformInstance(accountType_);
  if (!client) {
    VESKLogImpl("authorisation: no client for platform %d", accountType_);
    return;
  }
  client_ = client;
  client->setObserver(this);
  item.setTitle("分享到" + client->platformName());
  client->authLogin();
}

void AuthenicationViewController::viewDidUnload() {
  if (activityIndicator_) activityIndicator_->removeFromSuperview();
  activityIndicator_.reset();
}

bool AuthenicationViewController::shouldAutorotateToInterfaceOrientation(
    SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

void AuthenicationViewController::stopIndicator() {
  if (activityIndicator_) activityIndicator_->stopAnimating();
}

void AuthenicationViewController::onOPAuthorizeUrl(OpenPlatformBase*, const std::string& url) {
  if (activityIndicator_) activityIndicator_->startAnimating();
  auto engine = AccountEngine::current();
  for (const std::string& domain : microblogCookieDomains()) engine->deleteCookiesForDomain(domain);
  if (!isViewLoaded()) return;
  webView_->loadRequest(url);
}

void AuthenicationViewController::onOPLoginSucc(OpenPlatformBase* client) {
  auto keep = shared();
  stopIndicator();
  NotificationCenter::defaultCenter().post(kAuthorizedNotification,
                                           Value(static_cast<int64_t>(client ? client->platform() : accountType_)));
  performReturn();
}

void AuthenicationViewController::onOPError(OpenPlatformBase*, int, const std::string& errorDesc) {
  auto self = std::static_pointer_cast<AuthenicationViewController>(shared());
  auto alert = std::make_shared<ui::AlertView>("连接错误", errorDesc,
                                               std::weak_ptr<ui::AlertViewDelegate>(self), "ok");
  alert->setTag(kErrorAlertTag);
  alert->show();
}

bool AuthenicationViewController::shouldStartLoad(web::WebView&, const std::string&, int, bool) { return true; }

void AuthenicationViewController::didNavigateMainFrame(web::WebView&, const std::string& url, bool) {
  // The client finishes the binding when this is its callback address; the page loads it all
  // the same.
  AccountEngine::current()->OnAuthShouldStartNtf(accountType_, url);
}

void AuthenicationViewController::didFinishLoad(web::WebView&) { stopIndicator(); }

void AuthenicationViewController::didFailLoad(web::WebView&, int, const std::string&) { stopIndicator(); }

void AuthenicationViewController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) {
  if (alert.tag() == kErrorAlertTag && index == 0) performReturn();
}

}  // namespace zu
