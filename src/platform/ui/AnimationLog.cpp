#include "platform/ui/AnimationLog.h"

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

const PropertyChange* AnimationRecord::change(const View* view, const std::string& property) const {
  for (const PropertyChange& c : changes) {
    if (c.viewKey == view && c.property == property) return &c;
  }
  return nullptr;
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

}  // namespace zu::ui
