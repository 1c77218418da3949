#include "shell/app/CommonAlert.h"

#include <cstdio>

#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskSoftUpdate.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/views/Window.h"
#include "shell/app/ScreenRequest.h"

namespace zu {

namespace {

// Runs `handler(alert, notification)` on the main loop: inline when posted there, else queued
// with a copy of the notification; nothing when the alert object has gone by then.
void onMain(const std::weak_ptr<CommonAlert>& weak, const Notification& notification,
            void (CommonAlert::*handler)(const Notification&)) {
  if (RunLoop::main()->isCurrent()) {
    if (auto alert = weak.lock()) (alert.get()->*handler)(notification);
    return;
  }
  RunLoop::main()->post([weak, notification, handler] {
    if (auto alert = weak.lock()) (alert.get()->*handler)(notification);
  });
}

bool hasText(const std::optional<std::string>& text) { return text && !text->empty(); }

}  // namespace

std::shared_ptr<CommonAlert> CommonAlert::create() {
  std::shared_ptr<CommonAlert> alert(new CommonAlert());
  std::weak_ptr<CommonAlert> weak = alert;
  NotificationCenter& center = NotificationCenter::defaultCenter();
  auto observe = [&](const char* name, void (CommonAlert::*handler)(const Notification&)) {
    center.add(name, alert, [weak, handler](const Notification& n) { onMain(weak, n, handler); });
  };
  observe("Notification_SoftwareUpdateInfo", &CommonAlert::onSoftwareUpdate);
  observe("Notification_MessageInfo", &CommonAlert::onMessage);
  observe("Notification_ShowBindAlert", &CommonAlert::onBindingBlog);
  observe("Notification_ShowLoginAlert", &CommonAlert::onLogin);
  return alert;
}

CommonAlert::~CommonAlert() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<CommonAlert> CommonAlert::self() {
  return std::static_pointer_cast<CommonAlert>(shared_from_this());
}

void CommonAlert::show(std::optional<std::string> title, std::optional<std::string> message,
                       int tag, std::string cancel, std::vector<std::string> others) {
  auto alert = std::make_shared<ui::AlertView>(std::move(title), std::move(message),
                                               std::weak_ptr<ui::AlertViewDelegate>(self()),
                                               std::move(cancel), std::move(others));
  alert->setTag(tag);
  alert->show();
}

void CommonAlert::onSoftwareUpdate(const Notification& notification) {
  auto record = notification.userInfo.get(kRecordKey).asObject<VeskSoftUpdate>();
  if (!record) return;
  updateUrlString_ = record->href();
  show(record->title(), record->data(), kSoftUpdateTag, "取消", {"好"});
}

void CommonAlert::onMessage(const Notification& notification) {
  auto record = notification.userInfo.get(kRecordKey).asObject<VeskMessages>();
  if (!record || !record->veskMessageArray() || record->veskMessageArray()->empty()) return;
  const auto& message = record->veskMessageArray()->front();
  if (!message) return;
  urlString_ = message->href();
  std::fprintf(stderr, "~~~~~~~~%s\n", urlString_ ? urlString_->c_str() : "(null)");
  std::vector<std::string> others;
  if (hasText(message->href())) others.push_back("查看详情");
  show(message->title(), message->data(), kMessageTag, "关闭", std::move(others));
}

void CommonAlert::onBindingBlog(const Notification& notification) {
  context_ = notification.userInfo.get("context").asObject<ui::ViewController>();
  platformType_ = static_cast<int>(notification.userInfo.get("platformtype").intValue());
  show("还没有绑定微博", "您需要绑定微博后才能查看此内容～", kBindTag, "取消", {"立即绑定"});
}

void CommonAlert::onLogin(const Notification& notification) {
  context_ = notification.userInfo.get("context").asObject<ui::ViewController>();
  show("登录帐号",
       "登录您的zu帐号后，你可在不同的移动设备上阅读或管理你的内容源与收藏的文章。"
       "参与文章评论,并转发至你的微博。",
       kLoginTag, "取消", {"登录"});
}

void CommonAlert::willPresentAlertView(ui::AlertView& alert) {
  if (alert.tag() == kSoftUpdateTag || alert.tag() == kMessageTag) {
    alert.setMessageAlignment(ui::TextAlignment::Left);
  }
}

void CommonAlert::alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) {
  if (index != 1) return;
  switch (alert.tag()) {
    case kSoftUpdateTag:
      if (hasText(updateUrlString_)) ui::Application::shared().openURL(*updateUrlString_);
      break;
    case kMessageTag: {
      if (!hasText(urlString_) || !window_) break;
      auto root = std::dynamic_pointer_cast<ui::ViewController>(window_->rootViewController());
      auto browser = ScreenRequest::browser(*urlString_);
      if (root && browser) root->presentModalViewController(browser, true);
      break;
    }
    case kBindTag: {
      std::weak_ptr<CommonAlert> weak = self();
      auto screen = ScreenRequest::authentication(platformType_, [weak] {
        if (auto alert = weak.lock()) alert->handleClose();
      });
      if (screen) showController(screen);
      break;
    }
    case kLoginTag:
      ScreenRequest::showLogin("登录", context(), "取消", true);
      break;
    default:
      break;
  }
}

void CommonAlert::showController(const std::shared_ptr<ui::ViewController>& controller) {
  auto presenter = context();
  if (!presenter || !controller) return;
  presenter->presentModalViewController(std::make_shared<ui::NavigationController>(controller),
                                        true);
}

void CommonAlert::handleClose() {
  if (auto presenter = context()) presenter->dismissModalViewController(true);
}

}  // namespace zu
