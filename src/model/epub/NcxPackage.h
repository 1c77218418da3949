// NcxPackage: an NCX navigation document: title, author and navigation map. A plain record of the
// ePub package model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class NcxDocAuthor;
class NcxDocTitle;
class NcxNavMap;

class NcxPackage : public Object {
 public:
  const std::shared_ptr<NcxDocTitle>& docTitle() const { return docTitle_; }
  void setDocTitle(std::shared_ptr<NcxDocTitle> v) { docTitle_ = std::move(v); }
  const std::shared_ptr<NcxDocAuthor>& docAuthor() const { return docAuthor_; }
  void setDocAuthor(std::shared_ptr<NcxDocAuthor> v) { docAuthor_ = std::move(v); }
  const std::shared_ptr<NcxNavMap>& navMap() const { return navMap_; }
  void setNavMap(std::shared_ptr<NcxNavMap> v) { navMap_ = std::move(v); }

 private:
  std::shared_ptr<NcxDocTitle> docTitle_;
  std::shared_ptr<NcxDocAuthor> docAuthor_;
  std::shared_ptr<NcxNavMap> navMap_;
};

}  // namespace zu
