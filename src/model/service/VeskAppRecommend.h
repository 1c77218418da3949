// VeskAppRecommend: the recommended applications of a notice (the time is atomic). Filled through
// its setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class VeskApp;

class VeskAppRecommend : public Object {
 public:
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  const std::optional<std::vector<std::shared_ptr<VeskApp>>>& veskApps() const { return veskApps_; }
  void setVeskApps(std::optional<std::vector<std::shared_ptr<VeskApp>>> v) {
    veskApps_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendVeskApps(std::shared_ptr<VeskApp> item) {
    if (!veskApps_) veskApps_.emplace();
    veskApps_->push_back(std::move(item));
  }

 private:
  std::atomic<int64_t> updated_{0};
  std::optional<std::vector<std::shared_ptr<VeskApp>>> veskApps_;
};

}  // namespace zu
