// AnimatedGifFrame: one frame of an animated GIF as the animated GIF view keeps it — the frame
// wrapped into a standalone GIF89a file of its own (the file's logical screen, the frame's colour
// table, its graphic control extension, its image descriptor and compressed data, a trailer),
// the 8-byte graphic control extension, the delay in hundredths of a second as stored in the
// file, the disposal method (0 to 7) and the frame's rectangle on the canvas in pixels (origin
// top left, as in the file). A plain value; any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu {

struct AnimatedGifFrame {
  // The standalone GIF file; empty while the frame's image has not been read.
  std::vector<uint8_t> data;
  // 0x21 0xF9 0x04, packed byte, delay low, delay high, transparent index, terminator.
  std::vector<uint8_t> header;
  double delay = 0;
  int disposalMethod = 0;
  ui::Rect area;
};

}  // namespace zu
