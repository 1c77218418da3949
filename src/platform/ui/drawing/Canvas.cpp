#include "platform/ui/drawing/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

thread_local int tTextHidingDepth = 0;
thread_local uint64_t tHiddenTextRuns = 0;

void roundedRectPath(cairo_t* cr, const Rect& rect, float radius) {
  const Rect r = rect.standardized();
  const double rad = std::clamp(static_cast<double>(radius), 0.0,
                                std::min(r.size.width, r.size.height) / 2.0);
  if (rad <= 0) {
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    return;
  }
  const double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - rad, y0 + rad, rad, -pi / 2, 0);
  cairo_arc(cr, x1 - rad, y1 - rad, rad, 0, pi / 2);
  cairo_arc(cr, x0 + rad, y1 - rad, rad, pi / 2, pi);
  cairo_arc(cr, x0 + rad, y0 + rad, rad, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, const Rect& rect) {
  const Rect r = rect.standardized();
  if (r.size.width <= 0 || r.size.height <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, r.midX(), r.midY());
  cairo_scale(cr, r.size.width / 2.0, r.size.height / 2.0);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void addStops(cairo_pattern_t* pattern, const std::vector<GradientStop>& stops) {
  for (const GradientStop& s : stops) {
    cairo_pattern_add_color_stop_rgba(pattern, s.location, s.color.red, s.color.green,
                                      s.color.blue, s.color.alpha);
  }
}

// One pass of a box blur of `width` taps (odd) along rows (step 1) or columns (step = stride)
// of an 8-bit mask, edges reading as empty.
void boxBlur(std::vector<uint8_t>& mask, int w, int h, int stride, bool rows, int width) {
  const int half = width / 2;
  const int count = rows ? h : w;
  const int length = rows ? w : h;
  const int step = rows ? 1 : stride;
  std::vector<uint8_t> line(static_cast<size_t>(length));
  for (int i = 0; i < count; ++i) {
    uint8_t* base = mask.data() + (rows ? static_cast<size_t>(i) * stride : static_cast<size_t>(i));
    for (int k = 0; k < length; ++k) line[static_cast<size_t>(k)] = base[static_cast<size_t>(k) * step];
    int sum = 0;
    for (int k = -half; k <= half; ++k) sum += (k >= 0 && k < length) ? line[static_cast<size_t>(k)] : 0;
    for (int k = 0; k < length; ++k) {
      base[static_cast<size_t>(k) * step] = static_cast<uint8_t>((sum + width / 2) / width);
      const int out = k - half;
      const int in = k + half + 1;
      if (out >= 0) sum -= line[static_cast<size_t>(out)];
      if (in < length) sum += line[static_cast<size_t>(in)];
    }
  }
}

// The blurred masks made last on this thread, newest first: the shadows of a screen are mostly
// of a few sizes (the tiles of a grid, the rows of a table) and come back every frame, so each
// is blurred once. Owned by the thread; the surfaces are never changed once made.
struct ShadowMasks {
  struct Entry {
    Size size;
    float cornerRadius, sigma, scale;
    cairo_surface_t* mask;
  };
  static constexpr size_t kKept = 32;
  std::vector<Entry> entries;
  ~ShadowMasks() {
    for (Entry& e : entries) cairo_surface_destroy(e.mask);
  }
};

// An A8 surface holding the rounded rectangle of `size` (points, at `pad` from the top left)
// blurred by a gaussian of `sigma` pixels, at `scale` pixels per point; null when too large.
// The surface belongs to this thread's cache.
cairo_surface_t* blurredMask(Size size, float cornerRadius, float sigma, float pad, float scale) {
  thread_local ShadowMasks cache;
  auto& entries = cache.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ShadowMasks::Entry& e = entries[i];
    if (e.size == size && e.cornerRadius == cornerRadius && e.sigma == sigma && e.scale == scale) {
      std::rotate(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i),
                  entries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return entries.front().mask;
    }
  }
  const int w = static_cast<int>(std::ceil((size.width + 2 * pad) * scale));
  const int h = static_cast<int>(std::ceil((size.height + 2 * pad) * scale));
  if (w <= 0 || h <= 0 || static_cast<int64_t>(w) * h > Image::kMaxPixels) return nullptr;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(mask);
    return nullptr;
  }
  {
    cairo_t* m = cairo_create(mask);
    cairo_scale(m, scale, scale);
    roundedRectPath(m, Rect(pad, pad, size.width, size.height), cornerRadius);
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    cairo_fill(m);
    cairo_destroy(m);
  }
  cairo_surface_flush(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  unsigned char* data = cairo_image_surface_get_data(mask);
  std::vector<uint8_t> pixels(data, data + static_cast<size_t>(stride) * h);
  const int box = std::max(1, static_cast<int>(std::lround(std::sqrt(4 * sigma * sigma + 1)))) | 1;
  for (int pass = 0; pass < 3; ++pass) {
    boxBlur(pixels, w, h, stride, true, box);
    boxBlur(pixels, w, h, stride, false, box);
  }
  std::copy(pixels.begin(), pixels.end(), data);
  cairo_surface_mark_dirty(mask);
  if (entries.size() == ShadowMasks::kKept) {
    cairo_surface_destroy(entries.back().mask);
    entries.pop_back();
  }
  entries.insert(entries.begin(), ShadowMasks::Entry{size, cornerRadius, sigma, scale, mask});
  return mask;
}

}  // namespace

Canvas::Canvas(Image& target)
    : cr_(cairo_create(target.surface())), scale_(target.scale()), size_(target.size()) {
  cairo_scale(cr_, scale_, scale_);
  cairo_set_line_width(cr_, 1);
}

Canvas::~Canvas() {
  cairo_surface_t* surface = cairo_get_target(cr_);
  cairo_destroy(cr_);
  cairo_surface_flush(surface);
}

Size Canvas::size() const { return size_; }

void Canvas::save() {
  cairo_save(cr_);
  saved_.push_back({fill_, stroke_});
}

void Canvas::restore() {
  if (saved_.empty()) return;
  cairo_restore(cr_);
  fill_ = saved_.back().fill;
  stroke_ = saved_.back().stroke;
  saved_.pop_back();
}

void Canvas::translate(float x, float y) { cairo_translate(cr_, x, y); }
void Canvas::scale(float sx, float sy) {
  if (sx == 0 || sy == 0) sx = sy = 1e-6f;  // cairo refuses a singular matrix for good
  cairo_scale(cr_, sx, sy);
}
void Canvas::rotate(float radians) { cairo_rotate(cr_, radians); }

void Canvas::concat(const Transform& t) {
  if (!t.isInvertible()) {
    // A view squashed to nothing draws nothing: clip everything away instead of putting cairo
    // into its error state.
    cairo_rectangle(cr_, 0, 0, 0, 0);
    cairo_clip(cr_);
    return;
  }
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  cairo_transform(cr_, &m);
}

Transform Canvas::currentTransform() const {
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  Transform t{static_cast<float>(m.xx), static_cast<float>(m.yx), static_cast<float>(m.xy),
              static_cast<float>(m.yy), static_cast<float>(m.x0), static_cast<float>(m.y0)};
  return Transform::concat(t, Transform::makeScale(1 / scale_, 1 / scale_));
}

void Canvas::clip(const Rect& r) {
  const Rect s = r.standardized();
  cairo_new_path(cr_);
  if (s.isNull()) {
    cairo_rectangle(cr_, 0, 0, 0, 0);
  } else {
    cairo_rectangle(cr_, s.origin.x, s.origin.y, s.size.width, s.size.height);
  }
  cairo_clip(cr_);
}

void Canvas::clipRoundedRect(const Rect& r, float radius) {
  cairo_new_path(cr_);
  roundedRectPath(cr_, r, radius);
  cairo_clip(cr_);
}

void Canvas::clipToPath() { cairo_clip(cr_); }

Rect Canvas::clipBounds() const {
  double x0, y0, x1, y1;
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  return Rect(static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1 - x0),
              static_cast<float>(y1 - y0));
}

void Canvas::setLineWidth(float w) { cairo_set_line_width(cr_, w); }

void Canvas::setSource(const Color& c) { cairo_set_source_rgba(cr_, c.red, c.green, c.blue, c.alpha); }

void Canvas::fillRect(const Rect& r) {
  cairo_new_path(cr_);
  addRect(r);
  fillPath();
}

void Canvas::strokeRect(const Rect& r) {
  cairo_new_path(cr_);
  addRect(r);
  strokePath();
}

void Canvas::clearRect(const Rect& r) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_new_path(cr_);
  addRect(r);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void Canvas::fillEllipse(const Rect& r) {
  cairo_new_path(cr_);
  ellipsePath(cr_, r);
  fillPath();
}

void Canvas::strokeEllipse(const Rect& r) {
  cairo_new_path(cr_);
  ellipsePath(cr_, r);
  strokePath();
}

void Canvas::fillRoundedRect(const Rect& r, float radius) {
  cairo_new_path(cr_);
  roundedRectPath(cr_, r, radius);
  fillPath();
}

void Canvas::strokeRoundedRect(const Rect& r, float radius) {
  cairo_new_path(cr_);
  roundedRectPath(cr_, r, radius);
  strokePath();
}

void Canvas::fillBlurredRoundedRect(const Rect& rect, float cornerRadius, const Color& color, float blurRadius) {
  const Rect r = rect.standardized();
  if (r.isEmpty() || !(color.alpha > 0)) return;
  if (!(blurRadius > 0)) {
    save();
    setFillColor(color);
    fillRoundedRect(r, cornerRadius);
    restore();
    return;
  }
  // The mask is drawn at the target's density: a sigma of radius / 2 points, blurred by three
  // box passes (which approach a gaussian), with room around the shape for the spread.
  const float sigma = blurRadius / 2 * scale_;
  const float pad = std::ceil(3 * sigma / scale_ + 1);
  cairo_surface_t* mask = blurredMask(r.size, cornerRadius, sigma, pad, scale_);
  if (!mask) return;
  cairo_save(cr_);
  setSource(color);
  cairo_translate(cr_, r.origin.x - pad, r.origin.y - pad);
  cairo_scale(cr_, 1 / scale_, 1 / scale_);
  cairo_mask_surface(cr_, mask, 0, 0);
  cairo_restore(cr_);
}

void Canvas::beginPath() { cairo_new_path(cr_); }
void Canvas::moveTo(Point p) { cairo_move_to(cr_, p.x, p.y); }
void Canvas::lineTo(Point p) { cairo_line_to(cr_, p.x, p.y); }
void Canvas::curveTo(Point c1, Point c2, Point p) {
  cairo_curve_to(cr_, c1.x, c1.y, c2.x, c2.y, p.x, p.y);
}

void Canvas::addArc(Point center, float radius, float startAngle, float endAngle, bool clockwise) {
  if (clockwise) {
    cairo_arc(cr_, center.x, center.y, radius, startAngle, endAngle);
  } else {
    cairo_arc_negative(cr_, center.x, center.y, radius, startAngle, endAngle);
  }
}

void Canvas::addRect(const Rect& r) {
  const Rect s = r.standardized();
  if (s.isNull()) return;
  cairo_rectangle(cr_, s.origin.x, s.origin.y, s.size.width, s.size.height);
}

void Canvas::addRoundedRect(const Rect& r, float radius) { roundedRectPath(cr_, r, radius); }
void Canvas::addEllipse(const Rect& r) { ellipsePath(cr_, r); }
void Canvas::closePath() { cairo_close_path(cr_); }

void Canvas::fillPath(bool evenOdd) {
  setSource(fill_);
  cairo_set_fill_rule(cr_, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr_);
}

void Canvas::strokePath() {
  setSource(stroke_);
  cairo_stroke(cr_);
}

void Canvas::drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end) {
  cairo_pattern_t* p = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
  addStops(p, stops);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_set_source(cr_, p);
  cairo_paint(cr_);
  cairo_pattern_destroy(p);
}

void Canvas::drawRadialGradient(const std::vector<GradientStop>& stops, Point c0, float r0,
                                Point c1, float r1) {
  cairo_pattern_t* p = cairo_pattern_create_radial(c0.x, c0.y, r0, c1.x, c1.y, r1);
  addStops(p, stops);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_set_source(cr_, p);
  cairo_paint(cr_);
  cairo_pattern_destroy(p);
}

void Canvas::drawImagePart(const Image& image, const Rect& src, const Rect& dst, float alpha) {
  if (src.size.width <= 0 || src.size.height <= 0 || dst.size.width <= 0 || dst.size.height <= 0) {
    return;
  }
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, dst.origin.x, dst.origin.y, dst.size.width, dst.size.height);
  cairo_clip(cr_);
  cairo_translate(cr_, dst.origin.x, dst.origin.y);
  cairo_scale(cr_, dst.size.width / src.size.width, dst.size.height / src.size.height);
  cairo_translate(cr_, -src.origin.x, -src.origin.y);
  // A part of the image is sampled from a sub-surface, so stretching one cap never blends in
  // pixels of its neighbour.
  const bool whole = src.origin.x == 0 && src.origin.y == 0 &&
                     src.size.width == static_cast<float>(image.pixelWidth()) &&
                     src.size.height == static_cast<float>(image.pixelHeight());
  cairo_surface_t* source = whole ? cairo_surface_reference(image.surface())
                                  : cairo_surface_create_for_rectangle(
                                        image.surface(), src.origin.x, src.origin.y,
                                        src.size.width, src.size.height);
  if (!whole) cairo_translate(cr_, src.origin.x, src.origin.y);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(source);
  cairo_surface_destroy(source);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  if (src.size.width == dst.size.width && src.size.height == dst.size.height) {
    cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
  }
  cairo_set_source(cr_, p);
  if (alpha >= 1) {
    cairo_paint(cr_);
  } else {
    cairo_paint_with_alpha(cr_, alpha);
  }
  cairo_pattern_destroy(p);
  cairo_restore(cr_);
}

void Canvas::drawImage(const Image& image, const Rect& rect, float alpha) {
  if (const auto& caps = image.capInsets()) {
    const float s = image.scale();
    const float w = static_cast<float>(image.pixelWidth());
    const float h = static_cast<float>(image.pixelHeight());
    drawImageSlices(image, rect, caps->left * s, w - (caps->left + caps->right) * s, caps->top * s,
                    h - (caps->top + caps->bottom) * s, alpha);
    return;
  }
  // Caps are points: a double-density picture has caps twice as many pixels wide.
  const float l = static_cast<float>(image.leftCapWidth()) * image.scale();
  const float t = static_cast<float>(image.topCapHeight()) * image.scale();
  // A stretchable image stretches its one-pixel middle column and row.
  drawImageSlices(image, rect, l, l > 0 ? 1 : 0, t, t > 0 ? 1 : 0, alpha);
}

void Canvas::drawImageStretching(const Image& image, const Rect& rect, const Rect& stretch, float alpha) {
  const float w = static_cast<float>(image.pixelWidth());
  const float h = static_cast<float>(image.pixelHeight());
  const Rect unit(0, 0, 1, 1);
  const Rect s = stretch.standardized().intersection(unit);
  // A stretchable image keeps its own caps, as it does everywhere it is drawn.
  if (s.isEmpty() || s == unit || image.hasCaps()) {
    drawImage(image, rect, alpha);
    return;
  }
  drawImageSlices(image, rect, s.origin.x * w, s.size.width * w, s.origin.y * h, s.size.height * h, alpha);
}

void Canvas::drawImageSlices(const Image& image, const Rect& rect, float left, float middleWidth,
                             float top, float middleHeight, float alpha) {
  const Rect d = rect.standardized();
  if (d.isEmpty() || !(alpha > 0)) return;
  const float w = static_cast<float>(image.pixelWidth());
  const float h = static_cast<float>(image.pixelHeight());
  const float s = image.scale();
  if (middleWidth <= 0 && middleHeight <= 0) {
    drawImagePart(image, Rect(0, 0, w, h), d, alpha);
    return;
  }
  // Source columns and rows (pixels) and their destination extents (points): the parts before
  // and after the middle keep their size, the middle stretches; when the destination is smaller
  // than those parts, they shrink in proportion.
  struct Span {
    float src0, src1, dst0, dst1;
  };
  auto spans = [s](float before, float middle, float total, float origin, float extent) {
    std::vector<Span> out;
    if (middle <= 0) {
      out.push_back({0, total, origin, origin + extent});
      return out;
    }
    const float after = std::max(0.f, total - before - middle);
    float capA = before / s;
    float capB = after / s;
    float stretched = extent - capA - capB;
    if (stretched < 0) {
      const float k = (capA + capB) > 0 ? extent / (capA + capB) : 0;
      capA *= k;
      capB *= k;
      stretched = 0;
    }
    out.push_back({0, before, origin, origin + capA});
    out.push_back({before, before + middle, origin + capA, origin + capA + stretched});
    out.push_back({before + middle, total, origin + capA + stretched, origin + extent});
    return out;
  };
  // The parts are added up in a group of their own: where two meet inside a pixel (a
  // fractional width or position), their partial coverages sum to the whole pixel instead of
  // each letting the background show through, which left a light seam.
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, d.origin.x, d.origin.y, d.size.width, d.size.height);
  cairo_clip(cr_);
  cairo_push_group(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_ADD);
  for (const Span& row : spans(top, middleHeight, h, d.origin.y, d.size.height)) {
    for (const Span& col : spans(left, middleWidth, w, d.origin.x, d.size.width)) {
      drawImagePart(image, Rect(col.src0, row.src0, col.src1 - col.src0, row.src1 - row.src0),
                    Rect(col.dst0, row.dst0, col.dst1 - col.dst0, row.dst1 - row.dst0), 1);
    }
  }
  cairo_pop_group_to_source(cr_);
  if (alpha >= 1) {
    cairo_paint(cr_);
  } else {
    cairo_paint_with_alpha(cr_, alpha);
  }
  cairo_restore(cr_);
}

void Canvas::drawImage(const Image& image, const Rect& bounds, ContentMode mode, float alpha) {
  save();
  clip(bounds);
  drawImage(image, contentRect(mode, image.size(), bounds), alpha);
  restore();
}

Size Canvas::drawText(std::string_view text, const Rect& rect, const Font& font,
                      const Color& color, LineBreakMode mode, TextAlignment alignment) {
  return TextMetrics::current().draw(*this, text, rect, font, color, mode, alignment);
}

void Canvas::beginTransparencyLayer() { cairo_push_group(cr_); }

void Canvas::endTransparencyLayer(float alpha) {
  cairo_pop_group_to_source(cr_);
  cairo_paint_with_alpha(cr_, std::clamp(alpha, 0.f, 1.f));
}

Canvas::TextHiding::TextHiding() { ++tTextHidingDepth; }
Canvas::TextHiding::~TextHiding() { --tTextHidingDepth; }
bool Canvas::textHidden() { return tTextHidingDepth > 0; }
void Canvas::noteHiddenText() { ++tHiddenTextRuns; }
uint64_t Canvas::hiddenTextRuns() { return tHiddenTextRuns; }

}  // namespace zu::ui
