#include "platform/ui/controllers/AlertView.h"

#include <algorithm>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

constexpr float kWidth = 284;
constexpr float kButtonHeight = 43;
constexpr float kTextTop = 12;
constexpr float kTextHeight = 88;

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
  const float height = kTextTop + kTextHeight + kButtonHeight * static_cast<float>(rows);
  return Rect(screen.midX() - kWidth / 2, screen.midY() - height / 2, kWidth, height);
}

Rect AlertView::buttonFrame(int index) const {
  if (index < 0 || index >= numberOfButtons()) return Rect();
  const float width = bounds().size.width;
  const bool pair = numberOfButtons() == 2;
  const float w = pair ? (width - 30) / 2 : width - 24;
  const float x = pair ? 12 + static_cast<float>(index) * (w + 6) : 12;
  const float y = kTextTop + kTextHeight + (pair ? 0 : kButtonHeight * static_cast<float>(index));
  return Rect(x, y, w, 37);
}

void AlertView::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  canvas.setFillColor(Color(0.02f, 0.1f, 0.3f, 0.85f));
  canvas.fillRoundedRect(b.insetBy(1, 1), 10);
  canvas.setStrokeColor(Color::white(1, 0.8f));
  canvas.setLineWidth(2);
  canvas.strokeRoundedRect(b.insetBy(1, 1), 10);
  const TextMetrics& metrics = TextMetrics::current();
  const Font titleFont = Font::boldSystemFont(18);
  float y = kTextTop;
  if (title()) {
    y += metrics.draw(canvas, *title(), Rect(12, y, b.size.width - 24, kTextHeight), titleFont,
                      Color::whiteColor(), LineBreakMode::WordWrap, TextAlignment::Center)
             .height;
  }
  if (message_) {
    metrics.draw(canvas, *message_, Rect(12, y + 4, b.size.width - 24, std::max(0.f, kTextTop + kTextHeight - y - 4)),
                 Font::systemFont(16), Color::whiteColor(), LineBreakMode::WordWrap, messageAlignment_);
  }
  for (int i = 0; i < numberOfButtons(); ++i) {
    const Rect f = buttonFrame(i);
    canvas.setFillColor(i == cancelButtonIndex() ? Color::white(0.35f, 0.9f) : Color::white(0.55f, 0.9f));
    canvas.fillRoundedRect(f, 5);
    const float lh = metrics.lineHeight(titleFont);
    metrics.draw(canvas, buttonTitleAtIndex(i), Rect(f.minX() + 4, f.midY() - lh / 2, f.size.width - 8, lh),
                 titleFont, Color::whiteColor(), LineBreakMode::TailTruncation, TextAlignment::Center);
  }
}

std::string AlertView::dumpDetails() const {
  std::string out;
  if (title()) out += " title=\"" + *title() + "\"";
  if (message_) out += " message=\"" + *message_ + "\"";
  return out;
}

}  // namespace zu::ui
