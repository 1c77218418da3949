#include "share/ShareScreens.h"

#include "share/AccountManagerCell.h"
#include "share/AuthenicationViewController.h"

namespace zu {

void ShareScreens::registerNibs() {
  AuthenicationViewController::registerNib();
  AccountManagerCell::registerNib();
}

}  // namespace zu
