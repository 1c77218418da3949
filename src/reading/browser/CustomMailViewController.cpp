#include "reading/browser/CustomMailViewController.h"

#include "platform/ui/system/Application.h"

namespace zu {

void CustomMailViewController::viewWillAppear(bool animated) {
  MailComposeViewController::viewWillAppear(animated);
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
}

bool CustomMailViewController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation) {
  return false;
}

}  // namespace zu
