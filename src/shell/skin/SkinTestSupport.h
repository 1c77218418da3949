// Helpers for the skin tests (included by *Test.cpp only): a fresh home and an empty temporary
// bundle that the test fills with property lists and pictures; the skin manager, the named-image
// cache, the system version and the bundle are put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/PropertyList.h"
#include "platform/ui/images/Image.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/skin/NRSkinManager.h"
#include "testing/TempHome.h"

namespace zu::testing {

class SkinFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bundle_ = home_.path() / "bundle";
    std::filesystem::create_directories(bundle_);
    Bundle::setMainBundleForTesting(bundle_);
    resetShared();
  }
  void TearDown() override {
    resetShared();
    Bundle::resetMainBundleForTesting();
  }
  static void resetShared() {
    ui::Image::clearNamedCache();
    NRSkinManager::resetForTesting();
    SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
    MyFaceSettings::setModeIsNight(false);
  }

  void writeList(const std::string& name, Dictionary list) {
    ASSERT_TRUE(PropertyList::writeFile(Value(std::move(list)), bundle_ / (name + ".plist")));
  }
  // A picture of `width` x `height` pixels in one colour, as "<name>" in the bundle.
  void writePicture(const std::string& name, int width, int height, ui::Color color = ui::Color::redColor()) {
    auto image = ui::Image::create(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) image->mutablePixels()[y * width + x] = color.premultipliedArgb();
    }
    ASSERT_TRUE(image->writePng(bundle_ / name));
  }

  TempHome home_;
  std::filesystem::path bundle_;
};

}  // namespace zu::testing
