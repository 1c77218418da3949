// VeskSoftUpdate: a software-update notice. Filled through its setters by the response parser or
// the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskSoftUpdate : public Object {
 public:
  const std::optional<std::string>& newVersion() const { return newVersion_; }
  void setNewVersion(std::optional<std::string> v) { newVersion_ = std::move(v); }
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& data() const { return data_; }
  void setData(std::optional<std::string> v) { data_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }

 private:
  std::optional<std::string> newVersion_;
  std::optional<std::string> type_;
  std::optional<std::string> href_;
  std::optional<std::string> data_;
  std::optional<std::string> title_;
};

}  // namespace zu
