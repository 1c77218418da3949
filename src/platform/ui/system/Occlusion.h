// Occlusion: what of each view a reader can see on the screen — the part of it that is shown
// (itself and every view above it neither hidden nor transparent, inside the screen and inside
// every ancestor that clips) and not covered by what is drawn over it. The replay's probe asks
// it which texts are in sight; the contrast audit asks it which texts lie under something; a
// screen test asks it whether the entry being edited can be seen.
//
// The screen is laid as renderScreen draws it: the visible windows by level, each tree back to
// front (a view, then its subviews in order), and the screen's chrome — the keyboard where it is
// drawn (sliding in or out too) and the status bar's strip — over the windows below the status
// bar's level and under those at or above it (an alert). What a view lays over what was drawn
// before it is its ground: its background colour, an image view's picture, a button's
// background picture, or the ground the kit's bars (navigation bar, toolbar, tab bar), alerts
// and sheets and the edit menu paint themselves; times the alpha of the view and its ancestors.
// A ground of 90% or more covers (opaque); from 20% it tints (a translucent layer: the dimmed
// screen below an alert or a sheet); less is nothing. The keyboard and the status bar cover.
// A rectangle is covered when what was drawn after it holds half of it or more: opaquely when
// the opaque grounds alone do, else translucently when the grounds and tints together do.
//
// Model values (not an animation's presented ones), the keyboard where it is drawn now by the
// clock. Main thread, like the views; a value made for one look at the screen, holding plain
// pointers to the views it walked (never dereferenced after the look).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Image;
class View;

class Occlusion {
 public:
  enum class Cover { None, Translucent, Opaque };

  // The screen as it is now: every visible window walked and the chrome laid.
  static Occlusion ofScreen();

  // The part of `view` shown on the screen (screen points, clipped), when it was walked and
  // shows some; nothing for a view not shown.
  std::optional<Rect> shownRect(const View& view) const;
  // How what was drawn over `view` — after it and its subviews, which are its own parts (a
  // field's clear button, a button's picture) — covers its shown part (Opaque for a view not
  // shown).
  Cover coverOf(const View& view) const;
  // `view` is shown and not covered opaquely: a reader sees it.
  bool sees(const View& view) const { return coverOf(view) != Cover::Opaque; }
  // `view` is shown whole (nothing of it clipped away or off the screen) and what is drawn over
  // it holds no more than a twentieth of it (a neighbour laid a few points over its edge, as a
  // share text's picture is, takes nothing from it): a reader sees all of it — the field being
  // edited, say, neither under the keyboard nor under the bar.
  bool seesWhole(const View& view) const;

  // --- for a walk of one's own (the contrast audit's)
  // Notes `view`, drawn next, shown at `shown` (its clipped rectangle on the picture), with
  // `alpha` the product of its and its ancestors' alphas; returns its place in the drawing order.
  size_t note(const View& view, float alpha, const Rect& shown);
  // Lays the keyboard and the status bar over what was noted so far.
  void noteChrome();
  // How what was drawn after `order` covers `rect`.
  Cover coverOf(const Rect& rect, size_t order) const;

 private:
  struct Ground {
    Rect rect;
    size_t order;
    bool opaque;
  };
  struct Noted {
    Rect shown;
    Rect whole;       // unclipped
    size_t order;
    size_t lastPart;  // the order of the last of its subviews (its own when it has none)
  };
  // The walk of ofScreen: `view` and its subviews, shown inside `clip`.
  void walk(const View& view, float alpha, const Rect& clip, const View& window);
  // Grounds drawn after `after` over `rect`, opaque ones alone or all of them.
  std::vector<Rect> groundsOver(const Rect& rect, size_t after, bool opaqueOnly) const;
  // How much of `image` is opaque (0…1), read once per picture.
  float meanAlpha(const Image& image);

  std::vector<Ground> grounds_;
  std::unordered_map<const View*, Noted> noted_;
  std::unordered_map<const Image*, float> alphas_;
  size_t order_ = 0;
};

}  // namespace zu::ui
