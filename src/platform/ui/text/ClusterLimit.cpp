#include "platform/ui/text/ClusterLimit.h"

#include <array>

#include "platform/ui/text/LineBreaker.h"

namespace zu::ui {

namespace {

// The marks of the Basic Multilingual Plane, looked up once: a megabyte of marks is then
// classified at the speed of a table.
const uint64_t* bmpMarks() {
  static const auto* marks = [] {
    auto* table = new std::array<uint64_t, 0x10000 / 64>();  // never destroyed
    for (char32_t c = 0x300; c < 0x10000; ++c) {
      if (LineBreaker::extendsPrevious(c)) (*table)[c >> 6] |= uint64_t{1} << (c & 63);
    }
    return table;
  }();
  return marks->data();
}

}  // namespace

ClusterLimit::ClusterLimit() : bmpMarks_(bmpMarks()) {}

bool ClusterLimit::isAstralMark(char32_t c) { return LineBreaker::extendsPrevious(c); }

}  // namespace zu::ui
