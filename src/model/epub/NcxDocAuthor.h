// NcxDocAuthor: the author of an NCX document. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "model/epub/EpubText.h"

namespace zu {

class NcxDocAuthor : public EpubText {};

}  // namespace zu
