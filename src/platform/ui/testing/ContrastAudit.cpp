#include "platform/ui/testing/ContrastAudit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextSelection.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Pairs whose two colours the product's look fixes (text and ground), that stay below the bar:
// reported apart with why, never failed. Colours as 0xRRGGBB, matched as measured; a ground that
// is a gradient picture is matched within `spread` steps of each channel, since where a text sits
// on it decides the shade measured.
struct Allowance {
  uint32_t text;
  uint32_t background;
  const char* where;  // a part of the text's place (the classes down to it); empty: anywhere
  const char* why;
  int spread = 0;
};
constexpr Allowance kAllowed[] = {
    {0x999999, 0xF7F7F7, "OfflineDownloadView > Label",
     "offline download: the state and total count, 0.6 grey on the view's 247 grey by day"},
    {0x999999, 0x3A3B3F, "OfflineDownloadView > Label",
     "offline download: the state and total count, 0.6 grey on the view's 58/59/63 by night"},
    {0x999999, 0x4D4F57, "DownloadTableViewCell", "offline download: a row's state, 0.6 grey on the table's 77/79/87 by night"},
    {0x66A300, 0xFFFFFF, "DownloadTableViewCell", "offline download: a finished column's state, green 66A300 on the white table"},
    {0x66A300, 0x4D4F57, "DownloadTableViewCell",
     "offline download: a finished column's state, green 66A300 on the table's 77/79/87 by night"},
    {0xA3A3A3, 0xF7F7F7, "ColumnDetailHeaderView", "column detail: the subscriber line, 0.639 grey on the detail's 247 grey"},
    {0xA3A3A3, 0xF8F8F8, "", "review form: the note, 0.639 grey on the form's 247 grey"},
    {0x999999, 0xF7F7F7, "TableView > TableViewCell > View > Label",
     "column detail: the requesting row's 正在请求..., 0.6 grey on the detail's 247 grey"},
    {0x999999, 0xF6F6F6, "ReportContentTableCell", "article list: a read title, 153 grey on the list's 246 grey by day"},
    {0x999999, 0xF7F7F7, "CommentField", "comment sheet: the count's words, 153 grey on the sheet's 247 grey"},
    {0x989898, 0xF8F8F8, "MYTableViewCell0",
     "custom list, own-account rows: the unbound detail, 0.598 grey, on the content centre's flat 247 panel; "
     "no light ground gives it 4.5:1"},
    {0x468CDB, 0xF8F8F8, "MYTableViewCell0",
     "custom list, own-account rows: the bind link, blue 70/141/219, on the content centre's flat 247 panel; "
     "no light ground gives it 4.5:1"},
    {0x888888, 0xF4F5F7, "RefreshTableHeaderView",
     "pull-to-refresh header: the status and last-refresh lines, 136 grey in the header's own 12 and bold 13 "
     "points, on its pale gradient by day (244/245/247 give or take 2)",
     2},
    {0x716F75, 0x1F2025, "RefreshTableHeaderView",
     "pull-to-refresh header: the status and last-refresh lines, 113/111/117 in the header's own 12 and bold 13 "
     "points, on its dark gradient by night (31/32/37 give or take 2)",
     2},
    {0x888888, 0xF6F6F6, "LoadMoreView",
     "article list: the load-more line, 136 grey in its bold 13, on the list's 246/247 grey by day", 1},
    {0x888888, 0xF4F5F7, "LoadMoreView",
     "article list: the load-more line, 136 grey in its bold 13, on the pressed row's pale gradient by day", 2},
};

// Whether every channel of `a` and `b` (0xRRGGBB) lies within `spread` steps.
bool near(uint32_t a, uint32_t b, int spread) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > spread || d < -spread) return false;
  }
  return true;
}

uint32_t rgbOf(const Color& c) {
  auto channel = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.f, 1.f) * 255)); };
  return channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
}

std::string hexOf(const Color& c) {
  char out[8];
  std::snprintf(out, sizeof out, "#%06X", rgbOf(c));
  return out;
}

// `top` drawn over the opaque `under`.
Color over(const Color& top, const Color& under) {
  const float a = std::clamp(top.alpha, 0.f, 1.f);
  return Color(top.red * a + under.red * (1 - a), top.green * a + under.green * (1 - a),
               top.blue * a + under.blue * (1 - a), 1);
}

struct Pixels {
  const Image& image;
  int x0, y0, x1, y1;  // the pixel box, end exclusive
};

// The box of `r` (points) in the picture's pixels, clamped to it.
Pixels boxOf(const Image& image, const Rect& r) {
  const float s = image.scale();
  Pixels p{image, static_cast<int>(std::floor(r.origin.x * s)), static_cast<int>(std::floor(r.origin.y * s)),
           static_cast<int>(std::ceil((r.origin.x + r.size.width) * s)),
           static_cast<int>(std::ceil((r.origin.y + r.size.height) * s))};
  p.x0 = std::clamp(p.x0, 0, image.pixelWidth());
  p.x1 = std::clamp(p.x1, 0, image.pixelWidth());
  p.y0 = std::clamp(p.y0, 0, image.pixelHeight());
  p.y1 = std::clamp(p.y1, 0, image.pixelHeight());
  return p;
}

bool differs(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > 24 || d < -24) return true;
  }
  return false;
}

// The colour covering most of the pixels of `box` in `image` for which `take` holds: near
// colours (the top four bits of each channel) are grouped, and the largest group's pixels are
// averaged. Nullopt when no pixel is taken or most are transparent.
template <typename Take>
std::optional<Color> dominantColour(const Pixels& box, Take&& take) {
  struct Group {
    int count = 0;
    double a = 0, r = 0, g = 0, b = 0;  // premultiplied sums
  };
  std::unordered_map<uint32_t, Group> groups;
  const uint32_t* px = box.image.pixels();
  const int w = box.image.pixelWidth();
  for (int y = box.y0; y < box.y1; ++y) {
    for (int x = box.x0; x < box.x1; ++x) {
      if (!take(x, y)) continue;
      const uint32_t v = px[y * w + x];
      const uint32_t a = v >> 24;
      const uint32_t key = a < 128 ? 0 : (0x80000000u | (v & 0x00F0F0F0u));
      Group& g = groups[key];
      ++g.count;
      g.a += a;
      g.r += (v >> 16) & 0xFF;
      g.g += (v >> 8) & 0xFF;
      g.b += v & 0xFF;
    }
  }
  const Group* best = nullptr;
  uint32_t bestKey = 0;
  for (const auto& [key, group] : groups) {
    if (!best || group.count > best->count || (group.count == best->count && key < bestKey)) {
      best = &group;
      bestKey = key;
    }
  }
  if (!best || bestKey == 0) return std::nullopt;
  // Premultiplied sums: the average over the black the screen shows under nothing.
  const double n = best->count * 255.0;
  return Color(static_cast<float>(best->r / n), static_cast<float>(best->g / n), static_cast<float>(best->b / n), 1);
}

struct Walker {
  const Image& picture;
  const Image& bare;
  const std::vector<const View*>& drawers;
  ContrastAudit::Report& report;
  // Maps a view's bounds into the picture's points.
  std::function<Rect(const View&, const Rect&)> toPicture;

  // What lies over what: the grounds of the views walked, in drawing order.
  Occlusion occlusion;
  size_t order = 0;

  void skip(const std::string& reason) { ++report.skipped[reason]; }

  // The classes from the root down to the view being walked, to name a failing text's place.
  std::vector<std::string> classes;
  std::string path() const {
    std::string out;
    for (const auto& c : classes) out += (out.empty() ? "" : " > ") + c;
    return out;
  }

  // Whether what was drawn after the text holds it (half of it or more): nullopt when nothing
  // does, else whether it is opaque there.
  std::optional<bool> coveredLater(const Rect& shown, size_t textOrder) const {
    switch (occlusion.coverOf(shown, textOrder)) {
      case Occlusion::Cover::None: return std::nullopt;
      case Occlusion::Cover::Translucent: return false;
      case Occlusion::Cover::Opaque: return true;
    }
    return std::nullopt;
  }

  // A web view, or a screen's own kind of one (its class name is its own): it holds the web
  // scroll view whose page it draws.
  static bool isWebView(const View& view) {
    if (view.className() == "WebView") return true;
    const auto& subs = view.subviews();
    return std::any_of(subs.begin(), subs.end(), [](const auto& sub) { return sub->className() == "WebScrollView"; });
  }

  bool drewText(const View& view) const {
    return std::find(drawers.begin(), drawers.end(), &view) != drawers.end();
  }

  void walk(const View& view, float alpha, const Rect& clip) {
    if (view.isHidden() || !(view.alpha() > 0)) return;
    alpha *= view.alpha();
    Rect shown = toPicture(view, view.bounds()).intersection(clip);
    // What the view lays over the texts drawn before it is the occlusion's to note.
    order = occlusion.note(view, alpha, shown);
    const std::string cls = view.className();
    classes.push_back(cls);
    if (isWebView(view)) {
      if (!shown.isEmpty()) skip("web page");
      classes.pop_back();
      return;
    }
    if (const auto* label = dynamic_cast<const Label*>(&view)) {
      auditLabel(*label, alpha, shown);
    } else if (const auto* field = dynamic_cast<const TextField*>(&view)) {
      auditField(*field, alpha, shown);
    } else if (const auto* text = dynamic_cast<const TextView*>(&view)) {
      if (!text->text().empty()) {
        measure(text->text(), "text view", text->textColor(), text->font(), alpha, shown, false,
                selectionOf(text->isEditing(), text->selectedRange(), text->textColor()));
      }
    } else if (drewText(view) && !shown.isEmpty()) {
      skip("custom drawing");
    }
    if (const auto* button = dynamic_cast<const Button*>(&view)) {
      const auto title = button->currentTitle();
      if ((!title || title->empty()) && (button->currentImage() || button->currentBackgroundImage()) &&
          !shown.isEmpty()) {
        skip("picture button");
      }
    }
    const Rect inner = view.clipsToBounds() ? shown : clip;
    for (const auto& sub : view.subviews()) walk(*sub, alpha, inner);
    classes.pop_back();
  }

  void auditLabel(const Label& label, float alpha, const Rect& shown) {
    if (label.text().empty()) return;
    Color color = label.isHighlighted() && label.highlightedTextColor() ? *label.highlightedTextColor()
                                                                        : label.textColor();
    bool lenient = false;
    std::string kind = "label";
    if (!label.isEnabled()) {
      color = color.withAlpha(color.alpha * 0.5f);
      lenient = true;
    }
    const auto parent = label.superview();
    if (const auto* button = dynamic_cast<const Button*>(parent.get()); button && button->titleLabel().get() == &label) {
      kind = "button title";
      if (!button->isEnabled()) lenient = true;
    } else if (dynamic_cast<const TextField*>(parent.get()) || dynamic_cast<const TextView*>(parent.get())) {
      kind = "placeholder";
      lenient = true;
    }
    measure(label.text(), kind, color, label.font(), alpha, shown, lenient);
  }

  void auditField(const TextField& field, float alpha, const Rect& shown) {
    const bool placeholder = field.text().empty();
    const std::string text = placeholder ? field.placeholder().value_or(std::string()) : field.text();
    if (text.empty()) return;
    // The colours TextField::draw uses.
    const Color color = placeholder ? field.placeholderColor() : field.textColor();
    measure(text, placeholder ? "placeholder" : "text field", color, field.font(), alpha, shown,
            placeholder || !field.isEnabled(),
            placeholder ? std::nullopt : selectionOf(field.isEditing(), field.selectedRange(), color));
  }

  // The look of a field's or text view's selection while it has one to show.
  static std::optional<SelectionLook> selectionOf(bool editing, TextRange range, const Color& textColor) {
    if (!editing || range.length == 0) return std::nullopt;
    return selectionLook(textColor);
  }

  // A text waits for the end of the walk, when every view that may cover it is known.
  struct Pending {
    std::string text, kind, path;
    Color declared;
    Font font;
    float alpha;
    Rect shown;
    bool lenient;
    size_t order;
    std::optional<SelectionLook> selection;
  };
  std::vector<Pending> pending;

  void measure(const std::string& text, const std::string& kind, const Color& declared, const Font& font,
               float alpha, const Rect& shown, bool lenient, std::optional<SelectionLook> selection = std::nullopt) {
    if (shown.isEmpty()) return;
    pending.push_back(Pending{text, kind, path(), declared, font, alpha, shown, lenient, order, selection});
  }

  void finish() {
    for (const Pending& p : pending) {
      evaluate(p.text, p.kind, p.path, p.declared, p.font, p.alpha, p.shown, p.lenient, p.order, p.selection);
    }
  }

  void evaluate(const std::string& text, std::string kind, const std::string& where, Color declared, const Font& font,
                float alpha, const Rect& shown, bool lenient, size_t textOrder,
                const std::optional<SelectionLook>& selection) {
    const Pixels box = boxOf(picture, shown);
    if (box.x1 <= box.x0 || box.y1 <= box.y0) return;
    // Where the text shows: the pixels the text-less picture lacks.
    const uint32_t* a = picture.pixels();
    const uint32_t* b = bare.pixels();
    const int w = picture.pixelWidth();
    int minX = box.x1, minY = box.y1, maxX = -1, maxY = -1;
    for (int y = box.y0; y < box.y1; ++y) {
      for (int x = box.x0; x < box.x1; ++x) {
        if (!differs(a[y * w + x], b[y * w + x])) continue;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
    }
    const bool visible = maxX >= 0;
    if (visible) {
      // Where the text itself shows (a field's or text view's text is smaller than the view).
      const float s = picture.scale();
      const Rect showing(minX / s, minY / s, (maxX + 1 - minX) / s, (maxY + 1 - minY) / s);
      if (const auto covered = coveredLater(showing, textOrder)) {
        skip(*covered ? "covered" : "under a translucent layer");
        return;
      }
    }
    // An opaque view drawn later over the whole text hides it (pixels that differ there are
    // another text's); a translucent one laid over it whole (the dimming below an alert or a
    // sheet, a translucent bar) means it is not meant to be read there.
    if (const auto covered = coveredLater(shown, textOrder)) {
      skip(*covered ? "covered" : "under a translucent layer");
      return;
    }
    const Pixels textBox = visible ? Pixels{bare, minX, minY, maxX + 1, maxY + 1} : Pixels{bare, box.x0, box.y0, box.x1, box.y1};
    const auto background = dominantColour(textBox, [](int, int) { return true; });
    if (!background) {
      skip("no background");
      return;
    }
    // A text mostly selected shows on its highlight, in the colour its view draws selected text in.
    if (selection && !differs(rgbOf(*background), rgbOf(selection->highlight))) {
      declared = selection->text;
      kind = "selected " + kind;
    }
    const Color drawn = declared.withAlpha(declared.alpha * alpha);
    const Color textColor = over(drawn, *background);
    const float ratio = ContrastAudit::contrastRatio(textColor, *background);
    if (!visible && ratio >= 1.5f) {
      skip("covered");
      return;
    }
    const bool large = font.pointSize >= 18 || (font.isBold() && font.pointSize >= 14);
    ContrastAudit::Finding finding;
    finding.text = text;
    finding.kind = kind;
    finding.where = where;
    finding.ratio = ratio;
    finding.required = lenient || large ? 3.f : 4.5f;
    finding.textColor = textColor;
    finding.background = *background;
    const float s = picture.scale();
    finding.frame = Rect(textBox.x0 / s, textBox.y0 / s, (textBox.x1 - textBox.x0) / s, (textBox.y1 - textBox.y0) / s);
    ++report.checked;
    if (ratio + 0.005f < finding.required) {
      for (const Allowance& allowance : kAllowed) {
        if (allowance.text == rgbOf(textColor) && near(allowance.background, rgbOf(*background), allowance.spread) &&
            where.find(allowance.where) != std::string::npos) {
          finding.allowedBecause = allowance.why;
          report.allowed.push_back(finding);
          return;
        }
      }
      report.failures.push_back(finding);
    }
    if (!report.lowest || ratio < report.lowest->ratio) report.lowest = finding;
  }
};

// A field of the tallies file: line breaks and tabs in a text (a many-line label's) become
// spaces, so each picture keeps one line of tab-separated fields.
std::string field(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
  return text;
}

std::filesystem::path snapshotFolder() {
  const char* env = std::getenv("ZU_SNAPSHOT_DIR");
  return env && *env ? std::filesystem::path(env) : std::filesystem::path("snapshots");
}

}  // namespace

float ContrastAudit::markContrast(const Image& picture, const Rect& where) {
  const Pixels box = boxOf(picture, where);
  struct Group {
    int count = 0;
    double r = 0, g = 0, b = 0;
  };
  std::unordered_map<uint32_t, Group> groups;
  const uint32_t* px = picture.pixels();
  const int w = picture.pixelWidth();
  int total = 0;
  for (int y = box.y0; y < box.y1; ++y) {
    for (int x = box.x0; x < box.x1; ++x) {
      const uint32_t v = px[y * w + x];
      Group& group = groups[v & 0x00F0F0F0u];
      ++group.count;
      ++total;
      // Over the black the screen shows under nothing, as the pixels are premultiplied.
      group.r += (v >> 16) & 0xFF;
      group.g += (v >> 8) & 0xFF;
      group.b += v & 0xFF;
    }
  }
  auto colourOf = [](const Group& g) {
    const double n = g.count * 255.0;
    return Color(static_cast<float>(g.r / n), static_cast<float>(g.g / n), static_cast<float>(g.b / n));
  };
  const Group* ground = nullptr;
  for (const auto& [key, group] : groups) {
    if (!ground || group.count > ground->count) ground = &group;
  }
  if (!ground) return 1;
  // The mark: of the colours that cover a hundredth of the box, the one that stands out most
  // (a blend of the two at an edge stands out less; a ground drawn as a gradient only as much
  // as its bands differ).
  const Color groundColour = colourOf(*ground);
  float best = 1;
  for (const auto& [key, group] : groups) {
    if (&group == ground || group.count * 100 < total) continue;
    best = std::max(best, contrastRatio(colourOf(group), groundColour));
  }
  return best;
}

float ContrastAudit::relativeLuminance(const Color& color) { return color.relativeLuminance(); }

float ContrastAudit::contrastRatio(const Color& a, const Color& b) { return Color::contrastRatio(a, b); }

std::string ContrastAudit::Finding::describe() const {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(2);
  out << kind << " \"" << text << "\" " << ratio << ":1 (needs " << required << ":1), " << hexOf(textColor)
      << " on " << hexOf(background) << " at (" << frame.origin.x << ", " << frame.origin.y << ", "
      << frame.size.width << " x " << frame.size.height << ")";
  if (!where.empty()) out << " in " << where;
  if (!allowedBecause.empty()) out << ", allowed: " << allowedBecause;
  return out.str();
}

std::string ContrastAudit::Report::summary() const {
  std::ostringstream out;
  out << screen << ": " << checked << " checked, " << failures.size() << " failing, " << allowed.size()
      << " allow-listed";
  for (const auto& [reason, count] : skipped) out << ", skipped " << reason << " " << count;
  if (lowest) out << "; lowest " << lowest->describe();
  return out.str();
}

ContrastAudit::Report ContrastAudit::audit(View& root, const Image& picture, const std::string& screen) {
  const auto start = std::chrono::steady_clock::now();
  Report report;
  report.screen = screen;
  const auto timed = [&] {
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  std::vector<const View*> drawers;
  const auto bare = renderWithoutText(root, picture.scale(), &drawers);
  if (!bare || bare->pixelWidth() != picture.pixelWidth() || bare->pixelHeight() != picture.pixelHeight()) {
    return report;
  }
  const Point origin = root.bounds().origin;
  Walker walker{picture, *bare, drawers, report, [&](const View& view, const Rect& r) {
                  const Rect inRoot = &view == &root ? r : view.convertRectTo(r, &root);
                  return inRoot.offsetBy(-origin.x, -origin.y);
                }};
  const Rect all(0, 0, picture.pixelWidth() / picture.scale(), picture.pixelHeight() / picture.scale());
  walker.walk(root, 1, all);
  walker.finish();
  timed();
  return report;
}

ContrastAudit::Report ContrastAudit::auditScreen(const Image& picture, const std::string& screen) {
  const auto start = std::chrono::steady_clock::now();
  Report report;
  report.screen = screen;
  std::vector<const View*> drawers;
  const auto bare = renderScreenWithoutText(picture.scale(), &drawers);
  if (!bare || bare->pixelWidth() != picture.pixelWidth() || bare->pixelHeight() != picture.pixelHeight()) {
    return report;
  }
  const Rect all(0, 0, picture.pixelWidth() / picture.scale(), picture.pixelHeight() / picture.scale());
  // One walk over the windows in their order, so a later window covers the texts below it.
  Walker walker{picture, *bare, drawers, report, nullptr};
  // The screen's chrome, the keyboard while it shows or slides and the status bar strip (along
  // the edge that is the interface's top), lies over the windows below the status bar's level
  // and under those at or above it (an alert), as renderScreen draws it.
  bool chromeLaid = false;
  const auto layChrome = [&] {
    chromeLaid = true;
    walker.occlusion.noteChrome();
  };
  for (const auto& window : Application::shared().visibleWindows()) {
    if (!chromeLaid && window->windowLevel() >= kWindowLevelStatusBar) layChrome();
    // Into the window's space, then out of it onto the screen.
    walker.toPicture = [w = window.get()](const View& view, const Rect& r) {
      const Rect inWindow = &view == w ? r : view.convertRectTo(r, w);
      const Point p[4] = {w->pointToSuperview(Point{inWindow.minX(), inWindow.minY()}),
                          w->pointToSuperview(Point{inWindow.maxX(), inWindow.minY()}),
                          w->pointToSuperview(Point{inWindow.minX(), inWindow.maxY()}),
                          w->pointToSuperview(Point{inWindow.maxX(), inWindow.maxY()})};
      return Rect::boundingBox(p);
    };
    walker.walk(*window, 1, all);
  }
  if (!chromeLaid) layChrome();
  walker.finish();
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return report;
}

void ContrastAudit::expectReadable(const Report& report) {
  for (const Finding& failure : report.failures) {
    ADD_FAILURE() << "unreadable text in " << report.screen << ": " << failure.describe();
  }
  std::error_code ec;
  const std::filesystem::path dir = snapshotFolder();
  std::filesystem::create_directories(dir, ec);
  // One line per picture: the name, checked, failing, allow-listed, the skipped by reason, the
  // seconds the audit took, the lowest ratio and its text. Appended whole, so parallel test
  // processes do not mix lines.
  std::ostringstream line;
  line << field(report.screen) << '\t' << report.checked << '\t' << report.failures.size() << '\t'
       << report.allowed.size() << '\t';
  bool first = true;
  for (const auto& [reason, count] : report.skipped) {
    line << (first ? "" : ",") << reason << '=' << count;
    first = false;
  }
  line << '\t' << report.seconds << '\t' << (report.lowest ? report.lowest->ratio : 0) << '\t'
       << (report.lowest ? field(report.lowest->describe()) : std::string()) << '\n';
  for (const Finding& allowed : report.allowed) {
    line << field(report.screen) << "\tallowed\t" << field(allowed.describe()) << '\n';
  }
  if (FILE* f = std::fopen((dir / "contrast-audit.tsv").c_str(), "a")) {
    const std::string s = line.str();
    std::fwrite(s.data(), 1, s.size(), f);
    std::fclose(f);
  }
}

std::optional<std::filesystem::path> ContrastAudit::write(View& root, const Image& picture, const std::string& name) {
  expectReadable(audit(root, picture, name));
  return writeSnapshot(picture, name);
}

std::optional<std::filesystem::path> ContrastAudit::writeScreen(const Image& picture, const std::string& name) {
  expectReadable(auditScreen(picture, name));
  return writeSnapshot(picture, name);
}

std::shared_ptr<Image> ContrastAudit::snapshot(View& root, const std::string& name, float scale) {
  auto picture = render(root, scale);
  if (!picture) {
    ADD_FAILURE() << "nothing drawn for " << name;
    return nullptr;
  }
  EXPECT_TRUE(write(root, *picture, name)) << name;
  return picture;
}

std::shared_ptr<Image> ContrastAudit::snapshotScreen(const std::string& name, float scale) {
  auto picture = renderScreen(scale);
  if (!picture) {
    ADD_FAILURE() << "nothing drawn for " << name;
    return nullptr;
  }
  EXPECT_TRUE(writeScreen(*picture, name)) << name;
  return picture;
}

}  // namespace zu::ui
