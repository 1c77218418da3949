#include "share/ShareScreens.h"

#include "share/accounts/AccountManagerCell.h"
#include "share/accounts/AuthenicationViewController.h"
#include "share/compose/ShareViewController.h"

namespace zu {

void ShareScreens::registerNibs() {
  AuthenicationViewController::registerNib();
  AccountManagerCell::registerNib();
  ShareViewController::registerNibs();
}

}  // namespace zu
