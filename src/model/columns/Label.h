// Label: the tags of a user profile with their limits. Filled through its setters by the response
// parser or the tasks, then handed on and only read (not locked); held through std::shared_ptr and
// shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Label : public Object {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  // Most characters of one tag; below 1: none given.
  int32_t maxLength() const { return maxLength_; }
  void setMaxLength(int32_t v) { maxLength_ = v; }
  // Most tags; below 1: none given.
  int32_t maxCount() const { return maxCount_; }
  void setMaxCount(int32_t v) { maxCount_ = v; }
  const std::optional<std::vector<std::string>>& labelItems() const { return labelItems_; }
  void setLabelItems(std::optional<std::vector<std::string>> v) { labelItems_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendLabelItems(std::string item) {
    if (!labelItems_) labelItems_.emplace();
    labelItems_->push_back(std::move(item));
  }

 private:
  std::optional<std::string> type_;
  int32_t maxLength_ = 0;
  int32_t maxCount_ = 0;
  std::optional<std::vector<std::string>> labelItems_;
};

}  // namespace zu
