#include "model/service/VeskFavorite.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskFavorite::archiveClassName() const { return "VeskFavorite"; }

void VeskFavorite::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeBool("collectable", collectable_);
  coder.encodeInt32("collected", collected_);
  coder.encodeInt32("count", count_);
}

bool VeskFavorite::initWithCoder(KeyedUnarchiver& coder) {
  collectable_ = coder.decodeBool("collectable").value_or(false);
  collected_ = coder.decodeInt32("collected").value_or(0);
  count_ = coder.decodeInt32("count").value_or(0);
  return true;
}

}  // namespace zu
