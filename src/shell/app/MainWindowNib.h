// MainWindowNib: the main interface file, "MainWindow" (the bundle's "NSMainNibFile"). Loading
// it makes, in file order, the application delegate, the window (the screen's bounds) and the
// root tab bar controller (MSCustomTabBarController) with four navigation controllers — home,
// favourites, content centre, settings — whose roots are the home grid (MyColumnsController)
// and plain placeholders for the screens not written yet; the delegate's window and
// rootController outlets are wired. No view is loaded by loading the file. Registering it also
// registers the files the home screen loads (its view, the tiles, the launch cover).
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
