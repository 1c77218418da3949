// VeskMessages: the message list of a notice (the time is atomic). Filled through its setters by
// the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class VeskMessage;

class VeskMessages : public Object {
 public:
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  const std::optional<std::vector<std::shared_ptr<VeskMessage>>>& veskMessageArray() const {
    return veskMessageArray_;
  }
  void setVeskMessageArray(std::optional<std::vector<std::shared_ptr<VeskMessage>>> v) {
    veskMessageArray_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendVeskMessageArray(std::shared_ptr<VeskMessage> item) {
    if (!veskMessageArray_) veskMessageArray_.emplace();
    veskMessageArray_->push_back(std::move(item));
  }

 private:
  std::atomic<int64_t> updated_{0};
  std::optional<std::vector<std::shared_ptr<VeskMessage>>> veskMessageArray_;
};

}  // namespace zu
