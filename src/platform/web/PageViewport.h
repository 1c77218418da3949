// PageViewport: how wide a page is laid out and how large the web view draws it — the phone's
// rule for a web view's pages, which the engine (a desktop engine) does not apply by itself.
//
//  - A view that scales pages to fit lays a page out at the width its viewport meta element
//    asks for ("width=device-width", "width=320"), or at kDefaultLayoutWidth when it asks for
//    none (the width the phone gave pages written for a desktop screen), and zooms that width
//    to the view's: a page of 980 shows whole, at a third of its size.
//  - A view that does not lays every page out at its own width and draws it unscaled, one page
//    pixel to a point; a page wider than that shows its left part and scrolls sideways.
//
// Kept from the phone: the viewport's content is read as the phone's engine reads it — pairs of
// key and value separated by commas, semicolons or spaces, keys in any case, a number read up
// to its first other character, "device-width" and "device-height" for the view's sides, widths
// kept within 1…10000 and the zoom within the phone's 0.1…5; a value that is no width (a word,
// a negative number) names none.
// Where we differ on purpose: only the width is taken. The engine draws at the screen's own
// density (a page pixel is a point however many pixels a point has), so the phone's scale
// values, which article pages use to map page pixels to the pixels of a double-density screen,
// would only shrink the page here.
//
// Pure functions; any thread.
#pragma once

#include <optional>
#include <string_view>

namespace zu::web {

class PageViewport {
 public:
  static constexpr float kDefaultLayoutWidth = 980;
  static constexpr float kMinWidth = 1;
  static constexpr float kMaxWidth = 10000;
  // The phone's bounds of a page's scale.
  static constexpr float kMinZoom = 0.1f;
  static constexpr float kMaxZoom = 5;

  // The width the viewport content `content` asks for, on a view of `viewWidth` × `viewHeight`
  // points; nullopt when it asks for none.
  static std::optional<float> declaredWidth(std::string_view content, float viewWidth, float viewHeight);

  // Points per page pixel (within kMinZoom…kMaxZoom).
  static float zoom(std::optional<float> declared, float viewWidth, bool scalesPageToFit);
  // The width a page is laid out at, in page pixels: the view's width at that zoom.
  static float layoutWidth(std::optional<float> declared, float viewWidth, bool scalesPageToFit);
};

}  // namespace zu::web
