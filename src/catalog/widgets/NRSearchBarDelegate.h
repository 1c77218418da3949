// NRSearchBarDelegate: what the subscription centre's search bar tells its owner — the reader
// began editing, pressed the return key, or pressed the cancel button. Every method is optional
// (empty by default); the bar holds its delegate weakly. Main thread.
#pragma once

namespace zu {

class NRSearchBar;

class NRSearchBarDelegate {
 public:
  virtual ~NRSearchBarDelegate() = default;
  virtual void searchFieldWillBeginEdit(NRSearchBar&) {}
  virtual void searchFieldReturnKeyClicked(NRSearchBar&) {}
  virtual void searchBarCancelButtonClicked(NRSearchBar&) {}
};

}  // namespace zu
