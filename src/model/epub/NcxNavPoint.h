// NcxNavPoint: one top-level entry of an NCX navigation map (a chapter): the fields of a nested
// entry plus the nested entries (its sections). A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "model/epub/NcxNavPointSub.h"

namespace zu {

class NcxNavPoint : public NcxNavPointSub {
 public:
  const std::optional<std::vector<std::shared_ptr<NcxNavPointSub>>>& navPointSubs() const {
    return navPointSubs_;
  }
  void setNavPointSubs(std::optional<std::vector<std::shared_ptr<NcxNavPointSub>>> v) {
    navPointSubs_ = std::move(v);
  }

 private:
  std::optional<std::vector<std::shared_ptr<NcxNavPointSub>>> navPointSubs_;
};

}  // namespace zu
