// SortedBookmark: the sort record the book manager lists bookmarks by: the chapter and combined
// section positions of the bookmark's place, its two pages, and the bookmark itself. Made and
// dropped within one call; not shared between threads.
#pragma once

#include <cstdint>
#include <memory>

#include "model/book/Bookmark.h"

namespace zu {

struct SortedBookmark {
  int32_t chapterIndexId = 0;
  int32_t sectionIndexId = 0;
  int32_t landscapePage = 0;
  int32_t portraitPage = 0;
  std::shared_ptr<Bookmark> bookmark;
};

}  // namespace zu
