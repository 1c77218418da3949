// ShareTextView: the text view of the share screen's text cell. Until the reader first touches
// it, it answers no edit action, so the selection the screen makes when it first shows the text
// brings up no edit menu; from the first touch that begins or is cancelled on it, it answers as
// a plain text view does.
//
// Kept from the phone: the edit menu asks canPerformAction of the first responder; a text view
// answers copy, cut, paste and select-all by its selection and the pasteboard.
// Where we differ: nothing.
//
// Main thread only; owned by its cell, like any view.
#pragma once

#include <string>

#include "platform/ui/text/TextView.h"

namespace zu {

class ShareTextView : public ui::TextView {
 public:
  explicit ShareTextView(const ui::Rect& frame = ui::Rect()) : ui::TextView(frame) {}

  bool didTouch() const { return didTouch_; }

  bool canPerformAction(const std::string& action, Object* sender) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;
  std::string className() const override { return "ShareTextView"; }

 private:
  bool didTouch_ = false;
};

}  // namespace zu
