#include "platform/ui/controllers/Toolbar.h"

#include <algorithm>

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

namespace {

constexpr float kEdge = 12;
constexpr float kGap = 10;

}  // namespace

Toolbar::Toolbar(const Rect& frame) : View(frame) {
  setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleTopMargin);
}

Toolbar::~Toolbar() = default;

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
  auto keep = shared();
  for (auto& view : itemViews_) {
    if (view->superview().get() == this) view->removeFromSuperview();
  }
  itemViews_.clear();
  items_.clear();
  for (auto& item : items) {
    if (!item) continue;
    if (auto view = item->view()) {
      itemViews_.push_back(view);
      addSubview(view);
    }
    items_.push_back(std::move(item));
  }
  setNeedsLayout();
  layoutIfNeeded();
}

void Toolbar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  setNeedsDisplay();
}

void Toolbar::setTintColor(std::optional<Color> tint) {
  tint_ = tint;
  setNeedsDisplay();
}

void Toolbar::layoutSubviews() {
  const Rect b = bounds();
  float used = 0;
  int flexible = 0;
  int placed = 0;
  for (const auto& item : items_) {
    if (item->systemItem() == BarButtonSystemItem::FlexibleSpace) {
      ++flexible;
      continue;
    }
    used += item->preferredSize().width;
    ++placed;
  }
  const int gaps = std::max(0, placed - 1);
  const float room = b.size.width - 2 * kEdge - used - static_cast<float>(gaps) * kGap;
  const float share = flexible > 0 ? std::max(0.f, room) / static_cast<float>(flexible) : 0;
  float x = kEdge;
  bool first = true;
  for (const auto& item : items_) {
    if (item->systemItem() == BarButtonSystemItem::FlexibleSpace) {
      x += share;
      continue;
    }
    if (!first) x += kGap;
    first = false;
    const Size s = item->preferredSize();
    if (auto view = item->isSpace() ? nullptr : item->view()) {
      view->setFrame(Rect(x, (b.size.height - s.height) / 2, s.width, s.height));
    }
    x += s.width;
  }
}

void Toolbar::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  const Color tint = tint_.value_or(defaultBarTint(barStyle_));
  fillBarGradient(canvas, b, tint, 1.25f, 0.9f);
  canvas.setFillColor(tint.withAlpha(1));
  canvas.fillRect(Rect(0, 0, b.size.width, 1));
}

}  // namespace zu::ui
