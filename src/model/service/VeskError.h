// VeskError: the report of one entry a batch request failed for. Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskCustomization;

class VeskError : public Object {
 public:
  const std::optional<std::string>& entryId() const { return entryId_; }
  void setEntryId(std::optional<std::string> v) { entryId_ = std::move(v); }
  // The service's error code.
  int32_t reason() const { return reason_; }
  void setReason(int32_t v) { reason_ = v; }
  const std::optional<std::string>& desc() const { return desc_; }
  void setDesc(std::optional<std::string> v) { desc_ = std::move(v); }
  const std::shared_ptr<VeskCustomization>& veskCustomization() const { return veskCustomization_; }
  void setVeskCustomization(std::shared_ptr<VeskCustomization> v) {
    veskCustomization_ = std::move(v);
  }

 private:
  std::optional<std::string> entryId_;
  int32_t reason_ = 0;
  std::optional<std::string> desc_;
  std::shared_ptr<VeskCustomization> veskCustomization_;
};

}  // namespace zu
