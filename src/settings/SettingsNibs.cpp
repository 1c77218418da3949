#include "settings/SettingsNibs.h"

#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "settings/login/MoreSettingsLoginViewController.h"

namespace zu {

void SettingsNibs::registerNibs() {
  MoreSettingsLoginViewController::registerNib();
  MoreSettingsFeedbackViewController::registerNib();
}

}  // namespace zu
