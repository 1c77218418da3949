// Img: one image of an advertisement. Filled through its setters by the response parser or the
// tasks, then handed on and only read (not locked); held through std::shared_ptr and shared, not
// copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class Img : public Object {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& src() const { return src_; }
  void setSrc(std::optional<std::string> v) { src_ = std::move(v); }
  int32_t width() const { return width_; }
  void setWidth(int32_t v) { width_ = v; }
  int32_t height() const { return height_; }
  void setHeight(int32_t v) { height_ = v; }
  // How long the image is shown.
  int32_t duration() const { return duration_; }
  void setDuration(int32_t v) { duration_ = v; }

 private:
  std::optional<std::string> type_;
  std::optional<std::string> src_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t duration_ = 0;
};

}  // namespace zu
