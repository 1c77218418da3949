#include "SampleBookLinks.h"

namespace zu {

const SampleBookLinks::File* SampleBookLinks::at(const std::string& path) {
  for (const File& file : kFiles) {
    if (path == file.path) return &file;
  }
  return nullptr;
}

}  // namespace zu
