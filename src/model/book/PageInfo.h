// PageInfo: the page counts of one unit of a book (a section, a chapter or the whole book) at one
// font size, in both orientations, with the unit's offsets in the whole book and the pages of
// the free preview. Filled by the response parser (counts and font size) and by the catalogue
// store (offsets and preview pages); archived with the catalogue. Not locked: filled on one
// thread, then only read. Held through std::shared_ptr and shared.
#pragma once

#include <cstdint>

#include "platform/runtime/Archivable.h"

namespace zu {

class PageInfo : public Archivable {
 public:
  int32_t landscapePage() const { return landscapePage_; }
  void setLandscapePage(int32_t v) { landscapePage_ = v; }
  int32_t portraitPage() const { return portraitPage_; }
  void setPortraitPage(int32_t v) { portraitPage_ = v; }
  // Page at which the unit starts within the whole book.
  int32_t landscapePageOffset() const { return landscapePageOffset_; }
  void setLandscapePageOffset(int32_t v) { landscapePageOffset_ = v; }
  int32_t portraitPageOffset() const { return portraitPageOffset_; }
  void setPortraitPageOffset(int32_t v) { portraitPageOffset_ = v; }
  // The font size these counts hold for.
  int32_t fontSize() const { return fontSize_; }
  void setFontSize(int32_t v) { fontSize_ = v; }
  // Pages of the free preview.
  int32_t landscapePreviewPage() const { return landscapePreviewPage_; }
  void setLandscapePreviewPage(int32_t v) { landscapePreviewPage_ = v; }
  int32_t portraitPreviewPage() const { return portraitPreviewPage_; }
  void setPortraitPreviewPage(int32_t v) { portraitPreviewPage_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t landscapePage_ = 0;
  int32_t portraitPage_ = 0;
  int32_t landscapePageOffset_ = 0;
  int32_t portraitPageOffset_ = 0;
  int32_t fontSize_ = 0;
  int32_t landscapePreviewPage_ = 0;
  int32_t portraitPreviewPage_ = 0;
};

}  // namespace zu
