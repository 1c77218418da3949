// VeskSync: the synchronisation interval of an entry (element "sync"). Filled through its setters
// by the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskSync : public Archivable {
 public:
  int32_t interval() const { return interval_; }
  void setInterval(int32_t v) { interval_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t interval_ = 0;
};

}  // namespace zu
