#include "platform/ui/system/LibraryFolders.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testing/TempHome.h"
#include "testing/TestFiles.h"

extern char** environ;

namespace zu::ui {
namespace {

namespace fs = std::filesystem;

// The desktop's runtime folder for one test (none: nullopt), restored after.
class DesktopRuntime {
 public:
  explicit DesktopRuntime(const std::optional<std::string>& folder) {
    if (const char* was = std::getenv("XDG_RUNTIME_DIR")) previous_ = was;
    if (folder) {
      setenv("XDG_RUNTIME_DIR", folder->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }
  ~DesktopRuntime() {
    if (previous_) {
      setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::optional<std::string> previous_;
};

std::map<std::string, std::string> variables(const LibraryFolders& folders) {
  std::map<std::string, std::string> out;
  for (const auto& variable : folders.environment()) out[variable.name] = variable.value;
  return out;
}

fs::path outsideOf(const TempHome& home) {
  return home.path().parent_path() / (home.path().filename().string() + "-outside");
}

// Runs `script` in /bin/sh as a child process, as the engine's processes are: true when it
// ended with status 0.
bool inChild(const std::string& script, const std::string& argument) {
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), "sh", argument.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The libraries write by path below the names they are given, all run long (GStreamer's
// registry at the first video, sound and orc at the first sound, the engine's processes'
// caches at any time): a rename or a link made in the home after the folders were handed out —
// of a library's folder itself or of any folder above it — must not lead them out of the home,
// neither in this process nor in the processes it starts.
TEST(LibraryFoldersTest, WhatTakesAHeldFoldersPlaceAfterwardsLeadsNoLibraryOut) {
  TempHome home;
  DesktopRuntime noRuntime(std::nullopt);
  const fs::path outside = outsideOf(home);
  for (const char* folder : {"Library/Caches/XDG/gstreamer-1.0", "Library/Caches/XDG/runtime", "Library/XDG",
                             "Caches/XDG/gstreamer-1.0", "Caches/XDG/runtime", "XDG/gstreamer-1.0", "XDG/runtime"}) {
    TestFiles::write(outside / folder / "salt", "the reader's own");
  }
  const auto before = TestFiles::snapshot(outside);

  LibraryFolders folders;
  auto names = variables(folders);
  for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "GST_REGISTRY_1_0"}) {
    ASSERT_TRUE(names.count(name)) << name;
  }
  const fs::path library = home.path() / "Library";
  int round = 0;
  // Each folder in turn is renamed aside and a link to the outside put in its place, and the
  // libraries then make their files: folders and files below the cache, data and runtime homes,
  // the registry in place of its old copy.
  for (const auto& [replaced, target] : {std::pair{library / "Caches" / "XDG", outside / "XDG"},
                                         std::pair{library / "Caches", outside / "Caches"},
                                         std::pair{library, outside / "Library"}}) {
    SCOPED_TRACE(replaced);
    ++round;
    fs::rename(replaced, replaced.string() + ".moved-" + std::to_string(round));
    fs::create_directory_symlink(target, replaced);
    const std::string made = "made-" + std::to_string(round);
    for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
      fs::create_directories(fs::path(names[name]) / made);
      TestFiles::write(fs::path(names[name]) / made / "salt", "the library's");
      EXPECT_TRUE(inChild("mkdir -p \"$1/child\" && echo child > \"$1/child/salt\"", names[name] + "/" + made)) << name;
    }
    const fs::path registry = names["GST_REGISTRY_1_0"];
    TestFiles::write(registry.string() + ".tmp", "the registry");
    fs::rename(registry.string() + ".tmp", registry);
    EXPECT_TRUE(inChild("echo child > \"$1\"", registry.string()));
    EXPECT_EQ(TestFiles::snapshot(outside), before);
  }
  // Everything went into the held folders, wherever they are now in the home.
  size_t found = 0;
  for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
    if (entry.path().filename() == "salt" && TestFiles::read(entry.path()) == "the library's") ++found;
  }
  EXPECT_EQ(found, 9u);
  fs::remove_all(outside);
}

// A desktop's runtime folder holds its sound server's socket: the libraries keep it, and the
// client makes no runtime folder of its own.
TEST(LibraryFoldersTest, TheDesktopsRuntimeFolderIsKept) {
  TempHome home;
  DesktopRuntime runtime(std::string("/run/user/desktop"));
  LibraryFolders folders;
  EXPECT_EQ(variables(folders).count("XDG_RUNTIME_DIR"), 0u);
  EXPECT_FALSE(fs::exists(fs::symlink_status(home.path() / "Library" / "Caches" / "XDG" / "runtime")));
}

// A link planted in a folder's place before the client starts — the library folder itself or
// one above it — is set aside and a real folder made, so a library never starts behind one.
TEST(LibraryFoldersTest, AFolderHandedToALibraryIsNeverBehindALink) {
  TempHome home;
  const fs::path outside = outsideOf(home);
  TestFiles::write(outside / "gstreamer-1.0" / "registry.bin", "the reader's own");
  chmod(outside.c_str(), 0755);
  const auto before = TestFiles::snapshot(outside);

  fs::create_directories(home.path() / "Library" / "Caches");
  fs::create_symlink(outside, home.path() / "Library" / "Caches" / "XDG");
  fs::create_symlink(outside, home.path() / "Library" / "XDG");

  LibraryFolders folders;
  auto names = variables(folders);
  for (const auto& [named, relative] :
       {std::pair{fs::path(names["XDG_CACHE_HOME"]), "Library/Caches/XDG"},
        std::pair{fs::path(names["XDG_DATA_HOME"]), "Library/XDG"},
        std::pair{fs::path(names["GST_REGISTRY_1_0"]).parent_path(), "Library/Caches/XDG/gstreamer-1.0"}}) {
    SCOPED_TRACE(relative);
    const fs::path real = home.path() / relative;
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(real)));
    EXPECT_TRUE(fs::equivalent(named, real));
  }
  for (const char* folder : {"Library/Caches", "Library"}) {
    EXPECT_EQ(TestFiles::setAside(home.path() / folder, "XDG").size(), 1u) << folder;
  }
  TestFiles::write(fs::path(names["GST_REGISTRY_1_0"]), "the registry");
  EXPECT_EQ(TestFiles::read(home.path() / "Library" / "Caches" / "XDG" / "gstreamer-1.0" / "registry.bin"),
            "the registry");
  EXPECT_EQ(TestFiles::snapshot(outside), before);
  fs::remove_all(outside);
}

// A plain file where a library's own folder goes keeps no library from its folder: a library
// given no folder falls back on the desktop user's home (GStreamer's registry in ~/.cache, orc's
// code in ~), so the file is set aside, kept whole, and the folder made.
TEST(LibraryFoldersTest, APlainFileInALibrarysFolderPlaceIsSetAside) {
  for (const std::vector<std::string>& files :
       {std::vector<std::string>{"Library/Caches/XDG", "Library/XDG"},
        std::vector<std::string>{"Library/Caches/XDG/gstreamer-1.0", "Library/Caches/XDG/runtime"}}) {
    SCOPED_TRACE(files.front());
    TempHome home;
    DesktopRuntime noRuntime(std::nullopt);
    for (const std::string& file : files) TestFiles::write(home.path() / file, "the reader's " + file);

    LibraryFolders folders;
    auto names = variables(folders);
    for (const auto& [name, relative] :
         {std::pair{"XDG_CACHE_HOME", "Library/Caches/XDG"}, std::pair{"XDG_DATA_HOME", "Library/XDG"},
          std::pair{"XDG_RUNTIME_DIR", "Library/Caches/XDG/runtime"},
          std::pair{"GST_REGISTRY_1_0", "Library/Caches/XDG/gstreamer-1.0/registry.bin"}}) {
      ASSERT_TRUE(names.count(name)) << name;
      const fs::path real = home.path() / relative;
      const fs::path named = names[name];
      if (std::string(name) == "GST_REGISTRY_1_0") {
        EXPECT_TRUE(fs::equivalent(named.parent_path(), real.parent_path())) << name;
      } else {
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(real))) << name;
        EXPECT_TRUE(fs::equivalent(named, real)) << name;
      }
    }
    for (const std::string& file : files) {
      const fs::path at = home.path() / file;
      const auto aside = TestFiles::setAside(at.parent_path(), at.filename().string());
      ASSERT_EQ(aside.size(), 1u) << file;
      EXPECT_EQ(TestFiles::read(aside[0]), "the reader's " + file);
    }
  }
}

// The libraries make folders and files of their own inside the folders handed to them and open
// them by path: a link, pipe or device planted at any depth there is set aside when the folder
// is handed out, so they never write, read or wait through one.
TEST(LibraryFoldersTest, WhatALibraryFindsInsideItsFolderIsNoLink) {
  TempHome home;
  DesktopRuntime noRuntime(std::nullopt);
  const fs::path outside = outsideOf(home);
  TestFiles::write(outside / "registry.bin", "the reader's own");
  TestFiles::write(outside / "salt", "the reader's salt");
  fs::create_directories(outside / "storage");
  const auto before = TestFiles::snapshot(outside);

  const fs::path caches = home.path() / "Library" / "Caches" / "XDG";
  const fs::path data = home.path() / "Library" / "XDG";
  fs::create_directories(caches / "gstreamer-1.0");
  fs::create_symlink(outside / "registry.bin", caches / "gstreamer-1.0" / "registry.bin");
  fs::create_directories(caches / "runtime");
  fs::create_directory_symlink(outside, caches / "runtime" / "pulse");
  TestFiles::makePipe(caches / "fontconfig" / "index");
  TestFiles::write(caches / "fontconfig" / "ab" / "cd", "kept");
  fs::create_directories(data / "wpe");
  fs::create_directory_symlink(outside / "storage", data / "wpe" / "storage");
  fs::create_symlink(outside / "salt", data / "wpe" / "salt");

  LibraryFolders folders;
  for (const auto& [folder, name] :
       {std::pair{caches / "gstreamer-1.0", "registry.bin"}, std::pair{caches / "runtime", "pulse"},
        std::pair{caches / "fontconfig", "index"}, std::pair{data / "wpe", "storage"},
        std::pair{data / "wpe", "salt"}}) {
    SCOPED_TRACE(folder / name);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / name)));
    EXPECT_EQ(TestFiles::setAside(folder, name).size(), 1u);
  }
  EXPECT_EQ(TestFiles::read(caches / "fontconfig" / "ab" / "cd"), "kept");
  EXPECT_EQ(TestFiles::snapshot(outside), before);
  fs::remove_all(outside);
}

}  // namespace
}  // namespace zu::ui
