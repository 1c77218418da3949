// TextLayoutCache: the layouts (TextMetrics::Layout) a view has made of its text, kept so that
// drawing a frame lays nothing out again. A label holds one: it asks for the layout of its text
// in a rectangle of some size, and the cache answers the one it made for that size under the
// same metrics, or makes it. The view clears the cache whenever anything that changes how the
// text is laid out or drawn changes (its text, font, alignment, line breaking, line count, and
// whatever is added later: how control characters are shown, italic, justification); the size
// and the metrics in use are part of each entry's key, so bounds and metrics changes need no
// clearing.
//
// A few entries are kept (a label is measured for its layout pass and drawn in its text
// rectangle, which may differ), the least recently used going first. Main thread, like the view
// that owns it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class TextLayoutCache {
 public:
  static constexpr size_t kCapacity = 3;

  // The layout for a rectangle of `size` under the metrics in use: the one kept, else what
  // `make` lays out (kept from then on).
  const TextMetrics::Layout& layoutFor(Size size, const std::function<TextMetrics::Layout()>& make);
  // Changes the layout kept for `size` under the metrics in use as `change` says (the text was
  // edited and the layout follows it) and forgets the others.
  void update(Size size, const std::function<void(TextMetrics::Layout&)>& change);
  // Forgets every layout: the next request lays the text out again.
  void clear() { entries_.clear(); }
  size_t size() const { return entries_.size(); }

 private:
  struct Key {
    Size size;
    uint64_t metrics = 0;  // TextMetrics::generation()
    bool operator==(const Key&) const = default;
  };
  struct Entry {
    Key key;
    TextMetrics::Layout layout;
  };
  std::vector<Entry> entries_;  // most recently used last
};

}  // namespace zu::ui
