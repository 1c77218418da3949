#include "platform/ui/system/LibraryFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu::ui {
namespace {

namespace fs = std::filesystem;

// What a folder holds, name by name, with each file's bytes: compared before and after.
std::string listing(const fs::path& folder) {
  std::string out;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    out += entry.path().lexically_relative(folder).string();
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      out += "=" + std::string(std::istreambuf_iterator<char>(in), {});
    }
    out += "\n";
  }
  return out;
}

// The libraries' folders are handed to the web engine and GStreamer, which make and write files
// in them: a link planted in a folder's place — the library folder itself or one above it —
// must never lead them out of the home.
TEST(LibraryFoldersTest, AFolderHandedToALibraryIsNeverBehindALink) {
  TempHome home;
  const fs::path outside = home.path().parent_path() / (home.path().filename().string() + "-outside");
  fs::create_directories(outside / "WebKit");
  std::ofstream(outside / "WebKit" / "salt") << "the reader's own";
  chmod(outside.c_str(), 0755);
  const std::string before = listing(outside);

  fs::create_directories(home.path() / "Library" / "Caches");
  fs::create_symlink(outside / "WebKit", home.path() / "Library" / "Caches" / "WebKit");
  fs::create_symlink(outside, home.path() / "Library" / "XDG");

  for (const auto& [kind, name, relative] :
       {std::tuple{LibraryFolders::Kind::kCache, "WebKit", "Library/Caches/WebKit"},
        std::tuple{LibraryFolders::Kind::kData, "XDG", "Library/XDG"}}) {
    SCOPED_TRACE(relative);
    const fs::path got = LibraryFolders::folder(kind, name);
    EXPECT_EQ(got, fs::canonical(home.path()) / relative);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(got)));
    std::ofstream(got / "written") << "x";
    // The link is set aside beside the new folder, still pointing where it did.
    bool asideFound = false;
    for (const auto& entry : fs::directory_iterator(got.parent_path())) {
      if (entry.path().filename().string().rfind(std::string(name) + ".aside-", 0) == 0) {
        asideFound = fs::is_symlink(entry.symlink_status());
      }
    }
    EXPECT_TRUE(asideFound);
  }
  EXPECT_EQ(listing(outside), before);
  struct stat st {};
  ASSERT_EQ(stat(outside.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  fs::remove_all(outside);
}

// The libraries make folders and files of their own inside the folders handed to them (the
// engine's salts and cache records, GStreamer's registry, Mesa's shader cache, the settings
// backend's file) and open them by path: a link, pipe or device planted at any depth there is
// set aside when the folder is handed out, so they never write, read or wait through one.
TEST(LibraryFoldersTest, WhatALibraryFindsInsideItsFolderIsNoLink) {
  TempHome home;
  const fs::path outside = home.path().parent_path() / (home.path().filename().string() + "-outside");
  TestFiles::write(outside / "registry.bin", "the reader's own");
  TestFiles::write(outside / "salt", "the reader's salt");
  fs::create_directories(outside / "storage");
  const auto before = TestFiles::snapshot(outside);

  const fs::path caches = home.path() / "Library" / "Caches";
  const fs::path data = home.path() / "Library";
  fs::create_directories(caches / "XDG" / "dconf");
  fs::create_directory_symlink(outside, caches / "XDG" / "gstreamer-1.0");
  fs::create_symlink(outside / "registry.bin", caches / "XDG" / "dconf" / "user");
  TestFiles::makePipe(caches / "XDG" / "mesa_shader_cache" / "index");
  TestFiles::write(caches / "XDG" / "mesa_shader_cache" / "ab" / "cd", "kept");
  fs::create_directories(data / "XDG" / "wpe");
  fs::create_directory_symlink(outside / "storage", data / "XDG" / "wpe" / "storage");
  fs::create_directories(caches / "WebKit" / "WebKitCache" / "Version 16");
  fs::create_symlink(outside / "salt", caches / "WebKit" / "WebKitCache" / "Version 16" / "salt");

  LibraryFolders::folder(LibraryFolders::Kind::kCache, "XDG");
  LibraryFolders::folder(LibraryFolders::Kind::kData, "XDG");
  LibraryFolders::folder(LibraryFolders::Kind::kCache, "WebKit");
  for (const auto& [folder, name] :
       {std::pair{caches / "XDG", "gstreamer-1.0"}, std::pair{caches / "XDG" / "dconf", "user"},
        std::pair{caches / "XDG" / "mesa_shader_cache", "index"},
        std::pair{data / "XDG" / "wpe", "storage"},
        std::pair{caches / "WebKit" / "WebKitCache" / "Version 16", "salt"}}) {
    SCOPED_TRACE(folder / name);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / name)));
    EXPECT_EQ(TestFiles::setAside(folder, name).size(), 1u);
  }
  EXPECT_EQ(TestFiles::read(caches / "XDG" / "mesa_shader_cache" / "ab" / "cd"), "kept");
  EXPECT_EQ(TestFiles::snapshot(outside), before);
  fs::remove_all(outside);
}

}  // namespace
}  // namespace zu::ui
