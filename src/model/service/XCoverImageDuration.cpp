#include "model/service/XCoverImageDuration.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string XCoverImageDuration::archiveClassName() const { return "XCoverImageDuration"; }

void XCoverImageDuration::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("value", value_);
}

bool XCoverImageDuration::initWithCoder(KeyedUnarchiver& coder) {
  value_ = coder.decodeInt32("value").value_or(0);
  return true;
}

}  // namespace zu
