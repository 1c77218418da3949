// Icon: the picture of a user profile. Filled through its setters by the response parser or the
// tasks, then handed on and only read (not locked); held through std::shared_ptr and shared, not
// copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class Icon : public Object {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& rel() const { return rel_; }
  void setRel(std::optional<std::string> v) { rel_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }

 private:
  std::optional<std::string> type_;
  std::optional<std::string> rel_;
  std::optional<std::string> href_;
};

}  // namespace zu
