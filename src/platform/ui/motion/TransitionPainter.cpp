#include "platform/ui/motion/TransitionPainter.h"

#include <algorithm>
#include <cmath>

#include <cairo.h>

#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

constexpr float kPi = 3.14159265358979f;
// The darkest shade of a face turned edge-on, at its far edge.
constexpr float kFlipShade = 0.6f;
// The fold of a curl: the flap's greatest height (share of the view's height), how pale its back
// is, and the shadow cast below the fold line.
constexpr float kFoldShare = 0.2f;
constexpr float kFlapPaleness = 0.7f;
constexpr float kShadowShare = 0.06f;
constexpr float kShadowAlpha = 0.4f;

Color black(float alpha) { return Color(0, 0, 0, alpha); }

}  // namespace

bool TransitionPainter::draws(int kind) { return kind != kAnimationTransitionNone; }

void TransitionPainter::paint(Canvas& canvas, int kind, float fraction, const Image& before, const Image& after,
                              const Rect& bounds) {
  const float f = std::clamp(fraction, 0.f, 1.f);
  canvas.save();
  canvas.clip(bounds);
  switch (kind) {
    case kAnimationTransitionFlipFromLeft:
    case kAnimationTransitionFlipFromRight:
      flip(canvas, kind == kAnimationTransitionFlipFromLeft, f, before, after, bounds);
      break;
    case kAnimationTransitionCurlUp:
      curl(canvas, f, before, after, bounds);
      break;
    case kAnimationTransitionCurlDown:
      // The new content comes down over the old: a curl up of the new content, run backwards.
      curl(canvas, 1 - f, after, before, bounds);
      break;
    case kAnimationTransitionMoveInFromTop:
      moveInFromTop(canvas, f, before, after, bounds);
      break;
    default:
      crossFade(canvas, f, before, after, bounds);
      break;
  }
  canvas.restore();
}

void TransitionPainter::crossFade(Canvas& canvas, float fraction, const Image& before, const Image& after,
                                  const Rect& bounds) {
  // Mixed apart from what lies below: (1 − f) of the old content plus f of the new, so an
  // opaque view stays opaque all the way and a transparent part shows nothing of the old at
  // the end.
  cairo_t* cr = canvas.native();
  cairo_push_group(cr);
  canvas.drawImage(before, bounds, 1 - fraction);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  canvas.drawImage(after, bounds, fraction);
  cairo_pop_group_to_source(cr);
  cairo_paint(cr);
}

void TransitionPainter::moveInFromTop(Canvas& canvas, float fraction, const Image& before, const Image& after,
                                      const Rect& bounds) {
  canvas.drawImage(before, bounds);
  canvas.drawImage(after, bounds.offsetBy(0, -bounds.size.height * (1 - fraction)));
}

void TransitionPainter::flip(Canvas& canvas, bool fromLeft, float fraction, const Image& before,
                             const Image& after, const Rect& bounds) {
  const float theta = fraction * kPi;
  const float width = bounds.size.width * std::fabs(std::cos(theta));
  if (!(width > 0.01f)) return;  // edge-on: nothing to see
  const bool firstHalf = fraction < 0.5f;
  const Rect face(bounds.midX() - width / 2, bounds.minY(), width, bounds.size.height);
  canvas.drawImage(firstHalf ? before : after, face);
  // The face darkens as it turns away. Flipping from the left, the right edge goes away in the
  // first half and the left edge is the far one in the second; from the right, the mirror.
  const float shade = kFlipShade * std::sin(theta);
  const bool farRight = fromLeft == firstHalf;
  const Point nearEdge{farRight ? face.minX() : face.maxX(), face.midY()};
  const Point farEdge{farRight ? face.maxX() : face.minX(), face.midY()};
  canvas.save();
  canvas.clip(face);
  canvas.drawLinearGradient({{0, black(shade * 0.4f)}, {1, black(shade)}}, nearEdge, farEdge);
  canvas.restore();
}

void TransitionPainter::curl(Canvas& canvas, float lifted, const Image& top, const Image& under,
                             const Rect& bounds) {
  const float h = bounds.size.height;
  const float line = bounds.maxY() - h * lifted;
  if (!(lifted > 0)) {
    canvas.drawImage(top, bounds);
    return;
  }
  canvas.drawImage(under, bounds);
  if (lifted >= 1) return;
  // The shadow the lifted part casts on the content below the fold.
  const float shadow = h * kShadowShare;
  canvas.save();
  canvas.clip(Rect(bounds.minX(), line, bounds.size.width, shadow));
  canvas.drawLinearGradient({{0, black(kShadowAlpha)}, {1, black(0)}}, Point{bounds.midX(), line},
                            Point{bounds.midX(), line + shadow});
  canvas.restore();
  // What still lies flat.
  canvas.save();
  canvas.clip(Rect(bounds.minX(), bounds.minY(), bounds.size.width, line - bounds.minY()));
  canvas.drawImage(top, bounds);
  canvas.restore();
  // The flap: the back of the part that lifted, folded up over the fold line (mirrored about
  // it), pale like the back of a page, darker at the fold.
  const float flap = std::min(h * lifted, h * kFoldShare);
  const Rect flapRect(bounds.minX(), line - flap, bounds.size.width, flap);
  canvas.save();
  canvas.clip(flapRect);
  canvas.save();
  canvas.translate(0, 2 * line);
  canvas.scale(1, -1);
  canvas.drawImage(top, bounds);
  canvas.restore();
  canvas.setFillColor(Color(1, 1, 1, kFlapPaleness));
  canvas.fillRect(flapRect);
  canvas.drawLinearGradient({{0, black(0.05f)}, {1, black(0.3f)}}, Point{bounds.midX(), flapRect.minY()},
                            Point{bounds.midX(), line});
  canvas.restore();
}

}  // namespace zu::ui
