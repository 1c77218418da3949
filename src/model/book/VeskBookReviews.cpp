#include "model/book/VeskBookReviews.h"

#include "model/book/BookReview.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskBookReviews::archiveClassName() const { return "VeskBookReviews"; }

void VeskBookReviews::encodeWithCoder(KeyedArchiver& coder) const {
  if (bookReviews_) coder.encode("bookReviews", *bookReviews_);
}

bool VeskBookReviews::initWithCoder(KeyedUnarchiver& coder) {
  if (coder.containsKey("bookReviews"))
    bookReviews_ = coder.decodeObjectArray<BookReview>("bookReviews");
  return true;
}

}  // namespace zu
