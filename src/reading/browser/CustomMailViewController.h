// CustomMailViewController: the mail composer of the article toolbar's share by mail, held in
// portrait: whenever it is about to appear it puts the status bar in portrait, and it never turns.
// The caller sets the delegate, the subject and the HTML body, and presents it. Main thread only;
// made with std::make_shared.
#pragma once

#include "platform/ui/system/MailComposeViewController.h"

namespace zu {

class CustomMailViewController : public ui::MailComposeViewController {
 public:
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;
};

}  // namespace zu
