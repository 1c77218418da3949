// SettingsNibs: registers the interface files of the settings and account screens (the login
// screen, "MoreSettingsLoginViewController", the user guide, "MoreSettingsUserGuideViewController",
// the offline download switches' view, "MSOfflineManageViewController", the about screen's,
// "MoreSettingsAboutViewController", the feedback screen, "MoreSettingsFeedbackViewController", the
// font settings, "MoreSettingsFontViewController", the progress board's view,
// "PBProgressModalView", a reader's profile, "MoreSettingsUserInfoViewController", and the profile
// editor's view, "MoreSettingsUserInfoEditViewController", and the settings tab,
// "MoreSettingsMainInterfaceViewController", which the main interface asks for as a tab's root) with the NibRegistry, so the lower screens that
// open them by name (ScreenRequest) get the real screens. The application calls registerNibs()
// at start, before the stand-ins fill in the files still missing. Main thread only.
#pragma once

namespace zu {

class SettingsNibs {
 public:
  SettingsNibs() = delete;

  static void registerNibs();
};

}  // namespace zu
