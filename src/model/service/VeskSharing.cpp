#include "model/service/VeskSharing.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskSharing::archiveClassName() const { return "VeskSharing"; }

void VeskSharing::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("action", action_);
  coder.encodeInt32("times", times_);
  coder.encode("href", href_);
}

bool VeskSharing::initWithCoder(KeyedUnarchiver& coder) {
  action_ = coder.decodeString("action");
  times_ = coder.decodeInt32("times").value_or(0);
  href_ = coder.decodeString("href");
  return true;
}

}  // namespace zu
