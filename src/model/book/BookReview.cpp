#include "model/book/BookReview.h"

#include "model/entry/Link.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string BookReview::archiveClassName() const { return "BookReview"; }

void BookReview::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("type", type_);
  coder.encode("comment", comment_);
  coder.encode("link", link_);
}

bool BookReview::initWithCoder(KeyedUnarchiver& coder) {
  type_ = coder.decodeString("type");
  comment_ = coder.decodeString("comment");
  link_ = coder.decodeObject<Link>("link");
  return true;
}

}  // namespace zu
