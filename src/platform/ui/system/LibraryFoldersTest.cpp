#include "platform/ui/system/LibraryFolders.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testing/TempHome.h"
#include "testing/TestFiles.h"

extern char** environ;

namespace zu::ui {
namespace {

namespace fs = std::filesystem;

// An environment variable for one test (nullopt: unset), restored after.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* was = std::getenv(name)) previous_ = was;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (previous_) {
      setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

std::map<std::string, std::string> variables(const LibraryFolders& folders) {
  std::map<std::string, std::string> out;
  for (const auto& variable : folders.environment()) out[variable.name] = variable.value;
  return out;
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

// A home where another program put a plugin, a registry naming it, font caches and settings
// schemas where the libraries look for them: none of it is where a library is pointed, GStreamer
// takes its plugins from the system's folder only, and nothing is handed out below the home.
TEST(LibraryFoldersTest, NoLibraryLooksInTheHome) {
  TempHome scratch;
  TempHome home;
  ScopedVariable noSystemPath("GST_PLUGIN_SYSTEM_PATH", std::nullopt);
  ScopedVariable noSystemPath10("GST_PLUGIN_SYSTEM_PATH_1_0", std::nullopt);
  ScopedVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
  ScopedVariable temporary("TMPDIR", scratch.path().string());
  const std::vector<std::string> planted = {
      "Library/XDG/gstreamer-1.0/plugins/libgstplanted.so", "Library/XDG/glib-2.0/schemas/gschemas.compiled",
      "Library/XDG/mime/mime.cache", "Library/Caches/XDG/fontconfig/0123456789abcdef0123456789abcdef-le64.cache-8",
      "Library/Caches/XDG/gstreamer-1.0/registry.bin"};
  for (const std::string& file : planted) TestFiles::write(home.path() / file, "planted");

  LibraryFolders folders;
  auto names = variables(folders);
  const fs::path plugins = names["GST_PLUGIN_SYSTEM_PATH_1_0"];
  EXPECT_TRUE(fs::exists(plugins / "libgstcoreelements.so")) << plugins;
  const std::string inHome = fs::canonical(home.path()).string() + "/";
  for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "GST_REGISTRY_1_0"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(names.count(name));
    const fs::path named = names[name];
    const fs::path folder = std::string(name) == "GST_REGISTRY_1_0" ? named.parent_path() : named;
    const fs::path real = fs::canonical(folder);
    EXPECT_NE(real.string().rfind(fs::canonical(scratch.path()).string() + "/", 0), std::string::npos) << real;
    EXPECT_EQ(real.string().rfind(inHome, 0), std::string::npos) << real;
    if (folder == named) EXPECT_TRUE(fs::is_empty(folder));
  }
  EXPECT_FALSE(fs::exists(names["GST_REGISTRY_1_0"]));
  for (const std::string& file : planted) EXPECT_EQ(TestFiles::read(home.path() / file), "planted") << file;
}

// The run's folder is made afresh, owner-only, in the desktop's runtime folder when there is one
// (whose runtime folder the libraries then keep); without one, or with one that is gone, in the
// temporary folder, with a runtime folder of its own.
TEST(LibraryFoldersTest, TheRunsFolderGoesWhereTheDesktopKeepsRuntimeFiles) {
  TempHome desktopRuntime;
  TempHome temporary;
  {
    ScopedVariable runtime("XDG_RUNTIME_DIR", desktopRuntime.path().string());
    LibraryFolders folders;
    EXPECT_EQ(folders.folder().parent_path(), desktopRuntime.path());
    EXPECT_EQ(variables(folders).count("XDG_RUNTIME_DIR"), 0u);
    struct stat st {};
    ASSERT_EQ(stat(folders.folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  ScopedVariable tmpdir("TMPDIR", temporary.path().string());
  {
    ScopedVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    LibraryFolders folders;
    EXPECT_EQ(folders.folder().parent_path(), temporary.path());
    EXPECT_TRUE(fs::equivalent(variables(folders)["XDG_RUNTIME_DIR"], folders.folder() / "runtime"));
  }
  // A runtime folder named but gone (a session that ended): the libraries would keep nothing,
  // fall back on the desktop user's home. The temporary folder takes the run's folder, with a
  // runtime folder of its own.
  ScopedVariable goneRuntime("XDG_RUNTIME_DIR", (desktopRuntime.path() / "gone").string());
  LibraryFolders folders;
  EXPECT_EQ(folders.folder().parent_path(), temporary.path());
  auto names = variables(folders);
  ASSERT_TRUE(names.count("XDG_CACHE_HOME"));
  ASSERT_TRUE(names.count("XDG_RUNTIME_DIR"));
  EXPECT_TRUE(fs::equivalent(names["XDG_RUNTIME_DIR"], folders.folder() / "runtime"));
}

// The libraries write by path below the names they are given, all run long (GStreamer's
// registry at the first video, sound and orc at the first sound, the engine's processes' caches
// at any time): a rename of the run's folder and a link put in its place must not lead them
// elsewhere, neither in this process nor in the processes it starts.
TEST(LibraryFoldersTest, WhatTakesTheFoldersPlaceAfterwardsLeadsNoLibraryOut) {
  TempHome scratch;
  TempHome outside;
  ScopedVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
  TestFiles::write(outside.path() / "cache" / "salt", "the reader's own");
  const auto before = TestFiles::snapshot(outside.path());

  LibraryFolders folders(scratch.path());
  auto names = variables(folders);
  const fs::path made = folders.folder();
  fs::rename(made, made.string() + ".moved");
  fs::create_directory_symlink(outside.path(), made);
  for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
    TestFiles::write(fs::path(names[name]) / "salt", "the library's");
    EXPECT_TRUE(inChild("mkdir -p \"$1/child\" && echo child > \"$1/child/salt\"", names[name])) << name;
  }
  EXPECT_TRUE(inChild("echo child > \"$1\"", names["GST_REGISTRY_1_0"]));
  EXPECT_EQ(TestFiles::snapshot(outside.path()), before);
  EXPECT_EQ(TestFiles::read(made.string() + ".moved/cache/child/salt"), "child\n");
  EXPECT_EQ(TestFiles::read(made.string() + ".moved/registry.bin"), "child\n");
}

// A run's folder goes with its run: at its end, or, when the run was killed, at the next launch
// (its lock is free then) — never a running client's folder, nor anything else found there.
TEST(LibraryFoldersTest, ARunsFolderIsRemovedWhenItsRunIsOver) {
  TempHome scratch;
  const fs::path base = scratch.path();
  // Left by a killed run: a folder of the pattern, holding what the libraries wrote.
  TestFiles::write(base / "zureader-Ab12Cd" / "cache" / "fontconfig" / "x.cache-8", "cache");
  TestFiles::write(base / "zureader-Ab12Cd" / "registry.bin", "registry");
  // Not a run's folder: another name, a file of the pattern, a link of the pattern.
  TestFiles::write(base / "zureader-Ab12C" / "kept", "kept");
  TestFiles::write(base / "zureader-Ab12Cde" / "kept", "kept");
  TestFiles::write(base / "zureader-File01", "kept");
  TestFiles::write(base / "elsewhere" / "kept", "kept");
  fs::create_directory_symlink(base / "elsewhere", base / "zureader-Link01");

  std::vector<std::string> reports;
  FolderHandle::discardPendingReports();
  FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });
  auto running = std::make_unique<LibraryFolders>(base);
  TestFiles::write(running->folder() / "registry.bin", "the running client's");
  EXPECT_FALSE(fs::exists(base / "zureader-Ab12Cd"));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find((base / "zureader-Ab12Cd").string()), std::string::npos) << reports[0];

  {
    LibraryFolders next(base);
    EXPECT_EQ(TestFiles::read(running->folder() / "registry.bin"), "the running client's");
  }
  const fs::path ran = running->folder();
  running.reset();
  FolderHandle::setReporter(nullptr);
  EXPECT_FALSE(fs::exists(fs::symlink_status(ran)));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(base)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"elsewhere", "zureader-Ab12C", "zureader-Ab12Cde", "zureader-File01",
                                            "zureader-Link01"}));
  EXPECT_EQ(TestFiles::read(base / "elsewhere" / "kept"), "kept");
}

// A child forked from the client (a library's helper before it execs, say) that exits or
// unwinds runs the client's exit handlers and destructors: the run's folder stays the parent's.
TEST(LibraryFoldersTest, AForkedChildThatEndsLeavesTheRunsFolder) {
  TempHome scratch;
  auto running = std::make_unique<LibraryFolders>(scratch.path());
  const fs::path ran = running->folder();
  ASSERT_FALSE(ran.empty());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    running.reset();
    ::_exit(fs::exists(ran) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(fs::is_directory(ran));
  running.reset();
  EXPECT_FALSE(fs::exists(fs::symlink_status(ran)));
}

}  // namespace
}  // namespace zu::ui
