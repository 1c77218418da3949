// ContentMode: how a view's content (an image, a drawn picture) is fitted into its bounds, with
// the phone's numbering, and contentRect() which computes where the content goes. Plain values.
//
// Kept from the phone: scale-to-fill stretches; aspect fit shows all of the content, centred;
// aspect fill covers the bounds, centred, overflowing on one axis; the positional modes keep the
// content's size. Where we differ on purpose: content of zero width or height gives an empty
// rectangle at the bounds' origin instead of a division by zero.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

enum class ContentMode {
  ScaleToFill = 0,
  ScaleAspectFit = 1,
  ScaleAspectFill = 2,
  Redraw = 3,
  Center = 4,
  Top = 5,
  Bottom = 6,
  Left = 7,
  Right = 8,
  TopLeft = 9,
  TopRight = 10,
  BottomLeft = 11,
  BottomRight = 12,
};

// Where content of `contentSize` goes inside `bounds` under `mode`. Redraw fills like
// ScaleToFill.
Rect contentRect(ContentMode mode, Size contentSize, const Rect& bounds);

}  // namespace zu::ui
