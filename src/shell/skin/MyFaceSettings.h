// MyFaceSettings: the day and night look of the home screens (tab bar, home grid, page control,
// offline download, column detail, review form) — their images, colours and styles for the
// current state of one process-wide flag, gIsNight. Main thread only; class operations only.
//
// Every night image is the day image's name with "black_" in front (".png" names and the
// offline animation frames included). "File" images are read from the bundle each time; the
// others through the cached named-image lookup. A missing image leaves that state without one.
// Changing the flag restyles nothing by itself: each screen calls the setters again.
// Where we differ on purpose: a tab bar is given at most four dressed buttons (there are four
// tabs' images); buttons past the fourth are left as they are. The red bar button greyed keeps a
// light title of the home look on the home screens' dark bar: the skin's greyed title is dark,
// for the faded button on the skin's light bars, and would not read there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/drawing/Color.h"

namespace zu::ui {
class ActivityIndicatorView;
class Button;
class Image;
class ImageView;
class Label;
class NavigationBar;
class View;
}  // namespace zu::ui

namespace zu {

extern bool gIsNight;

class MyFaceSettings {
 public:
  MyFaceSettings() = delete;

  static constexpr int kTabShadowTag = 31;
  static constexpr int kFirstTabButtonTag = 10;
  static constexpr int kDressedTabButtons = 4;
  static constexpr int kOfflineAnimationFrames = 17;

  // gIsNight from the stored night setting / from the argument.
  static void setMode();
  static void setModeIsNight(bool night);

  // The current name of a day image: "black_" + name at night.
  static std::string imageName(const std::string& dayName);
  // The same for a view that keeps its own mode (the article list's cells and views).
  static std::string imageName(const std::string& dayName, bool night);

  static void setModeForNavBar(ui::NavigationBar& bar);
  static void setImageForNavBarLeftButton(ui::Button& button);
  static void setImageForNavBarRightButton(ui::Button& button);
  static void setImageForTabBar(ui::View& tabBarView, int numberOfButton);
  static void setImageForLogoImageView(ui::ImageView& view);
  static void setImageForRefreshButton(ui::Button& button);
  static void setImageForOfflineDownloadButton(ui::Button& button);
  static void setImageForEditButton(ui::Button& button);
  static void setImageForFinishButton(ui::Button& button);
  static void setImageForTouchMaskImageView(ui::ImageView& view);
  static void setImageForAddColumnsButton(ui::Button& button);
  static void setImageForColumnsMaskImageView(ui::ImageView& view);
  static void setImageForColumnsTextModeImageView(ui::ImageView& view);
  static void setImageForOfflineDownloadCancelButton(ui::Button& button);
  static void setImageForOfflineDownloadHideButton(ui::Button& button);
  static void setImageArrayForOfflineDownloadButton(ui::Button& button);
  static void setImageForOfflineDownloadProgressBarBackImageView(ui::ImageView& view);
  static void setImageForOfflineDownloadProgressBarFrontImageView(ui::ImageView& view);
  static void setImageForDetailViewHeaderImage(ui::ImageView& view);
  static void setImageForDetailViewCommentButton(ui::Button& button);
  static void setImageForDetailViewSubscribeButton(ui::Button& button);
  static void setImageForDetailViewUnsubscribeButton(ui::Button& button);
  static void setImageForColumnCommentViewBackImageView(ui::ImageView& view);

  static ui::Color getBackgroundColorForMainView();
  static ui::Color getFontColorForColumnsGridViewTitleLabel();
  static ui::Color getColorForPageControlCurrentDot();
  static ui::Color getColorForPageControlOtherDot();
  static ui::Color getColorForColumnsShadow();
  static ui::Color getBackgroundcolorForOfflineDownloadView();
  static ui::Color getBackgroundcolorForOfflineDownloadTableView();
  static ui::Color getSeparatorColorForOfflineDownloadTableView();
  static ui::Color getColorForOfflineDownloadTopDetailLabel();
  static ui::Color getColorForOfflineDownloadTopTitleLabel();
  static ui::Color getColorForOfflineDownloadCurrentNumLabel();
  static ui::Color getColorForOfflineDownloadTotalNumLabel();
  static ui::Color getColorForOfflineDownloadCellDetailLabel();
  static ui::Color getColorForOfflineDownloadCellTitleLabel();
  static ui::Color getBackgroundcolorForColumnDetailView();
  static ui::Color getColorForDetailViewTitleLabel();
  static ui::Color getColorForDetailViewDetailLabel();
  static ui::Color getColorForDetailViewSummaryLabel();
  static ui::Color getColorForDetailViewCommentNameLabel();
  static ui::Color getColorForDetailViewCommentContentLabel();
  static ui::Color getColorForDetailViewTableSeparatorLine();
  static ui::Color getBackgroundcolorForColumnCommentView();
  static ui::Color getColorForColumnCommentTextView();

  static void setForDetailViewHeaderLabel(ui::Label& label);
  static void setForColumnCommentNoteLabel(ui::Label& label);
  static void setIndicatorStyleForIndictatorButton(ui::ActivityIndicatorView& indicator);

  // Every day image name the look uses (".png" names as they are, the frames included), for
  // checking that the bundle carries them by day and by night.
  static const std::vector<std::string>& allDayImageNames();

  // The current look's picture of a day name: read from its file each time (named after it), or
  // through the cached named lookup. Null when the bundle lacks it.
  static std::shared_ptr<ui::Image> fileImage(const std::string& dayName);
  static std::shared_ptr<ui::Image> namedImage(const std::string& dayName);
  static std::shared_ptr<ui::Image> namedImage(const std::string& dayName, bool night);
};

}  // namespace zu
