// CoverSource: where the cover slideshow gets its covers — the data engine's cover cache by
// default (gDataEngine(); no covers without an engine). A test gives its own list. Main thread.
#pragma once

#include <memory>
#include <vector>

namespace zu {

class ProgramCover;

class CoverSource {
 public:
  virtual ~CoverSource() = default;
  // The stored covers (reading them also starts a download of new ones in the background).
  virtual std::vector<std::shared_ptr<ProgramCover>> getProgramCovers();
  // Whether the cover download stored new covers since they were last read.
  virtual bool isProgramCoversChanged();
};

}  // namespace zu
