// Fonts: the fonts offered, in document order. Filled through its setters by the response parser or
// the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Font;

class Fonts : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<Font>>>& fontArray() const { return fontArray_; }
  void setFontArray(std::optional<std::vector<std::shared_ptr<Font>>> v) {
    fontArray_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendFontArray(std::shared_ptr<Font> item) {
    if (!fontArray_) fontArray_.emplace();
    fontArray_->push_back(std::move(item));
  }

 private:
  std::optional<std::vector<std::shared_ptr<Font>>> fontArray_;
};

}  // namespace zu
