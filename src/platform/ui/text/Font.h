// Font: a font name and a point size, as the phone's font object is used here (the system font,
// its bold face, or a named font from the skins). A plain value, usable from any thread.
//
// Every face is drawn with the installed CJK font (WenQuanYi Micro Hei), so Chinese and Latin
// text render alike everywhere; a name containing "Bold" selects the bold weight. Where we
// differ on purpose: unknown names are not refused (the phone returned nil) — they fall back to
// the same face, so a skin naming a font we do not ship still shows text.
#pragma once

#include <string>

namespace zu::ui {

struct Font {
  std::string name = "Helvetica";
  float pointSize = 17;

  static Font systemFont(float size) { return Font{"Helvetica", size}; }
  static Font boldSystemFont(float size) { return Font{"Helvetica-Bold", size}; }
  static Font named(std::string name, float size) { return Font{std::move(name), size}; }

  bool isBold() const { return name.find("Bold") != std::string::npos; }
  Font withSize(float size) const { return Font{name, size}; }
  bool operator==(const Font&) const = default;
};

}  // namespace zu::ui
