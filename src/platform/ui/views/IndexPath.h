// IndexPath: a (section, row) position in a table view or a grid, the phone's two-level index
// path reduced to its value. A plain value, usable from any thread.
//
// Kept from the phone: index paths order by section, then row (compare()), and equal index
// paths compare equal whatever object made them.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace zu::ui {

struct IndexPath {
  int64_t section = 0;
  int64_t row = 0;

  static IndexPath forRow(int64_t row, int64_t section) { return IndexPath{section, row}; }

  auto operator<=>(const IndexPath&) const = default;
  bool operator==(const IndexPath&) const = default;

  // "{section, row}", for dumps and test messages.
  std::string toString() const;
};

}  // namespace zu::ui
