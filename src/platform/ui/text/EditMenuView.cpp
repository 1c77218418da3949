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

const Color kBarColor{0.11f, 0.11f, 0.12f, 0.94f};
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

void EditMenuView::draw(Canvas& canvas, const Rect&) {
  const Rect bar = barRect();
  const float arrowX = placement_.arrowX;
  canvas.save();
  canvas.beginPath();
  canvas.addRoundedRect(bar, kCornerRadius);
  if (placement_.arrowDown) {
    const float base = bar.origin.y + bar.size.height;
    canvas.moveTo(Point(arrowX - kArrowHalfWidth, base - 1));
    canvas.lineTo(Point(arrowX, base + kArrowHeight));
    canvas.lineTo(Point(arrowX + kArrowHalfWidth, base - 1));
  } else {
    const float base = bar.origin.y;
    canvas.moveTo(Point(arrowX - kArrowHalfWidth, base + 1));
    canvas.lineTo(Point(arrowX, base - kArrowHeight));
    canvas.lineTo(Point(arrowX + kArrowHalfWidth, base + 1));
  }
  canvas.closePath();
  canvas.setFillColor(kBarColor);
  canvas.fillPath();
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
                                  Point(item.origin.x + (item.size.width - text.width) / 2,
                                        item.origin.y + (item.size.height - text.height) / 2),
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
