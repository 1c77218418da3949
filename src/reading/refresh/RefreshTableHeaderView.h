// RefreshTableHeaderView: the pull-to-refresh header above the article list's first row — a
// background picture, an arrow, a spinner, a status line and the last-refresh line — with three
// states that the list switches while the reader drags: 0 pulling ("松开进行刷新", the arrow
// turned upside down over 0.18 s), 1 normal ("向下拖动进行刷新", the arrow upright, the resting
// state), 2 loading ("正在刷新", the spinner running, the arrow hidden). Other state values are
// only stored. Status texts go through the bundle's localisation, the text being the key.
//
// The last-refresh line ("上次刷新: yyyy年M月d日 HH:mm") is also kept under the user-defaults key
// "RefreshTableView_LastRefresh", one value for the whole application and written to disk on
// every update: a new header shows the line any header saved last, or writes the current
// moment's line when there is none. setCurrentDate formats in the device's language and leaves
// refreshTime; setDate (milliseconds) and setDate2 (seconds) format in "zh_CN" and set it.
//
// Kept from the phone: turning back from pulling to normal animates the arrow over 0.18 s, from
// loading it is set at once; the new state is stored last. Where we differ on purpose: the arrow
// is an image view with a transform (the kit has no bare layers).
//
// Made by the list for each mode change; lives as a subview of its table. Main thread only.
#pragma once

#include <memory>
#include <optional>

#include "platform/ui/views/View.h"

namespace zu::ui {
class ActivityIndicatorView;
class ImageView;
class Label;
}  // namespace zu::ui

namespace zu {

class RefreshTableHeaderView : public ui::View {
 public:
  static constexpr const char* kLastRefreshKey = "RefreshTableView_LastRefresh";
  static constexpr int kPulling = 0;
  static constexpr int kNormal = 1;
  static constexpr int kLoading = 2;
  static constexpr double kFlipDuration = 0.18;

  RefreshTableHeaderView(const ui::Rect& frame, bool night);

  int state() const { return state_; }
  void setState(int state);

  // The line for now, saved.
  void setCurrentDate();
  // The line for a moment in milliseconds since 1970, saved; refreshTime becomes it.
  void setDate(int64_t millisSince1970);
  // The same for a moment in seconds since 1970.
  void setDate2(double secondsSince1970);

  const std::optional<double>& refreshTime() const { return refreshTime_; }
  void setRefreshTime(std::optional<double> secondsSince1970) { refreshTime_ = secondsSince1970; }

  void setNightMode(bool night);
  // The video list's dark style: grey lines with black shadows and a new white spinner.
  void setStyle2();

  const std::shared_ptr<ui::ImageView>& backgroundImageView() const { return background_; }
  const std::shared_ptr<ui::Label>& lastUpdatedLabel() const { return lastUpdated_; }
  const std::shared_ptr<ui::Label>& statusLabel() const { return status_; }
  const std::shared_ptr<ui::ImageView>& arrowView() const { return arrow_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& activityView() const { return activity_; }

  std::string className() const override { return "RefreshTableHeaderView"; }

 private:
  void applyMode(bool night);
  void showLine(double secondsSince1970, const std::string& locale);
  ui::Rect spinnerFrame() const;

  std::shared_ptr<ui::ImageView> background_;
  std::shared_ptr<ui::Label> lastUpdated_;
  std::shared_ptr<ui::Label> status_;
  std::shared_ptr<ui::ImageView> arrow_;
  std::shared_ptr<ui::ActivityIndicatorView> activity_;
  int state_ = kNormal;
  std::optional<double> refreshTime_;
};

}  // namespace zu
