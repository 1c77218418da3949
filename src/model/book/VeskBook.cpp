#include "model/book/VeskBook.h"

#include "model/entry/Link.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskBook::archiveClassName() const { return "VeskBook"; }

void VeskBook::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("translator", translator_);
  coder.encode("publisher", publisher_);
  coder.encode("date", date_);
  coder.encodeDouble("price", price_);
  coder.encodeInt32("pages", pages_);
  coder.encode("binding", binding_);
  coder.encode("isbn", isbn_);
  coder.encodeInt32("vip", vip_);
  coder.encodeInt32("payment", payment_);
  coder.encodeInt32("integrity", integrity_);
  coder.encode("hardCopyLink", hardCopyLink_);
  coder.encodeInt32("paytype", paytype_);
  coder.encode("keyname", keyname_);
}

bool VeskBook::initWithCoder(KeyedUnarchiver& coder) {
  translator_ = coder.decodeString("translator");
  publisher_ = coder.decodeString("publisher");
  date_ = coder.decodeString("date");
  price_ = static_cast<float>(coder.decodeDouble("price").value_or(0));
  pages_ = coder.decodeInt32("pages").value_or(0);
  binding_ = coder.decodeString("binding");
  isbn_ = coder.decodeString("isbn");
  vip_ = coder.decodeInt32("vip").value_or(0);
  payment_ = coder.decodeInt32("payment").value_or(0);
  integrity_ = coder.decodeInt32("integrity").value_or(0);
  hardCopyLink_ = coder.decodeObject<Link>("hardCopyLink");
  paytype_ = coder.decodeInt32("paytype").value_or(0);
  keyname_ = coder.decodeString("keyname");
  return true;
}

}  // namespace zu
