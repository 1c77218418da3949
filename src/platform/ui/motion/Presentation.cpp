#include "platform/ui/motion/Presentation.h"

#include "platform/runtime/Clock.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

PresentedState PresentedState::modelOf(const View& view) {
  return PresentedState{view.center(),          view.bounds(),           view.transform(),
                        view.alpha(),           view.backgroundColor(), view.layer().style()};
}

Rect PresentedState::frame() const {
  const float w = bounds.size.width;
  const float h = bounds.size.height;
  if (transform.isIdentity()) return Rect(center.x - w / 2, center.y - h / 2, w, h);
  return transform.apply(Rect(-w / 2, -h / 2, w, h)).offsetBy(center.x, center.y);
}

void PresentedState::apply(const std::string& property, const AnimatableValue& value, unsigned skip) {
  if (property == "frame") {
    if (const Rect* f = std::get_if<Rect>(&value)) {
      const Rect r = f->standardized();
      if (!(skip & kPartPosition)) center = {r.midX(), r.midY()};
      if (!(skip & kPartBounds)) {
        bounds.size = transform.isIdentity() ? r.size : transform.sizeFilling(r.size, bounds.size);
      }
    }
  } else if (property == "bounds") {
    if (const Rect* b = std::get_if<Rect>(&value)) bounds = *b;
  } else if (property == "center") {
    if (const Point* c = std::get_if<Point>(&value)) center = *c;
  } else if (property == "transform") {
    if (const Transform* t = std::get_if<Transform>(&value)) transform = *t;
  } else if (property == "alpha") {
    if (const float* a = std::get_if<float>(&value)) alpha = *a;
  } else if (property == "backgroundColor") {
    if (const Color* c = std::get_if<Color>(&value)) background = *c;
  } else if (const float* v = std::get_if<float>(&value)) {
    if (property == "cornerRadius") layer.cornerRadius = *v;
    if (property == "borderWidth") layer.borderWidth = *v;
    if (property == "shadowOpacity") layer.shadowOpacity = *v;
    if (property == "shadowRadius") layer.shadowRadius = *v;
  } else if (const Color* c = std::get_if<Color>(&value)) {
    if (property == "borderColor") layer.borderColor = *c;
    if (property == "shadowColor") layer.shadowColor = *c;
  } else if (const Size* o = std::get_if<Size>(&value)) {
    if (property == "shadowOffset") layer.shadowOffset = *o;
  }
}

std::optional<AnimatableValue> PresentedState::valueOf(const std::string& property) const {
  if (property == "frame") return frame();
  if (property == "bounds") return bounds;
  if (property == "center") return center;
  if (property == "transform") return transform;
  if (property == "alpha") return alpha;
  if (property == "backgroundColor") return background.value_or(Color::clearColor());
  if (property == "cornerRadius") return layer.cornerRadius;
  if (property == "borderWidth") return layer.borderWidth;
  if (property == "borderColor") return layer.borderColor;
  if (property == "shadowColor") return layer.shadowColor;
  if (property == "shadowOpacity") return layer.shadowOpacity;
  if (property == "shadowOffset") return layer.shadowOffset;
  if (property == "shadowRadius") return layer.shadowRadius;
  return std::nullopt;
}

Presentation::Presentation(double time) : time_(time) {
  AnimationLog& log = AnimationLog::shared();
  log.prune(time);
  idle_ = !log.hasRunning();
}

Presentation Presentation::now() { return Presentation(Clock::get()->monotonic()); }

Presentation Presentation::model() { return Presentation(0, true); }

void Presentation::applyRunning(const View& view, PresentedState& state) const {
  const std::vector<RunningChange>* changes = AnimationLog::shared().runningChanges(view);
  if (!changes) return;
  for (const RunningChange& rc : *changes) {
    // An expired view is not this one, even at the same address.
    if (rc.change->view.expired()) continue;
    const std::optional<float> f = rc.record->fractionAt(time_);
    if (!f) continue;
    state.apply(rc.change->property, interpolate(rc.change->from, rc.change->to, *f), rc.change->replacedParts);
  }
}

PresentedState Presentation::stateOf(const View& view) const {
  PresentedState state = PresentedState::modelOf(view);
  if (!idle_) applyRunning(view, state);
  return state;
}

const AnimationRecord* Presentation::transitionOf(const View& view, float& fraction) const {
  if (idle_) return nullptr;
  const AnimationRecord* record = AnimationLog::shared().runningTransition(view);
  if (!record || record->transitionView.expired() || !record->before) return nullptr;
  const std::optional<float> f = record->fractionAt(time_);
  if (!f) return nullptr;
  fraction = *f;
  return record;
}

AnimatableValue Presentation::currentValue(const View& view, const AnimationRecord& starting,
                                           const PropertyChange& change, double time) {
  PresentedState state = PresentedState::modelOf(view);
  // Undo the new animation's own changes, newest first, so each "from" lands on the state it
  // was read from.
  for (auto it = starting.changes.rbegin(); it != starting.changes.rend(); ++it) {
    if (it->viewKey == &view) state.apply(it->property, it->from);
  }
  Presentation(time).applyRunning(view, state);
  return state.valueOf(change.property).value_or(change.from);
}

}  // namespace zu::ui
