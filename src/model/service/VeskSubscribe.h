// VeskSubscribe: the subscription state of a column (element "subscribe"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskSubscribe : public Archivable {
 public:
  // YES exactly when the attribute's integer value is 1.
  bool subscribable() const { return subscribable_; }
  void setSubscribable(bool v) { subscribable_ = v; }
  // 0 or 1 as sent; any other value is kept as 2.
  int32_t subscribed() const { return subscribed_; }
  void setSubscribed(int32_t v) { subscribed_ = v; }
  // Number of subscribers.
  int32_t times() const { return times_; }
  void setTimes(int32_t v) { times_ = v; }
  const std::optional<std::string>& updateFrequency() const { return updateFrequency_; }
  void setUpdateFrequency(std::optional<std::string> v) { updateFrequency_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  bool subscribable_ = false;
  int32_t subscribed_ = 0;
  int32_t times_ = 0;
  std::optional<std::string> updateFrequency_;
};

}  // namespace zu
