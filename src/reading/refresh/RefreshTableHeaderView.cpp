#include "reading/refresh/RefreshTableHeaderView.h"

#include <numbers>

#include "platform/device/DeviceProfile.h"
#include "platform/intl/DateFormatter.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "reading/support/ReadingLook.h"

namespace zu {

namespace {

std::string localized(const char* text) { return Bundle::mainBundle()->localizedString(text); }

std::shared_ptr<ui::Label> statusLine(const ui::Rect& frame, const ui::Font& font) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  label->setFont(font);
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setShadowOffset(ui::Size{0, 1});
  return label;
}

const ui::Color kNightLineColor = ui::Color::rgba8(113, 111, 117);

// The arrow's (and the spinner's) left edge.
constexpr float kArrowLeft = 56;

}  // namespace

RefreshTableHeaderView::RefreshTableHeaderView(const ui::Rect& frame, bool night) : View(frame) {
  const float w = frame.width();
  const float h = frame.height();
  setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  background_ = std::make_shared<ui::ImageView>(ui::Rect(0, 0, w, h));
  lastUpdated_ = statusLine(ui::Rect(0, h - 30, w, 20), ui::Font::systemFont(12));
  status_ = statusLine(ui::Rect(0, h - 48, w, 20), ui::Font::boldSystemFont(13));
  arrow_ = std::make_shared<ui::ImageView>(ui::Rect(kArrowLeft, h - 44, 12, 25));
  arrow_->setContentMode(ui::ContentMode::ScaleToFill);
  activity_ = std::make_shared<ui::ActivityIndicatorView>();
  activity_->setFrame(spinnerFrame());
  addSubview(lastUpdated_);
  addSubview(status_);
  addSubview(arrow_);
  addSubview(activity_);
  insertSubviewAt(background_, 0);
  applyMode(night);
  setState(kNormal);
}

ui::Rect RefreshTableHeaderView::spinnerFrame() const {
  return ui::Rect(kArrowLeft, bounds().height() - 38, 15, 15);
}

void RefreshTableHeaderView::applyMode(bool night) {
  auto picture = ReadingLook::image("list_press_bj.png", night);
  background_->setImage(picture ? picture->stretchableImage(0, 42) : nullptr);
  ReadingLook::dressStatusLine(*lastUpdated_, night, kNightLineColor);
  ReadingLook::dressStatusLine(*status_, night, kNightLineColor);
  if (auto saved = UserDefaults::standard().stringForKey(kLastRefreshKey)) {
    lastUpdated_->setText(*saved);
  } else {
    setCurrentDate();
  }
  arrow_->setImage(ReadingLook::image("refresh_down.png", night));
  activity_->setStyle(night ? ui::ActivityIndicatorStyle::White : ui::ActivityIndicatorStyle::Gray);
}

void RefreshTableHeaderView::setNightMode(bool night) { applyMode(night); }

void RefreshTableHeaderView::setStyle2() {
  ReadingLook::dressDarkStatusLine(*lastUpdated_);
  ReadingLook::dressDarkStatusLine(*status_);
  activity_->removeFromSuperview();
  activity_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  activity_->setFrame(spinnerFrame());
  addSubview(activity_);
}

void RefreshTableHeaderView::setState(int state) {
  switch (state) {
    case kPulling:
      status_->setText(localized("松开进行刷新"));
      ui::Animations::begin();
      ui::Animations::setDuration(kFlipDuration);
      arrow_->setTransform(ui::Transform::makeRotation(std::numbers::pi_v<float>));
      ui::Animations::commit();
      break;
    case kNormal:
      if (state_ == kPulling) {
        ui::Animations::begin();
        ui::Animations::setDuration(kFlipDuration);
        arrow_->setTransform(ui::Transform::identity());
        ui::Animations::commit();
      }
      status_->setText(localized("向下拖动进行刷新"));
      activity_->stopAnimating();
      // Outside any animation block: shown and upright at once (a no-op after the turn back).
      arrow_->setHidden(false);
      if (!(arrow_->transform() == ui::Transform::identity())) {
        arrow_->setTransform(ui::Transform::identity());
      }
      break;
    case kLoading:
      status_->setText(localized("正在刷新"));
      activity_->startAnimating();
      arrow_->setHidden(true);
      break;
    default:
      break;
  }
  state_ = state;
}

void RefreshTableHeaderView::showLine(double secondsSince1970, const std::string& locale) {
  const DateFormatter formatter("yyyy年M月d日 HH:mm", TimeZone::defaultZone(), locale);
  lastUpdated_->setText("上次刷新: " + formatter.format(secondsSince1970));
  UserDefaults& defaults = UserDefaults::standard();
  defaults.set(kLastRefreshKey, Value(lastUpdated_->text()));
  defaults.synchronize();
}

void RefreshTableHeaderView::setCurrentDate() {
  showLine(Clock::get()->now(), DeviceProfile::preferredLanguage());
}

void RefreshTableHeaderView::setDate(int64_t millisSince1970) {
  setDate2(static_cast<double>(millisSince1970) / 1000.0);
}

void RefreshTableHeaderView::setDate2(double secondsSince1970) {
  showLine(secondsSince1970, "zh_CN");
  refreshTime_ = secondsSince1970;
}

}  // namespace zu
