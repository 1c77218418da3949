#include "platform/ui/controllers/TabBar.h"

#include <algorithm>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controllers/TabBarItem.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

TabBar::TabBar(const Rect& frame) : View(frame) {
  setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleTopMargin);
}

TabBar::~TabBar() {
  for (auto& item : items_) {
    if (item->tabBar() == this) item->setTabBar(nullptr);
  }
}

void TabBar::setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool) {
  for (auto& item : items_) {
    if (item->tabBar() == this) item->setTabBar(nullptr);
  }
  items_.clear();
  for (auto& item : items) {
    if (!item) continue;
    item->setTabBar(this);
    items_.push_back(std::move(item));
  }
  if (std::find(items_.begin(), items_.end(), selected_) == items_.end()) selected_.reset();
  setNeedsDisplay();
}

void TabBar::setSelectedItem(std::shared_ptr<TabBarItem> item) {
  if (item && std::find(items_.begin(), items_.end(), item) == items_.end()) return;
  selected_ = std::move(item);
  setNeedsDisplay();
}

bool TabBar::tapItem(size_t index) {
  if (index >= items_.size() || !items_[index]->isEnabled()) return false;
  auto keep = shared();
  std::shared_ptr<TabBarItem> item = items_[index];
  setSelectedItem(item);
  if (auto delegate = delegate_.lock()) delegate->tabBarDidSelectItem(*this, *item);
  return true;
}

Rect TabBar::itemFrame(size_t index) const {
  if (items_.empty()) return Rect();
  const float w = bounds().size.width / static_cast<float>(items_.size());
  return Rect(w * static_cast<float>(index), 0, w, bounds().size.height);
}

void TabBar::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  canvas.save();
  canvas.clip(b);
  canvas.drawLinearGradient({{0, Color::white(0.21f)}, {0.5f, Color::white(0.1f)}, {1, Color::white(0)}},
                            Point{0, 0}, Point{0, b.size.height});
  canvas.restore();
  for (size_t i = 0; i < items_.size(); ++i) {
    const Rect f = itemFrame(i);
    const auto& item = items_[i];
    if (item == selected_) {
      canvas.setFillColor(Color::white(1, 0.15f));
      canvas.fillRoundedRect(f.insetBy(2, 2), 3);
    }
    if (const auto& image = item->image()) {
      const Size s = image->size();
      canvas.drawImage(*image, Rect(f.midX() - s.width / 2, 4, s.width, s.height), item->isEnabled() ? 1.f : 0.4f);
    }
    const TextMetrics& metrics = TextMetrics::current();
    if (item->title()) {
      const Font font = Font::boldSystemFont(10);
      const Color color = item == selected_ ? Color::whiteColor() : Color::white(0.6f);
      metrics.draw(canvas, *item->title(), Rect(f.minX() + 2, f.maxY() - 14, f.size.width - 4, 12), font, color,
                   LineBreakMode::TailTruncation, TextAlignment::Center);
    }
    if (item->badgeValue()) {
      const Font font = Font::boldSystemFont(13);
      const float w = std::max(18.f, metrics.widthOf(*item->badgeValue(), font) + 10);
      const Rect badge(f.maxX() - w - 4, 2, w, 18);
      canvas.setFillColor(Color::redColor());
      canvas.fillRoundedRect(badge, 9);
      metrics.draw(canvas, *item->badgeValue(), badge, font, Color::whiteColor(), LineBreakMode::Clip,
                   TextAlignment::Center);
    }
  }
}

void TabBar::touchesEnded(const TouchSet& touches, const Event&) {
  if (touches.empty() || items_.empty()) return;
  const Point p = touches.front()->locationInView(this);
  if (!pointInside(p)) return;
  const float w = bounds().size.width / static_cast<float>(items_.size());
  if (w <= 0) return;
  tapItem(std::min(items_.size() - 1, static_cast<size_t>(std::max(0.f, p.x) / w)));
}

std::string TabBar::dumpDetails() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == selected_) return " selected=" + std::to_string(i);
  }
  return std::string();
}

}  // namespace zu::ui
