// Ads: the advertisements of an answer. Filled through its setters by the response parser or the
// tasks, then handed on and only read (not locked); held through std::shared_ptr and shared, not
// copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Ad;

class Ads : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<Ad>>>& ads() const { return ads_; }
  void setAds(std::optional<std::vector<std::shared_ptr<Ad>>> v) { ads_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendAds(std::shared_ptr<Ad> item) {
    if (!ads_) ads_.emplace();
    ads_->push_back(std::move(item));
  }
  // The service's loop flag for showing them.
  bool loop() const { return loop_; }
  void setLoop(bool v) { loop_ = v; }

 private:
  std::optional<std::vector<std::shared_ptr<Ad>>> ads_;
  bool loop_ = false;
};

}  // namespace zu
