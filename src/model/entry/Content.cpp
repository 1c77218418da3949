#include "model/entry/Content.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Content::archiveClassName() const { return "Content"; }

void Content::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("type", type_);
  coder.encode("mimeType", mimeType_);
  coder.encode("src", src_);
  coder.encode("data", data_);
}

bool Content::initWithCoder(KeyedUnarchiver& coder) {
  type_ = coder.decodeInt32("type").value_or(0);
  mimeType_ = coder.decodeString("mimeType");
  src_ = coder.decodeString("src");
  data_ = coder.decodeString("data");
  return true;
}

}  // namespace zu
