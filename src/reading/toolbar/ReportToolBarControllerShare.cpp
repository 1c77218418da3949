// The toolbar's sharing: the share sheet, the share screen, mail and SMS.
#include <utility>
#include <vector>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/Content.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskSharing.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/browser/CustomMailViewController.h"
#include "reading/toolbar/ArticlePlainText.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/toolbar/ReportToolBarEngine.h"
#include "reading/toolbar/ReportToolBarOwner.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

namespace {

constexpr const char* kShareToMBlog = "转发至微博";
constexpr const char* kShareByMail = "邮件分享";
constexpr const char* kShareBySms = "短信分享";
constexpr int kMicroblogEntryType = 5;

// The mail page: a header with the greeting, the article's content, a block with the original
// link, and a foot with the product's name, slogan and page. Three values, in order: the content,
// the address as link target, the address as link text.
constexpr const char* kMailGreeting = "Hi，这篇文章是我刚在zu阅读上看到的，挺有意思的，分享给你：）";
constexpr const char* kMailLinkTitle = "文章原链接：";
// The article's text a mail handed to the desktop carries at most (it is cut further to the
// mailto's bound).
constexpr size_t kHandOffTextBytes = 8 * 1024;

constexpr const char* kMailFormat =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"
    "<style type=\"text/css\">"
    "body,h1,h2,p{margin:0;padding:0;}"
    "a{color:#43688d;text-decoration:none;}"
    ".header{height:59px;background:#f8f8f8;border-bottom:1px solid #e7e7e7;}"
    ".header h2{text-align:center;font-size:16px;line-height:59px;color:#333;}"
    "h1{font-size:26px;}"
    ".time{border-bottom:1px dashed #ccc;}"
    ".content{text-align:center;}"
    ".content img{margin:20px;}"
    ".content p{text-align:left;line-height:28px;}"
    ".links{background:#f7f7f7;font-size:12px;color:#999;}"
    ".foot{text-align:center;font-size:16px;}"
    "</style></head><body>"
    "<div class=\"header\"><h2>%@</h2></div>"
    "%@"
    "<div class=\"content\"><div class=\"links\"><p>%@<a href=\"%@\">%@</a></p>"
    "<p>此文章由你的朋友使用zu阅读分享。</p></div></div>"
    "<div class=\"foot\"><p>zu阅读 — 读你想读的，随时随地。<a href=\"http://www.zu.cn\">了解更多？</a></p></div>"
    "</body></html>";

// `format` with each "%@" replaced by the next value, in order.
std::string formatWith(std::string_view format, const std::vector<std::string>& values) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '@' && next < values.size()) {
      out += values[next++];
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

std::string escapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string alternateHref(const NewsDetail& detail) {
  return detail.alternatelink() ? detail.alternatelink()->href().value_or("") : std::string();
}

}  // namespace

std::string ReportToolBarController::mailBody(const std::string& content, const std::string& address) {
  const std::string escaped = escapeHtml(address);
  return formatWith(kMailFormat, {kMailGreeting, content, kMailLinkTitle, escaped, escaped});
}

void ReportToolBarController::share() {
  auto screen = presenter();
  if (!detailData_ || !screen) return;
  std::vector<std::string> choices{kShareToMBlog, kShareByMail};
  if (ui::MessageComposeViewController::canSendText()) choices.emplace_back(kShareBySms);
  auto sheet = std::make_shared<ui::ActionSheet>(std::nullopt, self(), "取消", std::nullopt, std::move(choices));
  sheet->setTag(kShareSheetTag);
  // By night the sheet's buttons are dark, like the screen under it.
  if (MSSettings::valueForNight()) sheet->setActionSheetStyle(ui::ActionSheetStyle::BlackOpaque);
  sheet->showInView(screen->view());
}

void ReportToolBarController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) {
  if (sheet.tag() != kShareSheetTag || index == sheet.cancelButtonIndex()) return;
  const std::string choice = sheet.buttonTitleAtIndex(index);
  if (choice == kShareToMBlog) {
    shareWithIndex(0);
  } else if (choice == kShareByMail) {
    shareByMail();
  } else if (choice == kShareBySms) {
    asyncGetShortUrlString();
  }
}

void ReportToolBarController::shareWithIndex(int index) {
  std::optional<std::string> postText;
  bool useEntryId = true;
  const auto& status = summaryData_ ? summaryData_->veskEntryStatus() : nullptr;
  if (status && status->type() == kMicroblogEntryType) {
    const auto& mblog = summaryData_->veskMBlog();
    const auto& user = mblog ? mblog->layoutUser() : nullptr;
    postText = formatWith("「分享自%@」", {user ? user->name().value_or("") : std::string()});
    useEntryId = false;
  } else if (summaryData_ && summaryData_->veskCustomization()) {
    postText = formatWith("「%@」", {summaryData_->title().value_or("")});
    useEntryId = false;
  }
  presentShare(postText, index, useEntryId);
}

void ReportToolBarController::shareWithContent(const std::string& text) { presentShare(text, 0, std::nullopt); }

void ReportToolBarController::presentShare(const std::optional<std::string>& postText, int postImageIndex,
                                           std::optional<bool> useEntryId) {
  auto screen = presenter();
  if (!screen) return;
  Dictionary parameters;
  parameters.set("newsdetail", detailData_ ? Value(std::static_pointer_cast<Object>(detailData_)) : Value());
  parameters.set("newsBrowseController", Value(std::static_pointer_cast<Object>(screen)));
  parameters.set("father", Value(std::static_pointer_cast<Object>(self())));
  parameters.set("postText", postText ? Value(*postText) : Value());
  parameters.set("postImageIndex", postImageIndex);
  parameters.set("useEntryIDForShortUrl", useEntryId ? Value(*useEntryId) : Value());
  auto shareScreen = std::make_shared<ScreenRequest>(ScreenRequest::kShareNib, std::move(parameters))->load();
  if (shareScreen) presentInNavigation(shareScreen, false);
}

void ReportToolBarController::presentInNavigation(const std::shared_ptr<ui::ViewController>& screen, bool barHidden) {
  auto father = presenter();
  if (!father) return;
  auto navigation = std::make_shared<ui::NavigationController>(screen);
  navigation->setModalTransitionStyle(screen->modalTransitionStyle());
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
  if (barHidden) navigation->setNavigationBarHidden(true);
  father->presentModalViewController(navigation, true);
}

void ReportToolBarController::shareByMail() {
  auto father = presenter();
  if (!detailData_ || !father) return;
  if (!ui::MailComposeViewController::canSendMail()) {
    std::make_shared<ui::AlertView>("提醒", "您还未设置邮箱账号", std::weak_ptr<ui::AlertViewDelegate>(), "确定")->show();
    return;
  }
  const auto& content = detailData_->content();
  const std::string html = content ? content->data().value_or("") : std::string();
  const std::string address = alternateHref(*detailData_);
  const std::string body = mailBody(html, address);
  VESKLogImpl("mail body: %s", body.c_str());
  auto mail = std::make_shared<CustomMailViewController>();
  mail->setMailComposeDelegate(self());
  mail->setSubject(detailData_->title().value_or(""));
  mail->setMessageBody(body, true);
  // A mail handed to the desktop's mail program carries plain text: the greeting and the
  // article's words (cut to fit), then its address whole.
  mail->setHandOffBody(std::string(kMailGreeting) + "\n\n" + ArticlePlainText::of(html, kHandOffTextBytes),
                       std::string("\n\n") + kMailLinkTitle + address);
  father->presentModalViewController(mail, true);
}

void ReportToolBarController::mailComposeControllerDidFinish(ui::MailComposeViewController& controller,
                                                             ui::MailComposeResult result) {
  const char* notice = "邮件未发送";
  switch (result) {
    case ui::MailComposeResult::Cancelled: notice = "取消发送"; break;
    case ui::MailComposeResult::Saved: notice = "邮件已保存"; break;
    case ui::MailComposeResult::Sent: notice = "发送成功"; break;
    case ui::MailComposeResult::Failed: notice = "发送失败"; break;
    // Handed to the desktop's mail program: nothing is known to be sent, so nothing is reported.
    case ui::MailComposeResult::HandedOff: break;
  }
  if (result == ui::MailComposeResult::Sent && detailData_ && engine_) {
    const auto& sharing = detailData_->veskSharing();
    runObserved(engine_->createSharingTask(detailData_->entryId(), sharing ? sharing->href() : std::nullopt,
                                           kMailSharingType),
                kShareSentTag);
  }
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kNoticeType, notice);
  if (auto father = presenter()) {
    father->dismissModalViewController(true);
  } else {
    controller.dismissModalViewController(true);
  }
}

void ReportToolBarController::asyncGetShortUrlString() {
  if (!detailData_ || !engine_) return;
  std::shared_ptr<Task> task;
  if (useEntryIDForShortUrl_) {
    task = engine_->createGetShortUrlTaskWithArticleId(detailData_->entryId());
  } else {
    const std::string href = alternateHref(*detailData_);
    if (href.empty()) return;
    task = engine_->createGetShortUrlTask(href);
  }
  if (!task) return;
  // A link of an earlier article never stands in for this one's.
  shortUrlString_.clear();
  if (shortUrlTaskId_) NotificationCenter::defaultCenter().remove(this, *shortUrlTaskId_);
  shortUrlTaskId_ = task->getTaskIdStr();
  shortUrlArticle_ = detailData_;
  std::weak_ptr<ReportToolBarController> weak = self();
  NotificationCenter::defaultCenter().add(*shortUrlTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->onGetShortUrlString(note);
  });
  engine_->asyncRunTask(task);
  SPWaitingSavePhoto::showLoadingView();
}

void ReportToolBarController::onGetShortUrlString(const Notification& notification) {
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "SURLString") {
    shortUrlString_ = info.get("Result").stringValue().value_or("");
    return;
  }
  if (type != "TaskStatus") return;
  if (shortUrlTaskId_) NotificationCenter::defaultCenter().remove(this, *shortUrlTaskId_);
  shortUrlTaskId_.reset();
  const auto article = std::exchange(shortUrlArticle_, nullptr);
  const std::string title = article ? article->title().value_or("") : std::string();
  sendSMS(formatWith("[%@] %@ ", {title, shortUrlString_}), {});
  SPWaitingSavePhoto::hideLoadingView();
}

void ReportToolBarController::sendSMS(const std::string& body, const std::vector<std::string>& recipients) {
  auto father = presenter();
  if (!father || !ui::MessageComposeViewController::canSendText()) return;
  auto message = std::make_shared<ui::MessageComposeViewController>();
  message->setBody(body);
  message->setRecipients(recipients);
  message->setMessageComposeDelegate(self());
  father->presentModalViewController(message, true);
}

void ReportToolBarController::messageComposeViewControllerDidFinish(ui::MessageComposeViewController& controller,
                                                                    ui::MessageComposeResult result) {
  switch (result) {
    case ui::MessageComposeResult::Cancelled: VESKLogImpl("Message cancelled"); break;
    case ui::MessageComposeResult::Sent: VESKLogImpl("Message sent"); break;
    case ui::MessageComposeResult::Failed: VESKLogImpl("Message failed"); break;
  }
  if (auto father = presenter()) {
    father->dismissModalViewController(true);
  } else {
    controller.dismissModalViewController(true);
  }
}

}  // namespace zu
