// VeskDevInfo: the device id record of an entry (element "devinfo"). Filled through its setters by
// the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskDevInfo : public Archivable {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> id_;
};

}  // namespace zu
