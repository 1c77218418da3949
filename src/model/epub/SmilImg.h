// SmilImg: an image medium of a SMIL sequence. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "model/epub/EpubSource.h"

namespace zu {

class SmilImg : public EpubSource {};

}  // namespace zu
