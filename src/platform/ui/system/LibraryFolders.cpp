#include "platform/ui/system/LibraryFolders.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/runtime/Paths.h"

extern char** environ;

namespace zu::ui {

namespace {

// What the libraries put under their data and cache homes.
constexpr const char* kDataHome = "Library/XDG";
constexpr const char* kCacheHome = "Library/Caches/XDG";
constexpr const char* kRegistryFolder = "Library/Caches/XDG/gstreamer-1.0";
constexpr const char* kRuntimeFolder = "Library/Caches/XDG/runtime";
// The registry's name in its folder: one file per home, so no architecture in it.
constexpr const char* kRegistryName = "registry.bin";
// How deep the libraries' own folders go, with room to spare.
constexpr int kLibraryDepth = 12;

std::mutex gMutex;
// The folders confine() holds, and the environment before it: its variables, and the list of
// them that posix_spawn takes. Made once, kept for the process's life; guarded by gMutex while
// made.
LibraryFolders* gConfined = nullptr;
std::vector<std::string>* gDesktopVariables = nullptr;
std::vector<char*>* gDesktopEnvironment = nullptr;

// The name under which the kernel gives this process's descriptor `fd` to any process of the
// user (the client's children included) while the client runs; nullopt when it does not lead
// to the folder held (no /proc).
std::optional<std::string> nameThroughProcess(int fd) {
  const std::string name = "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd);
  struct stat held {};
  struct stat named {};
  if (::fstat(fd, &held) != 0 || ::stat(name.c_str(), &named) != 0) return std::nullopt;
  if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) return std::nullopt;
  return name;
}

}  // namespace

LibraryFolders::LibraryFolders() {
  const std::string cache = hold(kCacheHome);
  const std::string registry = hold(kRegistryFolder);
  const std::string data = hold(kDataHome);
  // Without a runtime folder of the desktop's, GLib would take the cache home, sound its
  // runtime files in ~/.config/pulse and orc its code in the desktop user's home.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const bool desktopRuntime = runtime && *runtime;
  const std::string ownRuntime = desktopRuntime ? std::string() : hold(kRuntimeFolder);

  environment_.push_back({"GSETTINGS_BACKEND", "memory"});
  environment_.push_back({"MESA_SHADER_CACHE_DISABLE", "true"});
  // With no cache, llvmpipe (Mesa's GL without a GPU) compiles the shaders of each new page's
  // compositing context, in the web process, while the reader waits for the page's first text
  // (a page drawn ahead in another context does not spare it). Without LLVM's optimisation
  // passes and at 128-bit vectors (not the widest the CPU has) that wait is some 70 ms shorter
  // on two cores (only the two together save that much), and the compositor's few simple
  // shaders still draw the pages and their page turns smoothly. The client's own llvmpipe, if
  // it has one, gets them too. Only llvmpipe reads them: with a GPU they change nothing.
  environment_.push_back({"GALLIVM_PERF", "nopt"});
  environment_.push_back({"LP_NATIVE_VECTOR_WIDTH", "128"});
  if (!registry.empty()) environment_.push_back({"GST_REGISTRY_1_0", registry + "/" + kRegistryName});
  if (!cache.empty()) environment_.push_back({"XDG_CACHE_HOME", cache});
  if (!ownRuntime.empty()) environment_.push_back({"XDG_RUNTIME_DIR", ownRuntime});
  if (!data.empty()) environment_.push_back({"XDG_DATA_HOME", data, true});
}

std::string LibraryFolders::hold(const std::filesystem::path& relative) {
  std::optional<FolderHandle> folder = Paths::openFolder(relative);
  if (!folder && setAsideFilesOnTheWay(relative)) folder = Paths::openFolder(relative);
  if (!folder) {
    // A library given no folder falls back on the desktop user's home: only a plain file in
    // place of Library or Library/Caches (the home's own folders, which keep a file found there)
    // comes to this.
    std::fprintf(stderr, "zureader: cannot make %s\n", (Paths::home() / relative).c_str());
    complete_ = false;
    return {};
  }
  // The libraries open what they made inside by path: a link, pipe or device found there at any
  // depth goes aside.
  folder->setAsideBelow(kLibraryDepth);
  std::optional<std::string> name = nameThroughProcess(folder->fd());
  if (!name) {
    std::fprintf(stderr, "zureader: %s is handed to the libraries by path (no /proc)\n",
                 folder->path().c_str());
    name = folder->path().string();
  }
  held_.push_back(std::move(*folder));
  return *name;
}

bool LibraryFolders::setAsideFilesOnTheWay(const std::filesystem::path& relative) {
  // The libraries' own folders begin at "XDG"; the folders above are the home's.
  bool ours = false;
  bool setAside = false;
  std::filesystem::path parent;
  for (const auto& part : relative) {
    const std::string name = part.string();
    ours = ours || name == "XDG";
    if (ours) {
      std::optional<FolderHandle> folder = Paths::openFolder(parent);
      if (!folder) return setAside;
      const std::optional<struct stat> st = folder->status(name);
      if (st && S_ISREG(st->st_mode)) setAside = folder->setAside(name) || setAside;
    }
    parent /= part;
  }
  return setAside;
}

bool LibraryFolders::confine() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gConfined) return true;
    gDesktopVariables = new std::vector<std::string>();
    for (char** at = environ; at && *at; ++at) gDesktopVariables->emplace_back(*at);
    gDesktopEnvironment = new std::vector<char*>();
    for (auto& variable : *gDesktopVariables) gDesktopEnvironment->push_back(variable.data());
    gDesktopEnvironment->push_back(nullptr);
    gConfined = new LibraryFolders();
  }
  bool confined = gConfined->complete_;
  for (const Variable& variable : gConfined->environment_) {
    if (!variable.ownOnly) {
      setenv(variable.name.c_str(), variable.value.c_str(), 1);
      continue;
    }
    // The data home: GLib answers with it from now on in this process (it keeps its first
    // answer); the processes started later keep the desktop user's, which they only read.
    const char* previous = std::getenv(variable.name.c_str());
    const std::optional<std::string> desktop = previous ? std::optional<std::string>(previous) : std::nullopt;
    setenv(variable.name.c_str(), variable.value.c_str(), 1);
    g_get_user_data_dir();
    if (desktop) {
      setenv(variable.name.c_str(), desktop->c_str(), 1);
    } else {
      unsetenv(variable.name.c_str());
    }
  }
  // GLib keeps the folders it was first asked for: asked before, it answers elsewhere.
  for (const Variable& variable : gConfined->environment_) {
    const char* answer = variable.name == "XDG_DATA_HOME"    ? g_get_user_data_dir()
                         : variable.name == "XDG_CACHE_HOME" ? g_get_user_cache_dir()
                                                             : nullptr;
    if (answer && variable.value != answer) {
      std::fprintf(stderr, "zureader: the libraries' folders were fixed before the home's were set (%s)\n", answer);
      confined = false;
    }
  }
  return confined;
}

char** LibraryFolders::desktopEnvironment() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gDesktopEnvironment ? gDesktopEnvironment->data() : environ;
}

}  // namespace zu::ui
