// BarStyle: the look of navigation bars, toolbars and search bars, with the phone's numbers,
// and the tinted gradient those bars draw when they have no background image.
#pragma once

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Canvas;

enum class BarStyle { Default = 0, Black = 1, BlackTranslucent = 2 };

// The tint of a bar of `style` when none is set: blue-gray, or near black.
Color defaultBarTint(BarStyle style);
// Fills `rect` (and nothing outside it) with a vertical gradient from `tint` lightened by
// `top` to `tint` darkened by `bottom` (factors applied to each component).
void fillBarGradient(Canvas& canvas, const Rect& rect, const Color& tint, float top, float bottom);

}  // namespace zu::ui
