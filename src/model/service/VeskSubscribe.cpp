#include "model/service/VeskSubscribe.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskSubscribe::archiveClassName() const { return "VeskSubscribe"; }

void VeskSubscribe::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeBool("subscribable", subscribable_);
  coder.encodeInt32("subscribed", subscribed_);
  coder.encodeInt32("times", times_);
  coder.encode("updateFrequency", updateFrequency_);
}

bool VeskSubscribe::initWithCoder(KeyedUnarchiver& coder) {
  subscribable_ = coder.decodeBool("subscribable").value_or(false);
  subscribed_ = coder.decodeInt32("subscribed").value_or(0);
  times_ = coder.decodeInt32("times").value_or(0);
  updateFrequency_ = coder.decodeString("updateFrequency");
  return true;
}

}  // namespace zu
