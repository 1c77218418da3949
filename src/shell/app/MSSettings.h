// MSSettings: the display settings over the standard user defaults — automatic refresh, night
// mode, lightness, font style and skin name. The getters with a default ("autoRefreshOn" YES,
// "kKeyForNight" NO, "kKeyForLightness" 1.0, "kKeyForSkinName" "Default") store it, typed, the
// first time they find the key absent; "kKeyForFontStyle" reads 0 when absent and stays absent.
// Class functions only; main thread (the user defaults themselves lock).
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/Value.h"

namespace zu {

class MSSettings {
 public:
  static constexpr const char* kAutoRefreshKey = "autoRefreshOn";
  static constexpr const char* kNightKey = "kKeyForNight";
  static constexpr const char* kLightnessKey = "kKeyForLightness";
  static constexpr const char* kFontStyleKey = "kKeyForFontStyle";
  static constexpr const char* kSkinNameKey = "kKeyForSkinName";

  // The stored object, or null.
  static Value localValueForKey(const std::string& key);
  static void setLocalValue(Value value, const std::string& key);

  static bool valueForAutoRefresh();
  static void setValueForAutoRefresh(bool on);
  static bool valueForNight();
  static void setValueForNight(bool night);
  static float valueForLightness();
  static void setValueForLightness(float lightness);
  static int64_t valueForFontStyle();
  static void setValueForFontStyle(int64_t style);
  static std::string valueForSkinName();
  static void setValueForSkinName(const std::string& name);
};

}  // namespace zu
