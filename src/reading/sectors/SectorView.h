// SectorView: the view of one sector of a magazine-style page. It draws the sector's border: a
// black line 0.3 points wide along the edges its dock type calls for (docks 0, 6, 12, 13 the
// right edge; 2, 7, 11, 14 the bottom; 5, 9, 10 right and bottom; 1, 3, 4, 8 none; any other
// dock all four), and nothing at all for sector type 6. The SectorController that owns it lays
// the summary out in its content area. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/View.h"

namespace zu {

class SectorController;

class SectorView : public ui::View {
 public:
  enum Edge : unsigned { kRight = 1, kBottom = 2, kLeft = 4, kTop = 8, kAll = 15 };

  SectorView(const ui::Rect& frame, int dockType, int sectorType);

  // The edges (a mask of Edge) that a sector of `sectorType` docked at `dockType` outlines.
  static unsigned bordersFor(int dockType, int sectorType);

  int sectorType() const { return sectorType_; }
  int dockType() const { return dockType_; }
  // The controller laying the sector out (not retained).
  std::weak_ptr<SectorController> delegate;

  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  std::string className() const override { return "SectorView"; }

 private:
  int dockType_;
  int sectorType_;
};

}  // namespace zu
