// GridViewDataSourceProtocol: what a GridView asks its data source, on the main thread. The
// grid holds its data source weakly. numberOfCellsInGridView must be answered (a grid without
// a data source has no cells); a data source that does not make cells leaves every index empty.
#pragma once

#include <memory>

namespace zu {

class GridView;
class GridViewCell;

class GridViewDataSourceProtocol {
 public:
  virtual ~GridViewDataSourceProtocol() = default;

  // Asked at every relayout and after inserts and deletes.
  virtual int numberOfCellsInGridView(GridView& grid) = 0;
  // A cell for `index`, usually first looked for with dequeueReusableCellWithIdentifier.
  // Called with animations switched off; the grid then marks the cell not completed.
  virtual std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) {
    (void)grid;
    (void)index;
    return nullptr;
  }
  // Layout completion of a cell that is not completed; the grid itself never asks for it.
  virtual void gridViewLayoutCellAtIndex(GridView& grid, GridViewCell& cell, int index) {
    (void)grid;
    (void)cell;
    (void)index;
  }
};

}  // namespace zu
