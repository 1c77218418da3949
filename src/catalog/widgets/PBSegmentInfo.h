// PBSegmentInfo: what one segment of a PBCustomSegmentedControl shows — its title, its normal and
// selected background images, its width and how far it reaches over its neighbours while
// selected. A plain value handed to insertSegmentWithSegmentInfo; the control keeps a copy.
// Main thread, like the control.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/images/Image.h"

namespace zu {

struct PBSegmentInfo {
  std::string title;
  // The background while not selected.
  std::shared_ptr<ui::Image> normalImage;
  // The background of the selected segment and of a segment while it is touched.
  std::shared_ptr<ui::Image> selectedImage;
  float width = 0;
  // Points the selected segment reaches over each neighbour.
  float outboundWidth = 0;
};

}  // namespace zu
