// SmilAudio: an audio clip of a SMIL sequence. A plain record of the ePub package model (accessors
// only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include "model/epub/SmilClip.h"

namespace zu {

class SmilAudio : public SmilClip {};

}  // namespace zu
