// BookReview: one review of a book (element "bookreview"). Filled through its setters by the
// response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link;

class BookReview : public Archivable {
 public:
  // Attribute "type" of its content child.
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> v) { type_ = std::move(v); }
  // Text of its content child.
  const std::optional<std::string>& comment() const { return comment_; }
  void setComment(std::optional<std::string> v) { comment_ = std::move(v); }
  // Its link without relation.
  const std::shared_ptr<Link>& link() const { return link_; }
  void setLink(std::shared_ptr<Link> v) { link_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> type_;
  std::optional<std::string> comment_;
  std::shared_ptr<Link> link_;
};

}  // namespace zu
