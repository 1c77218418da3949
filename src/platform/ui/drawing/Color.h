// Color: an RGBA colour with float components in 0…1, not premultiplied (the phone's colour
// object reduced to its value). A plain value, usable from any thread.
//
// Kept from the phone: the named colours keep their component values (gray is 0.5 white,
// lightGray 2/3, darkGray 1/3, clear is black with alpha 0); colorWithAlphaComponent replaces
// the alpha. Components given outside 0…1 are clamped when the colour is made.
#pragma once

#include <cstdint>
#include <string>

namespace zu::ui {

struct Color {
  float red = 0;
  float green = 0;
  float blue = 0;
  float alpha = 0;

  Color() = default;
  Color(float r, float g, float b, float a = 1);

  bool operator==(const Color&) const = default;

  static Color white(float white, float alpha = 1) { return Color(white, white, white, alpha); }
  // 8-bit components (0…255).
  static Color rgba8(int r, int g, int b, int a = 255);

  static Color clearColor() { return Color(0, 0, 0, 0); }
  static Color blackColor() { return Color(0, 0, 0, 1); }
  static Color whiteColor() { return Color(1, 1, 1, 1); }
  static Color grayColor() { return white(0.5f); }
  static Color lightGrayColor() { return white(2.f / 3); }
  static Color darkGrayColor() { return white(1.f / 3); }
  static Color redColor() { return Color(1, 0, 0); }
  static Color greenColor() { return Color(0, 1, 0); }
  static Color blueColor() { return Color(0, 0, 1); }
  static Color yellowColor() { return Color(1, 1, 0); }
  static Color orangeColor() { return Color(1, 0.5f, 0); }
  static Color cyanColor() { return Color(0, 1, 1); }
  static Color magentaColor() { return Color(1, 0, 1); }
  static Color purpleColor() { return Color(0.5f, 0, 0.5f); }
  static Color brownColor() { return Color(0.6f, 0.4f, 0.2f); }

  Color withAlpha(float alpha) const { return Color(red, green, blue, alpha); }
  bool isClear() const { return alpha <= 0; }

  // The relative luminance of the colour's components (0 black … 1 white; alpha is ignored), and
  // the contrast ratio of two colours, (L1 + 0.05) / (L2 + 0.05), 1…21.
  float relativeLuminance() const;
  static float contrastRatio(const Color& a, const Color& b);

  // Premultiplied 0xAARRGGBB, the pixel format of images and canvases.
  uint32_t premultipliedArgb() const;
  // "#rrggbbaa" (8-bit, rounded), for dumps and test messages.
  std::string toString() const;
};

}  // namespace zu::ui
