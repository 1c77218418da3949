// TouchDispatcher: turns the touches fired at a window (by the screen's mouse input or by
// tests) into the phone's touch delivery. Owned by its Window; main thread.
//
// Each new touch is hit-tested at its window point (the hit view is then kept for the touch's
// whole life). It goes first to the enabled gesture recognisers of the hit view and of its
// superviews, then to the view itself, unless a recogniser that cancels touches has recognised
// (the view then gets touchesCancelled once and nothing more of that touch).
// Exclusive and multiple touch rules: a touch is ignored (delivered nowhere) when another view
// holding a touch is exclusive or when its own view is exclusive and other views hold touches;
// it is kept from its view (but still reaches the recognisers, so a pinch over a single-touch
// view works) when that view already holds a touch and does not take multiple touches.
// Once a touch has ended or been cancelled and its view has been told, its finish observers
// run (Touch::addFinishObserver).
// Tap counts: a touch that goes down within kTapInterval seconds (clock) and kTapDistance points
// of where the previous one lifted counts one tap more.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

class GestureRecognizer;
class View;
class Window;

class TouchDispatcher {
 public:
  static constexpr double kTapInterval = 0.35;
  static constexpr float kTapDistance = 25;

  explicit TouchDispatcher(Window& window) : window_(window) {}

  std::shared_ptr<Touch> begin(Point windowPoint);
  void move(const std::shared_ptr<Touch>& touch, Point windowPoint);
  void end(const std::shared_ptr<Touch>& touch, Point windowPoint);
  void cancel(const std::shared_ptr<Touch>& touch);
  size_t activeTouchCount() const { return active_.size(); }

 private:
  struct Tracked {
    std::shared_ptr<Touch> touch;
    std::shared_ptr<View> view;  // null when the touch is delivered to no view
    bool toView = false;
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
  };

  Tracked* find(const std::shared_ptr<Touch>& touch);
  Event event() const;
  void cancelViewTouchesOf(GestureRecognizer& recognizer);
  void finish(const std::shared_ptr<Touch>& touch, bool cancelled);

  Window& window_;
  std::vector<Tracked> active_;
  uint64_t nextId_ = 1;
  Point lastUpLocation_;
  double lastUpTime_ = -1;
  int lastTapCount_ = 0;
};

}  // namespace zu::ui
