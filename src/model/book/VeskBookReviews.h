// VeskBookReviews: the reviews of a book (element "bookreviews"). Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Archivable.h"

namespace zu {

class BookReview;

class VeskBookReviews : public Archivable {
 public:
  // Absent when there is none.
  const std::optional<std::vector<std::shared_ptr<BookReview>>>& bookReviews() const {
    return bookReviews_;
  }
  void setBookReviews(std::optional<std::vector<std::shared_ptr<BookReview>>> v) {
    bookReviews_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendBookReviews(std::shared_ptr<BookReview> item) {
    if (!bookReviews_) bookReviews_.emplace();
    bookReviews_->push_back(std::move(item));
  }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::vector<std::shared_ptr<BookReview>>> bookReviews_;
};

}  // namespace zu
