// WebNavigationType: why a web view is about to load an address, as its delegate is told in
// shouldStartLoad. The numbers are the phone's (0 to 5) and are kept, because screens compare
// them.
#pragma once

namespace zu::web {

enum WebNavigationType : int {
  kNavigationLinkClicked = 0,
  kNavigationFormSubmitted = 1,
  kNavigationBackForward = 2,
  kNavigationReload = 3,
  kNavigationFormResubmitted = 4,
  kNavigationOther = 5,
};

}  // namespace zu::web
