#include "model/atom/VESKAtomBuilderException.h"

namespace zu {

VESKAtomBuilderException::VESKAtomBuilderException(const std::string& reason)
    : std::runtime_error(reason) {}

VESKAtomBuilderException::~VESKAtomBuilderException() = default;

}  // namespace zu
