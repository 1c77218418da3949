#include "settings/SettingsNibs.h"

#include "settings/login/MoreSettingsLoginViewController.h"

namespace zu {

void SettingsNibs::registerNibs() { MoreSettingsLoginViewController::registerNib(); }

}  // namespace zu
