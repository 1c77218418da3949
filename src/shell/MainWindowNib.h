// MainWindowNib: the main interface file, "MainWindow" (the bundle's "NSMainNibFile"). Loading
// it makes, in file order, the application delegate, the window (the screen's bounds) and the
// root tab bar controller (MSCustomTabBarController) with four navigation controllers — home,
// favourites, content centre, settings — whose roots are plain placeholders until their screens are written; the delegate's
// window and rootController outlets are wired. No view is loaded by loading the file.
// Main thread only.
#pragma once

namespace zu {

class MainWindowNib {
 public:
  static constexpr const char* kName = "MainWindow";
  // Registers the file with the NibRegistry (replacing an earlier builder).
  static void registerNib();
};

}  // namespace zu
