#include "shell/widgets/MSPlaceHolderTextView.h"

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/Label.h"

namespace zu {

MSPlaceHolderTextView::MSPlaceHolderTextView(const ui::Rect& frame)
    : TextView(frame), placeholderColor_(ui::Color::lightGrayColor()) {
  TextView::setContentInset(ui::EdgeInsets());
  // The view's own notification only: another text view's change says nothing about this one.
  NotificationCenter::defaultCenter().add(
      kTextDidChangeNotification, this, [this](const Notification& notification) {
        const auto* object = notification.object.asObjectPtr();
        if (object && object->get() == static_cast<const Object*>(this)) textChanged();
      });
}

MSPlaceHolderTextView::~MSPlaceHolderTextView() { NotificationCenter::defaultCenter().remove(this); }

void MSPlaceHolderTextView::setText(std::string text) {
  TextView::setText(std::move(text));
  textChanged();
}

void MSPlaceHolderTextView::setContentInset(const ui::EdgeInsets&) {
  TextView::setContentInset(ui::EdgeInsets());
}

void MSPlaceHolderTextView::textChanged() {
  if (placeholder_.empty()) return;
  if (auto label = viewWithTag(kPlaceholderTag)) label->setAlpha(text().empty() ? 1 : 0);
}

void MSPlaceHolderTextView::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  if (!placeholder_.empty()) {
    auto label = std::dynamic_pointer_cast<ui::Label>(viewWithTag(kPlaceholderTag));
    if (!label) {
      label = std::make_shared<ui::Label>(ui::Rect(8, 8, bounds().size.width - 16, 0));
      label->setLineBreakMode(ui::LineBreakMode::WordWrap);
      label->setNumberOfLines(0);
      label->setFont(font());
      label->setBackgroundColor(ui::Color::clearColor());
      label->setTextColor(placeholderColor_);
      label->setAlpha(0);
      label->setTag(kPlaceholderTag);
      addSubview(label);
    }
    label->setText(placeholder_);
    label->sizeToFit();
    sendSubviewToBack(label);
    // The input method's composition takes the placeholder's place while it lasts.
    if (text().empty()) label->setAlpha(hasMarkedText() ? 0 : 1);
  }
  TextView::draw(canvas, rect);
}

}  // namespace zu
