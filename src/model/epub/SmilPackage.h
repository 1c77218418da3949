// SmilPackage: a SMIL media overlay document: head and body. A plain record of the ePub package
// model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class SmilBody;
class SmilHead;

class SmilPackage : public Object {
 public:
  const std::shared_ptr<SmilHead>& head() const { return head_; }
  void setHead(std::shared_ptr<SmilHead> v) { head_ = std::move(v); }
  const std::shared_ptr<SmilBody>& body() const { return body_; }
  void setBody(std::shared_ptr<SmilBody> v) { body_ = std::move(v); }

 private:
  std::shared_ptr<SmilHead> head_;
  std::shared_ptr<SmilBody> body_;
};

}  // namespace zu
