// NcxNavLabel: the label text of an NCX navigation entry. A plain record of the ePub package model
// (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "model/epub/EpubText.h"

namespace zu {

class NcxNavLabel : public EpubText {};

}  // namespace zu
