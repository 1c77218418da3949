#include "shell/app/MSSettings.h"

#include "platform/runtime/UserDefaults.h"

namespace zu {

namespace {

// The stored value, after storing `fallback` when the key was absent.
Value valueOrStore(const std::string& key, Value fallback) {
  Value value = MSSettings::localValueForKey(key);
  if (value.isNull()) {
    MSSettings::setLocalValue(std::move(fallback), key);
    value = MSSettings::localValueForKey(key);
  }
  return value;
}

}  // namespace

Value MSSettings::localValueForKey(const std::string& key) {
  return UserDefaults::standard().objectForKey(key);
}

void MSSettings::setLocalValue(Value value, const std::string& key) {
  UserDefaults::standard().set(key, std::move(value));
}

bool MSSettings::valueForAutoRefresh() { return valueOrStore(kAutoRefreshKey, true).boolValue(); }
void MSSettings::setValueForAutoRefresh(bool on) { setLocalValue(on, kAutoRefreshKey); }

bool MSSettings::valueForNight() { return valueOrStore(kNightKey, false).boolValue(); }
void MSSettings::setValueForNight(bool night) { setLocalValue(night, kNightKey); }

float MSSettings::valueForLightness() {
  return static_cast<float>(valueOrStore(kLightnessKey, 1.0).doubleValue());
}
void MSSettings::setValueForLightness(float lightness) {
  setLocalValue(static_cast<double>(lightness), kLightnessKey);
}

int64_t MSSettings::valueForFontStyle() { return localValueForKey(kFontStyleKey).intValue(); }
void MSSettings::setValueForFontStyle(int64_t style) { setLocalValue(style, kFontStyleKey); }

std::string MSSettings::valueForSkinName() {
  return valueOrStore(kSkinNameKey, "Default").stringValue().value_or(std::string());
}
void MSSettings::setValueForSkinName(const std::string& name) { setLocalValue(name, kSkinNameKey); }

}  // namespace zu
