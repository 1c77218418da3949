// AlertView: a titled message with buttons in a box in the middle of the screen, as the phone's
// alert view. Made with std::make_shared; main thread only; its delegate is not retained.
// The showing and dismissing steps and their order are Alert's; this class sends them to an
// AlertViewDelegate.
//
// Kept from the phone: the cancel button is the first button when given to the constructor;
// buttons are numbered in the order added; the tag tells alerts of one delegate apart.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/Alert.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class AlertView;

class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void willPresentAlertView(AlertView&) {}
  virtual void didPresentAlertView(AlertView&) {}
  virtual void alertViewClickedButtonAtIndex(AlertView&, int /*index*/) {}
  virtual void alertViewWillDismissWithButtonIndex(AlertView&, int /*index*/) {}
  virtual void alertViewDidDismissWithButtonIndex(AlertView&, int /*index*/) {}
};

class AlertView : public Alert {
 public:
  AlertView(std::optional<std::string> title, std::optional<std::string> message,
            std::weak_ptr<AlertViewDelegate> delegate = {},
            std::optional<std::string> cancelButtonTitle = std::nullopt,
            std::vector<std::string> otherButtonTitles = {});

  const std::optional<std::string>& message() const { return message_; }
  void setMessage(std::optional<std::string> message) {
    message_ = std::move(message);
    setNeedsDisplay();
  }
  // How the message lines are aligned (centred, as on the phone, unless a delegate changes it
  // before the alert appears; the phone's delegates reached the message label for that).
  TextAlignment messageAlignment() const { return messageAlignment_; }
  void setMessageAlignment(TextAlignment alignment) {
    messageAlignment_ = alignment;
    setNeedsDisplay();
  }
  void setDelegate(std::weak_ptr<AlertViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<AlertViewDelegate> delegate() const { return delegate_.lock(); }

  std::string messageText() const override { return message_.value_or(std::string()); }
  Rect buttonFrame(int index) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  void willPresent() override;
  void didPresent() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;
  Rect panelFrame(const Rect& screen) const override;

 private:
  std::optional<std::string> message_;
  TextAlignment messageAlignment_ = TextAlignment::Center;
  std::weak_ptr<AlertViewDelegate> delegate_;
};

}  // namespace zu::ui
