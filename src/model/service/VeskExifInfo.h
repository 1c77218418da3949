// VeskExifInfo: one key/value line of an EXIF block. Filled through its setters by the response
// parser or the tasks, then handed on and only read (not locked); held through std::shared_ptr and
// shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskExifInfo : public Object {
 public:
  const std::optional<std::string>& key() const { return key_; }
  void setKey(std::optional<std::string> v) { key_ = std::move(v); }
  const std::optional<std::string>& value() const { return value_; }
  void setValue(std::optional<std::string> v) { value_ = std::move(v); }

 private:
  std::optional<std::string> key_;
  std::optional<std::string> value_;
};

}  // namespace zu
