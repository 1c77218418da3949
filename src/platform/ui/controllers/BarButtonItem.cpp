#include "platform/ui/controllers/BarButtonItem.h"

#include <algorithm>

#include "platform/ui/controls/Control.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

constexpr float kButtonHeight = 30;

Font titleFont() { return Font::boldSystemFont(12); }

// The button a bar shows for an item without a custom view: a bordered (or plain) capsule
// with the item's image or title, dimmed while the item is disabled.
class BarButton : public View {
 public:
  explicit BarButton(BarButtonItem* item) : item_(item) {}
  void forget() { item_ = nullptr; }

  void draw(Canvas& canvas, const Rect&) override {
    if (!item_) return;
    const Rect b = bounds();
    const float dim = item_->isEnabled() ? 1.f : 0.5f;
    if (item_->style() != BarButtonItemStyle::Plain) {
      const Color fill = item_->style() == BarButtonItemStyle::Done ? Color(0.2f, 0.4f, 0.85f, dim)
                                                                   : Color(0.35f, 0.45f, 0.6f, dim);
      canvas.setFillColor(fill);
      canvas.fillRoundedRect(b.insetBy(0.5f, 0.5f), 5);
      canvas.setStrokeColor(Color(0.1f, 0.15f, 0.25f, dim));
      canvas.setLineWidth(1);
      canvas.strokeRoundedRect(b.insetBy(0.5f, 0.5f), 5);
    }
    if (const auto& image = item_->image()) {
      const Size s = image->size();
      canvas.drawImage(*image, Rect(b.midX() - s.width / 2, b.midY() - s.height / 2, s.width, s.height), dim);
      return;
    }
    const std::string title = item_->displayTitle();
    if (title.empty()) return;
    const TextMetrics& metrics = TextMetrics::current();
    const float lineHeight = metrics.lineHeight(titleFont());
    metrics.draw(canvas, title, Rect(4, (b.size.height - lineHeight) / 2, b.size.width - 8, lineHeight), titleFont(),
                 Color::white(1, dim), LineBreakMode::TailTruncation, TextAlignment::Center);
  }

  // A tap that ends inside the button sends the item's action.
  void touchesEnded(const TouchSet& touches, const Event&) override {
    if (!item_ || touches.empty()) return;
    if (pointInside(touches.front()->locationInView(this))) item_->sendAction();
  }

  std::string dumpDetails() const override {
    if (!item_) return std::string();
    std::string out;
    const std::string title = item_->displayTitle();
    if (!title.empty()) out += " text=\"" + title + "\"";
    if (item_->image() && !item_->image()->name().empty()) out += " image=" + item_->image()->name();
    if (!item_->isEnabled()) out += " disabled";
    return out;
  }

 private:
  BarButtonItem* item_;  // non-owning; the item owns this view and forgets it when it dies
};

const char* systemWord(BarButtonSystemItem item) {
  switch (item) {
    case BarButtonSystemItem::Done: return "Done";
    case BarButtonSystemItem::Cancel: return "Cancel";
    case BarButtonSystemItem::Edit: return "Edit";
    case BarButtonSystemItem::Save: return "Save";
    case BarButtonSystemItem::Undo: return "Undo";
    case BarButtonSystemItem::Redo: return "Redo";
    default: return "";
  }
}

}  // namespace

BarButtonItem::BarButtonItem(std::string title, BarButtonItemStyle style, Action action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<Image> image, BarButtonItemStyle style, Action action)
    : image_(std::move(image)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(BarButtonSystemItem systemItem, Action action)
    : systemItem_(systemItem),
      style_(systemItem == BarButtonSystemItem::Done ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered),
      action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView) { setCustomView(std::move(customView)); }

BarButtonItem::~BarButtonItem() {
  if (buttonView_) static_cast<BarButton*>(buttonView_.get())->forget();
}

bool BarButtonItem::isSpace() const {
  return systemItem_ == BarButtonSystemItem::FlexibleSpace || systemItem_ == BarButtonSystemItem::FixedSpace;
}

void BarButtonItem::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  if (buttonView_) buttonView_->setNeedsDisplay();
}

void BarButtonItem::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  if (buttonView_) buttonView_->setNeedsDisplay();
}

void BarButtonItem::setStyle(BarButtonItemStyle style) {
  style_ = style;
  if (buttonView_) buttonView_->setNeedsDisplay();
}

void BarButtonItem::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (buttonView_) buttonView_->setNeedsDisplay();
  // A custom control acts by itself: it is switched with the item, or a screen's disabled
  // button would still send its action (a skinned 取消 popping an editor while it saves).
  if (auto* control = dynamic_cast<Control*>(customView_.get())) control->setEnabled(enabled);
}

void BarButtonItem::setCustomView(std::shared_ptr<View> view) {
  customView_ = std::move(view);
  if (!enabled_) {
    if (auto* control = dynamic_cast<Control*>(customView_.get())) control->setEnabled(false);
  }
}

std::string BarButtonItem::displayTitle() const {
  if (title_) return *title_;
  if (systemItem_) return systemWord(*systemItem_);
  return std::string();
}

std::shared_ptr<View> BarButtonItem::view() {
  if (customView_) return customView_;
  if (isSpace()) return nullptr;
  if (!buttonView_) {
    buttonView_ = std::make_shared<BarButton>(this);
    const Size s = preferredSize();
    buttonView_->setFrame(Rect(0, 0, s.width, s.height));
  }
  return buttonView_;
}

Size BarButtonItem::preferredSize() const {
  if (customView_) return customView_->frame().size;
  if (isSpace()) return Size{width_, 0};
  float w = 0;
  if (image_) {
    w = image_->size().width + (style_ == BarButtonItemStyle::Plain ? 0 : 20);
  } else {
    const std::string text = displayTitle();
    w = text.empty() ? 44 : 20 + TextMetrics::current().widthOf(text, titleFont());
  }
  if (width_ > 0) w = width_;
  return Size{std::max(w, 30.f), kButtonHeight};
}

bool BarButtonItem::sendAction() {
  if (!enabled_ || !action_) return false;
  // Copied: the action may replace itself.
  const Action action = action_;
  action(*this);
  return true;
}

std::string BarButtonItem::description() const { return "BarButtonItem \"" + displayTitle() + "\""; }

}  // namespace zu::ui
