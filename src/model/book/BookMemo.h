// BookMemo: a memo attached to a position in a book: its text, id, creation time (as text) and
// colour code. Kept by the memo store. Not archivable, not locked;
// held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "model/book/BookPosition.h"

namespace zu {

class BookMemo : public BookPosition {
 public:
  const std::optional<std::string>& memoString() const { return memoString_; }
  void setMemoString(std::optional<std::string> v) { memoString_ = std::move(v); }
  // The memo's id.
  const std::optional<std::string>& indexId() const { return indexId_; }
  void setIndexId(std::optional<std::string> v) { indexId_ = std::move(v); }
  // When the memo was made, as text.
  const std::optional<std::string>& timeString() const { return timeString_; }
  void setTimeString(std::optional<std::string> v) { timeString_ = std::move(v); }
  // The memo's colour code.
  int32_t color() const { return color_; }
  void setColor(int32_t v) { color_ = v; }

 private:
  std::optional<std::string> memoString_;
  std::optional<std::string> indexId_;
  std::optional<std::string> timeString_;
  int32_t color_ = 0;
};

}  // namespace zu
