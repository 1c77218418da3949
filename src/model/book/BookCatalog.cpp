#include "model/book/BookCatalog.h"

#include <mutex>

#include "model/entry/ModelArchive.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

void BookCatalog::registerArchiveClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    ModelArchive::registerClasses();
    KeyedUnarchiver::registerClass<PageInfo>("PageInfo");
    KeyedUnarchiver::registerClass<Section>("Section");
    KeyedUnarchiver::registerClass<Chapter>("Chapter");
    KeyedUnarchiver::registerClass<BookCatalog>("BookCatalog");
  });
}

std::string BookCatalog::archiveClassName() const { return "BookCatalog"; }

void BookCatalog::encodeWithCoder(KeyedArchiver& coder) const {
  if (chapters_) coder.encode("chapters", *chapters_);
  if (pageInfos_) coder.encode("pageInfos", *pageInfos_);
  coder.encodeInt32("version", version_);
}

bool BookCatalog::initWithCoder(KeyedUnarchiver& coder) {
  if (coder.containsKey("chapters")) setChapters(coder.decodeObjectArray<Chapter>("chapters"));
  if (coder.containsKey("pageInfos")) setPageInfos(coder.decodeObjectArray<PageInfo>("pageInfos"));
  setVersion(coder.decodeInt32("version").value_or(0));
  return true;
}

}  // namespace zu
