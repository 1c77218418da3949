// VeskLayoutformat: the display limits of a list. Filled through its setters by the response parser
// or the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>

#include "platform/runtime/Object.h"

namespace zu {

class VeskLayoutformat : public Object {
 public:
  int32_t displaymin() const { return displaymin_; }
  void setDisplaymin(int32_t v) { displaymin_ = v; }
  int32_t displaymax() const { return displaymax_; }
  void setDisplaymax(int32_t v) { displaymax_ = v; }

 private:
  int32_t displaymin_ = 0;
  int32_t displaymax_ = 0;
};

}  // namespace zu
