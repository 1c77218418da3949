// SmilImg: an image medium of a SMIL sequence. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class SmilImg : public Object {
 public:
  const std::optional<std::string>& src() const { return src_; }
  void setSrc(std::optional<std::string> v) { src_ = std::move(v); }

 private:
  std::optional<std::string> src_;
};

}  // namespace zu
