#include "platform/runtime/Bundle.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/runtime/PropertyList.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

TEST(BundleTest, MainBundleFindsTheSourceTreeResources) {
  Bundle::resetMainBundleForTesting();
  auto bundle = Bundle::mainBundle();
  EXPECT_EQ(bundle->info("CFBundleVersion"), "1.0.0");
  EXPECT_EQ(bundle->info("CFBundleName"), "zureader");
  EXPECT_EQ(bundle->info("CFBundleIdentifier"), "com.zu.reader");
  EXPECT_EQ(bundle->info("NoSuchKey"), std::nullopt);
  auto info = bundle->pathForResource("Info", "plist");
  ASSERT_TRUE(info);
  EXPECT_TRUE(std::filesystem::equivalent(*info, std::filesystem::path(ZU_SOURCE_DIR) /
                                                     "resources" / "Info.plist"));
}

TEST(BundleTest, PathForResourceInATestFolder) {
  TempHome home;
  std::filesystem::create_directories(home.path() / "res" / "images");
  std::ofstream(home.path() / "res" / "nofile.mid") << "x";
  std::ofstream(home.path() / "res" / "images" / "tab.png") << "x";
  std::ofstream(home.path() / "secret") << "x";
  PropertyList::writeFile(Value(Dictionary{{"CFBundleVersion", 3}}),
                          home.path() / "res" / "Info.plist");
  Bundle::setMainBundleForTesting(home.path() / "res");
  auto b = Bundle::mainBundle();
  EXPECT_EQ(b->info("CFBundleVersion"), "3");
  EXPECT_EQ(b->pathForResource("nofile", "mid"), home.path() / "res" / "nofile.mid");
  EXPECT_EQ(b->pathForResource("nofile", ".mid"), home.path() / "res" / "nofile.mid");
  EXPECT_EQ(b->pathForResource("nofile.mid", ""), home.path() / "res" / "nofile.mid");
  EXPECT_EQ(b->pathForResource("images/tab", "png"), home.path() / "res" / "images" / "tab.png");
  EXPECT_EQ(b->pathForResource("nofile", "wav"), std::nullopt);
  EXPECT_EQ(b->pathForResource("images", ""), std::nullopt);  // folders are not resources
  EXPECT_EQ(b->pathForResource("../secret", ""), std::nullopt);
  EXPECT_EQ(b->pathForResource((home.path() / "secret").string(), ""), std::nullopt);
  EXPECT_EQ(b->pathForResource("", ""), std::nullopt);
  Bundle::resetMainBundleForTesting();
  // A caller still holding the test bundle keeps a valid object.
  EXPECT_EQ(b->info("CFBundleVersion"), "3");
}

TEST(BundleTest, LocalizedStringsComeFromTheTableElseTheDefaultElseTheKey) {
  TempHome home;
  std::filesystem::create_directories(home.path() / "res");
  PropertyList::writeFile(Value(Dictionary{{"正在刷新", "Refreshing"}, {"count", 3}}),
                          home.path() / "res" / "Localizable.plist");
  Bundle b(home.path() / "res");
  EXPECT_EQ(b.localizedString("正在刷新"), "Refreshing");
  EXPECT_EQ(b.localizedString("正在刷新", "other"), "Refreshing");
  // Not a string in the table, or missing: the default, else the key itself.
  EXPECT_EQ(b.localizedString("count", "fallback"), "fallback");
  EXPECT_EQ(b.localizedString("松开进行刷新"), "松开进行刷新");
  EXPECT_EQ(Bundle(home.path() / "none").localizedString("key", ""), "key");
}

}  // namespace
}  // namespace zu
