// MainWindowNib: the main interface file, "MainWindow" (the bundle's "NSMainNibFile"). Loading
// it makes, in file order, the application delegate, the window (the screen's bounds) and the
// root tab bar controller (MSCustomTabBarController) with four navigation controllers — home,
// favourites, content centre, settings — whose roots are the home grid (MyColumnsController),
// the favourites list from the file "ReportContentController", the content centre's root from
// "ColumnPickerController" and the settings' root from "MoreSettingsMainInterfaceViewController"
// when a higher library registered them, and plain
// placeholders for the screens not written yet; the delegate's window and
// rootController outlets are wired. No view is loaded by loading the file. Registering it also
// registers the files the home screen loads (its view, the tiles, the launch cover).
// Main thread only.
#pragma once

#include <cstddef>

namespace zu {

class MainWindowNib {
 public:
  static constexpr const char* kName = "MainWindow";
  // The file that makes the content centre's root, and the tab it is the root of.
  static constexpr const char* kContentCentreNib = "ColumnPickerController";
  static constexpr size_t kContentCentreTab = 2;
  // The file that makes the favourites list, the root of the favourites tab.
  static constexpr const char* kFavoritesNib = "ReportContentController";
  static constexpr size_t kFavoritesTab = 1;
  // The file that makes the settings tab's root, and its tab.
  static constexpr const char* kSettingsNib = "MoreSettingsMainInterfaceViewController";
  static constexpr size_t kSettingsTab = 3;
  // Registers the file with the NibRegistry (replacing an earlier builder).
  static void registerNib();
};

}  // namespace zu
