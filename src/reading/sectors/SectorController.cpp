#include "reading/sectors/SectorController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/core/DataEngine.h"
#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskThumbnail.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "reading/cells/FormatTimeString.h"
#include "reading/sectors/NewSummary.h"
#include "reading/sectors/Sector.h"
#include "reading/sectors/SectorControllerDelegate.h"
#include "reading/sectors/SectorView.h"

namespace zu {

namespace {

using ui::LineBreakMode;
using ui::Rect;
using ui::Size;

constexpr int kStartTitleSize = 21;
constexpr int kLargestTitleSize = 48;
constexpr float kTitleShrink = 0.9f;
constexpr float kMeasureHeight = 1024;
constexpr float kLeastTextRoom = 30;
constexpr float kLeastColumnWidth = 100;
constexpr float kSourceHeight = 30;
constexpr float kSpinnerSide = 20;
constexpr float kSpinnerInset = 18.5f;

const ui::Color kTitleColor = ui::Color::rgba8(34, 34, 34);
const ui::Color kSourceColor = ui::Color::rgba8(103, 103, 103);

bool isPhotoStyle(int style) { return style >= 17 && style <= 19; }

std::string quoted(const std::optional<std::string>& title) {
  return "\u201c" + title.value_or(std::string()) + "\u201d";
}

}  // namespace

std::shared_ptr<SectorController> SectorController::create(
    const Rect& frame, std::weak_ptr<SectorControllerDelegate> delegate, int newsType,
    int dockType, std::shared_ptr<Sector> sector) {
  std::shared_ptr<SectorController> controller(
      new SectorController(frame, std::move(delegate), newsType, dockType, std::move(sector)));
  std::weak_ptr<SectorController> weak = controller;
  controller->sectorView_->delegate = weak;
  NotificationCenter::defaultCenter().add(kImageUpdateNotification, controller,
                                          [weak](const Notification& notification) {
                                            if (auto self = weak.lock()) {
                                              self->sectorImageUpdate(notification);
                                            }
                                          });
  return controller;
}

SectorController::SectorController(const Rect& frame,
                                   std::weak_ptr<SectorControllerDelegate> delegate, int newsType,
                                   int dockType, std::shared_ptr<Sector> sector)
    : delegate_(std::move(delegate)),
      sector_(std::move(sector)),
      newStyle_(newsType),
      titleFont_(ui::Font::named("STHeitiSC-Medium", 26)),
      fromFont_(ui::Font::named("HiraKakuProN-W3", 14)),
      summaryFont_(ui::Font::named("HiraKakuProN-W3", 16)),
      photoTitleFont_(ui::Font::named("Helvetica", 17)) {
  sectorView_ = std::make_shared<SectorView>(frame, dockType, sector_ ? sector_->sectorType : 0);
  sectorView_->setBackgroundColor(ui::Color::clearColor());
  setView(sectorView_);
  containerView_ = std::make_shared<ui::View>(
      Rect(5, 5, frame.size.width - 10, frame.size.height - 10));
  containerView_->setBackgroundColor(ui::Color::clearColor());
  sectorView_->addSubview(containerView_);
}

SectorController::~SectorController() {
  NotificationCenter::defaultCenter().remove(this);
  if (labelImage_) labelImage_->removeFromSuperview();
  if (containerView_) containerView_->removeFromSuperview();
}

// ---- choosing the layout --------------------------------------------------------------------

void SectorController::setData(std::shared_ptr<NewSummary> data) {
  sdata_ = std::move(data);
  if (!sdata_) return;
  {
    // A summary without an entry-status record is an ordinary one (type 0).
    const auto& status = sdata_->veskEntryStatus();
    const int type = status ? status->type() : 0;
    if (type == 2) {
      newStyle_ = 18;
    } else if (type == 1) {
      newStyle_ = 17;
    } else if (type == 0) {
      const bool summary = summaryText().has_value();
      const bool thumbnail = sdata_->veskThumbnail() != nullptr;
      if (summary && thumbnail) {
        newStyle_ = 3;
      } else if (summary) {
        newStyle_ = 1;
      } else if (thumbnail) {
        newStyle_ = 2;
      }
    }
  }
  // A second summary replaces the first one's labels and picture instead of piling on them.
  clearContent();
  const Rect area = containerView_->frame();
  if (isPhotoStyle(newStyle_)) {
    initPhotoToRect(area);
  } else {
    initContentToRect(area);
  }
}

void SectorController::clearContent() {
  const auto views = containerView_->subviews();
  for (const auto& view : views) view->removeFromSuperview();
  labelImage_.reset();
}

void SectorController::initContentToRect(const Rect& rect) {
  const bool summary = summaryText().has_value();
  if (sector_ && sector_->isImageLocation && sdata_ && sdata_->veskThumbnail()) {
    summary ? drawRectImageFixedWithSummary(rect) : drawRectImageFixedWithoutSummary(rect);
  } else {
    summary ? drawRectImageFreeWithSummary(rect) : drawRectImageFreeWithoutSummary(rect);
  }
}

// ---- what the layouts read ------------------------------------------------------------------

std::optional<std::string> SectorController::summaryText() const {
  if (!sdata_ || !sdata_->content() || !sdata_->content()->data()) return std::nullopt;
  const std::string& text = *sdata_->content()->data();
  if (StringUtil::trimWhitespaceAndNewlines(text).empty()) return std::nullopt;
  return text;
}

Size SectorController::thumbnailSize() const {
  const auto& thumbnail = sdata_ ? sdata_->veskThumbnail() : nullptr;
  if (!thumbnail || thumbnail->width() <= 0 || thumbnail->height() <= 0) return Size{0, 0};
  return Size{static_cast<float>(thumbnail->width()), static_cast<float>(thumbnail->height())};
}

std::optional<std::string> SectorController::thumbnailUrl() const {
  const auto& thumbnail = sdata_ ? sdata_->veskThumbnail() : nullptr;
  return thumbnail ? thumbnail->href() : std::nullopt;
}

float SectorController::coverScale(float w, float h) const {
  const Size t = thumbnailSize();
  if (t.width <= 0 || t.height <= 0) return 1;
  float s;
  if (w > h) {
    s = w / t.width;
    if (t.height * s < h) s = h / t.height;
  } else {
    s = h / t.height;
    if (t.width * s < w) s = w / t.width;
  }
  return s;
}

std::string SectorController::sourceLine() const {
  const std::string time = FormatTimeString(sdata_ ? sdata_->updated() : 0);
  const auto& author = sdata_ ? sdata_->author() : nullptr;
  if (author && author->name() && !author->name()->empty()) {
    return time + " 来自:" + *author->name();
  }
  return time + " ";
}

Size SectorController::measure(const std::string& text, const ui::Font& font, Size constraint,
                               LineBreakMode mode) const {
  return ui::TextMetrics::current().sizeOf(text, font, constraint, mode);
}

// ---- fitting ----------------------------------------------------------------------------------

bool SectorController::isRectValid(const Rect& rect) {
  return rect.size.width > 0 && rect.size.height > 0;
}

int SectorController::binSearchTitleFontSize(const std::optional<std::string>& text,
                                             Size size) const {
  if (size.height <= 0 || size.width <= 0) return kStartTitleSize;
  const auto heightAt = [&](int pointSize) {
    return measure(text.value_or(std::string()), summaryFont_.withSize(pointSize),
                   Size{size.width, kMeasureHeight}, LineBreakMode::WordWrap);
  };
  int hi = kStartTitleSize;
  while (text) {
    const Size measured = heightAt(hi);
    if (measured.width == 0 || measured.height == 0 || measured.height >= size.height) break;
    // No size beyond this can come out of the search (× 0.9, at most 48); a taller area than
    // the measure's 1024 points would otherwise keep doubling for ever.
    if (hi > kLargestTitleSize / kTitleShrink) break;
    hi *= 2;
  }
  int lo = kStartTitleSize;
  do {
    const int mid = (lo + hi) / 2;
    if (heightAt(mid).height > size.height) {
      hi = mid;
    } else {
      lo = mid;
    }
  } while (lo + 1 < hi);
  return std::min(static_cast<int>(lo * kTitleShrink), kLargestTitleSize);
}

size_t SectorController::binSearchTextLength(const std::string& text, Size size,
                                             float width) const {
  const long length = static_cast<long>(StringUtil::utf16Length(text));
  long hi = length - 1;
  if (hi < 1) return 0;
  long lo = 0;
  do {
    const long mid = (lo + hi) / 2;
    if (mid + 1 > hi) break;
    const Size measured = measure(StringUtil::utf16Prefix(text, mid + 1), summaryFont_,
                                  Size{width, kMeasureHeight}, LineBreakMode::WordWrap);
    if (measured.height > size.height) {
      hi = mid;
    } else {
      lo = mid;
    }
  } while (lo + 1 < hi);
  return static_cast<size_t>(lo);
}

// ---- the fixed layouts ----------------------------------------------------------------------

SectorController::TextArea SectorController::fixedArea(const Rect& rect) const {
  const float W = std::trunc(rect.size.width - 20);
  const float H = std::trunc(rect.size.height - 20);
  const Rect fixed = sector_ ? sector_->imageRect : Rect();
  const float rw = fixed.size.width, rh = fixed.size.height;
  const int location = sector_ ? sector_->imageLoaction : 0;
  float pw = 0, ph = 0;
  switch (location) {
    case 1: pw = rw - 10; ph = rh - 30; break;
    case 2: pw = rw - 30; ph = rh - 30; break;
    case 3: case 4: pw = rw - 30; ph = rh - 10; break;
    default: break;
  }
  TextArea area;
  area.picture = Rect(fixed.origin.x + 10, fixed.origin.y + 10, pw, ph);
  area.scale = coverScale(pw, ph);
  switch (location) {
    case 1: area.text = Rect(area.picture.origin.x + pw + 10, 10, (W - 10) - pw, ph); break;
    case 2: area.text = Rect(10, 10, (W - 10) - pw, ph); break;
    case 3: area.text = Rect(10, area.picture.origin.y + ph + 10, pw, (H - 10) - ph); break;
    case 4: area.text = Rect(10, 10, pw, (H - 10) - ph); break;
    default: area.text = Rect(0, 10, 0, ph); break;
  }
  return area;
}

void SectorController::drawRectImageFixedWithoutSummary(const Rect& rect) {
  if (!sdata_) return;
  const TextArea area = fixedArea(rect);
  const Rect& text = area.text;
  const std::string source = sourceLine();
  const Size s = measure(source, fromFont_, Size{text.size.width, kSourceHeight},
                         LineBreakMode::WordWrap);
  fillLabel(Rect(text.origin.x, text.maxY() - s.height, s.width, s.height), source,
            LineBreakMode::CharacterWrap, fromFont_, kSourceColor);
  const std::string title = quoted(sdata_->new_title);
  const Rect titleRect(text.origin.x, text.origin.y, text.size.width,
                       text.size.height - s.height - 5);
  ui::Font font = titleFont_;
  if (isRectValid(titleRect)) font = titleFont_.withSize(binSearchTitleFontSize(title, titleRect.size));
  fillLabel(titleRect, title, LineBreakMode::CharacterWrap, font, kTitleColor);
  fillImage(area.picture, area.scale);
}

void SectorController::drawRectImageFixedWithSummary(const Rect& rect) {
  if (!sdata_) return;
  const TextArea area = fixedArea(rect);
  const Rect& text = area.text;
  const std::string title = sdata_->new_title.value_or(std::string());
  const Size t = measure(title, titleFont_, text.size, LineBreakMode::WordWrap);
  const std::string source = sourceLine();
  const Size s = measure(source, fromFont_, Size{text.size.width, kSourceHeight},
                         LineBreakMode::WordWrap);
  const float room = text.size.height - (t.height + 5 + s.height + 10);
  if (room <= kLeastTextRoom) {
    drawRectImageFixedWithoutSummary(rect);
    return;
  }
  fillLabel(Rect(text.origin, t), title, LineBreakMode::CharacterWrap, titleFont_, kTitleColor);
  const float sourceY = text.origin.y + t.height + 5;
  fillLabel(Rect(text.origin.x, sourceY, s.width, s.height), source, LineBreakMode::CharacterWrap,
            fromFont_, kSourceColor);
  const std::string summary = summaryText().value_or(std::string());
  const Size m = measure(summary, summaryFont_, Size{text.size.width, room},
                         LineBreakMode::TailTruncation);
  fillLabel(Rect(text.origin.x, sourceY + s.height + 10, m.width, m.height), summary,
            LineBreakMode::TailTruncation, summaryFont_, ui::Color::blackColor());
  fillImage(area.picture, area.scale);
}

// ---- the free layouts -----------------------------------------------------------------------

namespace {

// The picture of a free layout: the thumbnail at scale 1, made smaller to fit W × H, placed by
// the picture location.
Rect freePicture(Size thumbnail, int location, float w, float h, float W, float H) {
  // No thumbnail (size 0) keeps scale 1 and an empty picture, even in a sector smaller than its
  // margins, where W or H is negative.
  float scale = 1;
  if (thumbnail.width > 0 && thumbnail.width > W) scale = W / thumbnail.width;
  if (thumbnail.height > 0 && thumbnail.height * scale > H) scale = H / thumbnail.height;
  const float pw = std::trunc(thumbnail.width * scale);
  const float ph = std::trunc(thumbnail.height * scale);
  switch (location) {
    case 1: case 4: return Rect(10, h - 10 - ph, pw, ph);
    case 2: return Rect(w - 10 - pw, h - 10 - ph, pw, ph);
    case 3: return Rect((W - pw) / 2 + 10, 10, pw, ph);
    default: return Rect(10, 10, pw, ph);
  }
}

}  // namespace

void SectorController::drawRectImageFreeWithoutSummary(const Rect& rect) {
  if (!sdata_) return;
  const float w = rect.size.width, h = rect.size.height;
  const float W = std::trunc(w - 20), H = std::trunc(h - 20);
  const int location = sector_ ? sector_->imageLoaction : 0;
  Rect picture = freePicture(thumbnailSize(), location, w, h, W, H);
  const float pw = picture.size.width, ph = picture.size.height;
  const std::string plainTitle = sdata_->new_title.value_or(std::string());
  const Size measuredTitle = measure(plainTitle, titleFont_, Size{W, 80}, LineBreakMode::WordWrap);

  enum class Place { Beside, Above, Below, Alone } place = Place::Alone;
  Rect text(10, 10, W, H);
  if (location == 1 || location == 2 || location == 4) {
    const int besideGap = static_cast<int>(std::fabs(H - (W - pw - 10)));
    const int aboveGap = static_cast<int>(std::fabs(W - (H - ph - 10)));
    if (besideGap < aboveGap) {
      place = Place::Beside;
      text = Rect(location == 2 ? 10 : pw + 20, 10, W - pw - 10, H);
    } else {
      place = Place::Above;
      text = Rect(10, 10, W, std::max(H - ph - 10, measuredTitle.height));
    }
  } else if (location == 3) {
    place = Place::Below;
    text = Rect(10, ph + 20, W, std::max(H - ph - 10, measuredTitle.height));
  }
  if ((text.size.width < kLeastTextRoom || text.size.height < kLeastTextRoom) &&
      isRectValid(picture)) {
    initPhotoToRect(rect);
    return;
  }

  const std::string source = sourceLine();
  const Size s = measure(source, fromFont_, Size{text.size.width, kSourceHeight},
                         LineBreakMode::WordWrap);
  const std::string title = quoted(sdata_->new_title);
  const Size titleArea{text.size.width, text.size.height - s.height - 5};
  const ui::Font font = isRectValid(Rect(text.origin, titleArea))
                            ? titleFont_.withSize(binSearchTitleFontSize(title, titleArea))
                            : titleFont_;
  const Size t = measure(title, font, Size{text.size.width, kMeasureHeight},
                         LineBreakMode::CharacterWrap);
  Rect titleRect(text.origin.x, text.origin.y, text.size.width, t.height);
  Rect sourceRect(text.origin.x, titleRect.maxY() + 5, s.width, s.height);

  if ((place == Place::Above || place == Place::Below) && isRectValid(picture)) {
    // The picture takes the height the text leaves: positive `excess` is what it must give up.
    const float excess = place == Place::Above
                             ? sourceRect.maxY() + 10 - picture.origin.y
                             : sourceRect.maxY() - (h - 10);
    if (excess > ph / 5) {
      initPhotoToRect(rect);
      return;
    }
    if (place == Place::Above) {
      picture = Rect(10, picture.origin.y + excess, W, ph - excess);
    } else {
      picture = Rect(10, picture.origin.y, W, ph - excess);
      titleRect.origin.y -= excess;
      sourceRect.origin.y -= excess;
    }
  }
  fillLabel(titleRect, title, LineBreakMode::CharacterWrap, font, kTitleColor);
  fillLabel(sourceRect, source, LineBreakMode::CharacterWrap, fromFont_, kSourceColor);
  fillImage(picture, 1);
}

void SectorController::drawRectImageFreeWithSummary(const Rect& rect) {
  if (!sdata_) return;
  const float w = rect.size.width, h = rect.size.height;
  const float W = std::trunc(w - 20), H = std::trunc(h - 20);
  const int location = sector_ ? sector_->imageLoaction : 0;
  Rect picture = freePicture(thumbnailSize(), location, w, h, W, H);
  const float pw = picture.size.width;
  const std::string title = sdata_->new_title.value_or(std::string());
  const Size t = measure(title, titleFont_, Size{W, 80}, LineBreakMode::WordWrap);
  const std::string source = sourceLine();
  const Size s = measure(source, fromFont_, Size{W, kSourceHeight}, LineBreakMode::WordWrap);

  const float excess = picture.size.height + t.height + 5 + s.height + 10 - H;
  if (excess > 0) {
    picture.size.height = std::max(0.f, picture.size.height - excess);
    if (location != 3) picture.origin.y = h - 10 - picture.size.height;
  }
  const float ph = picture.size.height;
  const float top = location == 3 ? ph + 20 : 10;
  fillLabel(Rect(10, top, t.width, t.height), title, LineBreakMode::CharacterWrap, titleFont_,
            kTitleColor);
  const float sourceY = top + t.height + 5;
  fillLabel(Rect(10, sourceY, s.width, s.height), source, LineBreakMode::CharacterWrap, fromFont_,
            kSourceColor);

  const std::string summary = summaryText().value_or(std::string());
  std::string rest = summary;
  float restTop = sourceY + s.height + 10;
  const float band = H - 10 - (ph + t.height + 5 + s.height + 10);
  if (band >= kLeastTextRoom) {
    // The search never reaches the last character, so a summary that fits whole is kept whole
    // rather than leaving its last character alone in the column.
    const bool fitsWhole = measure(summary, summaryFont_, Size{W, kMeasureHeight},
                                   LineBreakMode::WordWrap).height <= band;
    const size_t firstLength =
        fitsWhole ? StringUtil::utf16Length(summary)
                  : binSearchTextLength(summary, Size{W, band}, W) + 1;
    const std::string first = StringUtil::utf16Prefix(summary, firstLength);
    fillLabel(Rect(10, restTop, W, band), first, LineBreakMode::TailTruncation, summaryFont_,
              ui::Color::blackColor());
    rest = StringUtil::utf16SubstringFrom(summary, firstLength);
    restTop += band + 3;
  }
  const float columnWidth = W - pw - 10;
  if (location != 3 && columnWidth >= kLeastColumnWidth &&
      !StringUtil::trimWhitespaceAndNewlines(rest).empty()) {
    const float x = location == 2 ? 10 : pw + 20;
    fillLabel(Rect(x, restTop, columnWidth, h - 10 - restTop), rest,
              LineBreakMode::TailTruncation, summaryFont_, ui::Color::blackColor());
  }
  fillImage(picture, 1);
}

// ---- the photo layout -----------------------------------------------------------------------

void SectorController::initPhotoToRect(const Rect& rect) {
  const float h = rect.size.height;
  const float W = std::trunc(rect.size.width - 20), H = std::trunc(h - 20);
  const float scale = coverScale(W, H);
  Size t{0, 0};
  const auto& title = sdata_ ? sdata_->new_title : std::nullopt;
  if (title) t = measure(*title, photoTitleFont_, Size{W - 20, 0}, LineBreakMode::WordWrap);
  fillImage(Rect(10, 10, W, H), scale);
  auto bar = std::make_shared<ui::View>(Rect(10, h - 20 - t.height, W, t.height + 10));
  bar->setBackgroundColor(ui::Color(0, 0, 0, 0.5f));
  auto caption = std::make_shared<ui::Label>(Rect(5, 5, t.width, t.height));
  caption->setText(title.value_or(std::string()));
  caption->setTextColor(ui::Color::whiteColor());
  caption->setBackgroundColor(ui::Color::clearColor());
  caption->setFont(photoTitleFont_);
  caption->setLineBreakMode(LineBreakMode::CharacterWrap);
  caption->setNumberOfLines(0);
  bar->addSubview(caption);
  containerView_->addSubview(bar);
}

// ---- pictures and labels --------------------------------------------------------------------

void SectorController::fillImage(const Rect& rect, float /*scale*/) {
  if (!isRectValid(rect)) return;
  labelImage_ = std::make_shared<ui::ImageView>(rect);
  labelImage_->setBackgroundColor(ui::Color::clearColor());
  labelImage_->setClipsToBounds(true);
  std::shared_ptr<ui::Image> cached;
  if (auto url = thumbnailUrl(); url && gDataEngine()) {
    if (auto path = gDataEngine()->getImageLocalPath(url)) cached = ui::Image::fromFile(*path);
  }
  if (cached) {
    labelImage_->setContentMode(ui::ContentMode::ScaleAspectFill);
    labelImage_->setImage(cached);
  } else {
    labelImage_->setContentMode(ui::ContentMode::ScaleToFill);
    labelImage_->setImage(ui::Image::named("imageloadingbj.png"));
    auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
    spinner->setFrame(Rect(rect.size.width / 2 - kSpinnerInset, rect.size.height / 2 - kSpinnerInset,
                           kSpinnerSide, kSpinnerSide));
    spinner->startAnimating();
    labelImage_->addSubview(spinner);
  }
  containerView_->addSubview(labelImage_);
}

std::shared_ptr<ui::Label> SectorController::fillLabel(const Rect& rect, const std::string& text,
                                                       LineBreakMode mode, const ui::Font& font,
                                                       const ui::Color& color) {
  auto label = std::make_shared<ui::Label>(rect);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setTextColor(color);
  label->setLineBreakMode(mode);
  label->setFont(font);
  label->setText(text);
  label->setNumberOfLines(0);
  label->setTextAlignment(ui::TextAlignment::Left);
  containerView_->addSubview(label);
  return label;
}

void SectorController::sectorImageUpdate(const Notification& notification) {
  const auto address = notification.userInfo.get(kImageUrlKey).stringValue();
  if (!sdata_ || !sdata_->imageurl || !address || *sdata_->imageurl != *address) return;
  // A sector that placed no picture has nothing to replace but still tells the grid.
  if (labelImage_) {
    const auto subviews = labelImage_->subviews();
    for (const auto& view : subviews) {
      if (auto spinner = std::dynamic_pointer_cast<ui::ActivityIndicatorView>(view)) {
        spinner->stopAnimating();
        spinner->removeFromSuperview();
      }
    }
    std::shared_ptr<ui::Image> image;
    if (auto engine = gDataEngine()) {
      if (auto path = engine->getImageLocalPath(*address)) image = ui::Image::fromFile(*path);
    }
    labelImage_->setContentMode(ui::ContentMode::ScaleAspectFill);
    labelImage_->setImage(image);
  }
  if (auto delegate = delegate_.lock()) delegate->updateGridView();
}

std::shared_ptr<ui::Image> SectorController::getImageFromImage(const ui::Image& image, Size size,
                                                               float scale) {
  if (scale <= 0) return nullptr;
  const int iw = image.pixelWidth(), ih = image.pixelHeight();
  const int cw = std::clamp(static_cast<int>(size.width / scale), 0, iw);
  const int ch = std::clamp(static_cast<int>(size.height / scale), 0, ih);
  if (cw == 0 || ch == 0) return nullptr;
  const int x = std::clamp(static_cast<int>(iw / 2.f - size.width / (2 * scale)), 0, iw - cw);
  const int y = std::clamp(static_cast<int>(ih / 2.f - size.height / (2 * scale)), 0, ih - ch);
  auto crop = ui::Image::create(cw, ch, image.scale());
  if (!crop) return nullptr;
  for (int row = 0; row < ch; ++row) {
    std::copy_n(image.pixels() + static_cast<size_t>(y + row) * iw + x, cw,
                crop->mutablePixels() + static_cast<size_t>(row) * cw);
  }
  return crop;
}

}  // namespace zu
