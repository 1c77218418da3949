#include "model/book/PageInfo.h"

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string PageInfo::archiveClassName() const { return "PageInfo"; }

void PageInfo::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("landscapePage", landscapePage_);
  coder.encodeInt32("portraitPage", portraitPage_);
  coder.encodeInt32("landscapePageOffset", landscapePageOffset_);
  coder.encodeInt32("portraitPageOffset", portraitPageOffset_);
  coder.encodeInt32("fontSize", fontSize_);
  coder.encodeInt32("landscapePreviewPage", landscapePreviewPage_);
  coder.encodeInt32("portraitPreviewPage", portraitPreviewPage_);
}

bool PageInfo::initWithCoder(KeyedUnarchiver& coder) {
  setLandscapePage(coder.decodeInt32("landscapePage").value_or(0));
  setPortraitPage(coder.decodeInt32("portraitPage").value_or(0));
  setLandscapePageOffset(coder.decodeInt32("landscapePageOffset").value_or(0));
  setPortraitPageOffset(coder.decodeInt32("portraitPageOffset").value_or(0));
  setFontSize(coder.decodeInt32("fontSize").value_or(0));
  setLandscapePreviewPage(coder.decodeInt32("landscapePreviewPage").value_or(0));
  setPortraitPreviewPage(coder.decodeInt32("portraitPreviewPage").value_or(0));
  return true;
}

}  // namespace zu
