// CatalogNibs: the content centre library's entry for the application: registerNibs() adds the
// interface files of its screens and rows to the NibRegistry, so the main window's file finds
// the content centre's root screen by name. Called once at start-up on the main thread.
#pragma once

namespace zu {

class CatalogNibs {
 public:
  static void registerNibs();
};

}  // namespace zu
