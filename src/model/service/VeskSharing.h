// VeskSharing: the sharing record of an item (element "sharing"). Filled through its setters by the
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

class VeskSharing : public Archivable {
 public:
  const std::optional<std::string>& action() const { return action_; }
  void setAction(std::optional<std::string> v) { action_ = std::move(v); }
  int32_t times() const { return times_; }
  void setTimes(int32_t v) { times_ = v; }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> action_;
  int32_t times_ = 0;
  std::optional<std::string> href_;
};

}  // namespace zu
