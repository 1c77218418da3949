#include "model/service/VeskCustomization.h"

#include "model/atom/Vocabulary.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskCustomization::archiveClassName() const { return "VeskCustomization"; }

void VeskCustomization::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("searchHref", searchHref_);
  coder.encode("type", type_);
  coder.encode("groupmode", groupmode_);
  coder.encode("id", id_);
  coder.encodeBool("self", self_);
  coder.encode("subHref", subHref_);
}

bool VeskCustomization::initWithCoder(KeyedUnarchiver& coder) {
  searchHref_ = coder.decodeString("searchHref");
  type_ = coder.decodeString("type");
  groupmode_ = coder.decodeString("groupmode");
  id_ = coder.decodeString("id");
  self_ = coder.decodeBool("self").value_or(false);
  subHref_ = coder.decodeString("subHref");
  return true;
}

int32_t VeskCustomization::getOpenPlatformType() const {
  if (!type_) return -1;
  const char* const kMicroblogs[] = {vocab::kCustomZelvaneMblog, vocab::kCustomSinaMblog,
                                     vocab::kCustomQqMblog, vocab::kCustomSohuMblog};
  for (int32_t i = 0; i < 4; ++i) {
    if (*type_ == kMicroblogs[i]) return i;
  }
  return -1;
}

bool VeskCustomization::isMBlogType() const { return getOpenPlatformType() >= 0; }

}  // namespace zu
