#include "share/ShareScreens.h"

#include "share/AuthenicationViewController.h"

namespace zu {

void ShareScreens::registerNibs() { AuthenicationViewController::registerNib(); }

}  // namespace zu
