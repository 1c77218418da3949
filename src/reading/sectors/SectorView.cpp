#include "reading/sectors/SectorView.h"

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Color.h"

namespace zu {

namespace {
constexpr float kBorderWidth = 0.3f;
constexpr int kBorderlessType = 6;
}  // namespace

SectorView::SectorView(const ui::Rect& frame, int dockType, int sectorType)
    : ui::View(frame), dockType_(dockType), sectorType_(sectorType) {}

unsigned SectorView::bordersFor(int dockType, int sectorType) {
  if (sectorType == kBorderlessType) return 0;
  switch (dockType) {
    case 0: case 6: case 12: case 13:
      return kRight;
    case 2: case 7: case 11: case 14:
      return kBottom;
    case 5: case 9: case 10:
      return kRight | kBottom;
    case 1: case 3: case 4: case 8:
      return 0;
    default:
      return kAll;
  }
}

void SectorView::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  ui::View::draw(canvas, rect);
  const unsigned edges = bordersFor(dockType_, sectorType_);
  if (edges == 0) return;
  const float left = rect.minX(), top = rect.minY(), right = rect.maxX(), bottom = rect.maxY();
  canvas.save();
  canvas.setStrokeColor(ui::Color::blackColor());
  canvas.setLineWidth(kBorderWidth);
  canvas.beginPath();
  if (edges & kRight) {
    canvas.moveTo({right, top});
    canvas.lineTo({right, bottom});
  }
  if (edges & kBottom) {
    canvas.moveTo({left, bottom});
    canvas.lineTo({right, bottom});
  }
  if (edges & kLeft) {
    canvas.moveTo({left, top});
    canvas.lineTo({left, bottom});
  }
  if (edges & kTop) {
    canvas.moveTo({left, top});
    canvas.lineTo({right, top});
  }
  canvas.strokePath();
  canvas.restore();
}

}  // namespace zu
