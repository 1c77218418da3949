#include "model/entry/Link.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Link::archiveClassName() const { return "Link"; }

void Link::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("title", title_);
  coder.encode("rel", rel_);
  coder.encode("type", type_);
  coder.encode("href", href_);
  coder.encode("hreflang", hreflang_);
  coder.encodeInt32("length", length_);
  coder.encodeBool("isdefaultpic", isdefaultpic_);
  coder.encodeBool("isautodownload", isautodownload_);
  coder.encode("vendor", vendor_);
  coder.encode("hrefForSelected", hrefForSelected_);
}

bool Link::initWithCoder(KeyedUnarchiver& coder) {
  title_ = coder.decodeString("title");
  rel_ = coder.decodeString("rel");
  type_ = coder.decodeString("type");
  href_ = coder.decodeString("href");
  hreflang_ = coder.decodeString("hreflang");
  length_ = coder.decodeInt32("length").value_or(0);
  isdefaultpic_ = coder.decodeBool("isdefaultpic").value_or(false);
  isautodownload_ = coder.decodeBool("isautodownload").value_or(false);
  vendor_ = coder.decodeString("vendor");
  hrefForSelected_ = coder.decodeString("hrefForSelected");
  return true;
}

}  // namespace zu
