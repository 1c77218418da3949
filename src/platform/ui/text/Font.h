// Font: a font name and a point size, as the phone's font object is used here (the system font,
// its bold face, or a named font from the skins). A plain value, usable from any thread.
//
// Every face is drawn with the installed CJK font (WenQuanYi Micro Hei), so Chinese and Latin
// text render alike everywhere; a name containing "Bold" selects the bold weight, and one
// containing "Italic" or "Oblique" is drawn slanted (the face has no italic, so the slant is
// synthesised; it measures as the upright face). The name is the whole identity: two fonts that
// draw differently have different names. Where we differ on purpose: unknown names are not
// refused — they fall back to the same face, so a skin naming a font we do not ship still shows
// text rather than none.
#pragma once

#include <string>

namespace zu::ui {

struct Font {
  std::string name = "Helvetica";
  float pointSize = 17;

  static Font systemFont(float size) { return Font{"Helvetica", size}; }
  static Font boldSystemFont(float size) { return Font{"Helvetica-Bold", size}; }
  static Font italicSystemFont(float size) { return Font{"Helvetica-Oblique", size}; }
  static Font named(std::string name, float size) { return Font{std::move(name), size}; }

  bool isBold() const { return name.find("Bold") != std::string::npos; }
  bool isItalic() const {
    return name.find("Italic") != std::string::npos || name.find("Oblique") != std::string::npos;
  }
  // The slanted face of this one ("Helvetica" → "Helvetica-Oblique", "Helvetica-Bold" →
  // "Helvetica-BoldOblique"); itself when already slanted.
  Font italic() const {
    if (isItalic()) return *this;
    return Font{name + (name.find('-') == std::string::npos ? "-Oblique" : "Oblique"), pointSize};
  }
  Font withSize(float size) const { return Font{name, size}; }
  bool operator==(const Font&) const = default;
};

}  // namespace zu::ui
