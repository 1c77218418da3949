// NcxDocTitle: the title of an NCX document. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class NcxDocTitle : public Object {
 public:
  const std::optional<std::string>& text() const { return text_; }
  void setText(std::optional<std::string> v) { text_ = std::move(v); }

 private:
  std::optional<std::string> text_;
};

}  // namespace zu
