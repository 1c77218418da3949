#include "platform/ui/system/MailComposeViewController.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

bool gCanSendMail = false;

std::vector<MailComposeViewController::Mail>& sentMails() {
  static auto* mails = new std::vector<MailComposeViewController::Mail>();
  return *mails;
}

}  // namespace

bool MailComposeViewController::canSendMail() { return gCanSendMail; }

void MailComposeViewController::setCanSendMail(bool can) { gCanSendMail = can; }

const std::vector<MailComposeViewController::Mail>& MailComposeViewController::outbox() { return sentMails(); }

void MailComposeViewController::finish(MailComposeResult result) {
  if (finished_) return;
  finished_ = true;
  auto keep = shared();
  if (!gCanSendMail && (result == MailComposeResult::Sent || result == MailComposeResult::Saved)) {
    result = MailComposeResult::Failed;
  }
  mail_.result = result;
  if (result == MailComposeResult::Sent || result == MailComposeResult::Saved) sentMails().push_back(mail_);
  if (auto d = delegate_.lock()) d->mailComposeControllerDidFinish(*this, result);
}

void MailComposeViewController::viewDidLoad() { view()->setBackgroundColor(Color::whiteColor()); }

void MailComposeViewController::resetForTesting() {
  gCanSendMail = false;
  sentMails().clear();
}

}  // namespace zu::ui
