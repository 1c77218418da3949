// MeasureRecorder: FixedTextMetrics that note the longest text they were asked to measure, for
// tests that check a view measures only what it shows. Install it with
// TextMetrics::setCurrent(...) on the test's thread; `longest` is read and reset by the test.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/text/FixedTextMetrics.h"

namespace zu::ui {

class MeasureRecorder : public FixedTextMetrics {
 public:
  std::vector<float> offsets(const std::u32string& text, const Font& font) const override {
    longest = std::max(longest, text.size());
    return FixedTextMetrics::offsets(text, font);
  }
  mutable size_t longest = 0;
};

}  // namespace zu::ui
