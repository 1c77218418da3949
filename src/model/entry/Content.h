// Content: an Atom content (elements "content", "pagedcontent", "translated"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Content : public Archivable {
 public:
  // 0 no type given, 1 "text", 2 "html", 3 "xhtml", 4 any other type.
  int32_t type() const { return type_; }
  void setType(int32_t v) { type_ = v; }
  // Never filled by reading.
  const std::optional<std::string>& mimeType() const { return mimeType_; }
  void setMimeType(std::optional<std::string> v) { mimeType_ = std::move(v); }
  const std::optional<std::string>& src() const { return src_; }
  void setSrc(std::optional<std::string> v) { src_ = std::move(v); }
  // The element's own text.
  const std::optional<std::string>& data() const { return data_; }
  void setData(std::optional<std::string> v) { data_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t type_ = 0;
  std::optional<std::string> mimeType_;
  std::optional<std::string> src_;
  std::optional<std::string> data_;
};

}  // namespace zu
