#include "platform/ui/system/MessageComposeViewController.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

bool gCanSendText = false;

std::vector<MessageComposeViewController::Message>& sentMessages() {
  static auto* messages = new std::vector<MessageComposeViewController::Message>();
  return *messages;
}

}  // namespace

bool MessageComposeViewController::canSendText() { return gCanSendText; }

void MessageComposeViewController::setCanSendText(bool can) { gCanSendText = can; }

const std::vector<MessageComposeViewController::Message>& MessageComposeViewController::outbox() {
  return sentMessages();
}

void MessageComposeViewController::finish(MessageComposeResult result) {
  if (finished_) return;
  finished_ = true;
  auto keep = shared();
  if (result == MessageComposeResult::Sent) {
    if (gCanSendText) {
      sentMessages().push_back(message_);
    } else {
      result = MessageComposeResult::Failed;
    }
  }
  if (auto d = delegate_.lock()) d->messageComposeViewControllerDidFinish(*this, result);
}

void MessageComposeViewController::viewDidLoad() { view()->setBackgroundColor(Color::whiteColor()); }

void MessageComposeViewController::resetForTesting() {
  gCanSendText = false;
  sentMessages().clear();
}

}  // namespace zu::ui
