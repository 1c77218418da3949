#include "settings/SettingsNibs.h"

#include "settings/about/MoreSettingsAboutViewController.h"
#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "settings/guide/MoreSettingsUserGuideViewController.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "settings/offline/MSOfflineManageViewController.h"
#include "settings/profile/MoreSettingsUserInfoEditViewController.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"

namespace zu {

void SettingsNibs::registerNibs() {
  MoreSettingsLoginViewController::registerNib();
  MoreSettingsFeedbackViewController::registerNib();
  MoreSettingsUserGuideViewController::registerNib();
  MSOfflineManageViewController::registerNib();
  MoreSettingsAboutViewController::registerNib();
  MoreSettingsUserInfoViewController::registerNib();
  MoreSettingsUserInfoEditViewController::registerNib();
}

}  // namespace zu
