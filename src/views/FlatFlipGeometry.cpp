#include "views/FlatFlipGeometry.h"

#include <cstddef>

namespace zu {

namespace {

constexpr std::array<FlatFlipGeometry::TexCoords, 8> kTexCoords = {{
    {0, 1, 0, 0, 0.5f, 0, 0.5f, 1},        // left as is
    {1, 1, 1, 0, 0.5f, 0, 0.5f, 1},        // right mirrored onto left
    {0.5f, 1, 0.5f, 0, 1, 0, 1, 1},        // right as is
    {0.5f, 1, 0.5f, 0, 0, 0, 0, 1},        // left mirrored onto right
    {0, 1, 0, 0.5f, 1, 0.5f, 1, 1},        // upper as is
    {0, 0, 0, 0.5f, 1, 0.5f, 1, 0},        // lower mirrored onto upper
    {0, 0.5f, 0, 0, 1, 0, 1, 0.5f},        // lower as is
    {0, 0.5f, 0, 1, 1, 1, 1, 0.5f},        // upper mirrored onto lower
}};

using H = FlatFlipGeometry::Half;
using M = FlatFlipGeometry::Mapping;

constexpr FlatFlipGeometry::Direction kL2R{H::kLeft, H::kRight, M::kLeftAsIs,
                                           M::kRightMirroredOntoLeft, M::kRightAsIs,
                                           {0, 1, 0}, 1};
constexpr FlatFlipGeometry::Direction kR2L{H::kRight, H::kLeft, M::kRightAsIs,
                                           M::kLeftMirroredOntoRight, M::kLeftAsIs,
                                           {0, 1, 0}, -1};
constexpr FlatFlipGeometry::Direction kU2D{H::kUpper, H::kLower, M::kUpperAsIs,
                                           M::kLowerMirroredOntoUpper, M::kLowerAsIs,
                                           {1, 0, 0}, 1};
constexpr FlatFlipGeometry::Direction kD2U{H::kLower, H::kUpper, M::kLowerAsIs,
                                           M::kUpperMirroredOntoLower, M::kUpperAsIs,
                                           {1, 0, 0}, -1};

}  // namespace

const FlatFlipGeometry::Direction* FlatFlipGeometry::direction(int code) {
  switch (code) {
    case 0: return &kL2R;
    case 1: return &kR2L;
    case 2:
    case 4: return &kU2D;
    case 3: return &kD2U;
    default: return nullptr;
  }
}

FlatFlipGeometry::Quad FlatFlipGeometry::quad(Half half, GLfloat left, GLfloat right,
                                              GLfloat bottom, GLfloat top) {
  const GLfloat x0 = 2 * left;
  const GLfloat x1 = 2 * right;
  const GLfloat y0 = 2 * bottom;
  const GLfloat y1 = 2 * top;
  switch (half) {
    case Half::kLeft: return {x0, y1, 0, x0, y0, 0, 0, y0, 0, 0, y1, 0};
    case Half::kRight: return {0, y1, 0, 0, y0, 0, x1, y0, 0, x1, y1, 0};
    case Half::kUpper: return {x0, y1, 0, x0, 0, 0, x1, 0, 0, x1, y1, 0};
    case Half::kLower: return {x0, 0, 0, x0, y0, 0, x1, y0, 0, x1, 0, 0};
  }
  return {};
}

const FlatFlipGeometry::TexCoords& FlatFlipGeometry::texCoords(Mapping mapping) {
  return kTexCoords[static_cast<std::size_t>(mapping)];
}

}  // namespace zu
