// MessageComposeViewController: the text-message composer a screen presents modally (a body
// and recipients), reporting how it ended to its delegate (not retained). Made with
// std::make_shared; main thread only.
//
// This machine sends no text messages: the composer is a recorder. canSendText() is a
// capability flag, off unless set (the executable leaves it off, so screens offer no message
// choice); the reader's choice is finish(), called by the screen host or a test. A message
// finished as sent is kept in outbox(), in order.
//
// Kept from the phone: the result numbers (cancelled 0, sent 1, failed 2); a message that
// cannot be sent (canSendText off) finishes as failed whatever was chosen.
// Where we differ on purpose: the composer's view is a plain page (no form is drawn).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class MessageComposeViewController;

enum class MessageComposeResult { Cancelled = 0, Sent = 1, Failed = 2 };

class MessageComposeDelegate {
 public:
  virtual ~MessageComposeDelegate() = default;
  virtual void messageComposeViewControllerDidFinish(MessageComposeViewController& controller,
                                                     MessageComposeResult result) = 0;
};

class MessageComposeViewController : public ViewController {
 public:
  struct Message {
    std::string body;
    std::vector<std::string> recipients;
  };

  static bool canSendText();
  static void setCanSendText(bool can);
  // Messages finished as sent, oldest first.
  static const std::vector<Message>& outbox();

  void setMessageComposeDelegate(std::weak_ptr<MessageComposeDelegate> delegate) { delegate_ = std::move(delegate); }
  void setBody(std::string body) { message_.body = std::move(body); }
  void setRecipients(std::vector<std::string> recipients) { message_.recipients = std::move(recipients); }
  const Message& message() const { return message_; }

  // The reader ends the composer; only the first call counts.
  void finish(MessageComposeResult result);
  bool isFinished() const { return finished_; }

  void viewDidLoad() override;

  // Empties the outbox and turns the flag off (between tests).
  static void resetForTesting();

 private:
  std::weak_ptr<MessageComposeDelegate> delegate_;
  Message message_;
  bool finished_ = false;
};

}  // namespace zu::ui
