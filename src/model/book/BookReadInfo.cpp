#include "model/book/BookReadInfo.h"

#include <utility>

namespace zu {

std::shared_ptr<BookReadInfo> BookReadInfo::readInfoWithChapterId(
    std::optional<std::string> chapterId, std::optional<std::string> sectionId,
    int32_t landscapePage, int32_t portraitPage, int32_t fontSize) {
  auto info = std::make_shared<BookReadInfo>();
  info->setChapterId(std::move(chapterId));
  info->setSectionId(std::move(sectionId));
  info->setLandscapePage(landscapePage);
  info->setPortraitPage(portraitPage);
  info->setFontSize(fontSize);
  return info;
}

}  // namespace zu
