#include "platform/ui/motion/Animations.h"

#include <cmath>
#include <vector>

#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/motion/TransitionPainter.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

// An open begin/commit or block animation, with its callbacks.
struct Open {
  std::shared_ptr<AnimationRecord> record;
  Animations::WillStart willStart;
  Animations::DidStop didStop;
  Animations::Completion completion;
};

// A committed animation whose completion has not run.
struct Pending {
  std::shared_ptr<AnimationRecord> record;
  Animations::DidStop didStop;
  Animations::Completion completion;
  RunLoop::Token token = 0;
};

struct State {
  bool enabled = true;
  // Blocks open at or below this depth do not record (performWithoutAnimation).
  size_t floor = 0;
  uint64_t serial = 0;
  std::vector<Open> open;
  std::vector<std::shared_ptr<Pending>> pending;
};

State& state() {
  static State* s = new State;  // main thread only; never destroyed
  return *s;
}

void finish(const std::shared_ptr<Pending>& p) {
  State& s = state();
  for (auto it = s.pending.begin(); it != s.pending.end(); ++it) {
    if (*it == p) {
      s.pending.erase(it);
      break;
    }
  }
  p->record->completed = true;
  AnimationLog::shared().endRunning(*p->record);
  const bool finished = p->record->finished;
  if (p->didStop) p->didStop(p->record->name, finished, p->record->context);
  if (p->completion) p->completion(finished);
}

void schedule(const std::shared_ptr<Pending>& p, double seconds) {
  auto loop = RunLoop::main();
  std::weak_ptr<Pending> weak = p;
  p->token = loop->postDelayed(seconds, [weak] {
    if (auto pending = weak.lock()) finish(pending);
  });
}

// Marks the parts of earlier pending animations' changes that `record` takes over: a change
// whose every part is taken over stops showing; one taken over in part (an earlier "frame" under
// a later "center") keeps showing the rest. Either way the earlier animation did not finish.
void replaceEarlier(const AnimationRecord& record) {
  State& s = state();
  const std::vector<std::shared_ptr<Pending>> pending = s.pending;
  for (const auto& p : pending) {
    bool touched = false;
    bool allReplaced = !p->record->changes.empty();
    for (PropertyChange& old : p->record->changes) {
      if (!old.replaced) {
        const unsigned parts = partsOf(old.property);
        unsigned taken = 0;
        for (const PropertyChange& c : record.changes) {
          if (c.viewKey == old.viewKey) taken |= partsOf(c.property) & parts;
        }
        if (taken & ~old.replacedParts) {
          old.replacedParts |= taken;
          old.replaced = old.replacedParts == parts;
          touched = true;
        }
      }
      if (!old.replaced) allReplaced = false;
    }
    if (!touched) continue;
    p->record->finished = false;
    if (allReplaced) {
      RunLoop::main()->cancel(p->token);
      schedule(p, 0);
    }
  }
}

// Starts each change from the value its view shows now, rather than from its model value.
void beginFromCurrentState(AnimationRecord& record) {
  std::vector<AnimatableValue> froms;
  froms.reserve(record.changes.size());
  for (const PropertyChange& c : record.changes) {
    auto view = c.view.lock();
    froms.push_back(view ? Presentation::currentValue(*view, record, c, record.beginTime) : c.from);
  }
  for (size_t i = 0; i < froms.size(); ++i) record.changes[i].from = froms[i];
}

void commitOpen(Open open) {
  State& s = state();
  auto record = open.record;
  AnimationLog& log = AnimationLog::shared();
  log.add(record);
  record->beginTime = Clock::get()->monotonic();
  double total = 0;
  if (!record->disabled && record->duration > 0) {
    total = record->endTime() - record->beginTime;
    if (record->beginsFromCurrentState) beginFromCurrentState(*record);
    replaceEarlier(*record);
    DisplayChanges::shared().wake();
    log.addRunning(record);
  } else {
    record->before.reset();
  }
  auto p = std::make_shared<Pending>();
  p->record = record;
  p->didStop = std::move(open.didStop);
  p->completion = std::move(open.completion);
  s.pending.push_back(p);
  if (open.willStart) {
    auto willStart = std::move(open.willStart);
    RunLoop::main()->postDelayed(record->disabled ? 0 : record->delay,
                                 [willStart, record] { willStart(record->name, record->context); });
  }
  if (!std::isfinite(total)) return;  // repeats for ever: never completes
  schedule(p, total);
}

PropertyChange makeChange(View& view, const char* property, const AnimatableValue& from,
                          const AnimatableValue& to) {
  PropertyChange change;
  change.view = view.shared();
  change.viewKey = &view;
  change.property = property;
  change.from = from;
  change.to = to;
  return change;
}

Open* innermost() {
  State& s = state();
  return s.open.empty() ? nullptr : &s.open.back();
}

std::shared_ptr<AnimationRecord> newRecord(std::string name, void* context) {
  State& s = state();
  auto r = std::make_shared<AnimationRecord>();
  r->serial = ++s.serial;
  r->name = std::move(name);
  r->context = context;
  r->disabled = !s.enabled;
  if (Open* outer = innermost()) {
    r->duration = outer->record->duration;
    r->curve = outer->record->curve;
  }
  return r;
}

void applyOptions(AnimationRecord& r, unsigned options, double duration, double delay,
                  bool nested) {
  r.block = true;
  r.options = options;
  if (!nested || (options & kAnimationOptionOverrideInheritedDuration)) r.duration = duration;
  if (!nested || (options & kAnimationOptionOverrideInheritedCurve)) {
    r.curve = static_cast<AnimationCurve>((options >> 16) & 3u);
  }
  r.delay = delay;
  r.beginsFromCurrentState = options & kAnimationOptionBeginFromCurrentState;
  r.autoreverses = options & kAnimationOptionAutoreverse;
  if (options & kAnimationOptionRepeat) r.repeatCount = HUGE_VALF;
}

}  // namespace

void Animations::begin(std::string name, void* context) {
  Open open;
  open.record = newRecord(std::move(name), context);
  state().open.push_back(std::move(open));
}

void Animations::setDuration(double seconds) {
  if (Open* o = innermost()) o->record->duration = seconds > 0 ? seconds : 0;
}

void Animations::setDelay(double seconds) {
  if (Open* o = innermost()) o->record->delay = seconds > 0 ? seconds : 0;
}

void Animations::setCurve(AnimationCurve curve) {
  if (Open* o = innermost()) o->record->curve = curve;
}

void Animations::setRepeatCount(float count) {
  if (Open* o = innermost()) o->record->repeatCount = count > 0 ? count : 0;
}

void Animations::setRepeatAutoreverses(bool autoreverses) {
  if (Open* o = innermost()) o->record->autoreverses = autoreverses;
}

void Animations::setBeginsFromCurrentState(bool fromCurrent) {
  if (Open* o = innermost()) o->record->beginsFromCurrentState = fromCurrent;
}

void Animations::setWillStart(WillStart callback) {
  if (Open* o = innermost()) o->willStart = std::move(callback);
}

void Animations::setDidStop(DidStop callback) {
  if (Open* o = innermost()) o->didStop = std::move(callback);
}

namespace {

// Notes the transition of `record` on `view`, with a picture of the view as it shows now when
// the renderer will draw the transition.
void setTransitionOf(AnimationRecord& record, int kind, const std::shared_ptr<View>& view) {
  record.transition = kind;
  record.transitionView = view;
  record.transitionViewKey = view.get();
  record.before.reset();
  if (view && !record.disabled && TransitionPainter::draws(kind)) {
    record.before = snapshotTree(*view, Screen::main().scale());
  }
}

}  // namespace

void Animations::setTransition(int kind, const std::shared_ptr<View>& view, bool) {
  if (Open* o = innermost()) setTransitionOf(*o->record, kind, view);
}

void Animations::commit() {
  State& s = state();
  if (s.open.empty()) return;
  Open open = std::move(s.open.back());
  s.open.pop_back();
  commitOpen(std::move(open));
}

namespace {

// Opens a block animation, runs `animations` inside it and commits it.
void runBlock(double duration, double delay, unsigned options, int transition,
              const std::shared_ptr<View>& transitionView, const std::function<void()>& animations,
              Animations::Completion completion) {
  const bool nested = innermost() != nullptr;
  Open open;
  open.record = newRecord(std::string(), nullptr);
  applyOptions(*open.record, options, duration > 0 ? duration : 0, delay > 0 ? delay : 0, nested);
  setTransitionOf(*open.record, transition, transitionView);
  open.completion = std::move(completion);
  state().open.push_back(std::move(open));
  if (animations) animations();
  Animations::commit();
}

}  // namespace

void Animations::animate(double duration, double delay, unsigned options,
                         const std::function<void()>& animations, Completion completion) {
  runBlock(duration, delay, options, kAnimationTransitionNone, nullptr, animations,
           std::move(completion));
}

void Animations::animate(double duration, const std::function<void()>& animations,
                         Completion completion) {
  animate(duration, 0, 0, animations, std::move(completion));
}

void Animations::transition(const std::shared_ptr<View>& view, double duration, unsigned options,
                            const std::function<void()>& animations, Completion completion) {
  runBlock(duration, 0, options, static_cast<int>((options >> 20) & 7u), view, animations,
           std::move(completion));
}

void Animations::setEnabled(bool enabled) { state().enabled = enabled; }

bool Animations::areEnabled() { return state().enabled; }

bool Animations::isRecording() {
  const State& s = state();
  return s.open.size() > s.floor;
}

void Animations::performWithoutAnimation(const std::function<void()>& changes) {
  State& s = state();
  struct Restore {
    size_t floor;
    ~Restore() { state().floor = floor; }
  } restore{s.floor};
  s.floor = s.open.size();
  changes();
}

void Animations::record(View& view, const char* property, const AnimatableValue& from,
                        const AnimatableValue& to) {
  State& s = state();
  if (!s.enabled || s.open.size() <= s.floor || from == to) return;
  AnimationRecord& r = *s.open.back().record;
  for (PropertyChange& c : r.changes) {
    if (c.viewKey == &view && c.property == property) {
      c.to = to;
      return;
    }
  }
  r.changes.push_back(makeChange(view, property, from, to));
}

std::shared_ptr<AnimationRecord> Animations::logAnimation(std::string name, double duration,
                                                         View& view, const char* property,
                                                         const AnimatableValue& from,
                                                         const AnimatableValue& to) {
  auto r = newRecord(std::move(name), nullptr);
  r->duration = duration;
  r->changes.push_back(makeChange(view, property, from, to));
  AnimationLog::shared().add(r);
  return r;
}

void Animations::resetForTesting() {
  State& s = state();
  for (const auto& p : s.pending) RunLoop::main()->cancel(p->token);
  s.pending.clear();
  s.open.clear();
  s.floor = 0;
  s.enabled = true;
  AnimationLog::shared().clearRunning();
}

}  // namespace zu::ui
