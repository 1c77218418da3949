// BookSearchResult: one hit of a search in a book: the word, the text around it, where it is
// and its number. Made by the book search and shown in its list; not archivable, not locked;
// held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class BookSearchResult : public Object {
 public:
  // The searched word.
  const std::optional<std::string>& keyWord() const { return keyWord_; }
  void setKeyWord(std::optional<std::string> v) { keyWord_ = std::move(v); }
  // Text before the hit.
  const std::optional<std::string>& beforeString() const { return beforeString_; }
  void setBeforeString(std::optional<std::string> v) { beforeString_ = std::move(v); }
  // Text after the hit.
  const std::optional<std::string>& afterString() const { return afterString_; }
  void setAfterString(std::optional<std::string> v) { afterString_ = std::move(v); }
  const std::optional<std::string>& chapterId() const { return chapterId_; }
  void setChapterId(std::optional<std::string> v) { chapterId_ = std::move(v); }
  const std::optional<std::string>& sectionId() const { return sectionId_; }
  void setSectionId(std::optional<std::string> v) { sectionId_ = std::move(v); }
  // Number of the hit.
  int32_t order() const { return order_; }
  void setOrder(int32_t v) { order_ = v; }
  // Title of the chapter or section of the hit.
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }

 private:
  std::optional<std::string> keyWord_;
  std::optional<std::string> beforeString_;
  std::optional<std::string> afterString_;
  std::optional<std::string> chapterId_;
  std::optional<std::string> sectionId_;
  int32_t order_ = 0;
  std::optional<std::string> title_;
};

}  // namespace zu
