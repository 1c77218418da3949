#include "model/book/Chapter.h"

#include "model/entry/Link.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Chapter::archiveClassName() const { return "Chapter"; }

void Chapter::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("id", id_);
  coder.encode("title", title_);
  if (sections_) coder.encode("sections", *sections_);
  coder.encodeInt32("indexId", indexId_);
  if (pageInfos_) coder.encode("pageInfos", *pageInfos_);
  if (link_) coder.encode("link", link_);
}

bool Chapter::initWithCoder(KeyedUnarchiver& coder) {
  setId(coder.decodeString("id"));
  setTitle(coder.decodeString("title"));
  if (coder.containsKey("sections")) setSections(coder.decodeObjectArray<Section>("sections"));
  setIndexId(coder.decodeInt32("indexId").value_or(0));
  if (coder.containsKey("pageInfos")) setPageInfos(coder.decodeObjectArray<PageInfo>("pageInfos"));
  setLink(coder.decodeObject<Link>("link"));
  return true;
}

}  // namespace zu
