// VideoDuration: the length of a video as the service gives it. Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>

#include "platform/runtime/Object.h"

namespace zu {

class VideoDuration : public Object {
 public:
  int32_t value() const { return value_; }
  void setValue(int32_t v) { value_ = v; }

 private:
  int32_t value_ = 0;
};

}  // namespace zu
