// BookCurlGeometry: the values behind the book curl — the path that carries a virtual finger
// to a corner's target, the step of the path parameter per frame, the control point that puts
// a lifted corner under the finger, and the mesh of one curl frame (the flat part of the
// current page, the uncovered part of the page to come, the fold's shadow, and the rolled strip
// of 101 samples with its split where the paper turns over).
//
// Light comes from the viewer: every strip vertex carries the Lambert brightness of the paper
// there (the cosine of the angle between its normal and the line of sight, over an ambient
// floor), and where the roll has turned its back to the viewer that brightness is a little
// lower and the picture seen through the paper is faded toward the paper's own white.
//
// The mesh is worked out for any of the four corners in a corner frame (the corner at the
// origin, u toward the spine, v toward the opposite horizontal edge) and mapped back into
// drawing coordinates, so the four corners share one algorithm. Degenerate fingers (on the
// corner, straight along an edge) are kept finite: angles are held away from 0 and 90 degrees
// and a finger on the corner shows the current page whole.
//
// Pure values; any thread.
#pragma once

#include <array>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu {

class BookCurlGeometry {
 public:
  enum class Corner { kRightBottom, kRightTop, kLeftBottom, kLeftTop };
  // What a frame shows: a curl, or one page whole.
  enum class Show { kCurl, kCurrentPage, kPageToCome };

  // Drawing extents: x from X0 to X1, y from Y0 (the view's bottom) to Y1 (its top).
  struct Extents {
    float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  };

  struct Vertex {
    float x = 0, y = 0, z = 0;  // drawing coordinates; z is the height above the page
    float s = 0, t = 0;         // texture coordinates
    float light = 1;            // brightness the picture is multiplied by
    float fade = 0;             // share of the paper's white over the picture (its back)
  };

  struct Mesh {
    Show show = Show::kCurl;
    std::vector<Vertex> flat;       // current page, spine side of the fold (fan)
    std::vector<Vertex> uncovered;  // page to come, corner side of the fold (fan)
    std::vector<Vertex> shadow;     // fold shadow on the page to come (fan, shadow picture)
    std::vector<Vertex> strip;      // rolled part: 2 vertices per sample, 101 samples
    int split = -1;                 // first sample past half a turn, or -1
    float radius = 0;               // the roll's radius
  };

  static constexpr int kSamples = 101;
  // The light of the paper where its normal leans `angle` radians off the line of sight
  // (0 facing the viewer, π/2 edge on, π the back facing the viewer).
  static constexpr float kAmbient = 0.42f;
  static constexpr float kBackShade = 0.88f;
  static constexpr float kBackFade = 0.55f;
  static float lightAt(float angle);
  static float fadeAt(float angle);

  // --- the path of an animation
  // The control point: the chord's midpoint moved up by half the chord and sideways by that
  // times dy / dx; a vertical chord (dx = 0) gets no sideways move.
  static ui::Point pathControlPoint(ui::Point p0, ui::Point p2);
  // The virtual finger at `t` (0..1): straight, or the eased quadratic curve.
  static ui::Point pathPoint(ui::Point p0, ui::Point p1, ui::Point p2, double t, bool curved);
  // The step of t per frame for a chord p0–p2 in a view `width` wide.
  static double tStep(ui::Point p0, ui::Point p2, float width, bool curved);

  // --- the finger-driven curl: the control point for the lifted `corner` from the finger and
  // the point where the pan started, in a grid of `size`
  static ui::Point fingerControlPoint(Corner corner, ui::Point finger, ui::Point start,
                                      ui::Size size);

  // --- one frame
  // View point (points, y down) to drawing coordinates.
  static ui::Point toDrawing(ui::Point p, ui::Size size, const Extents& e);
  // Whole-page frames by the finger's x (view coordinates).
  static Show wholePage(Corner corner, float fingerX, float width, bool columnStyle);
  // The mesh for `finger` (view coordinates) in a view of `size`.
  static Mesh curl(Corner corner, ui::Point finger, ui::Size size, const Extents& e,
                   bool columnStyle);
};

}  // namespace zu
