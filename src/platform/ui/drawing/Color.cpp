#include "platform/ui/drawing/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zu::ui {

namespace {

float clamp01(float v) {
  if (!(v > 0)) return 0;  // also NaN
  return v > 1 ? 1 : v;
}

int to8(float v) { return static_cast<int>(std::lround(clamp01(v) * 255)); }

}  // namespace

Color::Color(float r, float g, float b, float a)
    : red(clamp01(r)), green(clamp01(g)), blue(clamp01(b)), alpha(clamp01(a)) {}

Color Color::rgba8(int r, int g, int b, int a) {
  return Color(r / 255.f, g / 255.f, b / 255.f, a / 255.f);
}

float Color::relativeLuminance() const {
  auto linear = [](float c) {
    c = std::clamp(c, 0.f, 1.f);
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
  };
  return 0.2126f * linear(red) + 0.7152f * linear(green) + 0.0722f * linear(blue);
}

float Color::contrastRatio(const Color& a, const Color& b) {
  const float la = a.relativeLuminance();
  const float lb = b.relativeLuminance();
  return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

uint32_t Color::premultipliedArgb() const {
  const uint32_t a = to8(alpha);
  const uint32_t r = to8(red * alpha);
  const uint32_t g = to8(green * alpha);
  const uint32_t b = to8(blue * alpha);
  return a << 24 | r << 16 | g << 8 | b;
}

std::string Color::toString() const {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x%02x", to8(red), to8(green), to8(blue), to8(alpha));
  return buf;
}

}  // namespace zu::ui
