#include "reading/sectors/Sector.h"

namespace zu {

Sector::Sector(const ui::Rect& frame, int type, int imageLocation, int dockLocation)
    : sectorRect(frame), sectorType(type), imageLoaction(imageLocation), sectorDock(dockLocation) {}

}  // namespace zu
