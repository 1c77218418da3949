#include "settings/SettingsNibs.h"

#include "settings/guide/MoreSettingsUserGuideViewController.h"
#include "settings/login/MoreSettingsLoginViewController.h"

namespace zu {

void SettingsNibs::registerNibs() {
  MoreSettingsLoginViewController::registerNib();
  MoreSettingsUserGuideViewController::registerNib();
}

}  // namespace zu
