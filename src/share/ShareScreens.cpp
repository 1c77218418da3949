#include "share/ShareScreens.h"

#include "share/AccountManagerCell.h"
#include "share/AuthenicationViewController.h"
#include "share/ShareViewController.h"

namespace zu {

void ShareScreens::registerNibs() {
  AuthenicationViewController::registerNib();
  AccountManagerCell::registerNib();
  ShareViewController::registerNibs();
}

}  // namespace zu
