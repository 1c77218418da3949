// VeskMessage: one message of a notice (the time is atomic). Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskMessage : public Object {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& data() const { return data_; }
  void setData(std::optional<std::string> v) { data_ = std::move(v); }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }

 private:
  std::optional<std::string> type_;
  std::optional<std::string> title_;
  std::optional<std::string> href_;
  std::optional<std::string> data_;
  std::atomic<int64_t> updated_{0};
};

}  // namespace zu
