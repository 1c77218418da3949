// SystemEnvironment: what the phone's system reports that book layout depends on: the system
// version (compared with 5.0 to pick page-mapping limits and the separator mark-up of combined
// book files) and the status bar's orientation (which page index a book position uses).
//
// Linux has neither, so both are process-wide values of our own: the version defaults to
// kDefaultSystemVersion and the orientation to portrait; the device profile sets the version
// at start-up and the screens set the orientation when they rotate. Class functions only; every
// function may be called from any thread (the values are atomics).
#pragma once

namespace zu {

class SystemEnvironment {
 public:
  SystemEnvironment() = delete;

  // The orientations of the status bar, numbered as the phone numbers them.
  enum class Orientation {
    kPortrait = 1,
    kPortraitUpsideDown = 2,
    kLandscapeRight = 3,
    kLandscapeLeft = 4,
  };

  static constexpr float kDefaultSystemVersion = 5.0f;

  // The system version as a number (e.g. 4.3f).
  static float systemVersion();
  static void setSystemVersion(float version);
  // True when the version is 5.0 or later, or when it does not compare (NaN), as the
  // layout code treats a version it cannot read.
  static bool isSystemVersionAtLeast5();

  static Orientation statusBarOrientation();
  static void setStatusBarOrientation(Orientation orientation);
  // Portrait or portrait upside down; anything else is landscape.
  static bool isStatusBarPortrait();
};

}  // namespace zu
