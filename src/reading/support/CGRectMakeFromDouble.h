// CGRectMakeFromDouble: a rectangle with whole-number components, for frames computed in
// floating point that must land on whole points. Each component is truncated toward zero and
// raised by 1 only when the part cut off is greater than 0.5: 2.5 gives 2, 2.51 gives 3. A
// negative component is never raised, so it ends truncated toward zero (−1.7 gives −1).
// A plain function; any thread.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu {

ui::Rect CGRectMakeFromDouble(double x, double y, double width, double height);

}  // namespace zu
