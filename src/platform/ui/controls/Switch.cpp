#include "platform/ui/controls/Switch.h"

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

Switch::Switch(const Rect& frame) : Control(Rect(frame.origin, Size{79, 27})) {}

void Switch::boundsDidChange(const Rect&) {
  if (bounds().size != Size{79, 27}) {
    const Rect f = frame();
    setFrame(Rect(f.origin, Size{79, 27}));
  }
}

void Switch::setOn(bool on, bool) {
  on_ = on;
  setNeedsDisplay();
}

void Switch::touchesEnded(const TouchSet& touches, const Event& event) {
  const bool wasTracking = isTracking();
  const bool inside = !touches.empty() && insideForTracking(touches.front()->locationInView(this));
  if (wasTracking && inside && isEnabled()) {
    on_ = !on_;
    setNeedsDisplay();
  }
  Control::touchesEnded(touches, event);
  if (wasTracking && inside && isEnabled()) sendActionsForControlEvents(kControlEventValueChanged);
}

void Switch::draw(Canvas& canvas, const Rect& rect) {
  const Rect body = rect.insetBy(0.5f, 0.5f);
  canvas.setFillColor(on_ ? Color::rgba8(0, 127, 234) : Color::white(0.93f));
  canvas.fillRoundedRect(body, body.size.height / 2);
  canvas.setStrokeColor(Color::white(0.6f));
  canvas.strokeRoundedRect(body, body.size.height / 2);
  const float knob = body.size.height - 2;
  const float x = on_ ? body.maxX() - knob - 1 : body.minX() + 1;
  canvas.setFillColor(Color::whiteColor());
  canvas.fillEllipse(Rect(x, body.minY() + 1, knob, knob));
  canvas.strokeEllipse(Rect(x, body.minY() + 1, knob, knob));
}

}  // namespace zu::ui
