#include "shell/app/CustomBrightnessWindow.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Screen.h"
#include "shell/app/MSSettings.h"

namespace zu {

namespace {

constexpr double kNewSystemVersion = 15.0;
constexpr float kOverlaySide = 1000;

std::shared_ptr<CustomBrightnessWindow>& sharedOverlay() {
  static std::shared_ptr<CustomBrightnessWindow> overlay;
  return overlay;
}

bool inRange(float b) { return b >= 0.0f && b <= 1.0f; }

}  // namespace

bool CustomBrightnessWindow::isOldSystem() {
  const std::string version = ui::Device::current().systemVersion();
  const char* begin = version.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || std::isnan(value)) return true;
  return value < kNewSystemVersion;
}

std::shared_ptr<CustomBrightnessWindow> CustomBrightnessWindow::overlay() {
  return sharedOverlay();
}

void CustomBrightnessWindow::globalInit() {
  if (!isOldSystem() || sharedOverlay()) return;
  sharedOverlay() =
      std::make_shared<CustomBrightnessWindow>(ui::Rect(0, 0, kOverlaySide, kOverlaySide));
  sharedOverlay()->setHidden(false);
  setBrightness(MSSettings::valueForLightness());
}

void CustomBrightnessWindow::globalUninit() {
  if (auto overlay = std::move(sharedOverlay())) overlay->setHidden(true);
  sharedOverlay().reset();
}

void CustomBrightnessWindow::setBrightness(float brightness) {
  if (!inRange(brightness)) return;
  if (isOldSystem()) {
    auto overlay = sharedOverlay();
    if (!overlay) return;
    overlay->setWindowBrightness(brightness);
    MSSettings::setValueForLightness(brightness);
  } else {
    ui::Screen::main().setBrightness(brightness);
  }
}

float CustomBrightnessWindow::brightness() {
  return isOldSystem() ? MSSettings::valueForLightness() : ui::Screen::main().brightness();
}

CustomBrightnessWindow::CustomBrightnessWindow(const ui::Rect& frame) : ui::Window(frame) {
  setWindowLevel(ui::kWindowLevelAlert + 1);
  setFrame(frame);
  setUserInteractionEnabled(false);
  setBackgroundColor(ui::Color::blackColor());
  setAlpha(0);
}

void CustomBrightnessWindow::setWindowBrightness(float brightness) {
  if (!inRange(brightness)) return;
  setAlpha(static_cast<float>(1.0 - (0.7 * static_cast<double>(brightness) + 0.3)));
}

}  // namespace zu
