// Sector: the description of one rectangle of a magazine-style page — where it lies, its type
// (type 6 has no border), where its picture goes (1 left, 2 right, 3 top, 4 bottom) and its dock
// position, which decides the border lines its view draws. A page builder fills it in and hands
// it to a SectorController; when `isImageLocation` is set, `imageRect` fixes the picture's
// rectangle in the sector's content coordinates. A plain value holder; main thread.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu {

class Sector {
 public:
  Sector(const ui::Rect& frame, int type, int imageLocation, int dockLocation);

  ui::Rect sectorRect;
  int sectorType = 0;
  int imageLoaction = 0;
  int sectorDock = 0;
  bool isImageLocation = false;
  ui::Rect imageRect;
};

}  // namespace zu
