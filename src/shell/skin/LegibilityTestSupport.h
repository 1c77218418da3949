// Helpers for the shell's tests (included by *Test.cpp only): how far apart the lightest and the
// darkest pixel of a part of a picture are, to tell a text or a symbol that stands out from its
// ground from one drawn in nearly the ground's own colour.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/images/Image.h"

namespace zu::testing {

// Relative luminance (0 black to 1 white) of a pixel, a see-through one taken over mid grey.
inline float luminanceAt(const ui::Image& picture, int x, int y) {
  const ui::Color c = picture.colorAt(x, y);
  const float lit = 0.2126f * c.red + 0.7152f * c.green + 0.0722f * c.blue;
  return lit * c.alpha + 0.5f * (1 - c.alpha);
}

// The lightest minus the darkest luminance within `points` (in points; the picture's scale
// applies), clipped to the picture.
inline float luminanceRange(const ui::Image& picture, const ui::Rect& points) {
  const float scale = picture.scale();
  const int x0 = std::max(0, static_cast<int>(std::floor(points.origin.x * scale)));
  const int y0 = std::max(0, static_cast<int>(std::floor(points.origin.y * scale)));
  const int x1 = std::min(picture.pixelWidth(), static_cast<int>(std::ceil((points.origin.x + points.size.width) * scale)));
  const int y1 = std::min(picture.pixelHeight(), static_cast<int>(std::ceil((points.origin.y + points.size.height) * scale)));
  float lightest = 0, darkest = 1;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float lit = luminanceAt(picture, x, y);
      lightest = std::max(lightest, lit);
      darkest = std::min(darkest, lit);
    }
  }
  return lightest > darkest ? lightest - darkest : 0;
}

}  // namespace zu::testing
