// BookHighlight: a highlighted passage at a position in a book. Kept by the highlight store;
// not archivable, not locked; held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "model/book/BookPosition.h"

namespace zu {

class BookHighlight : public BookPosition {
 public:
  // The highlighted text.
  const std::optional<std::string>& highlightString() const { return highlightString_; }
  void setHighlightString(std::optional<std::string> v) { highlightString_ = std::move(v); }

 private:
  std::optional<std::string> highlightString_;
};

}  // namespace zu
