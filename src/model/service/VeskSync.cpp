#include "model/service/VeskSync.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskSync::archiveClassName() const { return "VeskSync"; }

void VeskSync::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("interval", interval_);
}

bool VeskSync::initWithCoder(KeyedUnarchiver& coder) {
  interval_ = coder.decodeInt32("interval").value_or(0);
  return true;
}

}  // namespace zu
