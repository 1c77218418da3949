// statC: one statistics switch: key and value. Filled through its setters by the response parser or
// the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>

#include "platform/runtime/Object.h"

namespace zu {

class statC : public Object {
 public:
  int32_t k() const { return k_; }
  void setK(int32_t v) { k_ = v; }
  int32_t v() const { return v_; }
  void setV(int32_t v) { v_ = v; }

 private:
  int32_t k_ = 0;
  int32_t v_ = 0;
};

}  // namespace zu
