// The main of a test binary whose tests show pages in the real web engine (included by such a
// binary's test file only): the desktop user's folders in a scratch folder (ScratchDesktop),
// fonts pinned to the installed CJK font, a temporary home for the whole run, the libraries
// pointed at a folder of the run's own (LibraryFolders), every web view on the engine, and the
// engine parked before the process ends.
// One engine serves the whole binary. The run fails when anything of it landed in the desktop
// user's folders, even for a moment: what the libraries keep belongs in the run's folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/system/LibraryFolders.h"
#include "platform/web/WebEngine.h"
#include "platform/web/WebView.h"
#include "platform/web/engine-tests/ScratchDesktop.h"
#include "testing/TempHome.h"

namespace zu::web {

// Checked once every test has run.
class NothingInTheDesktopUsersFolders : public ::testing::Environment {
 public:
  void TearDown() override {
    EXPECT_EQ(ScratchDesktop::shared().strays(), std::vector<std::string>{})
        << "written outside the client's home, in " << ScratchDesktop::shared().root();
    EXPECT_EQ(ScratchDesktop::shared().touched(), std::vector<std::string>{})
        << "files made (and removed) outside the client's home, in " << ScratchDesktop::shared().root();
  }
};

inline int runEngineTests(int argc, char** argv, const char* fontsConf) {
  // Before anything reads them, and before the engine starts its processes, which inherit the
  // environment.
  ScratchDesktop::shared().start();
  setenv("FONTCONFIG_FILE", fontsConf, 1);
  ::testing::InitGoogleTest(&argc, argv);
  static TempHome home;  // the client's home for the whole run
  ui::LibraryFolders::confine();
  ::testing::AddGlobalTestEnvironment(new NothingInTheDesktopUsersFolders);
  WebView::setUseEngine(true);
  const int result = RUN_ALL_TESTS();
  WebEngine::park();
  return result;
}

}  // namespace zu::web
