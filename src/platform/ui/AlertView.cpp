#include "platform/ui/AlertView.h"

#include "platform/ui/Canvas.h"

namespace zu::ui {

namespace {

constexpr float kWidth = 284;
constexpr float kButtonHeight = 43;

}  // namespace

AlertView::AlertView(std::optional<std::string> title, std::optional<std::string> message,
                     std::weak_ptr<AlertViewDelegate> delegate, std::optional<std::string> cancelButtonTitle,
                     std::vector<std::string> otherButtonTitles)
    : Alert(std::move(title)), message_(std::move(message)), delegate_(std::move(delegate)) {
  if (cancelButtonTitle) setCancelButtonIndex(addButtonWithTitle(std::move(*cancelButtonTitle)));
  for (auto& t : otherButtonTitles) addButtonWithTitle(std::move(t));
}

void AlertView::willPresent() {
  if (auto d = delegate_.lock()) d->willPresentAlertView(*this);
}
void AlertView::didPresent() {
  if (auto d = delegate_.lock()) d->didPresentAlertView(*this);
}
void AlertView::clicked(int index) {
  if (auto d = delegate_.lock()) d->alertViewClickedButtonAtIndex(*this, index);
}
void AlertView::willDismiss(int index) {
  if (auto d = delegate_.lock()) d->alertViewWillDismissWithButtonIndex(*this, index);
}
void AlertView::didDismiss(int index) {
  if (auto d = delegate_.lock()) d->alertViewDidDismissWithButtonIndex(*this, index);
}

Rect AlertView::panelFrame(const Rect& screen) const {
  // Two buttons share a row; otherwise each has its own.
  const int rows = numberOfButtons() == 2 ? 1 : numberOfButtons();
  const float height = 100 + kButtonHeight * static_cast<float>(rows);
  return Rect(screen.midX() - kWidth / 2, screen.midY() - height / 2, kWidth, height);
}

void AlertView::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  canvas.setFillColor(Color(0.02f, 0.1f, 0.3f, 0.85f));
  canvas.fillRoundedRect(b.insetBy(1, 1), 10);
  canvas.setStrokeColor(Color::white(1, 0.8f));
  canvas.setLineWidth(2);
  canvas.strokeRoundedRect(b.insetBy(1, 1), 10);
  const int n = numberOfButtons();
  const bool pair = n == 2;
  for (int i = 0; i < n; ++i) {
    const float w = pair ? (b.size.width - 30) / 2 : b.size.width - 24;
    const float x = pair ? 12 + static_cast<float>(i) * (w + 6) : 12;
    const float y = 100 + (pair ? 0 : kButtonHeight * static_cast<float>(i));
    canvas.setFillColor(i == cancelButtonIndex() ? Color::white(0.35f, 0.9f) : Color::white(0.55f, 0.9f));
    canvas.fillRoundedRect(Rect(x, y, w, 37), 5);
  }
}

std::string AlertView::dumpDetails() const {
  std::string out;
  if (title()) out += " title=\"" + *title() + "\"";
  if (message_) out += " message=\"" + *message_ + "\"";
  return out;
}

}  // namespace zu::ui
