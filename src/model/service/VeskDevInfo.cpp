#include "model/service/VeskDevInfo.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskDevInfo::archiveClassName() const { return "VeskDevInfo"; }

void VeskDevInfo::encodeWithCoder(KeyedArchiver& coder) const { coder.encode("id", id_); }

bool VeskDevInfo::initWithCoder(KeyedUnarchiver& coder) {
  id_ = coder.decodeString("id");
  return true;
}

}  // namespace zu
