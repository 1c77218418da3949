#include "model/service/ProgramCover.h"

namespace zu {

std::string ProgramCover::description() const { return description_.value_or(""); }

}  // namespace zu
