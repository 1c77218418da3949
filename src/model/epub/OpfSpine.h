// OpfSpine: the spine of an OPF package: the reading order. A plain record of the ePub package
// model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class OpfSpineItemref;

class OpfSpine : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<OpfSpineItemref>>>& idrefs() const {
    return idrefs_;
  }
  void setIdrefs(std::optional<std::vector<std::shared_ptr<OpfSpineItemref>>> v) {
    idrefs_ = std::move(v);
  }

 private:
  std::optional<std::vector<std::shared_ptr<OpfSpineItemref>>> idrefs_;
};

}  // namespace zu
