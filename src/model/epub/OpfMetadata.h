// OpfMetadata: the metadata section of an OPF package. A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpfDcMetadata;

class OpfMetadata : public Object {
 public:
  const std::shared_ptr<OpfDcMetadata>& dcMetadata() const { return dcMetadata_; }
  void setDcMetadata(std::shared_ptr<OpfDcMetadata> v) { dcMetadata_ = std::move(v); }

 private:
  std::shared_ptr<OpfDcMetadata> dcMetadata_;
};

}  // namespace zu
