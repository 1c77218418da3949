// Layer: the drawing attributes a view's backing layer carries beyond the view's own (corner
// radius, masking, border, shadow). A plain record owned by its View (View::layer()); the
// renderer honours it. Main thread, like the view.
//
// Kept from the phone: masksToBounds is the same flag as the view's clipsToBounds; corners
// round the background, the clip (when masking) and the border; the border is drawn inside the
// bounds, above the subviews; the shadow is cast by the layer's shape (its rounded bounds) and
// only when shadowOpacity > 0; the default shadow offset is (0, −3), radius 3, colour black.
// The shadow is blurred by shadowRadius (a gaussian of deviation radius / 2).
// Where we differ on purpose: the shadow is always cast by the rounded bounds, never by the
// drawn content's transparency.
#pragma once

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

struct Layer {
  float cornerRadius = 0;
  bool masksToBounds = false;
  float borderWidth = 0;
  Color borderColor = Color::blackColor();
  Color shadowColor = Color::blackColor();
  float shadowOpacity = 0;
  Size shadowOffset{0, -3};
  float shadowRadius = 3;
};

}  // namespace zu::ui
