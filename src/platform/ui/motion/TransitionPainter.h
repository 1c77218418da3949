// TransitionPainter: draws one frame of a view transition from two pictures of the view's
// bounds — `before` (the content when the transition was set) and `after` (the content now) —
// into the bounds on a canvas. Used by the renderer for a view with a running transition.
// Stateless; any thread, with a canvas of that thread.
//
// Kept from the phone: a flip from the left or right turns the view about its vertical centre
// line — the old content until half-way, then the new, each narrowed by |cos θ| (θ going from 0
// to π along the curve) and shaded darker as it turns away, the far edge darkest; a curl up
// lifts the old content off from the bottom edge, showing the new content under it, and a curl
// down lays the new content down over the old from the top; a move-in from the top slides the
// new content down from above the bounds over the old, which stays where it is. Nothing is drawn
// outside the bounds. A cross-dissolve and every other kind but none (the numbers the phone kept
// for its own effects, such as the launch cover's 108) are drawn as a cross-fade from the old
// content to the new.
// Where we differ on purpose: there is no perspective, and the curl is a flat fold (a pale
// mirrored flap of the lifted part above the fold line, a shadow below it) rather than a page on
// a cylinder; the GL book curl is for page turns.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Canvas;
class Image;

class TransitionPainter {
 public:
  // True for the transition kinds it draws: every kind but none.
  static bool draws(int kind);
  // One frame at `fraction` (0…1, the curve applied) of the transition `kind`.
  static void paint(Canvas& canvas, int kind, float fraction, const Image& before, const Image& after,
                    const Rect& bounds);

 private:
  static void flip(Canvas& canvas, bool fromLeft, float fraction, const Image& before, const Image& after,
                   const Rect& bounds);
  static void crossFade(Canvas& canvas, float fraction, const Image& before, const Image& after,
                        const Rect& bounds);
  static void moveInFromTop(Canvas& canvas, float fraction, const Image& before, const Image& after,
                            const Rect& bounds);
  // `top` lifts off `under` from the bottom edge, `lifted` of the way.
  static void curl(Canvas& canvas, float lifted, const Image& top, const Image& under, const Rect& bounds);
};

}  // namespace zu::ui
