// VeskCategory: one picture of an article (element "image_category"). Filled through its setters by
// the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskExif;

class VeskCategory : public Object {
 public:
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  int32_t width() const { return width_; }
  void setWidth(int32_t v) { width_ = v; }
  int32_t height() const { return height_; }
  void setHeight(int32_t v) { height_ = v; }
  // Address of the second rendition of the picture.
  const std::optional<std::string>& a_href() const { return a_href_; }
  void setA_href(std::optional<std::string> v) { a_href_ = std::move(v); }
  int32_t a_width() const { return a_width_; }
  void setA_width(int32_t v) { a_width_ = v; }
  int32_t a_height() const { return a_height_; }
  void setA_height(int32_t v) { a_height_ = v; }
  // Position of the picture in the article.
  int32_t seq() const { return seq_; }
  void setSeq(int32_t v) { seq_ = v; }
  const std::shared_ptr<VeskExif>& veskExif() const { return veskExif_; }
  void setVeskExif(std::shared_ptr<VeskExif> v) { veskExif_ = std::move(v); }

 private:
  std::optional<std::string> type_;
  std::optional<std::string> href_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::optional<std::string> a_href_;
  int32_t a_width_ = 0;
  int32_t a_height_ = 0;
  int32_t seq_ = 0;
  std::shared_ptr<VeskExif> veskExif_;
};

}  // namespace zu
