#include "model/entry/EntryCategory.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string EntryCategory::archiveClassName() const { return "EntryCategory"; }

void EntryCategory::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("term", term_);
  coder.encode("label", label_);
  coder.encodeBool("getnext", getnext_);
  coder.encode("scheme", scheme_);
  coder.encodeBool("iscustomcontent", iscustomcontent_);
  coder.encodeInt32("count", count_);
}

bool EntryCategory::initWithCoder(KeyedUnarchiver& coder) {
  term_ = coder.decodeString("term");
  label_ = coder.decodeString("label");
  getnext_ = coder.decodeBool("getnext").value_or(false);
  scheme_ = coder.decodeString("scheme");
  iscustomcontent_ = coder.decodeBool("iscustomcontent").value_or(false);
  count_ = coder.decodeInt32("count").value_or(0);
  return true;
}

}  // namespace zu
