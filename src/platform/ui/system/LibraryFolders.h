// LibraryFolders: where the libraries the client runs on keep files of their own, and where they
// look for code and caches. Left alone they would write into the desktop user's home (~/.cache,
// ~/.local/share, ~/.fontconfig, ~/orcexec.*, ~/.config/pulse). Handed a folder of the client's
// home, they would take what they find there for their own, and anything in the home may have
// been put there by another program (the home may lie on a shared or synced folder): GStreamer
// runs every plugin below "<data home>/gstreamer-1.0/plugins" and trusts its registry,
// fontconfig maps the newest cache it finds in "<cache home>/fontconfig" over the system's, GLib
// reads compiled settings schemas and the type database from "<data home>". So the libraries
// get no folder of the home: what they keep goes into the run's own folder, outside the home,
// and what they read is the system's.
//
//   library                       keeps / reads                        through
//   the web engine                in memory, for the run (website      WebEngine: an ephemeral
//                                 data, caches, cookies, salts)        website data manager
//   GLib's settings backend       in memory                            GSETTINGS_BACKEND
//   Mesa's shader cache           nowhere (off)                        MESA_SHADER_CACHE_DISABLE
//   GStreamer's plugins           the system's plugin folder only      GST_PLUGIN_SYSTEM_PATH_1_0
//                                 (systemPluginFolder()), never the
//                                 data home's
//   GStreamer's registry          the run's folder: made by the first  GST_REGISTRY_1_0
//                                 process that plays (some 0.1 s)
//   fontconfig's own caches, what the run's folder ("cache"); beside   XDG_CACHE_HOME
//   else a library caches         the system's caches (/var/cache)
//   GLib's data home (schemas,    the run's folder ("data"), empty:    XDG_DATA_HOME, for GLib's
//   the type database, ...)       only the system's data folders       answer in this process
//                                 have anything to read
//   orc's code, sound's and       the run's folder ("runtime"), only   XDG_RUNTIME_DIR
//   GLib's runtime files          when the desktop has no runtime
//                                 folder or the run's folder could
//                                 not be made in it (else the
//                                 desktop's, as every program of the
//                                 session)
//
// The run's folder is made afresh at launch (mkdtemp: owner-only, under a name no one had) in
// the desktop's runtime folder, or, without one (or one it cannot be made in: a session's that
// ended), in the system's temporary folder ($TMPDIR, else /tmp) — not under the home; the
// folder is the user's alone, and /tmp lets no one else rename or remove it —, held open and
// locked (flock) for the whole run, and named to the libraries as
// "/proc/<client's pid>/fd/<n>": the kernel resolves that name to the very folder held, wherever
// it has been moved since, and the engine's and GStreamer's helper processes (the client's
// children, which end with it) reach it through the client's process. It starts empty, so a
// library finds there only what the libraries of this run put there, and it is removed, with
// what they put there, when the client ends (remove()). A run that was killed leaves its folder
// behind: the next launch removes every folder of that name pattern ("zureader-XXXXXX") of the
// user's whose lock is free, its run gone. Where "/proc/<pid>/fd/<n>" does not lead to the
// folder (no /proc), its path is handed out instead, with a line on standard error.
//
// GLib's settings backend keeps no desktop setting of the client's: the desktop's proxy setting,
// which GIO would read through it, is read from the desktop's own databases instead
// (DesktopProxy, GnomeProxySetting) and handed to the engine and to libcurl. Mesa's llvmpipe
// compiles the engine's few shaders again in each run instead of reading them back; so that this
// costs the reader little, confine() also has llvmpipe compile them quickly (GALLIVM_PERF,
// LP_NATIVE_VECTOR_WIDTH: no file, see the .cpp).
//
// Costs of keeping nothing across runs: GStreamer scans the system's plugins once per run (at
// the first video or page media), fontconfig scans a font folder whose system cache is out of
// date (the desktop user's own fonts, whose caches are in the desktop's ~/.cache) once per run.
//
// GStreamer's plugin folders that the desktop's environment names (GST_PLUGIN_SYSTEM_PATH,
// GST_PLUGIN_PATH and their _1_0 forms) are kept: the desktop user's own choice, not the home's,
// and whoever sets the environment could run code in the client anyway.
//
// confine() points the libraries there through the environment, which they read once and which
// the engine's processes inherit. It must run first thing in main, before any thread starts and
// before GLib is asked for those folders; the folder stays held until the process ends, when it
// is removed. Programs started for the reader — the desktop's browser, its mail program — get
// the environment as it was before (desktopEnvironment()), so their caches and runtime files stay
// the desktop user's.
//
// A LibraryFolders object makes and holds a run's folder and says what confine() would set
// (environment()), without setting it: for tests; destroying it removes the folder. Threads:
// confine() on the main thread before any other exists; the rest from any thread.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/FolderHandle.h"

namespace zu::ui {

class LibraryFolders {
 public:
  // The name of a run's folder: kFolderPrefix and six letters or digits.
  static constexpr const char* kFolderPrefix = "zureader-";

  // A variable for the libraries: for this process and every one it starts, or (`ownOnly`: the
  // data home) for GLib's answer in this process alone.
  struct Variable {
    std::string name;
    std::string value;
    bool ownOnly = false;
  };

  // Removes the folders of ended runs and makes this run's in `base`: by default the desktop's
  // runtime folder ($XDG_RUNTIME_DIR), else (none, or the folder cannot be made there) $TMPDIR,
  // else /tmp.
  explicit LibraryFolders(std::optional<std::filesystem::path> base = std::nullopt);
  ~LibraryFolders();
  LibraryFolders(const LibraryFolders&) = delete;
  LibraryFolders& operator=(const LibraryFolders&) = delete;

  // The variables confine() sets, in order.
  const std::vector<Variable>& environment() const { return environment_; }
  // The run's folder as made (its path, not the name handed out); empty when none could be.
  const std::filesystem::path& folder() const { return path_; }

  // GStreamer's own plugin folder, the system's: the only one its plugins are taken from.
  static const char* systemPluginFolder();

  // Makes the folder, holds it for the process's life (removed when the process exits) and sets
  // the variables. Once per process; false (with a line on standard error) when the folder could
  // not be had or GLib had already fixed its folders elsewhere.
  static bool confine();
  // The environment before confine(), as posix_spawn takes it (kept for the process's life);
  // the process's own when confine() never ran.
  static char** desktopEnvironment();

 private:
  // Removes the folders of ended runs found in `base` (reported); how many.
  static size_t removeEnded(const FolderHandle& base);
  // Removes the run's folder with everything in it (once; the object's end does it too). Only
  // in the process that made it: a forked child that exits or unwinds leaves its parent's folder.
  void remove();

  std::optional<FolderHandle> base_;
  std::optional<FolderHandle> held_;
  std::string name_;
  std::filesystem::path path_;
  std::vector<Variable> environment_;
  pid_t maker_ = ::getpid();
};

}  // namespace zu::ui
