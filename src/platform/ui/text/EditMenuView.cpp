#include "platform/ui/text/EditMenuView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

const Color kBarColor{0.07f, 0.07f, 0.08f, 0.95f};
const Color kBarTopColor{0.27f, 0.27f, 0.29f, 0.95f};
const Color kRimColor{1, 1, 1, 0.35f};
const Color kPressedColor{0.19f, 0.45f, 0.89f, 1};
const Color kSeparatorColor{1, 1, 1, 0.28f};
const Color kTitleColor{1, 1, 1, 1};

float itemWidth(const std::string& title) {
  return std::ceil(TextMetrics::current().widthOf(title, EditMenuView::titleFont())) + 2 * EditMenuView::kItemPadding;
}

}  // namespace

EditMenuView::EditMenuView(std::vector<std::string> titles, std::function<void(size_t)> choose)
    : View(Rect()), titles_(std::move(titles)), choose_(std::move(choose)) {
  for (const auto& title : titles_) widths_.push_back(itemWidth(title));
  setBackgroundColor(Color::clearColor());
  setOpaque(false);
}

float EditMenuView::barWidth(const std::vector<std::string>& titles) {
  float width = 0;
  for (const auto& title : titles) width += itemWidth(title);
  // One-point separators between the items.
  return width + static_cast<float>(titles.empty() ? 0 : titles.size() - 1);
}

EditMenuView::Placement EditMenuView::layout(float width, const Rect& target, const Rect& screen, float topLimit) {
  Placement placement;
  const float height = kBarHeight + kArrowHeight;
  const float midX = target.origin.x + target.size.width / 2;
  const float maxX = screen.origin.x + screen.size.width - kMargin - width;
  const float x = std::max(screen.origin.x + kMargin, std::min(midX - width / 2, maxX));
  const float top = target.origin.y;
  const float bottom = target.origin.y + target.size.height;
  const float screenBottom = screen.origin.y + screen.size.height;
  float y;
  if (top - height >= topLimit) {
    placement.arrowDown = true;
    y = top - height;
  } else if (bottom + height <= screenBottom) {
    placement.arrowDown = false;
    y = bottom;
  } else {
    // The target fills the screen: over its middle, pointing up at it.
    placement.arrowDown = false;
    y = std::clamp(top + target.size.height / 2, topLimit, screenBottom - height);
  }
  placement.frame = Rect(x, y, width, height);
  const float lowest = kCornerRadius + kArrowHalfWidth;
  placement.arrowX = std::clamp(midX - x, std::min(lowest, width / 2), std::max(width - lowest, width / 2));
  return placement;
}

void EditMenuView::setPlacement(const Placement& placement) {
  placement_ = placement;
  setFrame(Rect(0, 0, placement.frame.size.width, placement.frame.size.height));
  setNeedsDisplay();
}

Rect EditMenuView::barRect() const {
  return Rect(0, placement_.arrowDown ? 0 : kArrowHeight, bounds().size.width, kBarHeight);
}

std::vector<Rect> EditMenuView::itemFrames() const {
  std::vector<Rect> frames;
  const Rect bar = barRect();
  float x = 0;
  for (float width : widths_) {
    frames.emplace_back(x, bar.origin.y, width, kBarHeight);
    x += width + 1;
  }
  return frames;
}

std::optional<size_t> EditMenuView::itemAt(Point point) const {
  const auto frames = itemFrames();
  for (size_t i = 0; i < frames.size(); ++i) {
    // The separator after an item belongs to it.
    Rect hit = frames[i];
    hit.size.width += 1;
    if (hit.contains(point)) return i;
  }
  return std::nullopt;
}

bool EditMenuView::pointInside(Point p) const {
  const Rect bar = barRect();
  if (bar.contains(p)) return true;
  const Rect arrow(placement_.arrowX - kArrowHalfWidth, placement_.arrowDown ? bar.maxY() : 0, 2 * kArrowHalfWidth,
                   kArrowHeight);
  return arrow.contains(p);
}

void EditMenuView::draw(Canvas& canvas, const Rect&) {
  const Rect bar = barRect();
  const float arrowX = placement_.arrowX;
  // The bar and its arrow as one outline (rounded corners, the arrow out of the bottom or top).
  auto outline = [&] {
    const Rect r = bar.insetBy(0.5f, 0.5f);
    const float left = r.minX(), right = r.maxX(), top = r.minY(), bottom = r.maxY();
    const float k = kCornerRadius, c = kCornerRadius * 0.45f;
    canvas.beginPath();
    canvas.moveTo(Point{left + k, top});
    if (!placement_.arrowDown) {
      canvas.lineTo(Point{arrowX - kArrowHalfWidth, top});
      canvas.lineTo(Point{arrowX, top - kArrowHeight + 0.5f});
      canvas.lineTo(Point{arrowX + kArrowHalfWidth, top});
    }
    canvas.lineTo(Point{right - k, top});
    canvas.curveTo(Point{right - c, top}, Point{right, top + c}, Point{right, top + k});
    canvas.lineTo(Point{right, bottom - k});
    canvas.curveTo(Point{right, bottom - c}, Point{right - c, bottom}, Point{right - k, bottom});
    if (placement_.arrowDown) {
      canvas.lineTo(Point{arrowX + kArrowHalfWidth, bottom});
      canvas.lineTo(Point{arrowX, bottom + kArrowHeight - 0.5f});
      canvas.lineTo(Point{arrowX - kArrowHalfWidth, bottom});
    }
    canvas.lineTo(Point{left + k, bottom});
    canvas.curveTo(Point{left + c, bottom}, Point{left, bottom - c}, Point{left, bottom - k});
    canvas.lineTo(Point{left, top + k});
    canvas.curveTo(Point{left, top + c}, Point{left + c, top}, Point{left + k, top});
    canvas.closePath();
  };
  // A dark glass, lighter at the top, with a light rim so it stands out on a dark page too.
  canvas.save();
  outline();
  canvas.clipToPath();
  canvas.drawLinearGradient({{0, kBarTopColor}, {1, kBarColor}}, Point{0, bar.origin.y}, Point{0, bar.maxY()});
  if (placement_.arrowDown) {
    canvas.setFillColor(kBarColor);
    canvas.fillRect(Rect(0, bar.maxY(), bounds().size.width, kArrowHeight));
  } else {
    canvas.setFillColor(kBarTopColor);
    canvas.fillRect(Rect(0, 0, bounds().size.width, kArrowHeight));
  }
  canvas.restore();
  canvas.save();
  outline();
  canvas.setStrokeColor(kRimColor);
  canvas.setLineWidth(1);
  canvas.strokePath();
  canvas.restore();

  const auto frames = itemFrames();
  for (size_t i = 0; i < frames.size(); ++i) {
    const Rect& item = frames[i];
    if (pressed_ == i) {
      canvas.save();
      canvas.clipRoundedRect(bar, kCornerRadius);
      canvas.setFillColor(kPressedColor);
      canvas.fillRect(item);
      canvas.restore();
    }
    if (i + 1 < frames.size()) {
      canvas.setFillColor(kSeparatorColor);
      canvas.fillRect(Rect(item.origin.x + item.size.width, bar.origin.y + 6, 1, kBarHeight - 12));
    }
    const Size text = TextMetrics::current().sizeOf(titles_[i], titleFont());
    TextMetrics::current().drawAt(canvas, titles_[i],
                                  Point{item.origin.x + (item.size.width - text.width) / 2,
                                        item.origin.y + (item.size.height - text.height) / 2},
                                  titleFont(), kTitleColor);
  }
}

void EditMenuView::setPressed(std::optional<size_t> item) {
  if (pressed_ == item) return;
  pressed_ = item;
  setNeedsDisplay();
}

void EditMenuView::touchesBegan(const TouchSet& touches, const Event&) {
  if (touches.empty()) return;
  down_ = itemAt(touches.front()->locationInView(this));
  setPressed(down_);
}

void EditMenuView::touchesMoved(const TouchSet& touches, const Event&) {
  if (touches.empty() || !down_) return;
  setPressed(itemAt(touches.front()->locationInView(this)) == down_ ? down_ : std::nullopt);
}

void EditMenuView::touchesEnded(const TouchSet& touches, const Event&) {
  const auto down = std::exchange(down_, std::nullopt);
  setPressed(std::nullopt);
  if (touches.empty() || !down) return;
  if (itemAt(touches.front()->locationInView(this)) == down && choose_) choose_(*down);
}

void EditMenuView::touchesCancelled(const TouchSet&, const Event&) {
  down_.reset();
  setPressed(std::nullopt);
}

std::string EditMenuView::dumpDetails() const {
  std::string text = placement_.arrowDown ? " above" : " below";
  for (const auto& title : titles_) text += " [" + title + "]";
  return text;
}

}  // namespace zu::ui
