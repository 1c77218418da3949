// SmilBody: the body of a SMIL document. A plain record of the ePub package model (accessors only,
// not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class SmilSeq;

class SmilBody : public Object {
 public:
  const std::shared_ptr<SmilSeq>& seq() const { return seq_; }
  void setSeq(std::shared_ptr<SmilSeq> v) { seq_ = std::move(v); }

 private:
  std::shared_ptr<SmilSeq> seq_;
};

}  // namespace zu
