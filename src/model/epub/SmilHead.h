// SmilHead: the head of a SMIL document (no fields). A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "platform/runtime/Object.h"

namespace zu {

class SmilHead : public Object {};

}  // namespace zu
