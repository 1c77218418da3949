// IndexPath: the address of a cell of an inner grid in a grid of grids — a page and a cell
// index on that page, both fixed when made. A plain value; any thread.
#pragma once

namespace zu {

class IndexPath {
 public:
  IndexPath(int pageIndex, int cellIndex) : pageIndex_(pageIndex), cellIndex_(cellIndex) {}
  int pageIndex() const { return pageIndex_; }
  int cellIndex() const { return cellIndex_; }
  bool operator==(const IndexPath&) const = default;

 private:
  int pageIndex_;
  int cellIndex_;
};

}  // namespace zu
