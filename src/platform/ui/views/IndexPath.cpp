#include "platform/ui/views/IndexPath.h"

namespace zu::ui {

std::string IndexPath::toString() const {
  return "{" + std::to_string(section) + ", " + std::to_string(row) + "}";
}

}  // namespace zu::ui
