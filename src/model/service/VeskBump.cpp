#include "model/service/VeskBump.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskBump::archiveClassName() const { return "VeskBump"; }

void VeskBump::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeBool("action", action_);
  coder.encodeInt32("times", times_);
  coder.encode("href", href_);
}

bool VeskBump::initWithCoder(KeyedUnarchiver& coder) {
  action_ = coder.decodeBool("action").value_or(false);
  times_ = coder.decodeInt32("times").value_or(0);
  href_ = coder.decodeString("href");
  return true;
}

}  // namespace zu
