#include "settings/SettingsNibs.h"

#include "settings/about/MoreSettingsAboutViewController.h"
#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "settings/fonts/MoreSettingsFontViewController.h"
#include "settings/guide/MoreSettingsUserGuideViewController.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "settings/main/MoreSettingsMainInterfaceViewController.h"
#include "settings/offline/MSOfflineManageViewController.h"
#include "settings/progress/PBProgressModalView.h"
#include "settings/profile/MoreSettingsUserInfoEditViewController.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"

namespace zu {

void SettingsNibs::registerNibs() {
  MoreSettingsLoginViewController::registerNib();
  MoreSettingsFeedbackViewController::registerNib();
  MoreSettingsUserGuideViewController::registerNib();
  MSOfflineManageViewController::registerNib();
  MoreSettingsAboutViewController::registerNib();
  MoreSettingsFontViewController::registerNib();
  PBProgressModalView::registerNib();
  MoreSettingsUserInfoViewController::registerNib();
  MoreSettingsUserInfoEditViewController::registerNib();
  MoreSettingsMainInterfaceViewController::registerNib();
}

}  // namespace zu
