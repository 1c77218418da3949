#include "platform/runtime/FolderHandle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

class FolderHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    outside_ = home_.path() / "outside";
    fs::create_directories(outside_ / "deep");
    std::ofstream(outside_ / "letter.txt") << "keep";
    std::ofstream(outside_ / "deep" / "photo.jpg") << "keep too";
  }
  bool outsideUntouched() const {
    return contentOf(outside_ / "letter.txt") == "keep" &&
           contentOf(outside_ / "deep" / "photo.jpg") == "keep too";
  }
  TempHome home_;
  fs::path outside_;
};

// A folder that is a link is replaced by a real one (the link alone goes); a plain file in its
// place is the reader's and stays.
TEST_F(FolderHandleTest, OpenRealReplacesALinkButNotAFile) {
  const fs::path cache = home_.path() / "cache";
  fs::create_directory_symlink(outside_, cache);
  auto folder = FolderHandle::openReal(cache, 0700);
  ASSERT_TRUE(folder);
  EXPECT_FALSE(fs::is_symlink(cache));
  EXPECT_TRUE(fs::is_directory(cache));
  EXPECT_TRUE(folder->names().empty());
  EXPECT_TRUE(outsideUntouched());
  auto sub = folder->openRealSubfolder("sub");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->path(), cache / "sub");

  std::ofstream(home_.path() / "plain") << "the reader's";
  EXPECT_FALSE(FolderHandle::openReal(home_.path() / "plain"));
  EXPECT_EQ(contentOf(home_.path() / "plain"), "the reader's");
  EXPECT_FALSE(FolderHandle::openExisting(home_.path() / "plain"));
  fs::create_directory_symlink(outside_, home_.path() / "link");
  EXPECT_FALSE(FolderHandle::openExisting(home_.path() / "link"));
  EXPECT_FALSE(folder->openRealSubfolder(".."));
  EXPECT_FALSE(folder->openRealSubfolder("a/b"));
}

// Removing a tree removes the links in it as links: nothing they point at goes.
TEST_F(FolderHandleTest, RemovalNeverFollowsALink) {
  auto folder = FolderHandle::openReal(home_.path() / "cache");
  ASSERT_TRUE(folder);
  const fs::path tree = folder->path() / "tree";
  fs::create_directories(tree / "a" / "b");
  std::ofstream(tree / "a" / "b" / "f") << "x";
  fs::create_directory_symlink(outside_, tree / "a" / "to-folder");
  fs::create_symlink(outside_ / "letter.txt", tree / "to-file");
  fs::create_directory_symlink(outside_, folder->path() / "top-link");
  EXPECT_TRUE(folder->remove("tree"));
  EXPECT_TRUE(folder->remove("top-link"));
  EXPECT_TRUE(folder->remove("never-there"));
  EXPECT_TRUE(folder->names().empty());
  EXPECT_TRUE(outsideUntouched());

  fs::create_directories(folder->path() / "x" / "y");
  fs::create_directory_symlink(outside_, folder->path() / "x" / "y" / "z");
  EXPECT_TRUE(folder->removeAll());
  EXPECT_TRUE(folder->names().empty());
  EXPECT_TRUE(outsideUntouched());
}

// Files are read and written at the entry itself: a link there is neither read nor written
// through, a write replaces it, and a write that fails leaves nothing behind.
TEST_F(FolderHandleTest, FilesAreNeverReadOrWrittenThroughALink) {
  auto folder = FolderHandle::openReal(home_.path() / "cache");
  ASSERT_TRUE(folder);
  fs::create_symlink(outside_ / "letter.txt", folder->path() / "item");
  EXPECT_FALSE(folder->readFile("item"));
  EXPECT_FALSE(folder->isRegularFile("item"));
  ASSERT_TRUE(folder->writeFileAtomically("item", bytes("new"), FileUtil::Sync::kDeferred, 0600));
  EXPECT_FALSE(fs::is_symlink(folder->path() / "item"));
  EXPECT_EQ(folder->readFile("item"), bytes("new"));
  EXPECT_TRUE(outsideUntouched());
  struct stat st {};
  ASSERT_EQ(::stat((folder->path() / "item").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777u, 0600u);

  // A folder in the way of the rename: the write fails and its temporary file is gone.
  fs::create_directories(folder->path() / "busy" / "inside");
  EXPECT_FALSE(folder->writeFileAtomically("busy", bytes("x")));
  EXPECT_EQ(folder->names().size(), 2u);
  EXPECT_FALSE(folder->writeFileAtomically("../escape", bytes("x")));
  EXPECT_FALSE(fs::exists(home_.path() / "escape"));
}

}  // namespace
}  // namespace zu
