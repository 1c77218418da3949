#include "reading/support/CGRectMakeFromDouble.h"

#include <cmath>

namespace zu {

namespace {

float wholePoints(double value) {
  const double whole = std::trunc(value);
  return static_cast<float>(value - whole > 0.5 ? whole + 1 : whole);
}

}  // namespace

ui::Rect CGRectMakeFromDouble(double x, double y, double width, double height) {
  return ui::Rect(wholePoints(x), wholePoints(y), wholePoints(width), wholePoints(height));
}

}  // namespace zu
