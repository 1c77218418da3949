// LibraryFolders: where the libraries the client runs on keep files of their own. Left alone they
// would write into the desktop user's home (~/.cache, ~/.local/share, ~/orcexec.*,
// ~/.config/pulse); handed a path in the client's home, they would follow whatever a link or a
// rename made there while the client runs put in its place (the home may lie on a shared or
// synced folder), and write outside it. So each library either keeps nothing in a file, or gets
// a folder the client has made sure of and holds open for the whole run, named to the library as
// "/proc/<client's pid>/fd/<n>": the kernel resolves that name to the very folder held — wherever
// it has been moved since, whatever now stands at its place in the home — and the engine's and
// GStreamer's helper processes (the client's children, which end with it) reach it through the
// client's process the same way.
//
//   library                     keeps its files                         through
//   the web engine              in memory, for the run (website data,   WebEngine: an ephemeral
//                               caches, cookies, salts)                 website data manager
//   GLib's settings backend     in memory                               GSETTINGS_BACKEND
//   Mesa's shader cache         nowhere (off)                           MESA_SHADER_CACHE_DISABLE
//   GStreamer's registry        Library/Caches/XDG/gstreamer-1.0, held  GST_REGISTRY_1_0
//   orc's code, sound's runtime Library/Caches/XDG/runtime, held —      XDG_RUNTIME_DIR
//   files, GLib's runtime files only when the desktop has no runtime
//                               folder (else the desktop's, as every
//                               program of the session)
//   what else a library caches  Library/Caches/XDG, held                XDG_CACHE_HOME
//   GLib's data home            Library/XDG, held                       XDG_DATA_HOME, for GLib's
//                                                                       answer in this process
//
// Why not a held folder for all: a held folder only fixes the folder itself. A library that
// makes files below it by path, following links (Mesa writes its cache files and index so; the
// settings backend rewrites its runtime file in place), could still be led out through a link
// planted below while the client runs. GStreamer writes its registry under a fresh temporary
// name and renames it into place, which never writes through a link, and orc makes its file
// under a fresh name (O_EXCL) and removes it at once: for them the held folder is enough. The
// settings backend keeps no desktop setting of the client's: the desktop's proxy setting, which
// GIO would read through it, is read from the desktop's own databases instead (DesktopProxy,
// GnomeProxySetting) and handed to the engine and to libcurl. Mesa's llvmpipe compiles the
// engine's few shaders again in each run instead of reading them back; so that this costs the
// reader little, confine() also has llvmpipe compile them quickly (GALLIVM_PERF,
// LP_NATIVE_VECTOR_WIDTH: no file, see the .cpp).
//
// When a held folder is first handed out, whatever is found below it at any depth that is
// neither a file nor a folder (a link, a named pipe, a device: what a library would open by path)
// is set aside as a link in a folder's place is (FolderHandle). A plain file where a library's
// own folder goes ("XDG" and below) is set aside too: a library given no folder would fall back
// on the desktop user's home. Where "/proc/<pid>/fd/<n>" does
// not lead to the folder (no /proc), its path is handed out instead, with a line on standard
// error.
//
// confine() points the libraries there through the environment, which they read once and which
// the engine's processes inherit. It must run first thing in main, before any thread starts and
// before GLib is asked for those folders, and after the home is settled (ZU_HOME, or a test's
// home); the folders stay held until the process ends. Programs started for the reader — the
// desktop's browser, its mail program — get the environment as it was before
// (desktopEnvironment()), so their caches and runtime files stay the desktop user's.
//
// A LibraryFolders object holds the folders of the current home and says what confine() would
// set (environment()), without setting it: for tests. Threads: confine() on the main thread
// before any other exists; the rest from any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/runtime/FolderHandle.h"

namespace zu::ui {

class LibraryFolders {
 public:
  // A variable for the libraries: for this process and every one it starts, or (`ownOnly`: the
  // data home) for GLib's answer in this process alone.
  struct Variable {
    std::string name;
    std::string value;
    bool ownOnly = false;
  };

  // Makes sure of the folders in the current home (made when missing, owner-only, reached
  // without following a link, what lies below them set aside as the header says) and holds them
  // while the object lives. The runtime folder only when the environment names none.
  LibraryFolders();

  // The variables confine() sets, in order.
  const std::vector<Variable>& environment() const { return environment_; }

  // Holds the folders for the process's life and sets the variables. Once per process; false
  // (with a line on standard error) when a folder could not be had or GLib had already fixed
  // its folders elsewhere.
  static bool confine();
  // The environment before confine(), as posix_spawn takes it (kept for the process's life);
  // the process's own when confine() never ran.
  static char** desktopEnvironment();

 private:
  // Holds the folder `relative` of the home; the name the libraries get for it ("" when it
  // cannot be had).
  std::string hold(const std::filesystem::path& relative);
  // Sets aside (renamed beside it, kept whole, reported) a plain file found where a library's
  // own folder of `relative` goes, so the folder can be made; true when one was.
  static bool setAsideFilesOnTheWay(const std::filesystem::path& relative);

  std::vector<FolderHandle> held_;
  std::vector<Variable> environment_;
  bool complete_ = true;
};

}  // namespace zu::ui
