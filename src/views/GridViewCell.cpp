#include "views/GridViewCell.h"

namespace zu {

std::string GridViewCell::dumpDetails() const {
  return " index=" + std::to_string(indexNumber_) +
         (identify_.empty() ? std::string() : " id=" + identify_);
}

}  // namespace zu
