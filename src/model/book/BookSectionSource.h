// BookSectionSource: what reading a book catalogue needs from the book manager to decide which
// sections must be downloaded — where a section's HTML file lives and the section as it was
// last stored. The book manager implements it and passes itself to VESKAtomParser::allocParseFeed
// on the thread that parses; the parser only calls it during that call.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Section;

class BookSectionSource {
 public:
  virtual ~BookSectionSource() = default;

  // Path of the section's HTML file, or nullopt when there is none.
  virtual std::optional<std::string> getBookSectionHtmlFilePath(const std::string& bookId,
                                                                const std::string& chapterId,
                                                                const std::string& sectionId) = 0;
  // The section as last stored for the book, or null when none is.
  virtual std::shared_ptr<Section> getSectionInfo(const std::string& bookId,
                                                  const std::string& sectionId) = 0;
};

}  // namespace zu
