#include "model/service/VeskThumbnail.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskThumbnail::archiveClassName() const { return "VeskThumbnail"; }

void VeskThumbnail::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("type", type_);
  coder.encode("href", href_);
  coder.encodeInt32("width", width_);
  coder.encodeInt32("height", height_);
}

bool VeskThumbnail::initWithCoder(KeyedUnarchiver& coder) {
  type_ = coder.decodeString("type");
  href_ = coder.decodeString("href");
  width_ = coder.decodeInt32("width").value_or(0);
  height_ = coder.decodeInt32("height").value_or(0);
  return true;
}

}  // namespace zu
