#include "common/StagedFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

// Every path below `folder`, relative, with a file's bytes after '='.
std::set<std::string> contents(const fs::path& folder) {
  std::set<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string line = entry.path().lexically_relative(folder).string();
    if (entry.is_regular_file()) line += "=" + TestFiles::read(entry.path());
    out.insert(line);
  }
  return out;
}

class StagedFolderTest : public ::testing::Test {
 protected:
  // Only the target is left beside it: no staging or old folder.
  void expectAloneInItsFolder() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(book_.parent_path())) {
      names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::set<std::string>{"book"});
  }
  TempHome home_;
  fs::path book_ = home_.path() / "books" / "book";
};

TEST_F(StagedFolderTest, NewContentsReplaceTheOldWholeAndTheRestStays) {
  // The first time there is nothing to replace.
  {
    StagedFolder staged(book_.string() + "/");
    ASSERT_TRUE(staged.begin());
    EXPECT_EQ(staged.path(), book_.string() + ".staging/");
    TestFiles::write(fs::path(staged.path()) / "OPS" / "1.htm", "v1 one");
    TestFiles::write(fs::path(staged.path()) / "OPS" / "2.htm", "v1 two");
    TestFiles::write(fs::path(staged.path()) / "images" / "a.png", "old picture");
    ASSERT_TRUE(staged.commit());
  }
  TestFiles::write(book_ / "OPS" / "reader-1.htm", "the reader's own copy");
  expectAloneInItsFolder();

  // An update: what it brings replaces, what it lacks stays; a folder becomes a file.
  StagedFolder staged(book_.string());
  ASSERT_TRUE(staged.begin());
  TestFiles::write(fs::path(staged.path()) / "OPS" / "1.htm", "v2 one");
  TestFiles::write(fs::path(staged.path()) / "OPS" / "3.htm", "v2 three");
  TestFiles::write(fs::path(staged.path()) / "images", "now a file");
  // Until the commit the book is the old one.
  EXPECT_EQ(TestFiles::read(book_ / "OPS" / "1.htm"), "v1 one");
  ASSERT_TRUE(staged.commit());
  EXPECT_EQ(contents(book_),
            (std::set<std::string>{"OPS", "OPS/1.htm=v2 one", "OPS/2.htm=v1 two",
                                   "OPS/3.htm=v2 three", "OPS/reader-1.htm=the reader's own copy",
                                   "images=now a file"}));
  expectAloneInItsFolder();
}

TEST_F(StagedFolderTest, WithoutACommitTheTargetIsUntouchedAndLeftoversAreCleared) {
  TestFiles::write(book_ / "OPS" / "1.htm", "v1");
  const auto before = contents(book_);
  {
    StagedFolder staged(book_.string());
    ASSERT_TRUE(staged.begin());
    TestFiles::write(fs::path(staged.path()) / "OPS" / "1.htm", "half written");
  }  // destroyed without a commit, as after a failed unpack
  EXPECT_EQ(contents(book_), before);
  expectAloneInItsFolder();
  StagedFolder abandoned(book_.string());
  ASSERT_TRUE(abandoned.begin());
  abandoned.abandon();
  EXPECT_FALSE(abandoned.commit());
  EXPECT_EQ(contents(book_), before);
  expectAloneInItsFolder();

  // A process killed mid-way left a staging folder and, between the two renames of a swap, the
  // old contents under ".old" with no target: the next begin() puts the book back.
  TestFiles::write(fs::path(book_.string() + ".staging") / "OPS" / "1.htm", "stale");
  fs::rename(book_, book_.string() + ".old");
  StagedFolder next(book_.string());
  ASSERT_TRUE(next.begin());
  EXPECT_EQ(contents(book_), before);
  EXPECT_TRUE(contents(next.path()).empty());
  next.abandon();
  expectAloneInItsFolder();
}

// A link left where the old contents would be, with no target, is no book to put back: the
// folder it points at is neither made the target nor carried into the new contents.
TEST_F(StagedFolderTest, ALinkAtTheOldContentsIsNotPutBack) {
  const fs::path outside = home_.path().string() + "-outside";
  TestFiles::write(outside / "OPS" / "secret.htm", "someone's page");
  const auto before = TestFiles::snapshot(outside);
  fs::create_directories(book_.parent_path());
  fs::create_directory_symlink(outside, book_.string() + ".old");
  StagedFolder staged(book_.string());
  ASSERT_TRUE(staged.begin());
  TestFiles::write(fs::path(staged.path()) / "OPS" / "1.htm", "new");
  ASSERT_TRUE(staged.commit());
  EXPECT_FALSE(fs::is_symlink(book_));
  EXPECT_EQ(contents(book_), (std::set<std::string>{"OPS", "OPS/1.htm=new"}));
  EXPECT_EQ(TestFiles::snapshot(outside), before);
  fs::remove_all(outside);
}

}  // namespace
}  // namespace zu
