#include "model/service/VeskCustomContent.h"

#include "model/entry/Content.h"
#include "model/entry/Link.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskCustomContent::archiveClassName() const { return "VeskCustomContent"; }

void VeskCustomContent::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("link", link_);
  coder.encode("content", content_);
}

bool VeskCustomContent::initWithCoder(KeyedUnarchiver& coder) {
  link_ = coder.decodeObject<Link>("link");
  content_ = coder.decodeObject<Content>("content");
  return true;
}

}  // namespace zu
