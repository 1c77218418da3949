// The skins and pictures the bundle ships: every code name resolves in both skins, every picture
// of the home screens' look exists by day and by night, and the artwork manifest matches the
// files. Writes the pictures a reviewer looks at: a dressed bar per skin and the contact sheets.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/PropertyList.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/app/MSSettings.h"
#include "shell/skin/LegibilityTestSupport.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/skin/NRSkinManager.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class ShippedSkinsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bundle::resetMainBundleForTesting();
    ui::Image::clearNamedCache();
    NRSkinManager::resetForTesting();
  }
  void TearDown() override {
    NRSkinManager::resetForTesting();
    MyFaceSettings::setModeIsNight(false);
    SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
  }
  static Dictionary list(const std::string& name) {
    auto path = Bundle::mainBundle()->pathForResource(name, "plist");
    if (!path) return {};
    auto value = PropertyList::readFile(*path);
    return value && value->isDictionary() ? *value->asDictionary() : Dictionary();
  }
  // file name -> pixel size, from the manifest.
  static std::map<std::string, std::pair<int, int>> manifest() {
    std::map<std::string, std::pair<int, int>> entries;
    auto path = Bundle::mainBundle()->pathForResource("artwork-manifest", "txt");
    if (!path) return entries;
    std::ifstream in(*path);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      std::string name;
      int width = 0, height = 0;
      fields >> name >> width >> height;
      entries[name] = {width, height};
    }
    return entries;
  }

  TempHome home_;
};

TEST_F(ShippedSkinsTest, EveryCodeNameResolvesInBothSkins) {
  const Dictionary images = list("skinImagesDefault");
  const Dictionary fonts = list("skinFontsDefault");
  const Dictionary colors = list("skinColorsDefault");
  const Dictionary others = list("skinOthersDefault");
  // The 171 code names of the skin lists, and the feedback segments' "Normal" and "Highlighted"
  // faces of its four kinds.
  EXPECT_EQ(179u, images.size() + fonts.size() + colors.size() + others.size());
  // Night only carries what differs: nothing Default does not know.
  for (const char* kind : {"skinImages", "skinFonts", "skinColors", "skinOthers"}) {
    const Dictionary defaults = list(std::string(kind) + "Default");
    const Dictionary night = list(std::string(kind) + "Night");
    for (const std::string& key : night.keys()) {
      EXPECT_TRUE(defaults.contains(key)) << kind << " " << key;
    }
  }
  for (const char* skinName : {"Default", "Night"}) {
    NRSkinManager& skin = NRSkinManager::sharedManager();
    skin.changeSkin(skinName);
    for (const std::string& code : images.keys()) {
      const auto image = skin.imageWithCodeName(code);
      ASSERT_TRUE(image) << skinName << " " << code;
      // The skin's own picture, not the fall-back for a missing file.
      EXPECT_EQ(skin.imageNameWithCodeName(code), image->name()) << skinName << " " << code;
    }
    for (const std::string& code : fonts.keys()) EXPECT_TRUE(skin.fontWithCodeName(code)) << skinName << " " << code;
    for (const std::string& code : colors.keys()) EXPECT_TRUE(skin.colorWithCodeName(code)) << skinName << " " << code;
    EXPECT_NE(0, skin.sizeWithCodeName("shadowKdpNavigationTitle").height) << skinName;
    EXPECT_NE(0, skin.sizeWithCodeName("shadowKdpTableViewHeaderViewText").height) << skinName;
  }
  NRSkinManager& skin = NRSkinManager::sharedManager();
  EXPECT_EQ(1, skin.activityIndicatorViewStyle());
  EXPECT_NE(skin.imageNameWithCodeName("imageKdpNavigationBarBackground"),
            list("skinImagesDefault").get("imageKdpNavigationBarBackground").stringValue());
}

TEST_F(ShippedSkinsTest, TheLooksPicturesExistByDayAndNightAndTheManifestMatches) {
  const auto entries = manifest();
  ASSERT_FALSE(entries.empty());
  for (const std::string& name : MyFaceSettings::allDayImageNames()) {
    const std::string file = name.ends_with(".png") ? name : name + ".png";
    EXPECT_TRUE(entries.contains(file)) << file;
    EXPECT_TRUE(entries.contains("black_" + file)) << file;
  }
  for (const char* extra : {"bigstar_yellow.png", "bigstar_black.png", "smallstar_yellow.png", "smallstar_black.png",
                            "tinystar_yellow.png", "tinystar_black.png", "picgroupbut_favorite_mark.png",
                            "picgroupbut_favorite_normal.png", "picgroupbut_love_normal.png",
                            "picgroupbut_xiepinglun_normal.png", "picgroupbut_share_normal.png",
                            "help_download.png", "help_download_nowifi.png", "0_large", "1_large", "2_large"}) {
    EXPECT_TRUE(entries.contains(extra)) << extra;
  }
  for (const auto& [name, size] : entries) {
    auto path = Bundle::mainBundle()->pathForResource(name, "");
    ASSERT_TRUE(path) << name;
    auto image = ui::Image::fromFile(*path);
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(size, std::make_pair(image->pixelWidth(), image->pixelHeight())) << name;
    // Every ".png" picture has its double-density twin, twice as many pixels each way.
    if (name.ends_with(".png") && !name.ends_with("@2x.png")) {
      auto twin = entries.find(name.substr(0, name.size() - 4) + "@2x.png");
      ASSERT_NE(twin, entries.end()) << name;
      EXPECT_EQ(std::make_pair(2 * size.first, 2 * size.second), twin->second) << name;
    }
  }
}

// The bar of a pushed screen, dressed as the skinned screens dress theirs, written and audited
// as "<name>".
std::shared_ptr<ui::Image> dressedBar(const std::string& name) {
  NRSkinManager& skin = NRSkinManager::sharedManager();
  auto nav = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
  auto pushed = std::make_shared<ui::ViewController>();
  nav->pushViewController(pushed, false);
  nav->view()->setFrame(ui::Rect(0, 0, 320, 460));
  skin.setCurrentBarBackgroundImageOfNavigationController(*nav);
  auto item = pushed->navigationItem();
  skin.setCurrentSkinTitleNavigationItem("账号设置", *item);
  item->setLeftBarButtonItem(skin.barButtonItemWithTitle("返回", NRSkinManager::kBackButtonType, nullptr, {}));
  item->setRightBarButtonItem(skin.barButtonItemWithTitle("完成", NRSkinManager::kDoneButtonType, nullptr, {}));
  return ui::ContrastAudit::snapshot(*nav->navigationBar(), name);
}

// A search bar in the current skin, editing a query so the clear button shows.
std::shared_ptr<ui::Image> dressedSearchBar(const std::string& name) {
  auto bar = std::make_shared<ui::SearchBar>();
  NRSkinManager::sharedManager().setCurrentSkinOfSearchBar(*bar);
  bar->setText("新闻 RSS");
  if (!bar->becomeFirstResponder()) return nullptr;
  auto picture = ui::ContrastAudit::snapshot(*bar, name);
  bar->resignFirstResponder();
  return picture;
}

// What `dress` renders by day, by night, and by night below 5.0, each written (and audited) as
// "<name>-Default", "<name>-Night" and "<name>-Night-4.3".
struct Looks {
  std::shared_ptr<ui::Image> day, night, oldNight;
};
Looks inEachSkin(const std::function<std::shared_ptr<ui::Image>(const std::string&)>& dress,
                 const std::string& name) {
  NRSkinManager& skin = NRSkinManager::sharedManager();
  Looks looks;
  skin.changeSkin("Default");
  looks.day = dress(name + "-Default");
  skin.changeSkin("Night");
  looks.night = dress(name + "-Night");
  SystemEnvironment::setSystemVersion(4.3f);
  looks.oldNight = dress(name + "-Night-4.3");
  return looks;
}

// The download button's background, the refresh button's empty picture, is a ring with
// nothing in it: the button's own arrow is the only symbol on it.
TEST_F(ShippedSkinsTest, TheEmptyRefreshPictureIsABareRing) {
  for (const char* name : {"homebut_refresh_empty", "black_homebut_refresh_empty"}) {
    auto path = Bundle::mainBundle()->pathForResource(name, "png");
    ASSERT_TRUE(path) << name;
    auto picture = ui::Image::fromFile(*path);
    ASSERT_TRUE(picture) << name;
    // The middle of the 44-point disc, well inside its rim.
    EXPECT_LT(testing::luminanceRange(*picture, ui::Rect(12, 12, 20, 20)), 0.06f) << name;
    // The rim itself is drawn.
    EXPECT_GT(picture->colorAt(22, 1).alpha, 0.5f) << name;
  }
}

TEST_F(ShippedSkinsTest, SearchBarsForReview) {
  const auto [day, night, oldNight] = inEachSkin(dressedSearchBar, "skin-search-bar");
  ASSERT_TRUE(day && night && oldNight);
  // The bar's top and the field beside the text are darker by night; those, the icon and the
  // clear button look the same below 5.0 as from 5.0.
  for (const auto& [x, y] : {std::pair{160, 2}, std::pair{200, 12}}) {
    const ui::Color d = day->colorAt(x, y), n = night->colorAt(x, y);
    EXPECT_GT(d.red + d.green + d.blue, n.red + n.green + n.blue + 0.3f) << x << "," << y;
  }
  for (int y = 0; y < 44; ++y) {
    for (int x : {160, 200, 18, 297}) EXPECT_EQ(night->colorAt(x, y), oldNight->colorAt(x, y)) << x << "," << y;
  }
}

TEST_F(ShippedSkinsTest, BarsAndContactSheetsForReview) {
  const auto [day, night, oldNight] = inEachSkin(dressedBar, "skin-bar");
  ASSERT_TRUE(day && night && oldNight);
  // The night bar is darker at its middle, above the title and between the buttons.
  const ui::Color dayTop = day->colorAt(160, 2);
  const ui::Color nightTop = night->colorAt(160, 2);
  EXPECT_GT(dayTop.red, nightTop.red + 0.3f);
  // The image view below 5.0 shows the same background as the bar's own image from 5.0.
  EXPECT_EQ(night->colorAt(160, 2), oldNight->colorAt(160, 2));

  // Contact sheets: every picture by day; every night picture.
  for (bool nightSheet : {false, true}) {
    auto sheet = std::make_shared<ui::View>(ui::Rect(0, 0, 800, 10));
    sheet->setBackgroundColor(nightSheet ? ui::Color::rgba8(60, 60, 66) : ui::Color::rgba8(200, 200, 205));
    float x = 4, y = 4, rowHeight = 0;
    for (const auto& [name, size] : manifest()) {
      const bool isNight = name.starts_with("black_") || name.starts_with("night_");
      if (isNight != nightSheet || name.ends_with("@2x.png")) continue;
      auto image = ui::Image::fromFile(*Bundle::mainBundle()->pathForResource(name, ""));
      float w = static_cast<float>(size.first), h = static_cast<float>(size.second);
      if (w > 160 || h > 120) {
        const float scale = std::min(160 / w, 120 / h);
        w *= scale;
        h *= scale;
      }
      if (x + w > 796) {
        x = 4;
        y += rowHeight + 4;
        rowHeight = 0;
      }
      auto view = std::make_shared<ui::ImageView>(ui::Rect(x, y, w, h));
      view->setImage(image);
      sheet->addSubview(view);
      x += w + 4;
      rowHeight = std::max(rowHeight, h);
    }
    sheet->setFrame(ui::Rect(0, 0, 800, y + rowHeight + 4));
    auto picture = ui::render(*sheet);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(ui::writeSnapshot(*picture, nightSheet ? "artwork-night" : "artwork-day"));
  }
}

}  // namespace
}  // namespace zu
