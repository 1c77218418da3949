// Bookmark: a bookmarked position in a book with its id, title and creation time (as text).
// Kept by the bookmark store; not archivable, not locked; held through std::shared_ptr.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "model/book/BookPosition.h"

namespace zu {

class Bookmark : public BookPosition {
 public:
  // When the bookmark was made, as text.
  const std::optional<std::string>& timeString() const { return timeString_; }
  void setTimeString(std::optional<std::string> v) { timeString_ = std::move(v); }
  // The bookmark's id.
  const std::optional<std::string>& indexId() const { return indexId_; }
  void setIndexId(std::optional<std::string> v) { indexId_ = std::move(v); }
  // Text shown for the bookmark.
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }

 private:
  std::optional<std::string> timeString_;
  std::optional<std::string> indexId_;
  std::optional<std::string> title_;
};

}  // namespace zu
