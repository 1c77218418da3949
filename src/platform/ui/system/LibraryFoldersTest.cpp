#include "platform/ui/system/LibraryFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/TempHome.h"

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

}  // namespace
}  // namespace zu::ui
