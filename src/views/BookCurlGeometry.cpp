#include "views/BookCurlGeometry.h"

#include <algorithm>
#include <cmath>

namespace zu {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Angles of the fold are kept this far (radians) from 0 and 90 degrees, so that neither its
// sine nor its cosine divides by zero.
constexpr float kMinAngle = 1e-3f;
// The margin the roll's radius shrinks by, in points.
constexpr float kRollMargin = 50.0f;

struct Local {
  float u = 0, v = 0;
};

using Polygon = std::vector<Local>;

// The part of a convex polygon where u·nu + v·nv ≥ bound (flip the normal for ≤).
Polygon clip(const Polygon& in, float nu, float nv, float bound) {
  Polygon out;
  const size_t n = in.size();
  for (size_t i = 0; i < n; ++i) {
    const Local& a = in[i];
    const Local& b = in[(i + 1) % n];
    const float da = a.u * nu + a.v * nv - bound;
    const float db = b.u * nu + b.v * nv - bound;
    if (da >= 0) out.push_back(a);
    if ((da >= 0) != (db >= 0)) {
      const float k = da / (da - db);
      out.push_back({a.u + k * (b.u - a.u), a.v + k * (b.v - a.v)});
    }
  }
  return out;
}

Polygon rect(float width, float height) {
  return {{0, 0}, {width, 0}, {width, height}, {0, height}};
}

bool isRight(BookCurlGeometry::Corner c) {
  return c == BookCurlGeometry::Corner::kRightBottom || c == BookCurlGeometry::Corner::kRightTop;
}

bool isBottom(BookCurlGeometry::Corner c) {
  return c == BookCurlGeometry::Corner::kRightBottom ||
         c == BookCurlGeometry::Corner::kLeftBottom;
}

}  // namespace

float BookCurlGeometry::lightAt(float angle) {
  const float lambert = kAmbient + (1 - kAmbient) * std::fabs(std::cos(angle));
  return angle > static_cast<float>(kPi / 2) ? kBackShade * lambert : lambert;
}

float BookCurlGeometry::fadeAt(float angle) {
  return angle > static_cast<float>(kPi / 2) ? kBackFade : 0.0f;
}

ui::Point BookCurlGeometry::pathControlPoint(ui::Point p0, ui::Point p2) {
  ui::Point p1{(p0.x + p2.x) / 2, (p0.y + p2.y) / 2};
  const float dx = p0.x - p2.x;
  const float dy = p0.y - p2.y;
  const float h = 0.5f * std::sqrt(dx * dx + dy * dy);
  p1.y -= h;
  if (std::fabs(dx) > 1e-6f) p1.x += h * dy / dx;
  return p1;
}

ui::Point BookCurlGeometry::pathPoint(ui::Point p0, ui::Point p1, ui::Point p2, double t,
                                      bool curved) {
  t = std::clamp(t, 0.0, 1.0);
  if (!curved) {
    return {static_cast<float>((1 - t) * p0.x + t * p2.x),
            static_cast<float>((1 - t) * p0.y + t * p2.y)};
  }
  const double s = std::sin(t * kPi / 2);
  const double a = (1 - s) * (1 - s);
  const double b = 2 * (1 - s) * s;
  const double c = s * s;
  return {static_cast<float>(a * p0.x + b * p1.x + c * p2.x),
          static_cast<float>(a * p0.y + b * p1.y + c * p2.y)};
}

double BookCurlGeometry::tStep(ui::Point p0, ui::Point p2, float width, bool curved) {
  if (curved) return 0.14;
  const double dx = static_cast<double>(p2.x) - p0.x;
  const double dy = static_cast<double>(p2.y) - p0.y;
  const double chord = std::sqrt(dx * dx + dy * dy);
  if (chord > 0.5 * width) return 0.24;
  if (chord > 0.2 * width) return 0.18;
  return 0.14;
}

ui::Point BookCurlGeometry::fingerControlPoint(Corner corner, ui::Point f, ui::Point s,
                                               ui::Size size) {
  const float w = size.width;
  const float h = size.height;
  const bool right = isRight(corner);
  const bool bottom = isBottom(corner);
  const float ex = right ? w : 0;
  const float d = std::hypot(f.x - ex, f.y - s.y);
  // A finger on the lifted side at the start's height lifts nothing: the corner stays.
  if (!(d > 1e-4f)) return {ex, bottom ? h : 0};
  const float cosA = std::clamp((right ? w - f.x : f.x) / d, -1.0f, 1.0f);
  const float sinA = std::sqrt(1 - cosA * cosA);
  const float k = d + (bottom ? h - s.y : s.y) * sinA;
  const float x = right ? w - k * cosA : k * cosA;
  const float y = bottom ? h - k * sinA : k * sinA;
  return {x, y};
}

ui::Point BookCurlGeometry::toDrawing(ui::Point p, ui::Size size, const Extents& e) {
  return {p.x / size.width * (e.x1 - e.x0) + e.x0, (1 - p.y / size.height) * (e.y1 - e.y0) + e.y0};
}

BookCurlGeometry::Show BookCurlGeometry::wholePage(Corner corner, float x, float width,
                                                   bool columnStyle) {
  if (std::isnan(x)) return Show::kCurrentPage;
  if (isRight(corner)) {
    if (x >= width) return Show::kCurrentPage;
    if (x <= (columnStyle ? 0 : -width)) return Show::kPageToCome;
  } else {
    if (x <= 0) return Show::kCurrentPage;
    if (x >= (columnStyle ? width : 2 * width)) return Show::kPageToCome;
  }
  return Show::kCurl;
}

BookCurlGeometry::Mesh BookCurlGeometry::curl(Corner corner, ui::Point finger, ui::Size size,
                                              const Extents& e, bool columnStyle) {
  Mesh mesh;
  mesh.show = wholePage(corner, finger.x, size.width, columnStyle);
  if (mesh.show != Show::kCurl) return mesh;
  if (!(size.width > 0) || !(size.height > 0) || std::isnan(finger.y)) {
    mesh.show = Show::kCurrentPage;
    return mesh;
  }
  const bool right = isRight(corner);
  const bool bottom = isBottom(corner);
  // The corner frame: u = sx (x − cx), v = sy (y − cy).
  const float cx = right ? e.x1 : e.x0;
  const float cy = bottom ? e.y0 : e.y1;
  const float sx = right ? -1.0f : 1.0f;
  const float sy = bottom ? 1.0f : -1.0f;
  const float pageW = e.x1 - e.x0;
  const float pageH = e.y1 - e.y0;
  const float turnW = columnStyle ? (right ? e.x1 : -e.x0) : pageW;

  const ui::Point f = toDrawing(finger, size, e);
  const float fu = sx * (f.x - cx);
  const float fv = sy * (f.y - cy);
  const float d = std::hypot(fu, fv);
  // A finger on the corner lifts nothing.
  if (!(d > pageW * 1e-5f)) {
    mesh.show = Show::kCurrentPage;
    return mesh;
  }
  const float theta = std::clamp(std::atan2(std::fabs(fv), std::fabs(fu)), kMinAngle,
                                 static_cast<float>(kPi / 2) - kMinAngle);
  const float cosT = std::cos(theta);
  const float sinT = std::sin(theta);
  const float reach = turnW * cosT;  // the fold never passes the spine
  const float fold = std::min(d, reach);
  const float rolled = d <= reach ? d : 2 * reach - d;
  const float margin = kRollMargin / size.width * pageW;
  const float r = std::max((rolled - margin) / static_cast<float>(kPi),
                           (fold + 0.00001f) / static_cast<float>(kPi) * (sinT + 0.00001f));
  mesh.radius = r;

  auto vertex = [&](Local q, float height) {
    const float x = cx + sx * q.u;
    const float y = cy + sy * q.v;
    return Vertex{x, y, height, (x - e.x0) / pageW, (y - e.y0) / pageH};
  };
  auto fan = [&](const Polygon& polygon) {
    std::vector<Vertex> out;
    out.reserve(polygon.size());
    for (const Local& q : polygon) out.push_back(vertex(q, 0));
    return out;
  };

  // The flat part reaches half a point under the roll: drawn at their own depths, the two
  // edges along the fold would otherwise leave single pixels open between them.
  const float overlap = 0.5f / size.width * pageW;
  mesh.flat = fan(clip(rect(pageW, pageH), cosT, sinT, fold - overlap));
  const Polygon turning = rect(turnW, pageH);
  mesh.uncovered = fan(clip(turning, -cosT, -sinT, -fold));
  const float band = 1.5f * r;
  mesh.shadow = fan(clip(clip(turning, -cosT, -sinT, -fold), cosT, sinT, fold - band));
  for (Vertex& v : mesh.shadow) {
    // The picture's s runs from 0.5 at the fold to 1 at the band's outer edge.
    const float u = sx * (v.x - cx);
    const float w = sy * (v.y - cy);
    const float depth = fold - (u * cosT + w * sinT);
    v.s = 0.5f + 0.5f * std::clamp(depth / band, 0.0f, 1.0f);
    v.t = (v.y - e.y0) / pageH;
  }

  // The rolled strip: sample i lies at arc length 0.01 i × fold from the fold toward the corner.
  const float halfTurn = static_cast<float>(kPi) * r;
  mesh.strip.reserve(2 * kSamples);
  for (int i = 0; i < kSamples; ++i) {
    const float arc = 0.01f * static_cast<float>(i) * fold;
    const float c = std::max(fold - arc, 0.0f);
    const Local a{std::min(c / cosT, turnW), 0};
    const float up = c / sinT;
    const Local b = up <= pageH ? Local{0, up} : Local{(c - pageH * sinT) / cosT, pageH};
    float along;
    float height;
    // The angle of the paper's normal to the line of sight: the arc turned on the roll.
    const float angle = std::min(arc / r, static_cast<float>(kPi));
    if (arc <= halfTurn) {
      along = fold - r * std::sin(arc / r);
      height = r * (1 - std::cos(arc / r));
    } else {
      along = fold + (arc - halfTurn);
      height = 2 * r;
      if (mesh.split < 0 && i <= kSamples - 3) mesh.split = i;
    }
    for (const Local& q : {a, b}) {
      Vertex v = vertex(q, height);
      v.x += sx * (along - c) * cosT;
      v.y += sy * (along - c) * sinT;
      v.light = lightAt(angle);
      v.fade = fadeAt(angle);
      mesh.strip.push_back(v);
    }
  }
  return mesh;
}

}  // namespace zu
