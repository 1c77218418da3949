#include "platform/ui/motion/AnimationLog.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/images/Image.h"
#include "platform/ui/motion/TimingCurve.h"

namespace zu::ui {

std::string toString(const AnimatableValue& value) {
  struct Visitor {
    std::string operator()(float v) const {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
      return buf;
    }
    std::string operator()(Point p) const { return ui::toString(p); }
    std::string operator()(Size s) const { return ui::toString(s); }
    std::string operator()(const Rect& r) const { return r.toString(); }
    std::string operator()(const Transform& t) const {
      char buf[128];
      std::snprintf(buf, sizeof buf, "[%g %g %g %g %g %g]", double{t.a}, double{t.b}, double{t.c},
                    double{t.d}, double{t.tx}, double{t.ty});
      return buf;
    }
    std::string operator()(const Color& c) const { return c.toString(); }
  };
  return std::visit(Visitor{}, value);
}

namespace {

float mix(float a, float b, float f) { return a + (b - a) * f; }
Point mix(Point a, Point b, float f) { return {mix(a.x, b.x, f), mix(a.y, b.y, f)}; }
Size mix(Size a, Size b, float f) { return {mix(a.width, b.width, f), mix(a.height, b.height, f)}; }
Rect mix(const Rect& a, const Rect& b, float f) { return Rect(mix(a.origin, b.origin, f), mix(a.size, b.size, f)); }
Transform mix(const Transform& a, const Transform& b, float f) { return Transform::interpolate(a, b, f); }
Color mix(const Color& a, const Color& b, float f) {
  return Color(mix(a.red, b.red, f), mix(a.green, b.green, f), mix(a.blue, b.blue, f), mix(a.alpha, b.alpha, f));
}

}  // namespace

AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, float f) {
  if (from.index() != to.index()) return to;
  return std::visit(
      [&](const auto& a) -> AnimatableValue {
        return mix(a, std::get<std::decay_t<decltype(a)>>(to), f);
      },
      from);
}

unsigned partsOf(const std::string& property) {
  static const std::pair<const char*, unsigned> kParts[] = {
      {"frame", kPartPosition | kPartBounds},
      {"center", kPartPosition},
      {"bounds", kPartBounds},
      {"contentOffset", kPartBounds},
      {"transform", kPartTransform},
      {"alpha", kPartAlpha},
      {"backgroundColor", kPartBackgroundColor},
      {"cornerRadius", kPartCornerRadius},
      {"borderWidth", kPartBorderWidth},
      {"borderColor", kPartBorderColor},
      {"shadowColor", kPartShadowColor},
      {"shadowOpacity", kPartShadowOpacity},
      {"shadowOffset", kPartShadowOffset},
      {"shadowRadius", kPartShadowRadius},
  };
  for (const auto& [name, parts] : kParts) {
    if (property == name) return parts;
  }
  return kPartOther;
}

const PropertyChange* AnimationRecord::change(const View* view, const std::string& property) const {
  for (const PropertyChange& c : changes) {
    if (c.viewKey == view && c.property == property) return &c;
  }
  return nullptr;
}

double AnimationRecord::endTime() const {
  double cycles = repeatCount > 0 ? double{repeatCount} : 1.0;
  if (autoreverses) cycles *= 2;
  return beginTime + delay + duration * cycles;
}

std::optional<float> AnimationRecord::fractionAt(double time) const {
  if (disabled || !(duration > 0)) return std::nullopt;
  const double local = time - beginTime - delay;
  if (local < 0) return 0.0f;  // waiting out the delay: the start value shows
  if (time >= endTime()) return std::nullopt;
  const double steps = local / duration;
  const double whole = std::floor(steps);
  double f = steps - whole;
  if (autoreverses && std::fmod(whole, 2.0) == 1.0) f = 1 - f;
  return TimingCurve::of(curve).valueAt(static_cast<float>(f));
}

AnimationLog& AnimationLog::shared() {
  static AnimationLog* log = new AnimationLog;  // never destroyed: completions may run at exit
  return *log;
}

void AnimationLog::add(std::shared_ptr<AnimationRecord> record) {
  if (records_.size() >= kCapacity) records_.erase(records_.begin());
  records_.push_back(std::move(record));
}

std::vector<std::shared_ptr<AnimationRecord>> AnimationLog::named(const std::string& name) const {
  std::vector<std::shared_ptr<AnimationRecord>> out;
  for (const auto& r : records_) {
    if (r->name == name) out.push_back(r);
  }
  return out;
}

std::shared_ptr<AnimationRecord> AnimationLog::last() const {
  return records_.empty() ? nullptr : records_.back();
}

// --- what is running

void AnimationLog::addRunning(std::shared_ptr<AnimationRecord> record) {
  if (!record || record->disabled || !(record->duration > 0)) return;
  if (record->changes.empty() && !record->transitionViewKey) return;
  running_.push_back(std::move(record));
  reindex();
}

void AnimationLog::endRunning(const AnimationRecord& record) {
  auto it = std::find_if(running_.begin(), running_.end(),
                         [&](const std::shared_ptr<AnimationRecord>& r) { return r.get() == &record; });
  if (it == running_.end()) return;
  (*it)->before.reset();
  running_.erase(it);
  reindex();
}

void AnimationLog::prune(double time) {
  const auto over = [time](const std::shared_ptr<AnimationRecord>& r) {
    return r->completed || time >= r->endTime();
  };
  if (std::none_of(running_.begin(), running_.end(), over)) return;
  for (const auto& r : running_) {
    if (over(r)) r->before.reset();
  }
  running_.erase(std::remove_if(running_.begin(), running_.end(), over), running_.end());
  reindex();
}

bool AnimationLog::isAnimating(double time) {
  prune(time);
  for (const auto& r : running_) {
    if (!r->transitionView.expired()) return true;
    for (const PropertyChange& c : r->changes) {
      if (!c.replaced && !c.view.expired()) return true;
    }
  }
  return false;
}

const std::vector<RunningChange>* AnimationLog::runningChanges(const View& view) const {
  if (changesByView_.empty()) return nullptr;
  auto it = changesByView_.find(&view);
  return it == changesByView_.end() ? nullptr : &it->second;
}

const AnimationRecord* AnimationLog::runningTransition(const View& view) const {
  if (transitionByView_.empty()) return nullptr;
  auto it = transitionByView_.find(&view);
  return it == transitionByView_.end() ? nullptr : it->second;
}

void AnimationLog::clearRunning() {
  for (const auto& r : running_) r->before.reset();
  running_.clear();
  reindex();
}

void AnimationLog::reindex() {
  changesByView_.clear();
  transitionByView_.clear();
  // running_ is in commit order, so each view's changes come oldest first and the newest
  // transition of a view wins.
  for (const auto& r : running_) {
    for (const PropertyChange& c : r->changes) {
      if (!c.replaced) changesByView_[c.viewKey].push_back(RunningChange{r.get(), &c});
    }
    if (r->transitionViewKey && r->before) transitionByView_[r->transitionViewKey] = r.get();
  }
}

}  // namespace zu::ui
