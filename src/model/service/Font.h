// Font: a downloadable font. Filled through its setters by the response parser or the tasks, then
// handed on and only read (not locked); held through std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class Font : public Object {
 public:
  const std::optional<std::string>& name() const { return name_; }
  void setName(std::optional<std::string> v) { name_ = std::move(v); }
  const std::optional<std::string>& desc() const { return desc_; }
  void setDesc(std::optional<std::string> v) { desc_ = std::move(v); }
  // Download address of the font file.
  const std::optional<std::string>& url() const { return url_; }
  void setUrl(std::optional<std::string> v) { url_ = std::move(v); }
  int32_t length() const { return length_; }
  void setLength(int32_t v) { length_ = v; }
  const std::optional<std::string>& md5() const { return md5_; }
  void setMd5(std::optional<std::string> v) { md5_ = std::move(v); }

 private:
  std::optional<std::string> name_;
  std::optional<std::string> desc_;
  std::optional<std::string> url_;
  int32_t length_ = 0;
  std::optional<std::string> md5_;
};

}  // namespace zu
