// zureader: the application. It loads the main interface file (the application delegate, its
// window and the root tab bar controller), launches the delegate and turns the main run loop,
// on which the screen's frames and input run, until the application ends — the window closed,
// the terminate hook called (the upgrade alert), SIGINT/SIGTERM, or --quit-after elapsed —;
// then the delegate's termination steps run.
//
//   zureader [--headless] [--snapshot DIR] [--frames DIR] [--quit-after SECONDS]
//
// --snapshot writes one PNG per screen the application settles on, --frames every frame that
// changed the picture (an animation, a scroll, frame by frame).
// The service host comes from $ZU_SERVICE_HOST (see ServiceHosts), the home from $ZU_HOME.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/ScreenHost.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/NibRegistry.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/StandInScreen.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"

extern char** environ;

namespace zu {
namespace {

struct Options {
  bool headless = false;
  std::optional<std::filesystem::path> snapshotDir;
  std::optional<std::filesystem::path> framesDir;
  std::optional<double> quitAfter;
};

int usage() {
  std::fprintf(stderr,
               "usage: zureader [--headless] [--snapshot DIR] [--frames DIR] [--quit-after SECONDS]\n");
  return 2;
}

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--snapshot" && i + 1 < argc) {
      options.snapshotDir = argv[++i];
    } else if (arg == "--frames" && i + 1 < argc) {
      options.framesDir = argv[++i];
    } else if (arg == "--quit-after" && i + 1 < argc) {
      char* end = nullptr;
      const double seconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end || !(seconds >= 0)) return std::nullopt;
      options.quitAfter = seconds;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// SIGINT and SIGTERM end the run loop through a pipe it watches.
int gSignalPipe[2] = {-1, -1};
void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(gSignalPipe[1], &byte, 1);
}

// Opens a URL the way the desktop does when there is one to show it; always says so.
bool openURL(const std::string& url, bool headless) {
  std::printf("zureader: open %s\n", url.c_str());
  std::fflush(stdout);
  if (headless) return true;
  pid_t pid = 0;
  char* args[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, args, environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int run(const Options& options) {
  auto main = RunLoop::main();
  int exitStatus = 0;
  auto quit = [main, &exitStatus](int status) {
    exitStatus = status;
    main->stop();
  };

  MainWindowNib::registerNib();
  ColumnDetailViewController::registerNibs();
  StandInScreen::registerMissing();
  std::shared_ptr<VESK_iPhoneAppDelegate> delegate;
  for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
    if (!delegate) delegate = std::dynamic_pointer_cast<VESK_iPhoneAppDelegate>(object);
  }
  if (!delegate) {
    std::fprintf(stderr, "zureader: the main interface file has no application delegate\n");
    return 1;
  }

  ScreenHost host(options.headless, options.snapshotDir,
                  {.quit = [&] { quit(0); },
                   .background = [&] { delegate->applicationDidEnterBackground(); },
                   .foreground = [&] { delegate->applicationWillEnterForeground(); }});
  if (options.framesDir) host.setFramesFolder(*options.framesDir);
  ui::Application& application = ui::Application::shared();
  application.setOpenURLHandler(
      [headless = host.isHeadless()](const std::string& url) { return openURL(url, headless); });
  application.setTerminateHandler(quit);

  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    main->watchFd(gSignalPipe[0], true, false, [&](int, bool, bool) { quit(0); });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
  }
  if (options.quitAfter) main->postDelayed(*options.quitAfter, [&] { quit(0); });

  std::printf("zureader: %s, bundle %s\n", host.isHeadless() ? "headless" : "window 320x480",
              Bundle::mainBundle()->resourcePath().c_str());
  std::fflush(stdout);
  delegate->applicationDidFinishLaunching();
  host.start();
  main->run();
  host.stop();
  // One last frame, so the screen the application ended on is written too.
  host.present();
  host.present();
  delegate->applicationWillTerminate();
  std::printf("zureader: ended (%d), %d snapshots\n", exitStatus, host.snapshotsWritten());
  return exitStatus;
}

}  // namespace
}  // namespace zu

int main(int argc, char** argv) {
  auto options = zu::parse(argc, argv);
  if (!options) return zu::usage();
  return zu::run(*options);
}
