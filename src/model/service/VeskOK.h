// VeskOK: the report of one entry a batch request succeeded for. Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskOK : public Object {
 public:
  const std::optional<std::string>& entryId() const { return entryId_; }
  void setEntryId(std::optional<std::string> v) { entryId_ = std::move(v); }
  const std::optional<std::string>& desc() const { return desc_; }
  void setDesc(std::optional<std::string> v) { desc_ = std::move(v); }

 private:
  std::optional<std::string> entryId_;
  std::optional<std::string> desc_;
};

}  // namespace zu
