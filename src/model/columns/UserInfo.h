// UserInfo: the reader's profile, with the length limits the service sends for each value (the time
// is atomic). Filled through its setters by the response parser or the tasks, then handed on and
// only read (not locked); held through std::shared_ptr and shared, not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class Icon;
class Label;
class MinMaxValue;

class UserInfo : public Object {
 public:
  // Kind of document; a profile update sends "update" when absent.
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::shared_ptr<Icon>& icon() const { return icon_; }
  void setIcon(std::shared_ptr<Icon> v) { icon_ = std::move(v); }
  const std::shared_ptr<MinMaxValue>& name() const { return name_; }
  void setName(std::shared_ptr<MinMaxValue> v) { name_ = std::move(v); }
  const std::shared_ptr<MinMaxValue>& email() const { return email_; }
  void setEmail(std::shared_ptr<MinMaxValue> v) { email_ = std::move(v); }
  // 0 male, 1 female, any other value not given.
  int32_t gender() const { return gender_; }
  void setGender(int32_t v) { gender_ = v; }
  const std::shared_ptr<MinMaxValue>& introduction() const { return introduction_; }
  void setIntroduction(std::shared_ptr<MinMaxValue> v) { introduction_ = std::move(v); }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }
  const std::shared_ptr<Label>& labels() const { return labels_; }
  void setLabels(std::shared_ptr<Label> v) { labels_ = std::move(v); }

 private:
  std::optional<std::string> type_;
  std::optional<std::string> title_;
  std::shared_ptr<Icon> icon_;
  std::shared_ptr<MinMaxValue> name_;
  std::shared_ptr<MinMaxValue> email_;
  int32_t gender_ = 0;
  std::shared_ptr<MinMaxValue> introduction_;
  std::atomic<int64_t> updated_{0};
  std::shared_ptr<Label> labels_;
};

}  // namespace zu
