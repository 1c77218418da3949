// VeskUrs: the user id the service assigned. Filled through its setters by the response parser or
// the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskUrs : public Object {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }

 private:
  std::optional<std::string> id_;
};

}  // namespace zu
