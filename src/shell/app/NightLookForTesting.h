// NightLook (tests only): while it lives the application looks as by night — the stored night
// flag, the Night skin, the home screens' night flag, and "Notification_Night" posted so open
// screens dress again — and it puts the day look back when it goes, even when a test stops
// early. Main thread.
#pragma once

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Value.h"
#include "shell/app/MSSettings.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/skin/NRSkinManager.h"

namespace zu::testing {

class NightLook {
 public:
  NightLook() { set(true); }
  ~NightLook() { set(false); }
  NightLook(const NightLook&) = delete;
  NightLook& operator=(const NightLook&) = delete;

 private:
  static void set(bool night) {
    MSSettings::setValueForNight(night);
    NRSkinManager::sharedManager().changeSkin(night ? "Night" : "Default");
    MyFaceSettings::setModeIsNight(night);
    NotificationCenter::defaultCenter().post("Notification_Night", Value(night));
  }
};

}  // namespace zu::testing
