// VeskThumbnail: the list thumbnail image of an entry (element "image_thumbnail"). Filled through
// its setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskThumbnail : public Archivable {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  int32_t width() const { return width_; }
  void setWidth(int32_t v) { width_ = v; }
  int32_t height() const { return height_; }
  void setHeight(int32_t v) { height_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> type_;
  std::optional<std::string> href_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zu
