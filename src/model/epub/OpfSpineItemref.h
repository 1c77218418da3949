// OpfSpineItemref: one manifest item in the reading order of an OPF spine. A plain record of the
// ePub package model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpfSpineItemref : public Object {
 public:
  const std::optional<std::string>& idref() const { return idref_; }
  void setIdref(std::optional<std::string> v) { idref_ = std::move(v); }
  bool linear() const { return linear_; }
  void setLinear(bool v) { linear_ = v; }

 private:
  std::optional<std::string> idref_;
  bool linear_ = false;
};

}  // namespace zu
