// VeskAssess: the limits and count of comments of an item (element "assess"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskAssess : public Archivable {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  int32_t minLength() const { return minLength_; }
  void setMinLength(int32_t v) { minLength_ = v; }
  int32_t maxLength() const { return maxLength_; }
  void setMaxLength(int32_t v) { maxLength_ = v; }
  int32_t times() const { return times_; }
  void setTimes(int32_t v) { times_ = v; }
  // One comment more, or fewer, in the count as the screens keep it: it stays at the largest
  // value rather than wrapping, and one fewer never goes below 0.
  void incrementTimes() {
    if (times_ < INT32_MAX) ++times_;
  }
  void decrementTimes() { times_ = times_ > 0 ? times_ - 1 : 0; }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> title_;
  int32_t minLength_ = 0;
  int32_t maxLength_ = 0;
  int32_t times_ = 0;
  std::optional<std::string> href_;
  std::optional<std::string> type_;
};

}  // namespace zu
