// EpubSource: the common shape of the ePub package records that only name a file, the base of
// NcxNavContent, SmilText and SmilImg. A plain record (accessors only, not archivable, not
// locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class EpubSource : public Object {
 public:
  // The file, relative to the document that refers to it.
  const std::optional<std::string>& src() const { return src_; }
  void setSrc(std::optional<std::string> v) { src_ = std::move(v); }

 private:
  std::optional<std::string> src_;
};

}  // namespace zu
