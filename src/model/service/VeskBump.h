// VeskBump: the up/down vote of an item (element "bump"). Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskBump : public Archivable {
 public:
  // YES exactly when the action is "up".
  bool action() const { return action_; }
  void setAction(bool v) { action_ = v; }
  int32_t times() const { return times_; }
  void setTimes(int32_t v) { times_ = v; }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  bool action_ = false;
  int32_t times_ = 0;
  std::optional<std::string> href_;
};

}  // namespace zu
