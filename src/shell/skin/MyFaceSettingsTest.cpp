#include "shell/skin/MyFaceSettings.h"

#include <gtest/gtest.h>

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "shell/app/MSSettings.h"
#include "shell/skin/SkinTestSupport.h"

namespace zu {
namespace {

using testing::SkinFixture;

class MyFaceSettingsTest : public SkinFixture {
 protected:
  // Every home-screen picture by day and by night, each 2 x 2.
  void writeLook() {
    for (const std::string& name : MyFaceSettings::allDayImageNames()) {
      const std::string file = name.ends_with(".png") ? name : name + ".png";
      writePicture(file, 2, 2);
      writePicture("black_" + file, 2, 2);
    }
  }
  static std::string nameOf(const std::shared_ptr<ui::Image>& image) { return image ? image->name() : "(none)"; }
};

TEST_F(MyFaceSettingsTest, ButtonsTakeTheirStatesImagesByDayAndNight) {
  writeLook();
  ui::Button refresh;
  MyFaceSettings::setModeIsNight(true);
  MyFaceSettings::setImageForRefreshButton(refresh);
  EXPECT_EQ("black_homebut_refresh_normal", nameOf(refresh.imageForState(ui::kControlStateNormal)));
  EXPECT_EQ("black_homebut_refresh_press", nameOf(refresh.imageForState(ui::kControlStateHighlighted)));
  EXPECT_EQ("black_homebut_refresh_empty", nameOf(refresh.imageForState(ui::kControlStateDisabled)));
  // File images are read anew each time; named ones come from the cache.
  ui::Button again;
  MyFaceSettings::setImageForRefreshButton(again);
  EXPECT_NE(refresh.imageForState(ui::kControlStateNormal), again.imageForState(ui::kControlStateNormal));
  ui::ImageView mask1, mask2;
  MyFaceSettings::setImageForTouchMaskImageView(mask1);
  MyFaceSettings::setImageForTouchMaskImageView(mask2);
  EXPECT_EQ("black_square_press.png", nameOf(mask1.image()));
  EXPECT_EQ(mask1.image(), mask2.image());

  // By day: the download button stands on the refresh button's empty picture; the cancel
  // button's press picture is for the selected state, the hide button's for highlighted.
  MyFaceSettings::setModeIsNight(false);
  ui::Button download, cancel, hide;
  MyFaceSettings::setImageForOfflineDownloadButton(download);
  EXPECT_EQ("homebut_refresh_empty", nameOf(download.backgroundImageForState(ui::kControlStateNormal)));
  EXPECT_EQ("homebut_down_press", nameOf(download.imageForState(ui::kControlStateHighlighted)));
  MyFaceSettings::setImageForOfflineDownloadCancelButton(cancel);
  MyFaceSettings::setImageForOfflineDownloadHideButton(hide);
  EXPECT_EQ("but_lixian_cancel_press", nameOf(cancel.imageForState(ui::kControlStateSelected)));
  EXPECT_EQ("but_lixian_cancel_normal", nameOf(cancel.imageForState(ui::kControlStateHighlighted)));
  EXPECT_EQ("but_lixian_hide_press", nameOf(hide.imageForState(ui::kControlStateHighlighted)));
  EXPECT_EQ("but_lixian_hide_normal", nameOf(hide.imageForState(ui::kControlStateSelected)));

  // The seventeen animation frames in order, "black_" at night.
  MyFaceSettings::setModeIsNight(true);
  ui::Button animated;
  MyFaceSettings::setImageArrayForOfflineDownloadButton(animated);
  const auto& frames = animated.imageView()->animationImages();
  ASSERT_EQ(17u, frames.size());
  EXPECT_EQ("black_lixian_mov1.png", nameOf(frames.front()));
  EXPECT_EQ("black_lixian_mov17.png", nameOf(frames.back()));

  // A missing picture leaves the state without one.
  std::filesystem::remove(bundle_ / "black_homebut_edit_press.png");
  ui::Button edit;
  edit.setImage(ui::Image::create(1, 1), ui::kControlStateHighlighted);
  MyFaceSettings::setImageForEditButton(edit);
  EXPECT_EQ("black_homebut_edit_normal", nameOf(edit.imageForState(ui::kControlStateHighlighted)));
}

TEST_F(MyFaceSettingsTest, TabBarsDressAtMostFourButtonsAndTheShadow) {
  writeLook();
  auto makeTabBar = [](int buttons) {
    auto view = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 49));
    auto shadow = std::make_shared<ui::ImageView>(ui::Rect(0, -4, 320, 4));
    shadow->setTag(MyFaceSettings::kTabShadowTag);
    view->addSubview(shadow);
    for (int i = 0; i < buttons; ++i) {
      auto button = ui::Button::create();
      button->setTag(MyFaceSettings::kFirstTabButtonTag + i);
      view->addSubview(button);
    }
    return view;
  };
  auto background = [](const std::shared_ptr<ui::View>& bar, int i, unsigned state) {
    auto button = std::dynamic_pointer_cast<ui::Button>(bar->viewWithTag(MyFaceSettings::kFirstTabButtonTag + i));
    auto image = button->backgroundImageForState(state);
    return image ? image->name() : std::string("(none)");
  };
  auto four = makeTabBar(4);
  MyFaceSettings::setImageForTabBar(*four, 4);
  EXPECT_EQ("homemenu_home_normal", background(four, 0, ui::kControlStateNormal));
  EXPECT_EQ("homemenu_favorites_current", background(four, 1, ui::kControlStateDisabled));
  EXPECT_EQ("homemenu_content_press", background(four, 2, ui::kControlStateHighlighted));
  EXPECT_EQ("homemenu_more_normal", background(four, 3, ui::kControlStateNormal));
  EXPECT_EQ("mainmenu_topshadow",
            std::dynamic_pointer_cast<ui::ImageView>(four->viewWithTag(MyFaceSettings::kTabShadowTag))->image()->name());

  MyFaceSettings::setModeIsNight(true);
  auto two = makeTabBar(4);
  MyFaceSettings::setImageForTabBar(*two, 2);
  EXPECT_EQ("black_homemenu_favorites_normal", background(two, 1, ui::kControlStateNormal));
  EXPECT_EQ("(none)", background(two, 2, ui::kControlStateNormal));
  EXPECT_EQ("black_mainmenu_topshadow",
            std::dynamic_pointer_cast<ui::ImageView>(two->viewWithTag(MyFaceSettings::kTabShadowTag))->image()->name());
  // More buttons than tab pictures: the fifth and sixth are left alone.
  auto six = makeTabBar(6);
  MyFaceSettings::setImageForTabBar(*six, 6);
  EXPECT_EQ("black_homemenu_more_press", background(six, 3, ui::kControlStateHighlighted));
  EXPECT_EQ("(none)", background(six, 4, ui::kControlStateNormal));
  EXPECT_EQ("(none)", background(six, 5, ui::kControlStateNormal));
}

TEST_F(MyFaceSettingsTest, ModeColoursAndLabelStyles) {
  MSSettings::setValueForNight(true);
  MyFaceSettings::setMode();
  EXPECT_TRUE(gIsNight);
  EXPECT_EQ(ui::Color::rgba8(43, 43, 48), MyFaceSettings::getBackgroundColorForMainView());
  EXPECT_FLOAT_EQ(0.6f, MyFaceSettings::getColorForColumnsShadow().alpha);
  ui::Label note;
  MyFaceSettings::setForColumnCommentNoteLabel(note);
  EXPECT_EQ((ui::Size{0, -2}), note.shadowOffset());
  ui::ActivityIndicatorView indicator;
  MyFaceSettings::setIndicatorStyleForIndictatorButton(indicator);
  EXPECT_EQ(ui::ActivityIndicatorStyle::White, indicator.style());

  MSSettings::setValueForNight(false);
  MyFaceSettings::setMode();
  EXPECT_FALSE(gIsNight);
  EXPECT_EQ(ui::Color::white(247.f / 255), MyFaceSettings::getBackgroundColorForMainView());
  // By day the note keeps the offset the night gave it, and drops its shadow colour.
  MyFaceSettings::setForColumnCommentNoteLabel(note);
  EXPECT_EQ((ui::Size{0, -2}), note.shadowOffset());
  EXPECT_EQ(0, note.shadowColor()->alpha);
  EXPECT_EQ(ui::Color::white(0.6392157f), note.textColor());
  MyFaceSettings::setIndicatorStyleForIndictatorButton(indicator);
  EXPECT_EQ(ui::ActivityIndicatorStyle::Gray, indicator.style());
}

}  // namespace
}  // namespace zu
