// ShareScreens: the sharing library's entry for the application: registerNibs() adds the
// interface files of its screens to the NibRegistry (the authorisation and share screens that
// other screens open through ScreenRequest, the bound accounts screen's row and the share
// screen's cells), so a real screen replaces the shell's stand-in. Called once at start-up on the main thread, before the stand-ins.
#pragma once

namespace zu {

class ShareScreens {
 public:
  static void registerNibs();
};

}  // namespace zu
