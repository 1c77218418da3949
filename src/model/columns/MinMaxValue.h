// MinMaxValue: a profile value with the least and most characters the service accepts. Filled
// through its setters by the response parser or the tasks, then handed on and only read (not
// locked); held through std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class MinMaxValue : public Object {
 public:
  // Below 1: no limit given.
  int32_t minLength() const { return minLength_; }
  void setMinLength(int32_t v) { minLength_ = v; }
  // Below 1: no limit given.
  int32_t maxLength() const { return maxLength_; }
  void setMaxLength(int32_t v) { maxLength_ = v; }
  const std::optional<std::string>& value() const { return value_; }
  void setValue(std::optional<std::string> v) { value_ = std::move(v); }

 private:
  int32_t minLength_ = 0;
  int32_t maxLength_ = 0;
  std::optional<std::string> value_;
};

}  // namespace zu
