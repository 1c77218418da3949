#include "platform/ui/controllers/NavigationBar.h"

#include <algorithm>

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

constexpr float kEdge = 5;

NavigationBar::SubviewHook& subviewHook() {
  static NavigationBar::SubviewHook hook;
  return hook;
}

}  // namespace

NavigationBar::NavigationBar(const Rect& frame) : View(frame) {
  setAutoresizingMask(kAutoresizingFlexibleWidth);
}

void NavigationBar::setSubviewHook(SubviewHook hook) { subviewHook() = std::move(hook); }

bool NavigationBar::hasSubviewHook() { return static_cast<bool>(subviewHook()); }

void NavigationBar::sendSubviewToBack(const std::shared_ptr<View>& view) {
  View::sendSubviewToBack(view);
  if (auto& hook = subviewHook()) hook(*this);
}

void NavigationBar::didAddSubview(View* subview) {
  View::didAddSubview(subview);
  if (auto& hook = subviewHook()) hook(*this);
}

NavigationBar::~NavigationBar() {
  for (auto& item : items_) item->setNavigationBar(nullptr);
}

void NavigationBar::adopt(const std::shared_ptr<NavigationItem>& item) { item->setNavigationBar(this); }

void NavigationBar::release(const std::shared_ptr<NavigationItem>& item) {
  if (item->navigationBar() == this) item->setNavigationBar(nullptr);
}

void NavigationBar::changeItems(bool animated, const std::function<void()>& change) {
  auto keep = shared();
  // The new items are placed at their frames at once, whatever animation block is open; only
  // the picture of the bar fades.
  auto apply = [&] {
    Animations::performWithoutAnimation([&] {
      change();
      showTopItem();
    });
  };
  const bool fades = animated && Animations::areEnabled() && window() && !isHidden();
  if (!fades) {
    apply();
    return;
  }
  Animations::transition(keep, kItemsFadeDuration, kAnimationOptionTransitionCrossDissolve, apply);
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool animated) {
  changeItems(animated, [&] {
    for (auto& item : items_) release(item);
    items_.clear();
    for (auto& item : items) {
      if (!item) continue;
      adopt(item);
      items_.push_back(std::move(item));
    }
  });
}

void NavigationBar::pushNavigationItem(const std::shared_ptr<NavigationItem>& item, bool animated) {
  if (!item || std::find(items_.begin(), items_.end(), item) != items_.end()) return;
  auto keep = shared();
  auto delegate = delegate_.lock();
  if (delegate && !delegate->navigationBarShouldPushItem(*this, *item)) return;
  changeItems(animated, [&] {
    adopt(item);
    items_.push_back(item);
  });
  if (delegate) delegate->navigationBarDidPushItem(*this, *item);
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItem(bool animated) {
  if (items_.empty()) return nullptr;
  auto keep = shared();
  std::shared_ptr<NavigationItem> top = items_.back();
  auto delegate = delegate_.lock();
  if (delegate && !delegate->navigationBarShouldPopItem(*this, *top)) return nullptr;
  // The delegate may have changed the items itself (a navigation controller pops its stack).
  if (items_.empty() || items_.back() != top) return top;
  changeItems(animated, [&] {
    items_.pop_back();
    release(top);
  });
  if (delegate) delegate->navigationBarDidPopItem(*this, *top);
  return top;
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const {
  return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
  return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

void NavigationBar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  setNeedsDisplay();
}

void NavigationBar::setTintColor(std::optional<Color> tint) {
  tint_ = tint;
  setNeedsDisplay();
}

void NavigationBar::setBackgroundImage(std::shared_ptr<Image> image) {
  backgroundImage_ = std::move(image);
  setNeedsDisplay();
}

bool NavigationBar::backButtonTapped() {
  if (!backButton_ || items_.size() < 2) return false;
  const size_t before = items_.size();
  auto keep = shared();
  popNavigationItem(true);
  return items_.size() < before;
}

void NavigationBar::itemChanged(NavigationItem* item) {
  if (!items_.empty() && (items_.back().get() == item || backItem().get() == item)) showTopItem();
}

void NavigationBar::showTopItem() {
  auto keep = shared();
  for (auto* slot : {&leftView_, &titleView_, &rightView_}) {
    if (*slot && (*slot)->superview().get() == this) (*slot)->removeFromSuperview();
    slot->reset();
  }
  backButton_.reset();
  std::shared_ptr<NavigationItem> top = topItem();
  if (!top) return;
  if (auto left = top->leftBarButtonItem()) {
    leftView_ = left->view();
  } else if (auto back = backItem(); back && !top->hidesBackButton()) {
    if (back->backBarButtonItem()) {
      backButton_ = back->backBarButtonItem();
    } else {
      backButton_ = std::make_shared<BarButtonItem>(back->title().value_or("Back"), BarButtonItemStyle::Bordered);
    }
    // A weak link: the bar owns the button, the button must not own the bar.
    std::weak_ptr<Object> weakBar = weak_from_this();
    backButton_->setAction([weakBar](BarButtonItem&) {
      if (auto bar = std::static_pointer_cast<NavigationBar>(weakBar.lock())) bar->backButtonTapped();
    });
    leftView_ = backButton_->view();
  }
  titleView_ = top->titleView();
  if (auto right = top->rightBarButtonItem()) rightView_ = right->view();
  for (auto* slot : {&leftView_, &titleView_, &rightView_}) {
    if (*slot) addSubview(*slot);
  }
  setNeedsLayout();
  setNeedsDisplay();
  layoutIfNeeded();
}

void NavigationBar::subviewFrameDidChange(View& subview, const Rect& oldFrame) {
  View::subviewFrameDidChange(subview, oldFrame);
  // A placed view whose size changed (a title label after sizeToFit) is placed again.
  if (subview.frame().size == oldFrame.size) return;
  for (const auto* slot : {&leftView_, &titleView_, &rightView_}) {
    if (slot->get() == &subview) setNeedsLayout();
  }
}

void NavigationBar::layoutSubviews() {
  const Rect b = bounds();
  float leftEdge = kEdge;
  float rightEdge = b.size.width - kEdge;
  if (leftView_) {
    const Size s = leftView_->frame().size;
    leftView_->setFrame(Rect(kEdge, (b.size.height - s.height) / 2, s.width, s.height));
    leftEdge = kEdge + s.width + kEdge;
  }
  if (rightView_) {
    const Size s = rightView_->frame().size;
    rightView_->setFrame(Rect(b.size.width - kEdge - s.width, (b.size.height - s.height) / 2, s.width, s.height));
    rightEdge = b.size.width - kEdge - s.width - kEdge;
  }
  if (titleView_) {
    // Centred in the bar when it fits between the buttons, else in the room between them; one
    // wider than that room is narrowed to it (a label then shortens its text with "…").
    Size s = titleView_->frame().size;
    s.width = std::min(s.width, std::max(0.f, rightEdge - leftEdge));
    float x = (b.size.width - s.width) / 2;
    if (x < leftEdge) x = leftEdge;
    if (x + s.width > rightEdge) x = std::max(leftEdge, rightEdge - s.width);
    titleView_->setFrame(Rect(x, (b.size.height - s.height) / 2, s.width, s.height));
  }
}

void NavigationBar::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  if (backgroundImage_) {
    canvas.drawImage(*backgroundImage_, b);
  } else {
    drawGradient(canvas);
  }
  // The top item's title, unless it has a title view: centred between the buttons.
  auto top = topItem();
  if (!top || top->titleView() || !top->title() || top->title()->empty()) return;
  const float left = leftView_ ? leftView_->frame().maxX() + kEdge : kEdge;
  const float right = rightView_ ? rightView_->frame().minX() - kEdge : b.size.width - kEdge;
  const Font font = Font::boldSystemFont(20);
  const TextMetrics& metrics = TextMetrics::current();
  const float lineHeight = metrics.lineHeight(font);
  // Only as much of the title is measured as the bar can show: a title of any length (a
  // column's name as the service sent it) costs a frame what a short one does.
  const float width = metrics.widthWithin(*top->title(), font, std::max(0.f, right - left));
  float x = (b.size.width - width) / 2;
  x = std::clamp(x, left, std::max(left, right - width));
  metrics.draw(canvas, *top->title(), Rect(x, (b.size.height - lineHeight) / 2, width, lineHeight), font,
               Color::whiteColor(), LineBreakMode::TailTruncation, TextAlignment::Center);
}

void NavigationBar::drawGradient(Canvas& canvas) const {
  const Rect b = bounds();
  const Color tint = tint_.value_or(defaultBarTint(barStyle_));
  fillBarGradient(canvas, b, tint, 1.25f, 0.9f);
  canvas.setFillColor(tint.withAlpha(1));
  canvas.fillRect(Rect(0, b.size.height - 1, b.size.width, 1));
}

std::string NavigationBar::dumpDetails() const {
  auto top = topItem();
  if (!top || !top->title() || top->titleView()) return std::string();
  return " title=\"" + *top->title() + "\"";
}

}  // namespace zu::ui
