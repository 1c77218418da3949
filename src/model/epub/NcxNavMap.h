// NcxNavMap: the navigation map of an NCX document. A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class NcxNavPoint;

class NcxNavMap : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<NcxNavPoint>>>& navPoints() const {
    return navPoints_;
  }
  void setNavPoints(std::optional<std::vector<std::shared_ptr<NcxNavPoint>>> v) {
    navPoints_ = std::move(v);
  }

 private:
  std::optional<std::vector<std::shared_ptr<NcxNavPoint>>> navPoints_;
};

}  // namespace zu
