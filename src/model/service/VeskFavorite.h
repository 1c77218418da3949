// VeskFavorite: the favourite state of an item or a feed (element "favorite"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskFavorite : public Archivable {
 public:
  bool collectable() const { return collectable_; }
  void setCollectable(bool v) { collectable_ = v; }
  // "0" gives 0, "1" gives 1, any other text 2.
  int32_t collected() const { return collected_; }
  void setCollected(int32_t v) { collected_ = v; }
  int32_t count() const { return count_; }
  void setCount(int32_t v) { count_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  bool collectable_ = false;
  int32_t collected_ = 0;
  int32_t count_ = 0;
};

}  // namespace zu
