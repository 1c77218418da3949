// BookPosition: a position in a book (chapter, section, and the page in each orientation at a
// font size); the base of the reading position, bookmarks, memos and highlights, which the
// book stores keep in their own tables. Not archivable, not locked; held through
// std::shared_ptr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class BookPosition : public Object {
 public:
  const std::optional<std::string>& chapterId() const { return chapterId_; }
  void setChapterId(std::optional<std::string> v) { chapterId_ = std::move(v); }
  const std::optional<std::string>& sectionId() const { return sectionId_; }
  void setSectionId(std::optional<std::string> v) { sectionId_ = std::move(v); }
  int32_t landscapePage() const { return landscapePage_; }
  void setLandscapePage(int32_t v) { landscapePage_ = v; }
  int32_t portraitPage() const { return portraitPage_; }
  void setPortraitPage(int32_t v) { portraitPage_ = v; }
  // The font size the pages hold for.
  int32_t fontSize() const { return fontSize_; }
  void setFontSize(int32_t v) { fontSize_ = v; }

 private:
  std::optional<std::string> chapterId_;
  std::optional<std::string> sectionId_;
  int32_t landscapePage_ = 0;
  int32_t portraitPage_ = 0;
  int32_t fontSize_ = 0;
};

}  // namespace zu
