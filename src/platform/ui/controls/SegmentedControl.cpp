#include "platform/ui/controls/SegmentedControl.h"

#include <algorithm>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

SegmentedControl::SegmentedControl(std::vector<std::string> titles)
    : Control(Rect(0, 0, 70.f * static_cast<float>(std::max<size_t>(1, titles.size())), 44)) {
  for (auto& t : titles) segments_.push_back(Segment{std::move(t), nullptr, true, 0});
}

SegmentedControl::~SegmentedControl() = default;

void SegmentedControl::insert(Segment segment, int index) {
  const int at = std::clamp(index, 0, numberOfSegments());
  segments_.insert(segments_.begin() + at, std::move(segment));
  if (selected_ != kNoSegment && selected_ >= at) ++selected_;
  setNeedsDisplay();
}

void SegmentedControl::insertSegmentWithTitle(std::string title, int index, bool) {
  insert(Segment{std::move(title), nullptr, true, 0}, index);
}

void SegmentedControl::insertSegmentWithImage(std::shared_ptr<Image> image, int index, bool) {
  insert(Segment{std::nullopt, std::move(image), true, 0}, index);
}

void SegmentedControl::removeSegment(int index, bool) {
  if (index < 0 || index >= numberOfSegments()) return;
  segments_.erase(segments_.begin() + index);
  if (selected_ == index) {
    selected_ = kNoSegment;
  } else if (selected_ > index) {
    --selected_;
  }
  setNeedsDisplay();
}

void SegmentedControl::removeAllSegments() {
  segments_.clear();
  selected_ = kNoSegment;
  setNeedsDisplay();
}

std::optional<std::string> SegmentedControl::titleForSegment(int index) const {
  if (index < 0 || index >= numberOfSegments()) return std::nullopt;
  return segments_[static_cast<size_t>(index)].title;
}

void SegmentedControl::setTitle(std::string title, int index) {
  if (index < 0 || index >= numberOfSegments()) return;
  auto& s = segments_[static_cast<size_t>(index)];
  s.title = std::move(title);
  s.image.reset();
  setNeedsDisplay();
}

std::shared_ptr<Image> SegmentedControl::imageForSegment(int index) const {
  if (index < 0 || index >= numberOfSegments()) return nullptr;
  return segments_[static_cast<size_t>(index)].image;
}

void SegmentedControl::setImage(std::shared_ptr<Image> image, int index) {
  if (index < 0 || index >= numberOfSegments()) return;
  auto& s = segments_[static_cast<size_t>(index)];
  s.image = std::move(image);
  s.title.reset();
  setNeedsDisplay();
}

bool SegmentedControl::isEnabledForSegment(int index) const {
  return index >= 0 && index < numberOfSegments() && segments_[static_cast<size_t>(index)].enabled;
}

void SegmentedControl::setEnabledForSegment(bool enabled, int index) {
  if (index < 0 || index >= numberOfSegments()) return;
  segments_[static_cast<size_t>(index)].enabled = enabled;
  setNeedsDisplay();
}

float SegmentedControl::widthForSegment(int index) const {
  if (index < 0 || index >= numberOfSegments()) return 0;
  return segments_[static_cast<size_t>(index)].width;
}

void SegmentedControl::setWidth(float width, int index) {
  if (index < 0 || index >= numberOfSegments()) return;
  segments_[static_cast<size_t>(index)].width = std::max(0.f, width);
  setNeedsDisplay();
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
  selected_ = index >= 0 && index < numberOfSegments() ? index : kNoSegment;
  setNeedsDisplay();
}

void SegmentedControl::setSegmentedControlStyle(SegmentedControlStyle style) {
  style_ = style;
  setNeedsDisplay();
}

void SegmentedControl::setTintColor(std::optional<Color> tint) {
  tint_ = tint;
  setNeedsDisplay();
}

Rect SegmentedControl::segmentFrame(int index) const {
  if (index < 0 || index >= numberOfSegments()) return Rect();
  const Rect b = bounds();
  float fixed = 0;
  int flexible = 0;
  for (const auto& s : segments_) {
    if (s.width > 0) {
      fixed += s.width;
    } else {
      ++flexible;
    }
  }
  const float share = flexible > 0 ? std::max(0.f, b.size.width - fixed) / static_cast<float>(flexible) : 0;
  float x = 0;
  for (int i = 0; i < index; ++i) {
    const auto& s = segments_[static_cast<size_t>(i)];
    x += s.width > 0 ? s.width : share;
  }
  const auto& s = segments_[static_cast<size_t>(index)];
  return Rect(x, 0, s.width > 0 ? s.width : share, b.size.height);
}

bool SegmentedControl::tapSegment(int index) {
  if (!isEnabled() || !isEnabledForSegment(index)) return false;
  auto keep = shared();
  if (momentary_) {
    sendActionsForControlEvents(kControlEventValueChanged);
    return true;
  }
  if (selected_ == index) return true;
  selected_ = index;
  setNeedsDisplay();
  sendActionsForControlEvents(kControlEventValueChanged);
  return true;
}

void SegmentedControl::touchesBegan(const TouchSet& touches, const Event& event) {
  Control::touchesBegan(touches, event);
  if (touches.empty()) return;
  const Point p = touches.front()->locationInView(this);
  for (int i = 0; i < numberOfSegments(); ++i) {
    if (segmentFrame(i).contains(p)) {
      tapSegment(i);
      return;
    }
  }
}

void SegmentedControl::draw(Canvas& canvas, const Rect&) {
  const Color tint = tint_.value_or(Color::rgba8(109, 132, 162));
  const bool bar = style_ == SegmentedControlStyle::Bar;
  const TextMetrics& metrics = TextMetrics::current();
  const Font font = Font::boldSystemFont(bar ? 12 : 13);
  for (int i = 0; i < numberOfSegments(); ++i) {
    const Rect f = segmentFrame(i);
    const auto& s = segments_[static_cast<size_t>(i)];
    const bool on = i == selected_;
    canvas.setFillColor(on ? (bar ? tint.withAlpha(1) : Color::rgba8(52, 120, 246)) : (bar ? tint : Color::whiteColor()));
    canvas.fillRect(f.insetBy(0.5f, 0.5f));
    canvas.setStrokeColor(Color::white(0.55f));
    canvas.setLineWidth(1);
    canvas.strokeRect(f.insetBy(0.5f, 0.5f));
    const float alpha = s.enabled && isEnabled() ? 1.f : 0.4f;
    if (s.image) {
      const Size is = s.image->size();
      canvas.drawImage(*s.image, Rect(f.midX() - is.width / 2, f.midY() - is.height / 2, is.width, is.height), alpha);
    } else if (s.title) {
      const float lh = metrics.lineHeight(font);
      const Color ink = on || bar ? Color::whiteColor() : Color::white(0.3f);
      metrics.draw(canvas, *s.title, Rect(f.minX() + 4, f.midY() - lh / 2, std::max(0.f, f.size.width - 8), lh), font,
                   ink.withAlpha(alpha), LineBreakMode::TailTruncation, TextAlignment::Center);
    }
  }
}

std::string SegmentedControl::dumpDetails() const {
  std::string out = " segments=[";
  for (int i = 0; i < numberOfSegments(); ++i) {
    if (i) out += ", ";
    out += "\"" + segments_[static_cast<size_t>(i)].title.value_or("") + "\"";
  }
  out += "] selected=" + std::to_string(selected_);
  return out;
}

}  // namespace zu::ui
