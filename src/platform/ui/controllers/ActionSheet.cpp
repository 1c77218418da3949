#include "platform/ui/controllers/ActionSheet.h"

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

constexpr float kButtonPitch = 52;

}  // namespace

ActionSheet::ActionSheet(std::optional<std::string> title, std::weak_ptr<ActionSheetDelegate> delegate,
                         std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : Alert(std::move(title)), delegate_(std::move(delegate)) {
  if (destructiveButtonTitle) destructiveIndex_ = addButtonWithTitle(std::move(*destructiveButtonTitle));
  for (auto& t : otherButtonTitles) addButtonWithTitle(std::move(t));
  if (cancelButtonTitle) setCancelButtonIndex(addButtonWithTitle(std::move(*cancelButtonTitle)));
}

void ActionSheet::willPresent() {
  if (auto d = delegate_.lock()) d->willPresentActionSheet(*this);
}
void ActionSheet::didPresent() {
  if (auto d = delegate_.lock()) d->didPresentActionSheet(*this);
}
void ActionSheet::clicked(int index) {
  if (auto d = delegate_.lock()) d->actionSheetClickedButtonAtIndex(*this, index);
}
void ActionSheet::willDismiss(int index) {
  if (auto d = delegate_.lock()) d->actionSheetWillDismissWithButtonIndex(*this, index);
}
void ActionSheet::didDismiss(int index) {
  if (auto d = delegate_.lock()) d->actionSheetDidDismissWithButtonIndex(*this, index);
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style) {
  style_ = style;
  setNeedsDisplay();
}

Rect ActionSheet::panelFrame(const Rect& screen) const {
  const float height = (title() ? 44.f : 0.f) + 16 + kButtonPitch * static_cast<float>(numberOfButtons());
  return Rect(0, screen.maxY() - height, screen.size.width, height);
}

Rect ActionSheet::buttonFrame(int index) const {
  if (index < 0 || index >= numberOfButtons()) return Rect();
  const float top = (title() ? 44.f : 0.f) + 8;
  return Rect(20, top + kButtonPitch * static_cast<float>(index), bounds().size.width - 40, 44);
}

void ActionSheet::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  const bool black = style_ == ActionSheetStyle::BlackOpaque;
  canvas.setFillColor(black ? Color(0.06f, 0.06f, 0.07f) : Color(0.1f, 0.12f, 0.18f, 0.9f));
  canvas.fillRect(b);
  const TextMetrics& metrics = TextMetrics::current();
  if (title()) {
    metrics.draw(canvas, *title(), Rect(20, 12, b.size.width - 40, 28), Font::systemFont(14), Color::white(0.85f),
                 LineBreakMode::TailTruncation, TextAlignment::Center);
  }
  const Font font = Font::boldSystemFont(19);
  const float lh = metrics.lineHeight(font);
  // The other buttons stand apart from the cancel button: light by default, a lighter dark
  // grey than it in the black style.
  for (int i = 0; i < numberOfButtons(); ++i) {
    const Rect f = buttonFrame(i);
    const bool other = i != destructiveIndex_ && i != cancelButtonIndex();
    const bool light = other && !black;
    canvas.setFillColor(i == destructiveIndex_ ? Color(0.8f, 0.1f, 0.1f)
                        : light                ? Color::white(0.85f)
                        : other                ? Color::white(0.3f)
                                               : Color::white(black ? 0.14f : 0.2f));
    canvas.fillRoundedRect(f, 8);
    metrics.draw(canvas, buttonTitleAtIndex(i), Rect(f.minX() + 8, f.midY() - lh / 2, f.size.width - 16, lh), font,
                 light ? Color::blackColor() : Color::white(other ? 0.92f : 1.f), LineBreakMode::TailTruncation,
                 TextAlignment::Center);
  }
}

std::string ActionSheet::dumpDetails() const {
  return title() ? " title=\"" + *title() + "\"" : std::string();
}

}  // namespace zu::ui
