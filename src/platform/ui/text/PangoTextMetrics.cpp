#include "platform/ui/text/PangoTextMetrics.h"

#include <pango/pangocairo.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <map>
#include <utility>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/ClusterLimit.h"

namespace zu::ui {

namespace {

constexpr const char* kFamily = "WenQuanYi Micro Hei";
// The synthesised slant of italic text: x moves right by this much per point above the
// baseline (about 11°, the slant font renderers give a face without an italic).
constexpr double kItalicSlant = 0.2;

void configure(PangoContext* context) {
  pango_cairo_context_set_resolution(context, 72);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
}

struct Description {
  PangoFontDescription* desc;
  explicit Description(const Font& font) : desc(pango_font_description_new()) {
    pango_font_description_set_family_static(desc, kFamily);
    pango_font_description_set_weight(desc, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    const float size = font.pointSize > 0 ? font.pointSize : 1;
    pango_font_description_set_absolute_size(desc, size * PANGO_SCALE);
  }
  ~Description() { pango_font_description_free(desc); }
  Description(const Description&) = delete;
  Description& operator=(const Description&) = delete;
};

// This thread's measuring layout and line heights.
struct Measurer {
  PangoFontMap* map;
  PangoContext* context;
  PangoLayout* layout;
  std::map<std::pair<bool, float>, float> lineHeights;

  Measurer() {
    map = pango_cairo_font_map_new();
    context = pango_font_map_create_context(map);
    configure(context);
    layout = pango_layout_new(context);
    // Always one line: separators other than the newlines replaced below must not break it.
    pango_layout_set_single_paragraph_mode(layout, TRUE);
  }
  ~Measurer() {
    g_object_unref(layout);
    g_object_unref(context);
    g_object_unref(map);
  }
};

Measurer& measurer() {
  static thread_local Measurer m;
  return m;
}

thread_local uint64_t tCharactersShaped = 0;

// Hands `utf8` (`characters` long) to Pango as the layout's text.
void setLayoutText(PangoLayout* layout, const std::string& utf8, size_t characters) {
  tCharactersShaped += characters;
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
}

}  // namespace

float PangoTextMetrics::lineHeight(const Font& font) const {
  Measurer& m = measurer();
  const auto key = std::make_pair(font.isBold(), font.pointSize);
  auto it = m.lineHeights.find(key);
  if (it != m.lineHeights.end()) return it->second;
  Description d(font);
  PangoFontMetrics* metrics = pango_context_get_metrics(m.context, d.desc, nullptr);
  const float h = static_cast<float>(pango_font_metrics_get_ascent(metrics) +
                                     pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
  pango_font_metrics_unref(metrics);
  m.lineHeights.emplace(key, h);
  return h;
}

std::vector<float> PangoTextMetrics::offsets(const std::u32string& text, const Font& font) const {
  std::vector<float> out(text.size() + 1, 0);
  if (text.empty()) return out;
  std::string utf8;
  // For each character given to Pango: its byte offset there and its index in `text` (hidden
  // control characters and the marks past a cluster's limit are not given: they keep no width).
  std::vector<int> byteIndex;
  std::vector<size_t> textIndex;
  byteIndex.reserve(text.size());
  textIndex.reserve(text.size());
  ClusterLimit limit;
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (!limit.keeps(c) || ClusterLimit::isHiddenControl(c)) continue;
    byteIndex.push_back(static_cast<int>(utf8.size()));
    textIndex.push_back(i);
    // Newlines and tabs would start a new line or jump: measure them as spaces.
    StringUtil::appendUtf8(utf8, c == U'\n' || c == U'\t' ? U' ' : c);
  }
  if (utf8.empty()) return out;
  Measurer& m = measurer();
  Description d(font);
  pango_layout_set_font_description(m.layout, d.desc);
  setLayoutText(m.layout, utf8, byteIndex.size());
  // One pass over the line's glyph runs: each run gives the advances of its characters, so a
  // text is measured in time proportional to its length.
  std::vector<float> advance(text.size(), 0);
  PangoLayoutLine* line = pango_layout_get_line_readonly(m.layout, 0);
  std::vector<int> widths;
  for (GSList* l = line ? line->runs : nullptr; l; l = l->next) {
    auto* run = static_cast<PangoGlyphItem*>(l->data);
    const int chars = run->item->num_chars;
    const auto first = static_cast<size_t>(
        std::lower_bound(byteIndex.begin(), byteIndex.end(), run->item->offset) -
        byteIndex.begin());
    widths.assign(static_cast<size_t>(chars), 0);
    pango_glyph_item_get_logical_widths(run, utf8.data(), widths.data());
    for (int k = 0; k < chars && first + static_cast<size_t>(k) < textIndex.size(); ++k) {
      advance[textIndex[first + static_cast<size_t>(k)]] =
          static_cast<float>(widths[static_cast<size_t>(k)]) / PANGO_SCALE;
    }
  }
  for (size_t i = 0; i < text.size(); ++i) out[i + 1] = out[i] + std::max(0.0f, advance[i]);
  return out;
}

std::vector<float> PangoTextMetrics::caretOffsets(const std::u32string& text, const Font& font) const {
  const bool rightToLeft = std::any_of(text.begin(), text.end(), [](char32_t c) {
    const UCharDirection direction = u_charDirection(static_cast<UChar32>(c));
    return direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC;
  });
  if (!rightToLeft) return offsets(text, font);
  // The line as paintLine hands it to Pango (hidden characters left out), and for each
  // boundary of `text` the byte of the first character given at or after it.
  std::string utf8;
  std::vector<int> byteAt(text.size() + 1, 0);
  ClusterLimit limit;
  for (size_t i = 0; i < text.size(); ++i) {
    byteAt[i] = static_cast<int>(utf8.size());
    const char32_t c = text[i];
    if (!limit.keeps(c) || ClusterLimit::isHiddenControl(c)) continue;
    StringUtil::appendUtf8(utf8, c == U'\n' || c == U'\t' ? U' ' : c);
  }
  byteAt[text.size()] = static_cast<int>(utf8.size());
  Measurer& m = measurer();
  Description d(font);
  pango_layout_set_font_description(m.layout, d.desc);
  setLayoutText(m.layout, utf8, text.size());
  std::vector<float> out(text.size() + 1, 0);
  for (size_t i = 0; i <= text.size(); ++i) {
    PangoRectangle strong;
    pango_layout_get_cursor_pos(m.layout, byteAt[i], &strong, nullptr);
    out[i] = static_cast<float>(strong.x) / PANGO_SCALE;
  }
  return out;
}

void PangoTextMetrics::paintLine(Canvas& canvas, const std::string& text, Point origin,
                                 const Font& font, const Color& color) {
  if (text.empty()) return;
  if (Canvas::textHidden()) {
    Canvas::noteHiddenText();
    return;
  }
  cairo_t* cr = canvas.native();
  PangoLayout* layout = pango_cairo_create_layout(cr);
  configure(pango_layout_get_context(layout));
  pango_layout_context_changed(layout);
  Description d(font);
  pango_layout_set_font_description(layout, d.desc);
  // Bad bytes become U+FFFD; left out as offsets() leaves them out: hidden control characters
  // and the marks past a cluster's limit.
  std::string shown;
  shown.reserve(text.size());
  size_t characters = 0;
  ClusterLimit limit;
  for (size_t i = 0; i < text.size();) {
    const char32_t c = StringUtil::decodeNext(text, i);
    if (!limit.keeps(c) || ClusterLimit::isHiddenControl(c)) continue;
    StringUtil::appendUtf8(shown, c);
    ++characters;
  }
  if (shown.empty()) {
    g_object_unref(layout);
    return;
  }
  setLayoutText(layout, shown, characters);
  cairo_save(cr);
  cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
  if (font.isItalic()) {
    // Sheared about the baseline, so the letters lean without leaving their line.
    const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
    cairo_translate(cr, origin.x, origin.y + baseline);
    cairo_matrix_t slant;
    cairo_matrix_init(&slant, 1, 0, -kItalicSlant, 1, 0, 0);
    cairo_transform(cr, &slant);
    cairo_move_to(cr, 0, -baseline);
  } else {
    cairo_move_to(cr, origin.x, origin.y);
  }
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

uint64_t PangoTextMetrics::charactersShaped() { return tCharactersShaped; }

void PangoTextMetrics::drawLine(Canvas& canvas, const std::string& text, Point origin,
                                const Font& font, const Color& color) const {
  paintLine(canvas, text, origin, font, color);
}

}  // namespace zu::ui
