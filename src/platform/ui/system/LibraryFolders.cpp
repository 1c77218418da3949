#include "platform/ui/system/LibraryFolders.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/runtime/Paths.h"

extern char** environ;

namespace zu::ui {

namespace {

// What the libraries put under their data and cache homes.
constexpr const char* kHomes = "XDG";
// How deep the libraries' own folders go (the engine's cache records lie five below its
// folder), with room to spare.
constexpr int kLibraryDepth = 12;

std::mutex gMutex;
// The environment before confine(): its variables, and the list of them that posix_spawn
// takes. Made once, kept for the process's life; guarded by gMutex while made.
std::vector<std::string>* gDesktopVariables = nullptr;
std::vector<char*>* gDesktopEnvironment = nullptr;

}  // namespace

std::filesystem::path LibraryFolders::folder(Kind kind, const std::string& name) {
  const std::filesystem::path relative = std::filesystem::path(kind == Kind::kData ? "Library" : "Library/Caches") / name;
  // Reached from the home without following a link (one in a folder's place is set aside and a
  // real folder made), owner-only like the rest of the home; one that exists is kept as it is.
  // The libraries open what they made inside by path, so a link, pipe or device found there
  // at any depth goes aside too.
  if (auto real = Paths::openFolder(relative)) {
    real->setAsideBelow(kLibraryDepth);
    return real->path();
  }
  // Only a plain file on the way keeps it from being had: the library then cannot make its
  // files there either, and fails in its own way.
  std::fprintf(stderr, "zureader: cannot make %s\n", (Paths::home() / relative).c_str());
  return Paths::home() / relative;
}

bool LibraryFolders::confine() {
  const std::filesystem::path data = folder(Kind::kData, kHomes);
  const std::filesystem::path cache = folder(Kind::kCache, kHomes);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gDesktopEnvironment) return true;
    gDesktopVariables = new std::vector<std::string>();
    for (char** at = environ; at && *at; ++at) gDesktopVariables->emplace_back(*at);
    gDesktopEnvironment = new std::vector<char*>();
    for (auto& variable : *gDesktopVariables) gDesktopEnvironment->push_back(variable.data());
    gDesktopEnvironment->push_back(nullptr);
  }
  // This process and every one it starts (the engine's) cache there.
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  // GLib answers with the data home from now on in this process (it keeps its first answer);
  // the processes started later keep the desktop user's, which they only read.
  const char* previous = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> desktopData = previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  const bool confined = data == g_get_user_data_dir() && cache == g_get_user_cache_dir();
  if (desktopData) {
    setenv("XDG_DATA_HOME", desktopData->c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
  if (!confined) {
    std::fprintf(stderr, "zureader: the libraries' folders were fixed before the home's were set (%s, %s)\n",
                 g_get_user_data_dir(), g_get_user_cache_dir());
  }
  return confined;
}

char** LibraryFolders::desktopEnvironment() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gDesktopEnvironment ? gDesktopEnvironment->data() : environ;
}

}  // namespace zu::ui
