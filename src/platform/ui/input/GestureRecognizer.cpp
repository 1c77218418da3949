#include "platform/ui/input/GestureRecognizer.h"

#include <algorithm>

#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Recognisers that have seen touches and are not reset yet (main thread).
std::vector<std::weak_ptr<GestureRecognizer>>& inPlay() {
  static auto* list = new std::vector<std::weak_ptr<GestureRecognizer>>();
  return *list;
}

std::vector<std::shared_ptr<GestureRecognizer>> livePlayers() {
  std::vector<std::shared_ptr<GestureRecognizer>> out;
  auto& list = inPlay();
  std::erase_if(list, [](const std::weak_ptr<GestureRecognizer>& w) { return w.expired(); });
  for (const auto& w : list) {
    if (auto r = w.lock()) out.push_back(std::move(r));
  }
  return out;
}

bool terminal(GestureState s) {
  return s == GestureState::Ended || s == GestureState::Cancelled || s == GestureState::Failed;
}

bool active(GestureState s) { return s == GestureState::Began || s == GestureState::Changed; }

}  // namespace

GestureRecognizer::GestureRecognizer() = default;
GestureRecognizer::~GestureRecognizer() = default;

void GestureRecognizer::addTarget(const void* key, Action action) {
  targets_.emplace_back(key, std::move(action));
}

void GestureRecognizer::removeTarget(const void* key) {
  std::erase_if(targets_, [key](const auto& t) { return t.first == key; });
}

void GestureRecognizer::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  if (!enabled) {
    if (active(state_)) {
      setState(GestureState::Cancelled);
    } else if (state_ == GestureState::Possible && inPlay_) {
      setState(GestureState::Failed);
    }
  }
  enabled_ = enabled;
}

void GestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other) {
  if (other && other.get() != this) failureRequirements_.push_back(other);
}

Point GestureRecognizer::locationInView(const View* view) const {
  Point p = lastLocation_;
  if (!touches_.empty()) {
    float x = 0, y = 0;
    for (const auto& t : touches_) {
      x += t->locationInWindow().x;
      y += t->locationInWindow().y;
    }
    p = {x / static_cast<float>(touches_.size()), y / static_cast<float>(touches_.size())};
  }
  if (!view) return p;
  auto v = view_.lock();
  Window* window = v ? v->window() : nullptr;
  return view->convertPointFrom(p, window ? static_cast<const View*>(window) : nullptr);
}

Point GestureRecognizer::locationOfTouch(size_t index, const View* view) const {
  if (index >= touches_.size()) return locationInView(view);
  return touches_[index]->locationInView(view);
}

bool GestureRecognizer::accept(const std::shared_ptr<Touch>& touch) {
  if (!enabled_ || terminal(state_) || pending_ != GestureState::Possible) return false;
  if (auto d = delegate_.lock(); d && !d->shouldReceiveTouch(*this, *touch)) return false;
  touches_.push_back(touch);
  lastLocation_ = touch->locationInWindow();
  if (!inPlay_) {
    inPlay_ = true;
    inPlay().push_back(std::static_pointer_cast<GestureRecognizer>(shared_from_this()));
  }
  return true;
}

void GestureRecognizer::removeTouches(const TouchSet& touches) {
  for (const auto& t : touches) {
    auto it = std::find(touches_.begin(), touches_.end(), t);
    if (it != touches_.end()) {
      lastLocation_ = t->locationInWindow();
      touches_.erase(it);
    }
  }
}

void GestureRecognizer::deliverBegan(const TouchSet& touches, const Event& event) {
  auto keep = shared_from_this();
  if (!terminal(state_)) touchesBegan(touches, event);
}

void GestureRecognizer::deliverMoved(const TouchSet& touches, const Event& event) {
  auto keep = shared_from_this();
  if (!touches.empty()) lastLocation_ = touches.back()->locationInWindow();
  if (!terminal(state_)) touchesMoved(touches, event);
}

void GestureRecognizer::deliverEnded(const TouchSet& touches, const Event& event) {
  auto keep = shared_from_this();
  if (!terminal(state_)) touchesEnded(touches, event);
  removeTouches(touches);
  finishIfIdle();
}

void GestureRecognizer::deliverCancelled(const TouchSet& touches, const Event& event) {
  auto keep = shared_from_this();
  if (!terminal(state_)) touchesCancelled(touches, event);
  removeTouches(touches);
  finishIfIdle();
}

void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
  if (active(state_)) {
    setState(GestureState::Cancelled);
  } else if (state_ == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

void GestureRecognizer::setState(GestureState s) {
  auto keep = shared_from_this();
  switch (s) {
    case GestureState::Possible:
      transition(GestureState::Possible);
      pending_ = GestureState::Possible;
      break;
    case GestureState::Began:
      if (state_ == GestureState::Possible) recognize(GestureState::Began);
      break;
    case GestureState::Ended:
      if (state_ == GestureState::Possible) {
        recognize(GestureState::Ended);
      } else if (active(state_)) {
        transition(GestureState::Ended);
        sendActions();
      }
      break;
    case GestureState::Changed:
    case GestureState::Cancelled:
      if (active(state_)) {
        transition(s);
        sendActions();
      }
      break;
    case GestureState::Failed:
      if (state_ == GestureState::Possible) {
        pending_ = GestureState::Possible;
        transition(GestureState::Failed);
        resolveDependents(false);
      }
      break;
  }
  finishIfIdle();
}

bool GestureRecognizer::simultaneousWith(GestureRecognizer& other) {
  if (auto d = delegate_.lock(); d && d->shouldRecognizeSimultaneously(*this, other)) return true;
  if (auto d = other.delegate_.lock(); d && d->shouldRecognizeSimultaneously(other, *this)) return true;
  return false;
}

bool GestureRecognizer::recognize(GestureState target) {
  if (!enabled_) return false;
  auto fail = [this] {
    pending_ = GestureState::Possible;
    transition(GestureState::Failed);
    resolveDependents(false);
    return false;
  };
  if (auto d = delegate_.lock(); d && !d->gestureRecognizerShouldBegin(*this)) return fail();
  for (const auto& w : failureRequirements_) {
    auto other = w.lock();
    if (!other) continue;
    if (active(other->state_) || other->state_ == GestureState::Ended) return fail();
    if (other->state_ == GestureState::Possible && other->inPlay_) {
      pending_ = target;
      return false;
    }
  }
  const auto players = livePlayers();
  for (const auto& other : players) {
    if (other.get() != this && active(other->state_) && !simultaneousWith(*other)) return fail();
  }
  pending_ = GestureState::Possible;
  transition(target);
  for (const auto& other : players) {
    if (other.get() != this && other->state_ == GestureState::Possible && !simultaneousWith(*other)) {
      other->setState(GestureState::Failed);
    }
  }
  if (cancelsTouchesInView_ && onCancelViewTouches) onCancelViewTouches(*this);
  sendActions();
  resolveDependents(true);
  return true;
}

void GestureRecognizer::resolveDependents(bool recognized) {
  for (const auto& r : livePlayers()) {
    if (r.get() == this || r->pending_ == GestureState::Possible) continue;
    bool dependsOnThis = false;
    bool stillWaiting = false;
    for (const auto& w : r->failureRequirements_) {
      auto other = w.lock();
      if (!other) continue;
      if (other.get() == this) dependsOnThis = true;
      if (other->state_ == GestureState::Possible && other->inPlay_) stillWaiting = true;
    }
    if (!dependsOnThis) continue;
    if (recognized) {
      r->pending_ = GestureState::Possible;
      r->transition(GestureState::Failed);
      r->resolveDependents(false);
    } else if (!stillWaiting) {
      const GestureState target = r->pending_;
      r->pending_ = GestureState::Possible;
      r->recognize(target);
    }
    r->finishIfIdle();
  }
}

void GestureRecognizer::transition(GestureState s) { state_ = s; }

void GestureRecognizer::sendActions() {
  if (attached_ && view_.expired()) return;
  const auto targets = targets_;
  for (const auto& [key, action] : targets) {
    if (action) action(*this);
  }
}

void GestureRecognizer::finishIfIdle() {
  if (!terminal(state_) || !touches_.empty()) return;
  state_ = GestureState::Possible;
  pending_ = GestureState::Possible;
  if (inPlay_) {
    inPlay_ = false;
    auto& list = inPlay();
    std::erase_if(list, [this](const std::weak_ptr<GestureRecognizer>& w) {
      auto r = w.lock();
      return !r || r.get() == this;
    });
  }
  reset();
}

}  // namespace zu::ui
