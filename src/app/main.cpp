// zureader: the application. It loads the main interface file (the application delegate, its
// window and the root tab bar controller), launches the delegate and turns the main run loop,
// on which the screen's frames and input run, until the application ends — the window closed,
// the terminate hook called (the upgrade alert), SIGINT/SIGTERM, or --quit-after elapsed —;
// then the delegate's termination steps run.
//
//   zureader [--headless] [--snapshot DIR] [--frames DIR] [--quit-after SECONDS] [--replay FILE]
//            [--quit-after-replay] [--scale 1|2]
//
// --snapshot writes one PNG per screen the application settles on, --frames every frame that
// changed the picture (an animation, a scroll, frame by frame).
//
// --scale 2 draws the screen at twice the density (a 640 × 960 window and snapshots, "@2x"
// pictures where the bundle has them); the screen stays 320 × 480 points.
//
// --replay plays the file's taps, drags, text, rotations and waits (ReplayScript; the format is
// in the README) once the application has launched; a malformed file, or one that is not a
// regular file within ReplayScript's bound, is refused before launch, and an empty one is done at
// once. An expect step of the replay that does not hold ends the run with status 1, naming its line;
// --quit-after-replay ends the run (status 0) once the replay's last step has been played.
// URLs the application opens go through UrlOpener (http, https and mailto only); with a window
// and a desktop mail program (DesktopMail), shared mail is handed to it as a mailto.
// The service host comes from $ZU_SERVICE_HOST (see ServiceHosts), the home from $ZU_HOME. The
// photo album (the picture viewer's save) is the folder "SavedPhotos" in that home; what the
// libraries underneath keep goes into a folder of the run's own outside the home, removed when
// the run ends (GStreamer's registry, ...), or stays in memory (the web engine's data, ...)
// (LibraryFolders), so no library loads or trusts anything put in the home, and a run writes
// nothing into the desktop user's home. At launch, the temporary files a killed run left in the
// home go (FolderHandle::removeTemporariesBelow, FeedbackLogArchive::removeLeftovers) when no
// other client runs on the home (HomeLock).
// Every HTTP of the run goes through the desktop's proxy (DesktopProxy: GNOME's setting, else the
// `*_proxy` variables of the desktop's environment).
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DesktopMail.h"
#include "app/ReplayScript.h"
#include "app/ScreenHost.h"
#include "app/UrlOpener.h"
#include "catalog/CatalogNibs.h"
#include "common/ServiceHosts.h"
#include "engine/openplatform/OpenPlatformConfig.h"
#include "platform/net/DesktopProxy.h"
#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/HomeLock.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/system/LibraryFolders.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "platform/web/WebEngine.h"
#include "platform/web/WebView.h"
#include "reading/ReadingNibs.h"
#include "share/ShareScreens.h"
#include "settings/SettingsNibs.h"
#include "settings/feedback/FeedbackLogArchive.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/StandInScreen.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"

namespace zu {
namespace {

// How deep the client's own folders go in its home, with room to spare.
constexpr int kHomeDepth = 16;

struct Options {
  bool headless = false;
  std::optional<std::filesystem::path> snapshotDir;
  std::optional<std::filesystem::path> framesDir;
  std::optional<double> quitAfter;
  // Given with --replay, even with no steps (an empty replay is done at once).
  std::optional<std::vector<ReplayStep>> replay;
  bool quitAfterReplay = false;
  double scale = 1;
};

int usage() {
  std::fprintf(stderr,
               "usage: zureader [--headless] [--snapshot DIR] [--frames DIR] [--quit-after SECONDS]"
               " [--replay FILE] [--quit-after-replay] [--scale 1|2]\n");
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
    } else if (arg == "--replay" && i + 1 < argc) {
      const std::string file = argv[++i];
      auto script = ReplayScript::load(file);
      if (script.error) {
        std::fprintf(stderr, "zureader: replay %s: %s\n", file.c_str(), script.error->c_str());
        return std::nullopt;
      }
      options.replay = std::move(script.steps);
    } else if (arg == "--quit-after-replay") {
      options.quitAfterReplay = true;
    } else if (arg == "--scale" && i + 1 < argc) {
      const std::string scale = argv[++i];
      if (scale != "1" && scale != "2") return std::nullopt;
      options.scale = scale == "2" ? 2 : 1;
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

int run(const Options& options) {
  auto main = RunLoop::main();
  int exitStatus = 0;
  auto quit = [main, &exitStatus](int status) {
    exitStatus = status;
    main->stop();
  };

  // The open platforms follow a chosen service host, as the statistics and static hosts do,
  // before the platform factory is made: platform 0's microblog at the host's root, platform n
  // (1 to 6) under "/open/<n>", where the sample service answers their authorisation.
  if (const char* service = std::getenv("ZU_SERVICE_HOST"); service && *service) {
    OpenPlatformConfig config = OpenPlatformConfig::servedBy("http://" + ServiceHosts::serviceHost());
    OpenPlatformConfig::setCurrent(std::move(config));
  }
  // Saved pictures go to a folder of the home (the kit's album has no folder until one is set).
  ui::PhotoAlbum::setFolder(Paths::home() / "SavedPhotos");
  // Web views use the real engine in the application (tests keep the recording stand-in).
  web::WebView::setUseEngine(true);
  // Before any picture is read, so named images come at the screen's density.
  DeviceProfile::setScreenScale(options.scale);
  MainWindowNib::registerNib();
  ColumnDetailViewController::registerNibs();
  ReadingNibs::registerNibs();
  ShareScreens::registerNibs();
  CatalogNibs::registerNibs();
  SettingsNibs::registerNibs();
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
  // Only a run a reader watches starts the web engine's processes ahead of the first page that
  // needs them; a run without a window or one writing snapshots starts them when needed.
  web::WebView::setPrewarmAllowed(!host.isHeadless() && !options.snapshotDir);
  ui::Application& application = ui::Application::shared();
  application.setOpenURLHandler(
      [headless = host.isHeadless()](const std::string& url) { return UrlOpener::open(url, headless); });
  application.setTerminateHandler(quit);
  // Mail goes to the desktop's mail program as a mailto, where there is one (never headless).
  if (!host.isHeadless() && DesktopMail::hasHandler()) {
    ui::MailComposeViewController::setHandOff([](const std::string& url) { return UrlOpener::open(url, false); });
  }

  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    main->watchFd(gSignalPipe[0], true, false, [&](int, bool, bool) { quit(0); });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
  }
  if (options.quitAfter) main->postDelayed(*options.quitAfter, [&] { quit(0); });

  std::printf("zureader: %s, bundle %s\n", host.isHeadless() ? "headless" : options.scale == 2 ? "window 640x960" : "window 320x480",
              Bundle::mainBundle()->resourcePath().c_str());
  std::fflush(stdout);
  delegate->applicationDidFinishLaunching();
  host.start();
  if (options.replay) {
    host.play(
        *options.replay,
        [&] {
          if (options.quitAfterReplay) quit(0);
        },
        [&](const std::string& failure) {
          std::fprintf(stderr, "zureader: replay failed at %s\n", failure.c_str());
          quit(1);
        });
  }
  main->run();
  host.stop();
  // One last frame, so the screen the application ended on is written too.
  host.present();
  host.present();
  delegate->applicationWillTerminate();
  // The engine's thread ends before static objects are destroyed under it.
  web::WebEngine::park();
  std::printf("zureader: ended (%d), %d snapshots\n", exitStatus, host.snapshotsWritten());
  return exitStatus;
}

}  // namespace
}  // namespace zu

int main(int argc, char** argv) {
  // Before any thread starts or any library reads them: what the libraries keep goes into the
  // run's own folder, outside the home.
  zu::ui::LibraryFolders::confine();
  // The desktop's proxy, from its own settings, for every HTTP of the run (libcurl's and the web
  // engine's): before any thread starts (it reads the environment) and before the engine does.
  zu::DesktopProxy::resolve(zu::ui::LibraryFolders::desktopEnvironment());
  auto options = zu::parse(argc, argv);
  if (!options) return zu::usage();
  // Before anything of the client writes in its home, and only when no other client runs on it
  // (whose files under way would look the same): the temporary files (a store's own copy, the
  // preferences' new bytes, ...) and feedback archives a run that was killed left there go. The
  // lock is held for the run, so no later launch takes this run's files for a killed one's.
  static const zu::HomeLock homeLock([] {
    if (const auto home = zu::Paths::openFolder({})) home->removeTemporariesBelow(zu::kHomeDepth);
    zu::FeedbackLogArchive::removeLeftovers();
  });
  return zu::run(*options);
}
