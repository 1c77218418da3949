// NcxNavContent: the file an NCX navigation entry points at. A plain record of the ePub package
// model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "model/epub/EpubSource.h"

namespace zu {

class NcxNavContent : public EpubSource {};

}  // namespace zu
