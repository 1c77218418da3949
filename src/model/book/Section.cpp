#include "model/book/Section.h"

#include "model/entry/Link.h"
#include "model/book/PageInfo.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Section::archiveClassName() const { return "Section"; }

// Absent texts, objects and lists are not written, so they come back absent.
void Section::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("type", type_);
  coder.encode("id", id_);
  coder.encode("title", title_);
  coder.encodeInt32("payment", payment_);
  coder.encodeInt32("vip", vip_);
  if (sectionLink_) coder.encode("sectionLink", sectionLink_);
  coder.encode("md5", md5_);
  if (pageInfos_) coder.encode("pageInfos", *pageInfos_);
  coder.encodeInt32("indexId", indexId_);
  coder.encodeBool("allowPreview", allowPreview_);
  coder.encodeInt64("updated", updated());
  coder.encode("mappingId", mappingId_);
  if (originalIds_) coder.encode("originalIds", *originalIds_);
  coder.encode("parentId", parentId_);
}

bool Section::initWithCoder(KeyedUnarchiver& coder) {
  setType(coder.decodeInt32("type").value_or(0));
  setId(coder.decodeString("id"));
  setTitle(coder.decodeString("title"));
  setPayment(coder.decodeInt32("payment").value_or(0));
  setVip(coder.decodeInt32("vip").value_or(0));
  setSectionLink(coder.decodeObject<Link>("sectionLink"));
  setMd5(coder.decodeString("md5"));
  if (coder.containsKey("pageInfos")) setPageInfos(coder.decodeObjectArray<PageInfo>("pageInfos"));
  setIndexId(coder.decodeInt32("indexId").value_or(0));
  setAllowPreview(coder.decodeBool("allowPreview").value_or(false));
  setUpdated(coder.decodeInt64("updated").value_or(0));
  setMappingId(coder.decodeString("mappingId"));
  setOriginalIds(coder.decodeStringArray("originalIds"));
  setParentId(coder.decodeString("parentId"));
  return true;
}

}  // namespace zu
