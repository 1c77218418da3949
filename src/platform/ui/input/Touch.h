// Touch: one finger on the screen, from touch-down to lift or cancel, as the window delivers it
// (Window::beginTouch and friends). Event: what a touch callback is given besides its touches.
// Touches are shared objects of the main thread; views and recognisers may keep them while the
// finger is down.
//
// Kept from the phone: a touch keeps the view it first hit for its whole life, even when the
// finger leaves that view; locations are asked for in any view's coordinates (null: the
// window's); tapCount counts quick successive taps at about the same place (the second tap of a
// double tap has tapCount 2); previousLocation is where the last move started.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class View;
class Window;

enum class TouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

class Touch : public Object {
 public:
  Touch(uint64_t id, Point windowLocation, double timestamp, int tapCount);

  uint64_t identifier() const { return id_; }
  TouchPhase phase() const { return phase_; }
  int tapCount() const { return tapCount_; }
  // Seconds on the clock's monotonic scale of the last change.
  double timestamp() const { return timestamp_; }
  std::shared_ptr<View> view() const { return view_.lock(); }
  std::shared_ptr<Window> window() const { return window_.lock(); }

  Point locationInWindow() const { return location_; }
  Point previousLocationInWindow() const { return previous_; }
  // In `view`'s bounds space; null means the window.
  Point locationInView(const View* view) const;
  Point previousLocationInView(const View* view) const;

  // Runs `observer` once, when the touch has ended or been cancelled and its view and
  // recognisers have been told — whether or not the news reached the observer's own view (a
  // table highlighting a row learns of the end of a touch a text view in the row kept).
  void addFinishObserver(std::function<void(const Touch&)> observer);

  // --- for the window's dispatcher
  // Runs and drops the finish observers (after the last delivery of the touch).
  void finish();
  void setView(const std::shared_ptr<View>& view) { view_ = view; }
  void setWindow(const std::shared_ptr<Window>& window) { window_ = window; }
  void moveTo(Point windowLocation, TouchPhase phase, double timestamp);
  void setPhase(TouchPhase phase) { phase_ = phase; }

 private:
  uint64_t id_;
  TouchPhase phase_ = TouchPhase::Began;
  int tapCount_;
  double timestamp_;
  Point location_;
  Point previous_;
  std::weak_ptr<View> view_;
  std::weak_ptr<Window> window_;
  std::vector<std::function<void(const Touch&)>> finishObservers_;
};

using TouchSet = std::vector<std::shared_ptr<Touch>>;

struct Event {
  // Every touch down on the window, this one included.
  TouchSet allTouches;
  double timestamp = 0;
};

}  // namespace zu::ui
