// MailComposeViewController: the mail composer a screen presents modally to send a mail from
// the application (subject, recipients, a plain or HTML body), reporting how it ended to its
// delegate (not retained). Made with std::make_shared; main thread only.
//
// This machine sends no mail itself. Two ways stand in for the phone's composer:
//  - The desktop's mail program: where one is set up the executable installs a hand-off
//    (setHandOff, the system opener). A composer presented then hands its message over as a
//    "mailto:" address (mailtoUrl) once it has appeared, and finishes as handed off
//    (MailComposeResult::HandedOff): the mail program takes it from there, and whether it is
//    sent is not known. If the opener refuses, it finishes as failed.
//  - The recorder, for tests: canSendMail() is also a capability flag, off unless set; the
//    reader's choice is finish(), which a test calls. A mail finished as sent or saved is kept in
//    outbox(), in order, with what the screen composed.
// With neither, canSendMail() is false (screens then take their no-mail-account road).
//
// The mailto address (RFC 6068) carries only the keys to, cc, subject and body, every byte
// outside the unreserved set percent-encoded (so it is plain ASCII: no control, bidirectional or
// line-separator character stands in it as such), line breaks in the body as CR LF, and at most
// kMaxMailtoLength characters: the body is the hand-off body a screen sets (setHandOffBody: a
// part that may be cut, at a whole character with "…", and a part kept whole after it), or the
// plain message body; an HTML body without a hand-off body is not sent along.
//
// Kept from the phone: the result numbers (cancelled 0, saved 1, sent 2, failed 3); the
// delegate is told and the presenting screen dismisses the composer; a mail that cannot be
// sent (canSendMail off) finishes as failed whatever was chosen.
// Where we differ on purpose: the composer's view is a plain dark page (ground()) saying the mail
// is being handed over (no form is drawn), so the light notice a screen shows as it dismisses the
// composer reads over it while fading in; HandedOff (4) is ours.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/drawing/Color.h"

namespace zu::ui {

class MailComposeViewController;

enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3, HandedOff = 4 };

class MailComposeDelegate {
 public:
  virtual ~MailComposeDelegate() = default;
  virtual void mailComposeControllerDidFinish(MailComposeViewController& controller, MailComposeResult result) = 0;
};

class MailComposeViewController : public ViewController {
 public:
  static constexpr size_t kMaxMailtoLength = 2000;
  // The page's ground: a dark slate.
  static Color ground() { return Color(0.2f, 0.21f, 0.24f); }

  struct Mail {
    std::string subject;
    std::vector<std::string> toRecipients;
    std::vector<std::string> ccRecipients;
    std::string body;
    bool isHTML = false;
    MailComposeResult result = MailComposeResult::Cancelled;
  };

  // Where a message is handed to the desktop's mail program (true when it was taken); none by
  // default.
  using HandOff = std::function<bool(const std::string& mailto)>;
  static void setHandOff(HandOff handOff);
  static bool handsOff();

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
  // The plain text a hand-off carries as the body: `cuttable` (cut to fit the address's bound)
  // followed by `kept` (whole).
  void setHandOffBody(std::string cuttable, std::string kept) {
    handOffBody_ = std::make_pair(std::move(cuttable), std::move(kept));
  }
  const Mail& mail() const { return mail_; }
  // The message as a mailto address (see above).
  std::string mailtoUrl() const;

  // The reader ends the composer with `result`; the delegate hears the result that stands.
  // Only the first call counts.
  void finish(MailComposeResult result);
  bool isFinished() const { return finished_; }

  void viewDidLoad() override;
  // With a hand-off installed: hands the message over and finishes.
  void viewDidAppear(bool animated) override;

  // Empties the outbox, turns the flag off and removes the hand-off (between tests).
  static void resetForTesting();

 private:
  std::weak_ptr<MailComposeDelegate> delegate_;
  Mail mail_;
  std::optional<std::pair<std::string, std::string>> handOffBody_;
  bool finished_ = false;
};

}  // namespace zu::ui
