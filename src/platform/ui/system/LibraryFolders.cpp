#include "platform/ui/system/LibraryFolders.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

extern char** environ;

namespace zu::ui {

namespace {

// The run's folder's own folders: the cache home, the data home and the runtime folder.
constexpr const char* kCacheHome = "cache";
constexpr const char* kDataHome = "data";
constexpr const char* kRuntime = "runtime";
// GStreamer's registry in the run's folder.
constexpr const char* kRegistry = "registry.bin";

std::mutex gMutex;
// The folder confine() holds, and the environment before it: its variables, and the list of
// them that posix_spawn takes. Made once, kept for the process's life; guarded by gMutex while
// made.
LibraryFolders* gConfined = nullptr;
std::vector<std::string>* gDesktopVariables = nullptr;
std::vector<char*>* gDesktopEnvironment = nullptr;

std::optional<std::string> environmentFolder(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return std::nullopt;
  return std::string(value);
}

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

const char* LibraryFolders::systemPluginFolder() { return ZU_GST_PLUGINS_DIR; }

LibraryFolders::LibraryFolders(std::optional<std::filesystem::path> base) {
  const std::optional<std::string> desktopRuntime = environmentFolder("XDG_RUNTIME_DIR");
  // Where the folder may go, in order: a runtime folder named but gone (a session's that ended)
  // or not the user's leaves the next.
  std::vector<std::filesystem::path> bases;
  if (base) {
    bases.push_back(*base);
  } else {
    if (desktopRuntime) bases.emplace_back(*desktopRuntime);
    if (const std::optional<std::string> temporary = environmentFolder("TMPDIR")) bases.emplace_back(*temporary);
    bases.emplace_back("/tmp");
  }
  for (const std::filesystem::path& candidate : bases) {
    const int baseFd = ::open(candidate.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (baseFd < 0) continue;
    base_ = FolderHandle::adopt(baseFd, candidate);
    removeEnded(*base_);
    // Locked before anything is handed out, so no launch takes it for an ended run's; made
    // again when another launch removed it before the lock was taken.
    for (int attempt = 0; attempt < 3 && !held_; ++attempt) {
      std::optional<FolderHandle> made = base_->createTemporaryFolder(kFolderPrefix, &name_, 0700);
      if (!made) break;
      struct stat st {};
      if (::flock(made->fd(), LOCK_EX | LOCK_NB) == 0 && ::fstat(made->fd(), &st) == 0 && st.st_nlink > 0) {
        held_ = std::move(made);
      }
    }
    if (held_) break;
    base_.reset();
  }
  std::optional<std::string> named;
  if (held_) {
    path_ = held_->path();
    for (const char* folder : {kCacheHome, kDataHome, kRuntime}) ::mkdirat(held_->fd(), folder, 0700);
    named = nameThroughProcess(held_->fd());
    if (!named) {
      std::fprintf(stderr, "zureader: %s is handed to the libraries by path (no /proc)\n", path_.c_str());
      named = path_.string();
    }
  } else {
    std::fprintf(stderr, "zureader: cannot make a folder for the libraries in %s\n", bases.front().c_str());
  }

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
  // Unset, GStreamer scans the data home's "gstreamer-1.0/plugins" before the system's folder.
  if (!std::getenv("GST_PLUGIN_SYSTEM_PATH_1_0") && !std::getenv("GST_PLUGIN_SYSTEM_PATH")) {
    environment_.push_back({"GST_PLUGIN_SYSTEM_PATH_1_0", systemPluginFolder()});
  }
  if (!named) return;
  environment_.push_back({"GST_REGISTRY_1_0", *named + "/" + kRegistry});
  environment_.push_back({"XDG_CACHE_HOME", *named + "/" + kCacheHome});
  // Without a runtime folder of the desktop's, GLib would take the cache home, sound its
  // runtime files in ~/.config/pulse and orc its code in the desktop user's home; so too with
  // one the folder could not be made in (gone, or not the user's).
  if (!desktopRuntime || base_->path() != *desktopRuntime) {
    environment_.push_back({"XDG_RUNTIME_DIR", *named + "/" + kRuntime});
  }
  environment_.push_back({"XDG_DATA_HOME", *named + "/" + kDataHome, true});
}

LibraryFolders::~LibraryFolders() { remove(); }

size_t LibraryFolders::removeEnded(const FolderHandle& base) {
  size_t removed = 0;
  for (const std::string& name : base.names()) {
    if (!FolderHandle::isFreshName(name, kFolderPrefix)) continue;
    const std::optional<struct stat> st = base.status(name);
    if (!st || !S_ISDIR(st->st_mode) || st->st_uid != ::geteuid()) continue;
    std::optional<FolderHandle> folder = base.openExistingPath(name);
    // The folder looked at, not another put at its name since (in /tmp, by anyone once ours
    // went); a running client holds its folder's lock until it ends.
    struct stat opened {};
    if (!folder || ::fstat(folder->fd(), &opened) != 0 || opened.st_dev != st->st_dev ||
        opened.st_ino != st->st_ino || opened.st_uid != ::geteuid() ||
        ::flock(folder->fd(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    if (folder->removeAll() && base.remove(name)) {
      ++removed;
      FolderHandle::report("LibraryFolders: removed " + (base.path() / name).string() + ", left by a run that ended");
    }
  }
  return removed;
}

void LibraryFolders::remove() {
  if (!held_ || !base_ || ::getpid() != maker_) return;
  // Only the folder held, should another stand at its name by now.
  struct stat held {};
  const std::optional<struct stat> named = base_->status(name_);
  if (::fstat(held_->fd(), &held) == 0 && named && named->st_dev == held.st_dev && named->st_ino == held.st_ino) {
    held_->removeAll();
    base_->remove(name_);
  }
  held_.reset();
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
    std::atexit([] { gConfined->remove(); });
  }
  bool confined = !gConfined->path_.empty();
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
      std::fprintf(stderr, "zureader: the libraries' folders were fixed before the client's were set (%s)\n", answer);
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
