// The main of a test binary whose tests show pages in the real web engine (included by such a
// binary's test file only): fonts pinned to the installed CJK font, a temporary home holding the
// engine's website data for the whole run, every web view on the engine, and the engine parked
// before the process ends. One engine serves the whole binary.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/web/WebEngine.h"
#include "platform/web/WebView.h"
#include "testing/TempHome.h"

namespace zu::web {

inline int runEngineTests(int argc, char** argv, const char* fontsConf) {
  // Before the engine starts its processes, which inherit the environment.
  setenv("FONTCONFIG_FILE", fontsConf, 1);
  ::testing::InitGoogleTest(&argc, argv);
  static TempHome home;  // the engine's website data lives in it for the whole run
  WebView::setUseEngine(true);
  const int result = RUN_ALL_TESTS();
  WebEngine::park();
  return result;
}

}  // namespace zu::web
