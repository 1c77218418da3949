#include <gtest/gtest.h>

#include "platform/runtime/UserDefaults.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "shell/app/CustomBrightnessWindow.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

using testing::ShellFixture;

class DisplaySettingsTest : public ShellFixture {};

// A fresh install reads the defaults and has them stored, typed; the font style stays absent.
TEST_F(DisplaySettingsTest, GettersStoreTheirDefaultsTypedButNotTheFontStyle) {
  UserDefaults& defaults = UserDefaults::standard();
  EXPECT_TRUE(MSSettings::valueForAutoRefresh());
  EXPECT_FALSE(MSSettings::valueForNight());
  EXPECT_EQ(1.0f, MSSettings::valueForLightness());
  EXPECT_EQ("Default", MSSettings::valueForSkinName());
  EXPECT_EQ(0, MSSettings::valueForFontStyle());
  EXPECT_EQ(Value(true), defaults.objectForKey("autoRefreshOn"));
  EXPECT_EQ(Value(false), defaults.objectForKey("kKeyForNight"));
  EXPECT_EQ(Value(1.0), defaults.objectForKey("kKeyForLightness"));
  EXPECT_EQ(Value("Default"), defaults.objectForKey("kKeyForSkinName"));
  EXPECT_TRUE(defaults.objectForKey("kKeyForFontStyle").isNull());

  // Stored values win over the defaults, and survive a reload of the file.
  MSSettings::setValueForAutoRefresh(false);
  MSSettings::setValueForLightness(0.25f);
  MSSettings::setValueForFontStyle(3);
  MSSettings::setValueForSkinName("Night");
  UserDefaults::resetStandardForTesting();
  EXPECT_FALSE(MSSettings::valueForAutoRefresh());
  EXPECT_EQ(0.25f, MSSettings::valueForLightness());
  EXPECT_EQ(3, MSSettings::valueForFontStyle());
  EXPECT_EQ("Night", MSSettings::valueForSkinName());
}

// The file keeps 1 − style: absent means "黑体", 1 means "宋体", and a value naming no style (2, −1,
// a string) falls back to "黑体" instead of indexing past the names.
TEST_F(DisplaySettingsTest, FontStyleIsStoredInvertedAndUnknownValuesReadAsTheDefault) {
  EXPECT_EQ(1, MSFontStyle::currentFontStyle());
  EXPECT_EQ("黑体", MSFontStyle::currentFontStyleName());
  MSSettings::setValueForFontStyle(1);
  EXPECT_EQ(0, MSFontStyle::currentFontStyle());
  EXPECT_EQ("宋体", MSFontStyle::currentFontStyleName());
  for (int64_t stored : {int64_t{2}, int64_t{-1}, int64_t{7}}) {
    MSSettings::setValueForFontStyle(stored);
    EXPECT_EQ(1, MSFontStyle::currentFontStyle()) << stored;
    EXPECT_EQ("黑体", MSFontStyle::currentFontStyleName()) << stored;
  }
  MSSettings::setLocalValue(Value("宋体"), MSSettings::kFontStyleKey);
  EXPECT_EQ("黑体", MSFontStyle::currentFontStyleName());
  EXPECT_EQ("宋体", MSFontStyle::fontStyleNameFor(0));
  EXPECT_EQ("黑体", MSFontStyle::fontStyleNameFor(5));
}

// Below system 15.0 the overlay dims by 1 − (0.7 b + 0.3) and stores b; out-of-range values and
// values set before the overlay exists change nothing.
TEST_F(DisplaySettingsTest, OverlayFollowsTheStoredLightnessOnOldSystems) {
  ui::Device::current().setSystemVersion("14.9");
  CustomBrightnessWindow::setBrightness(0.2f);  // no overlay yet: lost
  EXPECT_TRUE(UserDefaults::standard().objectForKey("kKeyForLightness").isNull());

  MSSettings::setValueForLightness(0.5f);
  CustomBrightnessWindow::globalInit();
  auto overlay = CustomBrightnessWindow::overlay();
  ASSERT_TRUE(overlay);
  EXPECT_EQ(static_cast<float>(1.0 - (0.7 * 0.5 + 0.3)), overlay->alpha());
  EXPECT_FLOAT_EQ(0.35f, overlay->alpha());
  EXPECT_EQ(ui::kWindowLevelAlert + 1, overlay->windowLevel());
  EXPECT_EQ(ui::Rect(0, 0, 1000, 1000), overlay->frame());
  CustomBrightnessWindow::globalInit();  // once only
  EXPECT_EQ(overlay, CustomBrightnessWindow::overlay());

  for (float bad : {1.5f, -0.1f}) {
    CustomBrightnessWindow::setBrightness(bad);
    overlay->setWindowBrightness(bad);
  }
  EXPECT_FLOAT_EQ(0.35f, overlay->alpha());
  EXPECT_EQ(0.5f, MSSettings::valueForLightness());
  CustomBrightnessWindow::setBrightness(0.0f);
  EXPECT_FLOAT_EQ(0.7f, overlay->alpha());
  CustomBrightnessWindow::setBrightness(1.0f);
  EXPECT_EQ(0.0f, overlay->alpha());
  EXPECT_EQ(1.0f, CustomBrightnessWindow::brightness());

  // Touches pass through it to the window below.
  auto below = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  below->makeKeyAndVisible();
  EXPECT_EQ(below, ui::Application::shared().windowForTouch({100, 100}));

  CustomBrightnessWindow::globalUninit();
  EXPECT_FALSE(CustomBrightnessWindow::overlay());
  EXPECT_EQ(1u, ui::Application::shared().visibleWindows().size());
}

// From 15.0 on (and only then) the screen's own brightness is driven and nothing is stored; a
// version that is no number counts as old.
TEST_F(DisplaySettingsTest, NewSystemsDriveTheScreenInstead) {
  ui::Device::current().setSystemVersion("15.0");
  CustomBrightnessWindow::globalInit();
  EXPECT_FALSE(CustomBrightnessWindow::overlay());
  CustomBrightnessWindow::setBrightness(0.8f);
  EXPECT_FLOAT_EQ(0.8f, ui::Screen::main().brightness());
  EXPECT_FLOAT_EQ(0.8f, CustomBrightnessWindow::brightness());
  EXPECT_TRUE(UserDefaults::standard().objectForKey("kKeyForLightness").isNull());

  ui::Device::current().setSystemVersion("5.0");
  EXPECT_TRUE(CustomBrightnessWindow::isOldSystem());
  ui::Device::current().setSystemVersion("beta");
  EXPECT_TRUE(CustomBrightnessWindow::isOldSystem());
  ui::Device::current().setSystemVersion("16.1.2");
  EXPECT_FALSE(CustomBrightnessWindow::isOldSystem());
}

}  // namespace
}  // namespace zu
