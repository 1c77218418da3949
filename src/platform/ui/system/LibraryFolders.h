// LibraryFolders: the folders inside the client's home where the libraries the client runs on
// keep files of their own, so that nothing of the client is written into the desktop user's
// home. Left alone, they would write there: the web engine its salts for device ids and origin
// storage (~/.local/share/wpe), GStreamer the registry of its plugins (the movie player's and the
// web engine's, ~/.cache/gstreamer-1.0), Mesa its shader cache, GLib's settings backend its
// runtime file when the desktop has no runtime folder (~/.cache/dconf).
//
//   folder(kData, name)   Library/<name>          the web engine's website data ("WebKit")
//   folder(kCache, name)  Library/Caches/<name>   the web engine's cache ("WebKit")
//   Library/XDG, Library/Caches/XDG               what the libraries put under their data and
//                                                 cache homes (XDG_DATA_HOME, XDG_CACHE_HOME)
// folder() is the one place such a folder is named and made (owner-only, like the rest of the
// home, and reached from the home without following a link, as Paths::folder makes sure of):
// every one of them goes through it. The libraries make their own folders and files inside it
// and open them by path, following links: so each time the folder is handed out, whatever is
// found below it at any depth that is neither a file nor a folder (a link, a named pipe, a
// device) is set aside as a link in a folder's place is.
//
// confine() points the libraries there through the environment, which they read once and which
// the engine's processes inherit: the cache home for this process and every process it starts,
// the data home for GLib's answer in this process only (where the engine works out its salts'
// folders), the children keeping the desktop user's to read fonts and types from. It must run
// first thing in main, before any thread starts and before GLib is asked for those folders, and
// after the home is settled (ZU_HOME, or a test's home). Programs started for the reader — the
// desktop's browser, its mail program — get the environment as it was before
// (desktopEnvironment()), so their caches stay the desktop user's.
//
// What still goes outside the home: the settings backend's runtime file goes to the desktop's
// runtime folder when it has one ($XDG_RUNTIME_DIR, not under the home), shared by every
// program of the session; the libraries read the desktop user's configuration and data (fonts,
// settings, types) without writing them.
//
// Threads: folder() from any thread; confine() on the main thread before any other exists.
#pragma once

#include <filesystem>
#include <string>

namespace zu::ui {

class LibraryFolders {
 public:
  LibraryFolders() = delete;

  enum class Kind { kData, kCache };

  // The folder `name` (one folder part) of that kind in the home, made when missing.
  static std::filesystem::path folder(Kind kind, const std::string& name);
  // Points the libraries at the home's folders (see above). Once per process; false (with a
  // line on standard error) when GLib had already fixed its data folder elsewhere.
  static bool confine();
  // The environment before confine(), as posix_spawn takes it (kept for the process's life);
  // the process's own when confine() never ran.
  static char** desktopEnvironment();
};

}  // namespace zu::ui
