#include "shell/skin/NRSkinManager.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/text/TextMetrics.h"
#include "shell/skin/HexColor.h"
#include "shell/skin/MBarButtonItem.h"
#include "shell/app/MSSettings.h"
#include "shell/skin/SkinTestSupport.h"

namespace zu {
namespace {

using testing::SkinFixture;
using ui::Color;

class NRSkinManagerTest : public SkinFixture {
 protected:
  // Default knows every kind; Night has images, colours and others but no fonts list.
  void writeTwoSkins() {
    Dictionary images;
    images.set("imageKdpCheckmark", "check_day.png");
    images.set("imageKdpCenterLogo", "logo_day.png");
    images.set("imageKdpSearchBarIcon", "icon_day.png");
    writeList("skinImagesDefault", images);
    Dictionary nightImages;
    nightImages.set("imageKdpCheckmark", "check_night.png");
    nightImages.set("imageKdpSearchBarIcon", "icon_missing_night.png");
    writeList("skinImagesNight", nightImages);
    writePicture("check_day.png", 4, 4);
    writePicture("check_night.png", 6, 6);
    writePicture("logo_day.png", 8, 3);
    writePicture("icon_day.png", 5, 5);

    Dictionary fonts;
    fonts.set("fontKdpNavigationTitle", 20);
    writeList("skinFontsDefault", fonts);

    Dictionary colors;
    colors.set("colorKdpNavigationTitle", "000000");
    colors.set("colorKdpSearchBarText", "0000FF");
    writeList("skinColorsDefault", colors);
    Dictionary nightColors;
    nightColors.set("colorKdpNavigationTitle", "FFFFFF");
    writeList("skinColorsNight", nightColors);

    Dictionary others;
    Dictionary offset;
    offset.set("x", 0);
    offset.set("y", 1);
    others.set("shadowKdpNavigationTitle", offset);
    others.set("otherKdpActivityIndicatorViewStyle", 2);
    writeList("skinOthersDefault", others);
    Dictionary nightOthers;
    nightOthers.set("otherKdpActivityIndicatorViewStyle", 1);
    writeList("skinOthersNight", nightOthers);
  }
};

TEST_F(NRSkinManagerTest, TheCurrentSkinAnswersFirstAndDefaultFillsInPerKindEntryAndFile) {
  writeTwoSkins();
  MSSettings::setValueForSkinName("Night");
  NRSkinManager& skin = NRSkinManager::sharedManager();
  EXPECT_EQ("Night", skin.skinName());
  // No Night fonts list: the Default list stands in for it.
  ASSERT_TRUE(skin.fontWithCodeName("fontKdpNavigationTitle"));
  EXPECT_EQ(20, skin.fontWithCodeName("fontKdpNavigationTitle")->pointSize);
  // A key in both lists: Night's; only in Default: Default's; in neither: nothing.
  EXPECT_EQ(Color(1, 1, 1, 1), skin.colorWithCodeName("colorKdpNavigationTitle"));
  EXPECT_EQ(Color(0, 0, 1, 1), skin.colorWithCodeName("colorKdpSearchBarText"));
  EXPECT_FALSE(skin.colorWithCodeName("colorKdpNavigationTitleShadow"));
  EXPECT_EQ(6, skin.imageWithCodeName("imageKdpCheckmark")->pixelWidth());
  EXPECT_EQ(8, skin.imageWithCodeName("imageKdpCenterLogo")->pixelWidth());
  EXPECT_FALSE(skin.imageWithCodeName("imageKdpSearchBarBackground"));
  // Night names a file the bundle lacks: the Default picture of the same element.
  EXPECT_EQ("icon_missing_night.png", skin.imageNameWithCodeName("imageKdpSearchBarIcon"));
  EXPECT_EQ(5, skin.imageWithCodeName("imageKdpSearchBarIcon")->pixelWidth());
  // Sizes come from the current others list alone; the style falls back.
  EXPECT_EQ((ui::Size{0, 0}), skin.sizeWithCodeName("shadowKdpNavigationTitle"));
  EXPECT_EQ(1, skin.activityIndicatorViewStyle());

  // Back to Default: stored, and the current lists are Default's again.
  skin.changeSkin("Default");
  EXPECT_EQ("Default", MSSettings::valueForSkinName());
  EXPECT_EQ(Color(0, 0, 0, 1), skin.colorWithCodeName("colorKdpNavigationTitle"));
  EXPECT_EQ(4, skin.imageWithCodeName("imageKdpCheckmark")->pixelWidth());
  EXPECT_EQ((ui::Size{0, 1}), skin.sizeWithCodeName("shadowKdpNavigationTitle"));
  EXPECT_EQ(2, skin.activityIndicatorViewStyle());
  skin.changeSkin("Night");
  EXPECT_EQ(Color(1, 1, 1, 1), skin.colorWithCodeName("colorKdpNavigationTitle"));
  // A skin the bundle does not know at all is Default in every kind.
  skin.changeSkin("Sepia");
  EXPECT_EQ(Color(0, 0, 0, 1), skin.colorWithCodeName("colorKdpNavigationTitle"));
}

TEST_F(NRSkinManagerTest, MissingOrMalformedDefaultListsAnswerNothing) {
  // A list whose root is an array is no list; the others are absent.
  ASSERT_TRUE(PropertyList::writeFile(Value(Array{Value("x")}), bundle_ / "skinColorsDefault.plist"));
  std::filesystem::path broken = bundle_ / "skinFontsDefault.plist";
  FILE* f = fopen(broken.c_str(), "w");
  ASSERT_TRUE(f);
  fputs("<plist><dict><key>a</key>", f);
  fclose(f);
  NRSkinManager& skin = NRSkinManager::sharedManager();
  EXPECT_FALSE(skin.colorWithCodeName("colorKdpNavigationTitle"));
  EXPECT_FALSE(skin.fontWithCodeName("fontKdpNavigationTitle"));
  EXPECT_FALSE(skin.boldFontWithCodeName("fontKdpNavigationTitle"));
  EXPECT_FALSE(skin.imageWithCodeName("imageKdpCheckmark"));
  EXPECT_FALSE(skin.imageNameWithCodeName("imageKdpCheckmark"));
  EXPECT_EQ((ui::Size{0, 0}), skin.sizeWithCodeName("shadowKdpNavigationTitle"));
  EXPECT_EQ(0, skin.activityIndicatorViewStyle());
  // Dressing with nothing found still leaves a usable button and title.
  auto item = skin.barButtonItemWithTitle("返回", NRSkinManager::kBackButtonType, nullptr, {});
  EXPECT_EQ(0, item->customView()->frame().size.height);
  ui::NavigationItem navItem("x");
  skin.setCurrentSkinTitleNavigationItem("标题", navItem);
  EXPECT_EQ("标题", skin.currentSkinTitleOfNavigationItem(navItem));
}

TEST_F(NRSkinManagerTest, EntryFormsOfFontsColoursAndSizes) {
  Dictionary fonts;
  fonts.set("number", 14);
  fonts.set("text", "15.5");
  Dictionary named;
  named.set("size", 13);
  named.set("bold", true);
  named.set("name", "Georgia");
  fonts.set("named", named);
  Dictionary bold;
  bold.set("size", 16);
  bold.set("bold", true);
  fonts.set("bold", bold);
  fonts.set("array", Array{Value(12)});
  writeList("skinFontsDefault", fonts);
  Dictionary colors;
  colors.set("string", "FF8000");
  Dictionary noAlpha;
  noAlpha.set("color", "FF8000");
  colors.set("noAlpha", noAlpha);
  Dictionary half;
  half.set("color", "00ff00");
  half.set("alpha", 0.5);
  colors.set("half", half);
  colors.set("number", 7);
  writeList("skinColorsDefault", colors);
  Dictionary others;
  others.set("notASize", 3);
  writeList("skinOthersDefault", others);

  NRSkinManager& skin = NRSkinManager::sharedManager();
  EXPECT_EQ(ui::Font::systemFont(14), skin.fontWithCodeName("number"));
  EXPECT_EQ(ui::Font::systemFont(15.5f), skin.fontWithCodeName("text"));
  EXPECT_EQ(ui::Font::named("Georgia", 13), skin.fontWithCodeName("named"));
  EXPECT_EQ(ui::Font::boldSystemFont(16), skin.fontWithCodeName("bold"));
  EXPECT_FALSE(skin.fontWithCodeName("array"));
  // The "bold" lookup gives the regular face at the entry's size, and reads no text entries.
  EXPECT_EQ(ui::Font::systemFont(16), skin.boldFontWithCodeName("bold"));
  EXPECT_EQ(ui::Font::systemFont(13), skin.boldFontWithCodeName("named"));
  EXPECT_EQ(ui::Font::systemFont(14), skin.boldFontWithCodeName("number"));
  EXPECT_FALSE(skin.boldFontWithCodeName("text"));

  const Color orange(1, 128 / 255.f, 0, 1);
  EXPECT_EQ(orange, skin.colorWithCodeName("string"));
  EXPECT_EQ(orange.withAlpha(0), skin.colorWithCodeName("noAlpha"));
  EXPECT_EQ(Color(0, 1, 0, 0.5f), skin.colorWithCodeName("half"));
  EXPECT_FALSE(skin.colorWithCodeName("number"));
  EXPECT_EQ((ui::Size{0, 0}), skin.sizeWithCodeName("notASize"));
}

TEST(HexColorTest, SixHexDigitsAfterTrimAndPrefixElseClear) {
  const Color orange(1, 128 / 255.f, 0, 0.25f);
  EXPECT_EQ(orange, colorWithHexString("ff8000", 0.25f));
  EXPECT_EQ(orange, colorWithHexString(" 0xFF8000 ", 0.25f));
  EXPECT_EQ(orange, colorWithHexString("\n0Xff8000\t", 0.25f));
  EXPECT_EQ(Color::clearColor(), colorWithHexString("#FF8000", 1));
  EXPECT_EQ(Color::clearColor(), colorWithHexString("FFF", 1));
  EXPECT_EQ(Color::clearColor(), colorWithHexString("0x12345", 1));
  EXPECT_EQ(Color::clearColor(), colorWithHexString("", 1));
  // A pair that is not hexadecimal reads 0; the others still count.
  EXPECT_EQ(Color(0, 1, 1, 1), colorWithHexString("G0FFFF", 1));
}

TEST_F(NRSkinManagerTest, BarButtonsTakeTheTypesImagesCapsAndTitleWidth) {
  Dictionary images;
  images.set("imageKdpNavigationBarButtonBackNormal", "back.png");
  images.set("imageKdpNavigationBarButtonBackHighlighted", "back_press.png");
  images.set("imageKdpNavigationBarButtonDoneNormal", "done.png");
  images.set("imageKdpNavigationBarButtonDoneHighlighted", "done_press.png");
  writeList("skinImagesDefault", images);
  writePicture("back.png", 61, 31);
  writePicture("back_press.png", 61, 31);
  writePicture("done.png", 40, 30);
  writePicture("done_press.png", 40, 30);
  Dictionary fonts;
  Dictionary itemFont;
  itemFont.set("size", 12);
  itemFont.set("bold", true);
  fonts.set("fontKdpNavigationItem", itemFont);
  writeList("skinFontsDefault", fonts);
  Dictionary colors;
  colors.set("colorKdpNavigationItemTitleNormal", "FFFFFF");
  colors.set("colorKdpNavigationItemTitleHighlighted", "CCCCCC");
  writeList("skinColorsDefault", colors);

  NRSkinManager& skin = NRSkinManager::sharedManager();
  int taps = 0;
  auto back = skin.barButtonItemWithTitle("返回", NRSkinManager::kBackButtonType, this,
                                          [&](ui::Control&) { ++taps; });
  auto button = std::dynamic_pointer_cast<ui::Button>(back->customView());
  ASSERT_TRUE(button);
  auto normal = button->backgroundImageForState(ui::kControlStateNormal);
  ASSERT_TRUE(normal);
  EXPECT_EQ(61, normal->pixelWidth());
  EXPECT_EQ(30, normal->leftCapWidth());  // half of 61, rounded down
  EXPECT_EQ(0, normal->topCapHeight());
  EXPECT_EQ(61, button->backgroundImageForState(ui::kControlStateHighlighted)->pixelWidth());
  const float titleWidth = ui::TextMetrics::current().sizeOf("返回", ui::Font::boldSystemFont(12)).width;
  EXPECT_GT(titleWidth, 0);
  EXPECT_EQ(ui::Rect(0, 0, titleWidth + 24, 31), button->frame());
  EXPECT_EQ(ui::Font::boldSystemFont(12), button->titleLabel()->font());
  EXPECT_EQ(Color::rgba8(255, 255, 255), button->titleColorForState(ui::kControlStateNormal));
  EXPECT_EQ(Color::rgba8(204, 204, 204), button->titleColorForState(ui::kControlStateHighlighted));
  EXPECT_EQ((ui::Size{0, -1}), button->titleLabel()->shadowOffset());
  EXPECT_EQ("返回", button->titleForState(ui::kControlStateNormal));
  button->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(1, taps);

  // Every other type is a done button; without a title the button is 24 wide.
  for (int64_t type : {NRSkinManager::kDoneButtonType, int64_t{0}, int64_t{42}}) {
    auto done = skin.barButtonItemWithTitle(std::nullopt, type, nullptr, {});
    auto doneButton = std::dynamic_pointer_cast<ui::Button>(done->customView());
    ASSERT_TRUE(doneButton);
    EXPECT_EQ(40, doneButton->backgroundImageForState(ui::kControlStateNormal)->pixelWidth()) << type;
    EXPECT_EQ(20, doneButton->backgroundImageForState(ui::kControlStateNormal)->leftCapWidth());
    EXPECT_EQ(ui::Rect(0, 0, 24, 30), doneButton->frame());
  }
  // The plain button: no images, 30 tall.
  auto plain = MBarButtonItem::buttonItemWithTitle("发表评价", nullptr, {});
  EXPECT_FALSE(plain->backgroundImageForState(ui::kControlStateNormal));
  EXPECT_EQ(30, plain->frame().size.height);
  EXPECT_EQ(ui::TextMetrics::current().sizeOf("发表评价", ui::Font::boldSystemFont(12)).width + 24,
            plain->frame().size.width);
}

// A colour or font no list holds is none: what the manager dresses keeps its own, and a bar
// button's width is measured in the font its title is drawn in.
TEST_F(NRSkinManagerTest, WhatNoListHoldsLeavesTheDressedViewsTheirOwn) {
  NRSkinManager& skin = NRSkinManager::sharedManager();
  EXPECT_FALSE(skin.colorWithCodeName("colorKdpNavigationTitle"));
  EXPECT_FALSE(skin.fontWithCodeName("fontKdpNavigationItem"));
  const Color own = Color::rgba8(200, 30, 30);

  ui::NavigationItem item("");
  auto title = std::make_shared<ui::Label>(ui::Rect(42, 9, 236, 28));
  title->setTextColor(own);
  item.setTitleView(title);
  skin.setCurrentSkinTitleNavigationItem("设置", item);
  EXPECT_EQ(own, title->textColor());
  EXPECT_EQ(ui::Font::systemFont(17), title->font());

  for (float version : {5.0f, 4.3f}) {
    SystemEnvironment::setSystemVersion(version);
    auto bar = std::make_shared<ui::SearchBar>();
    bar->textField()->setTextColor(own);
    skin.setCurrentSkinOfSearchBar(*bar);
    EXPECT_EQ(own, bar->textField()->textColor()) << version;
  }

  auto plain = MBarButtonItem::buttonItemWithTitle("发表评价", nullptr, {});
  const ui::Font drawnIn = plain->titleLabel()->font();
  EXPECT_EQ(ui::TextMetrics::current().sizeOf("发表评价", drawnIn).width + 24, plain->frame().size.width);
  EXPECT_NE(ui::TextMetrics::current().sizeOf("发表评价", ui::Font::systemFont(12)).width + 24,
            plain->frame().size.width);
}

// Two first callers on two threads get one manager.
TEST_F(NRSkinManagerTest, FirstCallersOnTwoThreadsShareOneManager) {
  for (int round = 0; round < 20; ++round) {
    NRSkinManager::resetForTesting();
    NRSkinManager* seen[2] = {nullptr, nullptr};
    std::thread other([&] { seen[1] = &NRSkinManager::sharedManager(); });
    seen[0] = &NRSkinManager::sharedManager();
    other.join();
    ASSERT_EQ(seen[0], seen[1]) << round;
  }
}

TEST_F(NRSkinManagerTest, TitlesOfItemsAndBars) {
  Dictionary fonts;
  fonts.set("fontKdpNavigationTitle", 20);
  writeList("skinFontsDefault", fonts);
  Dictionary colors;
  colors.set("colorKdpNavigationTitle", "333333");
  writeList("skinColorsDefault", colors);
  Dictionary others;
  Dictionary offset;
  offset.set("x", 0);
  offset.set("y", -1);
  others.set("shadowKdpNavigationTitle", offset);
  writeList("skinOthersDefault", others);
  NRSkinManager& skin = NRSkinManager::sharedManager();

  // An item's title: a label at (42, 9) sized to its text; set again, the same label.
  ui::NavigationItem item("");
  skin.setCurrentSkinTitleNavigationItem("设置", item);
  auto label = std::dynamic_pointer_cast<ui::Label>(item.titleView());
  ASSERT_TRUE(label);
  const ui::Size fitted = ui::TextMetrics::current().sizeOf("设置", ui::Font::systemFont(20));
  EXPECT_EQ(ui::Rect(42, 9, fitted.width, fitted.height), label->frame());
  EXPECT_EQ(ui::TextAlignment::Center, label->textAlignment());
  EXPECT_EQ(Color::rgba8(0x33, 0x33, 0x33), label->textColor());
  EXPECT_EQ((ui::Size{0, -1}), label->shadowOffset());
  skin.setCurrentSkinTitleNavigationItem("关于", item);
  EXPECT_EQ(label, item.titleView());
  EXPECT_EQ("关于", skin.currentSkinTitleOfNavigationItem(item));

  // A bar's title: the label tagged 20120217 at index 1, centred, 140 x 44, not resized.
  auto bar = std::make_shared<ui::NavigationBar>();
  bar->addSubview(std::make_shared<ui::View>(ui::Rect(0, 0, 10, 10)));
  bar->addSubview(std::make_shared<ui::View>(ui::Rect(0, 0, 10, 10)));
  skin.setCurrentSkinTitleNavigationBar("文章", *bar);
  auto barLabel = bar->subviews()[1];
  EXPECT_EQ(NRSkinManager::kTitleTag, barLabel->tag());
  EXPECT_EQ(ui::Rect(90, 0, 140, 44), barLabel->frame());
  skin.setCurrentSkinTitleNavigationBar("一个很长很长很长很长很长很长的标题", *bar);
  EXPECT_EQ(ui::Rect(90, 0, 140, 44), barLabel->frame());
  EXPECT_EQ(3u, bar->subviews().size());
  EXPECT_EQ("一个很长很长很长很长很长很长的标题", skin.currentSkinTitleOfNavigationBar(*bar));
}

TEST_F(NRSkinManagerTest, SearchBarsDressedByDayAndNightOnEitherSystemVersion) {
  // Each picture in one colour of its own, so a pixel tells which picture landed there.
  struct Look {
    Color bar, field, icon, clear, clearPressed, text;
  };
  const Look day{Color::rgba8(40, 80, 160), Color::rgba8(250, 240, 200), Color::rgba8(200, 0, 0),
                 Color::rgba8(0, 150, 0), Color::rgba8(0, 60, 0), Color::rgba8(0x33, 0x33, 0x33)};
  const Look night{Color::rgba8(20, 20, 30), Color::rgba8(60, 60, 70), Color::rgba8(255, 128, 0),
                   Color::rgba8(120, 120, 200), Color::rgba8(40, 40, 90), Color::rgba8(0xE1, 0xE1, 0xE1)};
  for (const auto& [skinName, look] : {std::pair{std::string("Default"), day}, std::pair{std::string("Night"), night}}) {
    Dictionary images;
    images.set("imageKdpSearchBarBackground", "bar_" + skinName + ".png");
    images.set("imageKdpSearchBarFieldBackground", "field_" + skinName + ".png");
    images.set("imageKdpSearchBarIcon", "icon_" + skinName + ".png");
    images.set("imageKdpSearchBarClearButtonNormal", "clear_" + skinName + ".png");
    images.set("imageKdpSearchBarClearButtonHighlighted", "clear_press_" + skinName + ".png");
    writeList("skinImages" + skinName, images);
    writePicture("bar_" + skinName + ".png", 320, 44, look.bar);
    writePicture("field_" + skinName + ".png", 30, 31, look.field);
    writePicture("icon_" + skinName + ".png", 14, 14, look.icon);
    writePicture("clear_" + skinName + ".png", 19, 19, look.clear);
    writePicture("clear_press_" + skinName + ".png", 19, 19, look.clearPressed);
  }
  Dictionary colors;
  colors.set("colorKdpSearchBarText", "333333");
  writeList("skinColorsDefault", colors);
  Dictionary nightColors;
  nightColors.set("colorKdpSearchBarText", "e1e1e1");
  writeList("skinColorsNight", nightColors);

  NRSkinManager& skin = NRSkinManager::sharedManager();
  // Dresses `bar` in the skin, editing with text so the clear button shows, and checks the
  // pixels where each picture lands: the bar's top, the field beside its text, the icon at the
  // field's left, the clear button at its right, normal and pressed.
  auto check = [&](ui::SearchBar& bar, const Look& look, const std::string& what) {
    skin.setCurrentSkinOfSearchBar(bar);
    bar.setText("zu");
    ASSERT_TRUE(bar.becomeFirstResponder());
    auto picture = ui::render(bar);
    ASSERT_TRUE(picture) << what;
    EXPECT_EQ(look.bar, picture->colorAt(160, 2)) << what;
    EXPECT_EQ(look.bar, picture->colorAt(2, 40)) << what;
    EXPECT_EQ(look.field, picture->colorAt(160, 10)) << what;
    EXPECT_EQ(look.field, picture->colorAt(8, 22)) << what;
    EXPECT_EQ(look.icon, picture->colorAt(20, 21)) << what;
    EXPECT_EQ(look.clear, picture->colorAt(297, 22)) << what;
    EXPECT_EQ(look.text, bar.textField()->textColor()) << what;
    bar.clearButton()->setHighlighted(true);
    auto pressed = ui::render(bar);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(look.clearPressed, pressed->colorAt(297, 22)) << what;
    bar.clearButton()->setHighlighted(false);
    ASSERT_TRUE(bar.resignFirstResponder());
  };

  for (const char* skinName : {"Default", "Night"}) {
    skin.changeSkin(skinName);
    const Look& look = std::string(skinName) == "Night" ? night : day;
    auto bar = std::make_shared<ui::SearchBar>();
    check(*bar, look, std::string(skinName) + " 5.0");
    EXPECT_EQ(3u, bar->subviews().size());  // background, field, cancel button
    EXPECT_EQ(skin.imageWithCodeName("imageKdpSearchBarBackground"), bar->backgroundImage());
  }

  // Below 5.0: one image view tagged 20120217 at index 1, above the bar's own background and
  // below the field, dressed again in place when the skin changes.
  SystemEnvironment::setSystemVersion(4.3f);
  skin.changeSkin("Default");
  auto old = std::make_shared<ui::SearchBar>();
  check(*old, day, "Default 4.3");
  skin.changeSkin("Night");
  check(*old, night, "Night 4.3");
  ASSERT_EQ(4u, old->subviews().size());
  EXPECT_EQ(old->backgroundView(), old->subviews()[0]);
  EXPECT_EQ(NRSkinManager::kTitleTag, old->subviews()[1]->tag());
  EXPECT_EQ(ui::Rect(0, 0, 320, 44), old->subviews()[1]->frame());
  EXPECT_EQ(old->textField(), old->subviews()[2]);
  EXPECT_EQ(old->cancelButton(), old->subviews()[3]);
  EXPECT_FALSE(old->backgroundImage());
  EXPECT_EQ(skin.imageWithCodeName("imageKdpSearchBarFieldBackground"), old->textField()->background());
}

}  // namespace
}  // namespace zu
