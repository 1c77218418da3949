// Canvas: the drawing surface handed to View::draw and used by the renderer — a cairo context
// over an Image's pixels, in points (the image's scale applied underneath), y down, origin top
// left. Colours are straight RGBA; the pixels come out premultiplied.
//
// State (transform, clip, colours, line width, path) is saved and restored with save/restore,
// which must pair; the destructor drops unbalanced saves. The current path is consumed by
// fillPath/strokePath/clipToPath. beginTransparencyLayer/endTransparencyLayer draw a group and
// composite it with an alpha (how view alpha is applied: the group, not each stroke, is faded).
//
// Kept from the phone's drawing context: fills and strokes follow the current transform and
// clip; a stroke is centred on the path; drawing an image into a rectangle scales it to fill
// that rectangle (stretchable images keep their caps unscaled); gradients fill the current
// clip. Where we differ: there is no flipped (y-up) context mode.
//
// Text can be left out: while a TextHiding scope is open on a thread, text that any canvas of
// that thread is asked to draw (through TextMetrics) is not drawn but counted — the renderer's
// picture of what lies under the text (renderWithoutText), which the contrast audit measures.
//
// Threads: a Canvas belongs to the thread that made it; its Image must outlive it.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/ContentMode.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/drawing/Transform.h"

typedef struct _cairo cairo_t;

namespace zu::ui {

class Image;

struct GradientStop {
  float location = 0;  // 0…1 along the gradient
  Color color;
};

class Canvas {
 public:
  // Draws into `target`, whose whole area is the initial clip.
  explicit Canvas(Image& target);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The target's size in points.
  Size size() const;
  // The target's pixels per point.
  float pixelScale() const { return scale_; }

  void save();
  void restore();

  void translate(float x, float y);
  void scale(float sx, float sy);
  void rotate(float radians);
  void concat(const Transform& t);
  // Points to target points (the image scale not included).
  Transform currentTransform() const;

  void clip(const Rect& r);
  void clipRoundedRect(const Rect& r, float radius);
  // Intersects the clip with the current path (consumed).
  void clipToPath();
  // The clip's bounding box in current coordinates.
  Rect clipBounds() const;

  void setFillColor(const Color& c) { fill_ = c; }
  void setStrokeColor(const Color& c) { stroke_ = c; }
  void setLineWidth(float w);
  const Color& fillColor() const { return fill_; }
  const Color& strokeColor() const { return stroke_; }

  void fillRect(const Rect& r);
  void strokeRect(const Rect& r);
  // Makes the area transparent.
  void clearRect(const Rect& r);
  void fillEllipse(const Rect& r);
  void strokeEllipse(const Rect& r);
  void fillRoundedRect(const Rect& r, float radius);
  void strokeRoundedRect(const Rect& r, float radius);

  // A soft shadow of the rounded rectangle: its shape filled with `color` and blurred by
  // `blurRadius` points (a gaussian of deviation blurRadius / 2, as the phone's layer shadow),
  // at the canvas's pixel density. A radius of 0 fills the shape with hard edges.
  void fillBlurredRoundedRect(const Rect& r, float cornerRadius, const Color& color, float blurRadius);

  void beginPath();
  void moveTo(Point p);
  void lineTo(Point p);
  void curveTo(Point c1, Point c2, Point p);
  // An arc around `center`; angles in radians, clockwise on screen when `clockwise`.
  void addArc(Point center, float radius, float startAngle, float endAngle, bool clockwise);
  void addRect(const Rect& r);
  void addRoundedRect(const Rect& r, float radius);
  void addEllipse(const Rect& r);
  void closePath();
  void fillPath(bool evenOdd = false);
  void strokePath();

  // Fills the current clip with a gradient from `start` to `end` (colours pad beyond the ends).
  void drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end);
  void drawRadialGradient(const std::vector<GradientStop>& stops, Point startCenter,
                          float startRadius, Point endCenter, float endRadius);

  // Scales `image` to fill `rect` (caps of a stretchable image stay their size in points; where
  // its parts meet inside a pixel they add up to it, so no background shows between them).
  void drawImage(const Image& image, const Rect& rect, float alpha = 1);
  // Fills `rect` stretching only the part of `image` inside `stretch` (a rectangle in unit
  // coordinates of the image, as a view's contentStretch): the parts around it keep their size,
  // shrinking in proportion only when `rect` is smaller than they are. The whole unit rectangle
  // (or an empty one), or an image with caps, is drawn as drawImage draws it.
  void drawImageStretching(const Image& image, const Rect& rect, const Rect& stretch, float alpha = 1);
  // Places `image` in `bounds` by `mode`, clipped to `bounds`.
  void drawImage(const Image& image, const Rect& bounds, ContentMode mode, float alpha = 1);

  // Draws text wrapped into `rect` with the current TextMetrics; returns the size used.
  Size drawText(std::string_view text, const Rect& rect, const Font& font, const Color& color,
                LineBreakMode mode = LineBreakMode::WordWrap,
                TextAlignment alignment = TextAlignment::Left);

  void beginTransparencyLayer();
  void endTransparencyLayer(float alpha);

  // The underlying cairo context, for the view kit's own drawing code (text, GL frames).
  cairo_t* native() const { return cr_; }

  // While one lives, text is left out of every canvas of this thread (scopes nest).
  class TextHiding {
   public:
    TextHiding();
    ~TextHiding();
    TextHiding(const TextHiding&) = delete;
    TextHiding& operator=(const TextHiding&) = delete;
  };
  // True while a TextHiding scope is open on this thread; text drawing code asks before drawing
  // and calls noteHiddenText instead.
  static bool textHidden();
  static void noteHiddenText();
  // How many runs of text this thread has left out so far (never reset; compare two readings).
  static uint64_t hiddenTextRuns();

 private:
  void setSource(const Color& c);
  void drawImagePart(const Image& image, const Rect& src, const Rect& dst, float alpha);
  // Nine parts: the middle column and row (pixels) stretch, the rest keeps its size.
  void drawImageSlices(const Image& image, const Rect& rect, float left, float middleWidth, float top,
                       float middleHeight, float alpha);

  cairo_t* cr_;
  float scale_;
  Size size_;
  Color fill_ = Color::blackColor();
  Color stroke_ = Color::blackColor();
  struct Saved {
    Color fill;
    Color stroke;
  };
  std::vector<Saved> saved_;
};

}  // namespace zu::ui
