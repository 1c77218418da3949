// EpubText: the common shape of the ePub package records that hold one text, the base of
// NcxDocTitle, NcxDocAuthor and NcxNavLabel. A plain record (accessors only, not archivable,
// not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class EpubText : public Object {
 public:
  const std::optional<std::string>& text() const { return text_; }
  void setText(std::optional<std::string> v) { text_ = std::move(v); }

 private:
  std::optional<std::string> text_;
};

}  // namespace zu
