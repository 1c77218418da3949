// MailComposeViewController: the mail composer a screen presents modally to send a mail from
// the application (subject, recipients, a plain or HTML body), reporting how it ended to its
// delegate (not retained). Made with std::make_shared; main thread only.
//
// This machine sends no mail: the composer is a recorder. canSendMail() is a capability flag,
// off unless set (the executable leaves it off, so screens take their no-mail-account road);
// the reader's choice is finish(), which the screen host or a test calls. A mail finished as
// sent or saved is kept in outbox(), in order, with what the screen composed.
//
// Kept from the phone: the result numbers (cancelled 0, saved 1, sent 2, failed 3); the
// delegate is told and the presenting screen dismisses the composer; a mail that cannot be
// sent (canSendMail off) finishes as failed whatever was chosen.
// Where we differ on purpose: the composer's view is a plain page (no form is drawn).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class MailComposeViewController;

enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3 };

class MailComposeDelegate {
 public:
  virtual ~MailComposeDelegate() = default;
  virtual void mailComposeControllerDidFinish(MailComposeViewController& controller, MailComposeResult result) = 0;
};

class MailComposeViewController : public ViewController {
 public:
  struct Mail {
    std::string subject;
    std::vector<std::string> toRecipients;
    std::vector<std::string> ccRecipients;
    std::string body;
    bool isHTML = false;
    MailComposeResult result = MailComposeResult::Cancelled;
  };

  static bool canSendMail();
  static void setCanSendMail(bool can);
  // Mails finished as sent or saved, oldest first.
  static const std::vector<Mail>& outbox();

  void setMailComposeDelegate(std::weak_ptr<MailComposeDelegate> delegate) { delegate_ = std::move(delegate); }
  void setSubject(std::string subject) { mail_.subject = std::move(subject); }
  void setToRecipients(std::vector<std::string> to) { mail_.toRecipients = std::move(to); }
  void setCcRecipients(std::vector<std::string> cc) { mail_.ccRecipients = std::move(cc); }
  void setMessageBody(std::string body, bool isHTML) {
    mail_.body = std::move(body);
    mail_.isHTML = isHTML;
  }
  const Mail& mail() const { return mail_; }

  // The reader ends the composer with `result`; the delegate hears the result that stands.
  // Only the first call counts.
  void finish(MailComposeResult result);
  bool isFinished() const { return finished_; }

  void viewDidLoad() override;

  // Empties the outbox and turns the flag off (between tests).
  static void resetForTesting();

 private:
  std::weak_ptr<MailComposeDelegate> delegate_;
  Mail mail_;
  bool finished_ = false;
};

}  // namespace zu::ui
