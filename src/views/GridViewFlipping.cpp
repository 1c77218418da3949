// GridView: page turns drawn by the page-turn view (page models 1 and 2) — making and fitting
// the view, the reload behind a page-turn animation, the flat flip driven by the finger, and
// the ends of the view's turns, after which the grid settles its page and reports it as if the
// user had scrolled.
//
// The flat flip: the finger lifts the page from the side where it went down (a pan that starts
// within 100 points of the centre line turns nothing); the content moves to the neighbouring
// page underneath at once and its picture becomes the page-turn view's bottom picture; the
// leaf's angle is arccos(d / d0) of the finger's and the start's offsets from the centre line.
// A release finishes the turn when the leaf last moved towards the far side and a neighbouring
// page exists, and cancels it otherwise. The pictures already taken are remembered across pans
// (a turn straight back reuses the bottom picture).
//
// Where we differ on purpose: the start of a pan is never moved onto the centre line or across
// it (the angle would be NaN, or the turn change direction mid-pan), and d / d0 is kept within
// [−1, 1]; a page-animated reload of a type without a turn does not leave the page-turn view
// shown over the grid (it would hold the old page's picture until the next layout pass).
#include <algorithm>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "views/BookCurlGeometry.h"
#include "views/EAGLPageTurnView.h"
#include "views/GridView.h"
#include "views/GridViewProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

// A pan must begin at least this far from the centre line to turn a page.
constexpr float kPanDeadBand = 100;
// The start of a pan is never re-based closer than this to the centre line.
constexpr float kMinStartOffset = 1;
// The angle a turn-back runs to before it falls back.
constexpr float kTurnBackRota = 50;
// A jump of the leaf by more than this many degrees finishes the turn at once.
constexpr float kJumpRota = 80;
// After such a jump the leaf waits until the finger moves less than this in x between steps.
constexpr float kSettleMove = 5;
constexpr double kReloadDelay = 0.01;

float degrees(float radians) { return radians * 180.0f / static_cast<float>(M_PI); }

// arccos of d / d0 in degrees, the ratio kept within [−1, 1].
float leafAngle(float d, float d0) {
  if (d0 == 0) return d == 0 ? 0 : 180;
  return degrees(std::acos(std::clamp(d / d0, -1.0f, 1.0f)));
}

}  // namespace

std::weak_ptr<PageTurnViewDelegate> GridView::selfAsPageTurnDelegate() {
  return std::shared_ptr<PageTurnViewDelegate>(shared(), this);
}

// --- the page-turn view

void GridView::createFlipView0() {
  if (flipView_) {
    flipView_->view().setFrame(frame());
    flipView_->view().setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    flipView_->view().layoutIfNeeded();
  } else {
    auto super = superview();
    if (!super) return;
    flipView_ = pageTurnViewFactory_ ? pageTurnViewFactory_(frame()) : EAGLPageTurnView::create(frame());
    if (!flipView_) return;
    ui::View& view = flipView_->view();
    flipView_->setEaglDelegate(selfAsPageTurnDelegate());
    view.setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    view.setBackgroundColor(ui::Color{1, 1, 1, 1});
    flipView_->setClearColorRGB(flipClearColor_);
    view.layoutIfNeeded();
    super->addSubview(view.shared());
    super->bringSubviewToFront(view.shared());
    view.setHidden(true);
    needLoadTop_ = true;
    needLoadBottom_ = true;
  }
  flipView_->setFlipModel(flipPageModel_ == 2 ? 1 : 0);
}

void GridView::releaseFilpView() {
  if (!flipView_) return;
  flipView_->clearEaglDelegate();
  flipView_->view().removeFromSuperview();
  flipView_.reset();
}

// --- reload behind a page-turn animation

void GridView::reloadDataWithPageAnimation(int type, int passCount, int page) {
  if (flipPageModel_ == 4 || flipPageModel_ == 5) {
    reloadDataToPage(page);
    return;
  }
  releaseCacheQueueNoDisplay();
  postLater(kReloadDelay, [type, passCount, page](GridView& grid) {
    grid.reloadAnimation0(type, passCount, page);
  });
}

void GridView::reloadAnimation0(int type, int passCount, int page) {
  auto keep = shared();
  reloadWithAnimation_ = true;
  setTempFlipPageModel0(type == 5 || type == 6 ? 2 : 1);
  oldCacheCapacity_ = cacheCapacity_;
  oldCacheSingle_ = cacheSingle_;
  cacheCapacity_ = 1.0f;
  createFlipView0();
  if (flipView_ && needLoadTop_) flipView_->reloadTopTextureWithView(this);
  reloadDataToPage(page);
  cacheCapacity_ = oldCacheCapacity_;
  cacheSingle_ = oldCacheSingle_;
  auto flip = flipView_;
  // Types 0 to 4 are flat turns, 5 and 6 book curls; an unknown type reloads without a turn.
  if (!flip || type < 0 || type > 6) {
    reloadWithAnimation_ = false;
    if (flip) flip->view().setHidden(true);
    resumeFlipPageModel0();
    animationFinished0();
    return;
  }
  flip->reloadBottomTextureWithView(this);
  if (auto super = flip->view().superview()) super->bringSubviewToFront(flip->view().shared());
  flip->redraw();
  flip->view().setHidden(false);
  flip->setPagePass(passCount);
  switch (type) {
    case 0: flip->finishFlipU2D(); break;
    case 1: flip->finishFlipU2DPhysics(); break;
    case 2: flip->finishFlipD2U(); break;
    case 3: flip->finishFlipL2R(); break;
    case 4: flip->finishFlipR2L(); break;
    default: curlWholePage(type == 6); break;
  }
}

void GridView::curlWholePage(bool next) {
  const ui::Size size = bounds().size;
  const bool landscape = !SystemEnvironment::isStatusBarPortrait();
  if (next) {
    flipView_->flipBookFromRBWithFinger({size.width, size.height}, landscape);
    flipView_->setIsBeizerTans(true);
    flipView_->finishFlipBookR2L_B(landscape);
  } else if (landscape) {
    flipView_->flipBookFromLBWithFinger({0, size.height}, true);
    flipView_->setIsBeizerTans(true);
    flipView_->finishFlipBookL2R_B(true);
  } else {
    // One page: the previous page comes in over the current one, curling back into place.
    flipView_->switchTopBottom();
    flipView_->flipBookFromRBWithFinger({-size.width, size.height}, false);
    flipView_->setIsBeizerTans(true);
    flipView_->cancelFlipBookR2L_B(false);
  }
}

// --- the finger-driven flat flip

void GridView::scrollViewPanGestureOnPoint(ScrollViewForGridView&, ui::GestureState state, ui::Point point) {
  if (flipPageModel_ == 1) {
    flipFlat(static_cast<int>(state), point);
  } else if (flipPageModel_ == 2) {
    flipBook(static_cast<int>(state), point);
  }
}

void GridView::showLeaf() {
  if (!flipView_) return;
  if (needLoadTop_) {
    flipView_->reloadTopTextureWithView(this);
    needLoadTop_ = false;
  }
  ui::View& view = flipView_->view();
  if (auto super = view.superview()) super->bringSubviewToFront(view.shared());
  flipView_->redraw();
  view.setHidden(false);
}

void GridView::prepareFlip(bool next) {
  auto d = delegate_.lock();
  const bool none = next ? curPage_ >= numberOfPages_ - 1 : curPage_ <= 0;
  if (none) {
    if (d) {
      if (next) {
        d->movePageOverEndOnGridView(*this);
      } else {
        d->movePageOverBeginOnGridView(*this);
      }
    }
    if (flipView_) flipView_->reloadBottomTextureWithView(nullptr);
    hasLTextrue_ = hasRTextrue_ = canFlip_ = contentScrolled_ = false;
    lastRota_ = -1;
    return;
  }
  scrollToPageWithoutRelayout(curPage_ + (next ? 1 : -1));
  relayoutCells0();
  bool& has = next ? hasRTextrue_ : hasLTextrue_;
  if (!(has && !needLoadBottom_) && flipView_) {
    flipView_->reloadBottomTextureWithView(this);
    has = true;
    (next ? hasLTextrue_ : hasRTextrue_) = false;
    needLoadBottom_ = false;
  }
  canFlip_ = true;
  contentScrolled_ = true;
  lastRota_ = 0;
}

void GridView::rebasePan(ui::Point point, float middle) {
  const float d0 = panStart_.x - middle;
  const float d = point.x - middle;
  if (std::abs(d) < kMinStartOffset || d * d0 < 0) return;
  panStart_ = point;
}

// Finishes the turn the leaf is in (next: right to left) when a page lies that way, else hides
// the leaf; the pan turns nothing more.
void GridView::finishOrHideFlip(bool next) {
  if (canFlip_ && flipView_) {
    if (next) {
      flipView_->finishFlipR2L();
    } else {
      flipView_->finishFlipL2R();
    }
  } else if (flipView_) {
    flipView_->view().setHidden(true);
  }
  startFlip_ = false;
}

// Decides a turn at once: prepared towards `next`, then finished when it can turn, else the
// leaf runs to the turn-back angle and falls back.
void GridView::endFlip(bool next) {
  prepareFlip(next);
  if (!flipView_) return;
  if (next) {
    if (canFlip_) {
      flipView_->finishFlipR2L();
    } else {
      flipView_->cancelFlipR2LAfterTo(kTurnBackRota);
    }
  } else if (canFlip_) {
    flipView_->finishFlipL2R();
  } else {
    flipView_->cancelFlipL2RAfterTo(kTurnBackRota);
  }
}

void GridView::beginFlipPan(ui::Point p, bool outsideDeadBand) {
  createFlipView0();
  startFlip_ = false;
  panStart_ = p;
  // Without a page-turn view (no GL) the finger turns nothing.
  if (!flipView_ || !outsideDeadBand) return;
  startFlip_ = true;
  panChangeFirst_ = true;
  panChange2s_ = needFlip_ = contentScrolled_ = false;
}

void GridView::undoContentScroll(bool next) {
  scrollToPageWithoutRelayout(curPage_ + (next ? -1 : 1));
  relayoutCells0();
}

void GridView::flipFlat(int state, ui::Point windowPoint) {
  auto keep = shared();
  const ui::Point p = convertPointFrom(windowPoint, nullptr);
  const float m = frame().size.width / 2;
  if (state == 1) {
    beginFlipPan(p, std::abs(p.x - m) >= kPanDeadBand);
    return;
  }
  if (!startFlip_) return;
  float d0 = panStart_.x - m;
  const float d = p.x - m;
  const bool towardCentre = std::abs(d) <= std::abs(d0) && d0 * d > 0;

  if (state >= 3) {
    startFlip_ = false;
    if (panChangeFirst_) {
      // No step moved the leaf: the start's side decides when the finger came towards the
      // centre, else the side it was released on.
      showLeaf();
      endFlip(towardCentre ? d0 > 0 : d <= 0);
      panChangeFirst_ = false;
      return;
    }
    const bool next = d0 > 0;
    if (!needFlip_) {
      if (contentScrolled_) {
        undoContentScroll(next);
        goBack_ = !next;
      }
      if (flipView_) flipView_->view().setHidden(true);
      return;
    }
    if (!flipView_) return;
    if (canFlip_) {
      if (next) {
        flipView_->finishFlipR2L();
      } else {
        flipView_->finishFlipL2R();
      }
      return;
    }
    if (contentScrolled_) {
      undoContentScroll(next);
    }
    if (next) {
      if (panChange2s_) {
        flipView_->cancelFlipR2LAfterTo(kTurnBackRota);
      } else {
        flipView_->cancelFlipR2L();
      }
    } else if (panChange2s_) {
      flipView_->cancelFlipL2RAfterTo(kTurnBackRota);
    } else {
      flipView_->cancelFlipL2R();
    }
    return;
  }
  if (state != 2) return;

  float theta = 0;
  if (towardCentre) {
    if (panChangeFirst_) {
      showLeaf();
      rebasePan(p, m);
      d0 = panStart_.x - m;
      prepareFlip(d > 0);
    }
    needFlip_ = true;
    theta = leafAngle(d, d0);
  } else if (panChangeFirst_) {
    showLeaf();
    endFlip(d <= 0);
    startFlip_ = false;
    panChangeFirst_ = false;
    return;
  } else if (d0 * d > 0) {
    // Further out than the start on its side: the start follows the finger.
    needFlip_ = false;
    rebasePan(p, m);
    theta = 0;
  } else {
    needFlip_ = true;
    theta = std::abs(d) > std::abs(d0) ? 180 : leafAngle(d, d0);
  }
  if (!(theta >= 0)) theta = 0;
  theta = std::min(theta, 180.0f);

  const bool next = d0 > 0;
  if (panChangeFirst_) {
    if (theta > kJumpRota || theta - lastRota_ > kJumpRota) finishOrHideFlip(next);
    panChangeFirst_ = false;
    panChange2s_ = true;
    return;
  }
  if (theta - lastRota_ > kJumpRota && lastRota_ >= 0) {
    finishOrHideFlip(next);
    panChange2s_ = true;
    return;
  }
  if (panChange2s_) {
    const ui::Point before = panStart_;
    rebasePan(p, m);
    const float dx = std::abs(p.x - before.x);
    const bool moved = p.x != before.x || p.y != before.y;
    if (moved && dx < kSettleMove) panChange2s_ = false;
    return;
  }
  if (flipView_) {
    if (next) {
      flipView_->flipR2LToRota(theta);
    } else {
      flipView_->flipL2RToRota(theta);
    }
  }
  if (lastRota_ < 0) return;
  if (!canFlip_ && theta > lastRota_ + 0.5f) {
    canFlip_ = true;
  } else if (canFlip_ && (theta < lastRota_ - 0.5f || (theta < lastRota_ && lastRota_ < 0.5f))) {
    canFlip_ = false;
  }
  lastRota_ = theta;
}

// --- the finger-driven book curl

// The finger's path from the pan's first point is steep: it then finishes on a curved path.
bool GridView::steepFromFirstPanStart(ui::Point p) const {
  return std::abs(p.y - firstPanStart_.y) > 0.5f * std::abs(p.x - firstPanStart_.x + 1);
}

void GridView::finishBook(bool next, ui::Point p, bool landscape) {
  const bool bottom = p.y <= firstPanStart_.y;
  if (next) {
    if (bottom) {
      flipView_->finishFlipBookR2L_B(landscape);
    } else {
      flipView_->finishFlipBookR2L_T(landscape);
    }
  } else if (bottom) {
    flipView_->finishFlipBookL2R_B(landscape);
  } else {
    flipView_->finishFlipBookL2R_T(landscape);
  }
}

// Decides a curl at once: the whole page turns on or back when a page lies that way.
void GridView::endBook(bool next) {
  prepareFlip(next);
  if (!flipView_) return;
  if (!canFlip_) {
    flipView_->view().setHidden(true);
    return;
  }
  if (scrollView_) scrollView_->setHidden(true);
  curlWholePage(next);
}

void GridView::flipBook(int state, ui::Point windowPoint) {
  auto keep = shared();
  const ui::Point p = convertPointFrom(windowPoint, nullptr);
  const ui::Size size = bounds().size;
  // Portrait holds one page with the spine at the left edge; landscape two facing pages.
  const bool landscape = !SystemEnvironment::isStatusBarPortrait();
  const float m = landscape ? frame().size.width / 2 : 0;
  if (state == 1) {
    firstPanStart_ = p;
    beginFlipPan(p, !landscape || std::abs(p.x - m) >= kPanDeadBand);
    return;
  }
  if (!startFlip_) return;
  float d0 = panStart_.x - m;
  const float d = p.x - m;
  const bool towardCentre = std::abs(d) <= std::abs(d0) && d0 * d > 0;

  if (state >= 3) {
    startFlip_ = false;
    if (panChangeFirst_) {
      showLeaf();
      endBook(towardCentre ? d0 > 0 : d <= 0);
      panChangeFirst_ = false;
      return;
    }
    const bool next = d0 > 0;
    if (!needFlip_) {
      if (contentScrolled_) {
        undoContentScroll(next);
        goBack_ = !next;
      }
      if (flipView_) flipView_->view().setHidden(true);
      if (scrollView_) scrollView_->setHidden(false);
      return;
    }
    if (!flipView_) return;
    if (canFlip_) {
      if (panChange2s_) {
        // Released right after the first step: the whole page turns.
        curlWholePage(next);
        return;
      }
      flipView_->setIsBeizerTans(steepFromFirstPanStart(p));
      finishBook(next, p, landscape);
      return;
    }
    if (contentScrolled_) {
      undoContentScroll(next);
    }
    flipView_->setIsBeizerTans(false);
    const bool bottom = p.y <= firstPanStart_.y;
    if (next) {
      if (bottom) {
        flipView_->cancelFlipBookR2L_B(landscape);
      } else {
        flipView_->cancelFlipBookR2L_T(landscape);
      }
    } else if (bottom) {
      flipView_->cancelFlipBookL2R_B(landscape);
    } else {
      flipView_->cancelFlipBookL2R_T(landscape);
    }
    return;
  }
  if (state != 2) return;

  float theta = 0;
  if (towardCentre) {
    if (panChangeFirst_) {
      showLeaf();
      rebasePan(p, m);
      d0 = panStart_.x - m;
      prepareFlip(d > 0);
      if (scrollView_) scrollView_->setHidden(true);
    }
    needFlip_ = true;
    theta = leafAngle(d, d0);
  } else if (panChangeFirst_) {
    showLeaf();
    endBook(d <= 0);
    startFlip_ = false;
    panChangeFirst_ = false;
    return;
  } else if (d0 * d > 0) {
    needFlip_ = false;
    rebasePan(p, m);
    theta = 0;
  } else {
    needFlip_ = true;
    theta = std::abs(d) > std::abs(d0) ? 180 : leafAngle(d, d0);
  }
  if (!(theta >= 0)) theta = 0;
  theta = std::min(theta, 180.0f);

  const bool next = d0 > 0;
  const bool jump = panChangeFirst_ ? theta > kJumpRota || theta - lastRota_ > kJumpRota
                                    : theta - lastRota_ > kJumpRota && lastRota_ >= 0;
  if (jump) {
    // The finger jumped: the turn finishes at once.
    if (!canFlip_ || !flipView_) {
      if (scrollView_) scrollView_->setHidden(false);
      if (flipView_) flipView_->view().setHidden(true);
    } else if (lastRota_ == 0) {
      if (next) {
        flipView_->flipBookFromRBWithFinger({size.width, size.height}, landscape);
      } else {
        flipView_->flipBookFromLBWithFinger({0, size.height}, landscape);
      }
      flipView_->setIsBeizerTans(true);
      if (next) {
        flipView_->finishFlipBookR2L_B(landscape);
      } else {
        flipView_->finishFlipBookL2R_B(landscape);
      }
    } else {
      flipView_->setIsBeizerTans(steepFromFirstPanStart(p));
      finishBook(next, p, landscape);
    }
    startFlip_ = false;
    panChangeFirst_ = false;
    panChange2s_ = true;
    return;
  }
  if (panChangeFirst_) {
    panChangeFirst_ = false;
    panChange2s_ = true;
    return;
  }
  panChange2s_ = false;
  if (flipView_) {
    // The corner under the finger: a bottom corner while the finger is level with or above
    // where the pan began, else a top corner.
    const bool bottom = p.y <= firstPanStart_.y;
    using Corner = BookCurlGeometry::Corner;
    const Corner corner = next ? (bottom ? Corner::kRightBottom : Corner::kRightTop)
                               : (bottom ? Corner::kLeftBottom : Corner::kLeftTop);
    const ui::Point c =
        BookCurlGeometry::fingerControlPoint(corner, p, firstPanStart_, frame().size);
    switch (corner) {
      case Corner::kRightBottom: flipView_->flipBookFromRBWithFinger(c, landscape); break;
      case Corner::kRightTop: flipView_->flipBookFromRTWithFinger(c, landscape); break;
      case Corner::kLeftBottom: flipView_->flipBookFromLBWithFinger(c, landscape); break;
      case Corner::kLeftTop: flipView_->flipBookFromLTWithFinger(c, landscape); break;
    }
  }
  if (lastRota_ < 0) return;
  if (!canFlip_ && theta > lastRota_ + 0.5f) {
    canFlip_ = true;
  } else if (canFlip_ && (theta < lastRota_ - 0.5f || (theta < lastRota_ && lastRota_ < 0.5f))) {
    canFlip_ = false;
  }
  lastRota_ = theta;
}

// --- the ends of the turns

// Shows the scroll view again; after an interrupted turn both pictures are stale and the
// swap is skipped. True when the turn was not interrupted.
bool GridView::beginEndOfTurn() {
  if (scrollView_) scrollView_->setHidden(false);
  if (!flipInterrupted_) return true;
  needLoadTop_ = true;
  needLoadBottom_ = true;
  flipInterrupted_ = false;
  return false;
}

void GridView::finishTurn(PageTurnView& view, bool next) {
  // The page-turn view may be released by the switch back to the owner's model.
  auto keep = shared();
  auto flip = flipView_;
  if (beginEndOfTurn()) {
    view.switchTopBottom();
    needLoadTop_ = needLoadBottom_;
    needLoadBottom_ = reloadWithAnimation_;
    reloadWithAnimation_ = false;
  }
  resumeFlipPageModel0();
  goBack_ = next ? curPage_ == numberOfPages_ - 1 : curPage_ != 0;
  (next ? hasLTextrue_ : hasRTextrue_) = view.pagePass() < 2;
  (next ? hasRTextrue_ : hasLTextrue_) = false;
  if (scrollView_) scrollViewDidEndDecelerating(*scrollView_);
}

void GridView::EAGLViewDidFlipR2LFinish(PageTurnView& view) { finishTurn(view, true); }

void GridView::EAGLViewDidFlipL2RFinish(PageTurnView& view) { finishTurn(view, false); }

void GridView::EAGLViewDidFlipR2LCancel(PageTurnView& view) {
  auto keep = shared();
  auto flip = flipView_;
  beginEndOfTurn();
  if (flipPageModel_ == 2 && SystemEnvironment::isStatusBarPortrait()) {
    // A one-page curl that ends at rest settles the page: also the un-curl that turns back,
    // after which neither picture is the neighbour of the page shown. The model is the
    // owner's again, and the settle tells the delegate once that the animation ended.
    hasRTextrue_ = hasLTextrue_ = false;
    needLoadBottom_ = true;
    reloadWithAnimation_ = false;
    resumeFlipPageModel0();
    goBack_ = curPage_ != 0;
    if (scrollView_) {
      scrollViewDidEndDecelerating(*scrollView_);
    } else {
      animationFinished0();
    }
    return;
  }
  hasRTextrue_ = view.pagePass() < 2;
  hasLTextrue_ = false;
  animationFinished0();
}

void GridView::EAGLViewDidFlipL2RCancel(PageTurnView& view) {
  auto keep = shared();
  auto flip = flipView_;
  beginEndOfTurn();
  hasLTextrue_ = view.pagePass() < 2;
  hasRTextrue_ = false;
  animationFinished0();
}

// The vertical turns of page-animated reloads.
void GridView::finishVerticalTurn(PageTurnView& view) {
  auto keep = shared();
  auto flip = flipView_;
  if (beginEndOfTurn()) {
    view.switchTopBottom();
    needLoadTop_ = needLoadBottom_;
    needLoadBottom_ = true;
  }
  resumeFlipPageModel0();
  animationFinished0();
}

void GridView::EAGLViewDidFlipU2DFinish(PageTurnView& view) { finishVerticalTurn(view); }

void GridView::EAGLViewDidFlipD2UFinish(PageTurnView& view) { finishVerticalTurn(view); }

}  // namespace zu
