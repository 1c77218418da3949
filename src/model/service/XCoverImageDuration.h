// XCoverImageDuration: how long a cover picture stays on screen (element "x_cover_image_duration").
// The parser starts it at 5 seconds; a record made otherwise starts at 0. Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/Archivable.h"

namespace zu {

class XCoverImageDuration : public Archivable {
 public:
  // Seconds.
  int32_t value() const { return value_; }
  void setValue(int32_t v) { value_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t value_ = 0;
};

}  // namespace zu
