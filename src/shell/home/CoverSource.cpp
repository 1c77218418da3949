#include "shell/home/CoverSource.h"

#include "engine/core/DataEngine.h"

namespace zu {

std::vector<std::shared_ptr<ProgramCover>> CoverSource::getProgramCovers() {
  auto engine = gDataEngine();
  return engine ? engine->getProgramCovers() : std::vector<std::shared_ptr<ProgramCover>>{};
}

bool CoverSource::isProgramCoversChanged() {
  auto engine = gDataEngine();
  return engine && engine->isProgramCoversChanged();
}

}  // namespace zu
