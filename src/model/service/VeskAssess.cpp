#include "model/service/VeskAssess.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskAssess::archiveClassName() const { return "VeskAssess"; }

void VeskAssess::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("title", title_);
  coder.encodeInt32("minLength", minLength_);
  coder.encodeInt32("maxLength", maxLength_);
  coder.encodeInt32("times", times_);
  coder.encode("href", href_);
  coder.encode("type", type_);
}

bool VeskAssess::initWithCoder(KeyedUnarchiver& coder) {
  title_ = coder.decodeString("title");
  minLength_ = coder.decodeInt32("minLength").value_or(0);
  maxLength_ = coder.decodeInt32("maxLength").value_or(0);
  times_ = coder.decodeInt32("times").value_or(0);
  href_ = coder.decodeString("href");
  type_ = coder.decodeString("type");
  return true;
}

}  // namespace zu
