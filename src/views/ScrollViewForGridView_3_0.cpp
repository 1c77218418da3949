#include "views/ScrollViewForGridView_3_0.h"

#include <typeinfo>

#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/input/PanGestureRecognizer.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"

namespace zu {

std::shared_ptr<ScrollViewForGridView_3_0> ScrollViewForGridView_3_0::create(const ui::Rect& frame) {
  auto view = std::make_shared<ScrollViewForGridView_3_0>(frame);
  view->init();
  return view;
}

ScrollViewForGridView_3_0::ScrollViewForGridView_3_0(const ui::Rect& frame)
    : ScrollViewForGridView(frame) {
  setMultipleTouchEnabled(true);
}

ScrollViewForGridView_3_0::~ScrollViewForGridView_3_0() = default;

std::weak_ptr<ui::GestureRecognizerDelegate> ScrollViewForGridView_3_0::selfAsDelegate() {
  return std::shared_ptr<ui::GestureRecognizerDelegate>(shared(), this);
}

void ScrollViewForGridView_3_0::init() {
  longGesture_ = std::make_shared<ui::LongPressGestureRecognizer>();
  longGesture_->addTarget(this, [this](ui::GestureRecognizer& g) {
    if (auto d = scrollViewForGridViewDelegate()) {
      auto keep = shared();
      d->scrollViewLongGestureOnPoint(*this, g.state(), touchPoint_);
    }
  });
  longGesture_->setDelegate(selfAsDelegate());
  longGesture_->setCancelsTouchesInView(false);
  addGestureRecognizer(longGesture_);
}

void ScrollViewForGridView_3_0::setSupportDoubleTap(bool support) {
  if (support == supportDoubleTap_) return;
  supportDoubleTap_ = support;
  if (support) {
    tapGesture_ = std::make_shared<ui::TapGestureRecognizer>();
    tapGesture_->addTarget(this, [this](ui::GestureRecognizer& g) {
      if (auto d = scrollViewForGridViewDelegate()) {
        auto keep = shared();
        d->scrollViewTapGestureOnPoint(*this, static_cast<ui::TapGestureRecognizer&>(g),
                                       g.locationInView(nullptr));
      }
    });
    tapGesture_->setDelegate(selfAsDelegate());
    tapGesture_->setNumberOfTapsRequired(2);
    tapGesture_->setCancelsTouchesInView(false);
    addGestureRecognizer(tapGesture_);
  } else if (tapGesture_) {
    removeGestureRecognizer(tapGesture_);
    tapGesture_.reset();
  }
}

void ScrollViewForGridView_3_0::setFlipPageModel(int model) {
  if (model == flipPageModel_) return;
  flipPageModel_ = model;
  if (model == 3 || model == 5) {
    setFlipModel0(false);
    setPageModel0(true);
  } else if (model == 1 || model == 2) {
    setPageModel0(false);
    setFlipModel0(true);
  } else {
    setFlipModel0(false);
    setPageModel0(false);
  }
}

void ScrollViewForGridView_3_0::setFlipModel0(bool on) {
  if (on) {
    if (!panGesture_) {
      panGesture_ = std::make_shared<ui::PanGestureRecognizer>();
      panGesture_->addTarget(this, [this](ui::GestureRecognizer& g) {
        if (auto d = scrollViewForGridViewDelegate()) {
          auto keep = shared();
          d->scrollViewPanGestureOnPoint(*this, g.state(), g.locationInView(nullptr));
        }
      });
      panGesture_->setDelegate(selfAsDelegate());
      panGesture_->setCancelsTouchesInView(true);
      addGestureRecognizer(panGesture_);
      setScrollEnabled(false);
    }
  } else if (panGesture_) {
    removeGestureRecognizer(panGesture_);
    panGesture_.reset();
    setScrollEnabled(true);
  }
  setPagingEnabled(true);
}

void ScrollViewForGridView_3_0::setPageModel0(bool on) {
  if (on) {
    if (!swipeLeft_) {
      auto make = [this](unsigned direction, bool left) {
        auto swipe = std::make_shared<ui::SwipeGestureRecognizer>();
        swipe->setDirection(direction);
        swipe->addTarget(this, [this, left](ui::GestureRecognizer&) {
          if (auto d = scrollViewForGridViewDelegate()) {
            auto keep = shared();
            if (left) {
              d->swipeLeftAction(*this);
            } else {
              d->swipeRightAction(*this);
            }
          }
        });
        addGestureRecognizer(swipe);
        return swipe;
      };
      swipeLeft_ = make(ui::kSwipeDirectionLeft, true);
      swipeRight_ = make(ui::kSwipeDirectionRight, false);
      setScrollEnabled(false);
    }
  } else if (swipeLeft_) {
    removeGestureRecognizer(swipeLeft_);
    removeGestureRecognizer(swipeRight_);
    swipeLeft_.reset();
    swipeRight_.reset();
    setScrollEnabled(true);
  }
  setPagingEnabled(true);
}

// --- touch tracking

void ScrollViewForGridView_3_0::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  if (touch_ || touches.empty()) return;
  const auto& touch = touches.front();
  if (touch->tapCount() >= 2) return;
  touch_ = touch->identifier();
  touchPoint_ = touch->locationInView(nullptr);
  auto keep = shared();
  if (auto d = scrollViewForGridViewDelegate()) d->scrollViewTouchesStarted(*this, touchPoint_);
  ScrollViewForGridView::touchesBegan(touches, event);
}

void ScrollViewForGridView_3_0::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  if (touches.empty()) return;
  const auto& touch = touches.front();
  if (!touch_) touch_ = touch->identifier();
  if (touch->identifier() != touch_) return;
  touchPoint_ = touch->locationInView(nullptr);
  auto keep = shared();
  if (auto d = scrollViewForGridViewDelegate()) d->scrollViewTouchesMoved(*this, touchPoint_);
  ScrollViewForGridView::touchesMoved(touches, event);
}

void ScrollViewForGridView_3_0::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  if (touches.empty()) return;
  const auto& touch = touches.front();
  if (touch->identifier() != touch_) {
    touch_.reset();
    return;
  }
  touchPoint_ = touch->locationInView(nullptr);
  touch_.reset();
  auto keep = shared();
  if (auto d = scrollViewForGridViewDelegate()) {
    d->scrollViewAcquireFocus(*this);
    d->scrollViewTouchesEnded(*this, touchPoint_);
  }
  ScrollViewForGridView::touchesEnded(touches, event);
}

void ScrollViewForGridView_3_0::touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) {
  if (touches.empty()) return;
  const auto& touch = touches.front();
  if (touch->identifier() != touch_) return;
  touch_.reset();
  touchPoint_ = touch->locationInView(nullptr);
  auto keep = shared();
  if (auto d = scrollViewForGridViewDelegate()) d->scrollViewTouchesCancelled(*this, touchPoint_);
  ScrollViewForGridView::touchesCancelled(touches, event);
}

bool ScrollViewForGridView_3_0::shouldRecognizeSimultaneously(ui::GestureRecognizer& g,
                                                              ui::GestureRecognizer& o) {
  const auto& tap = typeid(ui::TapGestureRecognizer);
  const auto& longPress = typeid(ui::LongPressGestureRecognizer);
  const auto& pan = typeid(ui::PanGestureRecognizer);
  if (typeid(g) == tap) return false;
  if (typeid(g) == longPress && typeid(o) == longPress) return true;
  if ((flipPageModel_ == 1 || flipPageModel_ == 2) && typeid(g) == pan && typeid(o) == pan) return true;
  return typeid(o) == tap;
}

}  // namespace zu
