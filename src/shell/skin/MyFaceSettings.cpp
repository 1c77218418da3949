#include "shell/skin/MyFaceSettings.h"

#include <algorithm>

#include "platform/runtime/Bundle.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "shell/skin/MNavigationBarDecorator.h"
#include "shell/app/MSSettings.h"

namespace zu {

bool gIsNight = false;

namespace {

using ui::Color;

constexpr float kLightGrey = 225.f / 255;
constexpr float kNearWhite = 247.f / 255;

Color dayOrNight(const Color& day, const Color& night) { return gIsNight ? night : day; }

const char* const kTabs[] = {"home", "favorites", "content", "more"};

struct StateImage {
  const char* dayName;
  unsigned state;
};

// Button images per control state, read from files in the current look.
void setImages(ui::Button& button, std::initializer_list<StateImage> images) {
  for (const StateImage& image : images) button.setImage(MyFaceSettings::fileImage(image.dayName), image.state);
}

void setBackgrounds(ui::Button& button, std::initializer_list<StateImage> images) {
  for (const StateImage& image : images) {
    button.setBackgroundImage(MyFaceSettings::fileImage(image.dayName), image.state);
  }
}

}  // namespace

void MyFaceSettings::setMode() { gIsNight = MSSettings::valueForNight(); }
void MyFaceSettings::setModeIsNight(bool night) { gIsNight = night; }

std::string MyFaceSettings::imageName(const std::string& dayName) {
  return imageName(dayName, gIsNight);
}

std::string MyFaceSettings::imageName(const std::string& dayName, bool night) {
  return night ? "black_" + dayName : dayName;
}

std::shared_ptr<ui::Image> MyFaceSettings::fileImage(const std::string& dayName) {
  const std::string name = imageName(dayName);
  auto path = Bundle::mainBundle()->pathForResource(name, "png");
  auto image = path ? ui::Image::withContentsOfFile(*path) : nullptr;
  // Named after its file, as the cached lookup names its images, so a view dump shows it.
  if (image) image->setName(name);
  return image;
}

std::shared_ptr<ui::Image> MyFaceSettings::namedImage(const std::string& dayName) {
  return namedImage(dayName, gIsNight);
}

std::shared_ptr<ui::Image> MyFaceSettings::namedImage(const std::string& dayName, bool night) {
  return ui::Image::named(imageName(dayName, night));
}

void MyFaceSettings::setModeForNavBar(ui::NavigationBar& bar) {
  MNavigationBarDecorator::sharedInstance()->decorateNavigationBar(bar, namedImage("topbar.png"));
}

void MyFaceSettings::setImageForNavBarLeftButton(ui::Button& button) {
  setBackgrounds(button, {{"back1_normal", ui::kControlStateNormal},
                           {"back1_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageForNavBarRightButton(ui::Button& button) {
  setBackgrounds(button, {{"button_red_normal", ui::kControlStateNormal},
                           {"button_red_press", ui::kControlStateHighlighted}});
  // Greyed, the red face is drawn faded over the dark bar: a pale rose title reads on it.
  button.setTitleColor(gIsNight ? ui::Color::rgba8(200, 168, 166) : ui::Color::rgba8(242, 203, 200),
                       ui::kControlStateDisabled);
}

void MyFaceSettings::setImageForTabBar(ui::View& tabBarView, int numberOfButton) {
  if (auto shadow = std::dynamic_pointer_cast<ui::ImageView>(tabBarView.viewWithTag(kTabShadowTag))) {
    shadow->setImage(fileImage("mainmenu_topshadow"));
  }
  const int dressed = std::min(numberOfButton, kDressedTabButtons);
  for (int i = 0; i < dressed; ++i) {
    auto button = std::dynamic_pointer_cast<ui::Button>(tabBarView.viewWithTag(kFirstTabButtonTag + i));
    if (!button) continue;
    const std::string stem = std::string("homemenu_") + kTabs[i];
    button->setBackgroundImage(fileImage(stem + "_normal"), ui::kControlStateNormal);
    button->setBackgroundImage(fileImage(stem + "_current"), ui::kControlStateDisabled);
    button->setBackgroundImage(fileImage(stem + "_press"), ui::kControlStateHighlighted);
  }
}

void MyFaceSettings::setImageForLogoImageView(ui::ImageView& view) { view.setImage(fileImage("home_logo")); }

void MyFaceSettings::setImageForRefreshButton(ui::Button& button) {
  setImages(button, {{"homebut_refresh_normal", ui::kControlStateNormal},
                      {"homebut_refresh_press", ui::kControlStateHighlighted},
                      {"homebut_refresh_empty", ui::kControlStateDisabled}});
}

void MyFaceSettings::setImageForOfflineDownloadButton(ui::Button& button) {
  button.setImage(fileImage("homebut_down_normal"), ui::kControlStateNormal);
  button.setImage(fileImage("homebut_down_press"), ui::kControlStateHighlighted);
  button.setBackgroundImage(fileImage("homebut_refresh_empty"), ui::kControlStateNormal);
}

void MyFaceSettings::setImageForEditButton(ui::Button& button) {
  setImages(button, {{"homebut_edit_normal", ui::kControlStateNormal},
                      {"homebut_edit_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageForFinishButton(ui::Button& button) {
  setImages(button, {{"homebut_done_normal", ui::kControlStateNormal},
                      {"homebut_done_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageForTouchMaskImageView(ui::ImageView& view) {
  view.setImage(namedImage("square_press.png"));
}

void MyFaceSettings::setImageForAddColumnsButton(ui::Button& button) {
  button.setImage(namedImage("homeadd_normal.png"), ui::kControlStateNormal);
  button.setImage(namedImage("homeadd_press.png"), ui::kControlStateHighlighted);
}

void MyFaceSettings::setImageForColumnsMaskImageView(ui::ImageView& view) {
  view.setImage(namedImage("home_darkmask.png"));
}

void MyFaceSettings::setImageForColumnsTextModeImageView(ui::ImageView& view) {
  view.setImage(namedImage("text_mode_cover.png"));
}

void MyFaceSettings::setImageForOfflineDownloadCancelButton(ui::Button& button) {
  setImages(button, {{"but_lixian_cancel_normal", ui::kControlStateNormal},
                      {"but_lixian_cancel_press", ui::kControlStateSelected}});
}

void MyFaceSettings::setImageForOfflineDownloadHideButton(ui::Button& button) {
  setImages(button, {{"but_lixian_hide_normal", ui::kControlStateNormal},
                      {"but_lixian_hide_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageArrayForOfflineDownloadButton(ui::Button& button) {
  std::vector<std::shared_ptr<ui::Image>> frames;
  for (int i = 1; i <= kOfflineAnimationFrames; ++i) {
    if (auto frame = namedImage("lixian_mov" + std::to_string(i) + ".png")) frames.push_back(frame);
  }
  button.imageView()->setAnimationImages(std::move(frames));
}

void MyFaceSettings::setImageForOfflineDownloadProgressBarBackImageView(ui::ImageView& view) {
  view.setImage(fileImage("jindubar_gray"));
}

void MyFaceSettings::setImageForOfflineDownloadProgressBarFrontImageView(ui::ImageView& view) {
  view.setImage(fileImage("lixianbar_blue"));
}

void MyFaceSettings::setImageForDetailViewHeaderImage(ui::ImageView& view) { view.setImage(fileImage("graytitlebar")); }

void MyFaceSettings::setImageForDetailViewCommentButton(ui::Button& button) {
  setImages(button, {{"btn_assess_normal", ui::kControlStateNormal},
                      {"btn_assess_press", ui::kControlStateHighlighted},
                      {"btn_assess_null", ui::kControlStateDisabled}});
}

void MyFaceSettings::setImageForDetailViewSubscribeButton(ui::Button& button) {
  setImages(button, {{"btn_add3_normal", ui::kControlStateNormal},
                      {"btn_add3_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageForDetailViewUnsubscribeButton(ui::Button& button) {
  setImages(button, {{"btn_cancel_normal", ui::kControlStateNormal},
                      {"btn_cancel_press", ui::kControlStateHighlighted}});
}

void MyFaceSettings::setImageForColumnCommentViewBackImageView(ui::ImageView& view) {
  view.setImage(fileImage("pingjia_topbj"));
}

const std::vector<std::string>& MyFaceSettings::allDayImageNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all = {
        "topbar.png", "back1_normal", "back1_press", "button_red_normal", "button_red_press",
        "mainmenu_topshadow", "home_logo", "homebut_refresh_normal", "homebut_refresh_press",
        "homebut_refresh_empty", "homebut_down_normal", "homebut_down_press", "homebut_edit_normal",
        "homebut_edit_press", "homebut_done_normal", "homebut_done_press", "square_press.png",
        "homeadd_normal.png", "homeadd_press.png", "home_darkmask.png", "text_mode_cover.png",
        "but_lixian_cancel_normal", "but_lixian_cancel_press", "but_lixian_hide_normal",
        "but_lixian_hide_press", "jindubar_gray", "lixianbar_blue", "graytitlebar",
        "btn_assess_normal", "btn_assess_press", "btn_assess_null", "btn_add3_normal",
        "btn_add3_press", "btn_cancel_normal", "btn_cancel_press", "pingjia_topbj"};
    for (const char* tab : kTabs) {
      for (const char* state : {"_current", "_press", "_normal"}) {
        all.push_back(std::string("homemenu_") + tab + state);
      }
    }
    for (int i = 1; i <= kOfflineAnimationFrames; ++i) all.push_back("lixian_mov" + std::to_string(i) + ".png");
    return all;
  }();
  return names;
}

Color MyFaceSettings::getBackgroundColorForMainView() {
  return dayOrNight(Color::white(kNearWhite), Color::rgba8(43, 43, 48));
}
Color MyFaceSettings::getFontColorForColumnsGridViewTitleLabel() {
  return dayOrNight(Color::whiteColor(), Color::white(kLightGrey));
}
Color MyFaceSettings::getColorForPageControlCurrentDot() {
  return dayOrNight(Color::white(0.6f), Color::rgba8(136, 139, 146));
}
Color MyFaceSettings::getColorForPageControlOtherDot() {
  return dayOrNight(Color::white(kLightGrey), Color::rgba8(70, 72, 75));
}
Color MyFaceSettings::getColorForColumnsShadow() {
  return dayOrNight(Color::grayColor(), Color::blackColor().withAlpha(0.6f));
}
Color MyFaceSettings::getBackgroundcolorForOfflineDownloadView() {
  return dayOrNight(Color::white(kNearWhite), Color::rgba8(58, 59, 63));
}
Color MyFaceSettings::getBackgroundcolorForOfflineDownloadTableView() {
  return dayOrNight(Color::whiteColor(), Color::rgba8(77, 79, 87));
}
Color MyFaceSettings::getSeparatorColorForOfflineDownloadTableView() {
  return dayOrNight(Color::white(0.8f), Color::rgba8(31, 32, 36));
}
Color MyFaceSettings::getColorForOfflineDownloadTopDetailLabel() { return Color::white(0.6f); }
Color MyFaceSettings::getColorForOfflineDownloadTopTitleLabel() {
  return dayOrNight(Color::white(0.2f), Color::white(kLightGrey));
}
Color MyFaceSettings::getColorForOfflineDownloadCurrentNumLabel() {
  return dayOrNight(Color::white(0.2f), Color::white(kLightGrey));
}
Color MyFaceSettings::getColorForOfflineDownloadTotalNumLabel() { return Color::white(0.6f); }
Color MyFaceSettings::getColorForOfflineDownloadCellDetailLabel() {
  return dayOrNight(Color::white(0.2f), Color::white(0.6f));
}
Color MyFaceSettings::getColorForOfflineDownloadCellTitleLabel() {
  return dayOrNight(Color::blackColor(), Color::white(kLightGrey));
}
Color MyFaceSettings::getBackgroundcolorForColumnDetailView() {
  return dayOrNight(Color::white(kNearWhite), Color::rgba8(43, 44, 48));
}
Color MyFaceSettings::getColorForDetailViewTitleLabel() {
  return dayOrNight(Color::blackColor(), Color::white(kLightGrey));
}
Color MyFaceSettings::getColorForDetailViewDetailLabel() {
  return dayOrNight(Color::white(0.6392157f), Color::white(0.6f));
}
Color MyFaceSettings::getColorForDetailViewSummaryLabel() {
  return dayOrNight(Color::blackColor(), Color::white(0.6f));
}
Color MyFaceSettings::getColorForDetailViewCommentNameLabel() {
  return dayOrNight(Color::blackColor(), Color::white(0.6f));
}
Color MyFaceSettings::getColorForDetailViewCommentContentLabel() {
  return dayOrNight(Color::blackColor(), Color::white(kLightGrey));
}
Color MyFaceSettings::getColorForDetailViewTableSeparatorLine() {
  return dayOrNight(Color::white(kLightGrey), Color::white(70.f / 255));
}
Color MyFaceSettings::getBackgroundcolorForColumnCommentView() {
  return dayOrNight(Color::white(kNearWhite), Color::rgba8(43, 44, 48));
}
Color MyFaceSettings::getColorForColumnCommentTextView() {
  return dayOrNight(Color::blackColor(), Color::white(kLightGrey));
}

void MyFaceSettings::setForDetailViewHeaderLabel(ui::Label& label) {
  if (gIsNight) {
    label.setTextColor(Color::white(kLightGrey));
    label.setShadowOffset(ui::Size{0, 1});
  } else {
    label.setTextColor(Color::white(0.4f));
  }
  label.setShadowColor(Color::white(0, 0));
}

void MyFaceSettings::setForColumnCommentNoteLabel(ui::Label& label) {
  if (gIsNight) {
    label.setTextColor(Color::white(0.6f));
    label.setShadowOffset(ui::Size{0, -2});
    label.setShadowColor(Color::blackColor().withAlpha(0.75f));
  } else {
    label.setTextColor(Color::white(0.6392157f));
    label.setShadowColor(Color::white(0, 0));
  }
}

void MyFaceSettings::setIndicatorStyleForIndictatorButton(ui::ActivityIndicatorView& indicator) {
  indicator.setStyle(gIsNight ? ui::ActivityIndicatorStyle::White : ui::ActivityIndicatorStyle::Gray);
}

}  // namespace zu
