// VeskStatControl: the statistics switches of the service URL feed. Filled through its setters by
// the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class statC;

class VeskStatControl : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<statC>>>& c() const { return c_; }
  void setC(std::optional<std::vector<std::shared_ptr<statC>>> v) { c_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendC(std::shared_ptr<statC> item) {
    if (!c_) c_.emplace();
    c_->push_back(std::move(item));
  }
  // Statistics are sent over Wi-Fi only.
  bool wifiOnly() const { return wifiOnly_; }
  void setWifiOnly(bool v) { wifiOnly_ = v; }

 private:
  std::optional<std::vector<std::shared_ptr<statC>>> c_;
  bool wifiOnly_ = false;
};

}  // namespace zu
