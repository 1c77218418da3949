#include "platform/ui/text/ClusterLimit.h"

#include <unicode/uchar.h>

#include <array>

#include "platform/ui/text/LineBreaker.h"

namespace zu::ui {

namespace {

bool showsNothingAt(char32_t c) {
  return ClusterLimit::isHiddenControl(c) || LineBreaker::extendsPrevious(c) ||
         u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}

}  // namespace

// The characters of the Basic Multilingual Plane that show nothing, looked up once: a megabyte
// of them is then classified at the speed of a table.
const uint64_t* ClusterLimit::bmpTable() {
  static const auto* table = [] {
    auto* bits = new std::array<uint64_t, 0x10000 / 64>();  // never destroyed
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (showsNothingAt(c)) (*bits)[c >> 6] |= uint64_t{1} << (c & 63);
    }
    return bits;
  }();
  return table->data();
}

bool ClusterLimit::astralShowsNothing(char32_t c) { return showsNothingAt(c); }

}  // namespace zu::ui
