// RawPangoContext: the benchmarks' reference for text — a bare Pango context over its own font
// map, configured as the kit's metrics configure theirs (72 dpi, no metric or outline hinting),
// and the installed CJK face at a size, for laying text out with plain Pango layouts in the
// same run as our code. Made and used on the benchmark thread; frees what it made.
#pragma once

#include <pango/pangocairo.h>

namespace zu {

class RawPangoContext {
 public:
  explicit RawPangoContext(float pointSize) {
    pango_cairo_context_set_resolution(context_, 72);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);
    pango_font_description_set_absolute_size(font_, pointSize * PANGO_SCALE);
  }
  ~RawPangoContext() {
    pango_font_description_free(font_);
    g_object_unref(context_);
    g_object_unref(map_);
  }
  RawPangoContext(const RawPangoContext&) = delete;
  RawPangoContext& operator=(const RawPangoContext&) = delete;

  PangoContext* context() const { return context_; }
  // The installed face at the size given.
  const PangoFontDescription* font() const { return font_; }

 private:
  PangoFontMap* map_ = pango_cairo_font_map_new();
  PangoContext* context_ = pango_font_map_create_context(map_);
  PangoFontDescription* font_ = pango_font_description_from_string("WenQuanYi Micro Hei");
};

}  // namespace zu
