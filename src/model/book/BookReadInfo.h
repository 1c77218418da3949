// BookReadInfo: the reading position of a book with how far it has been read. Not archivable,
// not locked; held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/book/BookPosition.h"

namespace zu {

class BookReadInfo : public BookPosition {
 public:
  // How far the book has been read.
  float percent() const { return percent_; }
  void setPercent(float v) { percent_ = v; }

  // A new reading position with these five fields set and percent 0.
  static std::shared_ptr<BookReadInfo> readInfoWithChapterId(std::optional<std::string> chapterId,
                                                             std::optional<std::string> sectionId,
                                                             int32_t landscapePage,
                                                             int32_t portraitPage,
                                                             int32_t fontSize);

 private:
  float percent_ = 0.0f;
};

}  // namespace zu
