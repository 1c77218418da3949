#include "platform/runtime/FolderHandle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testing/TempHome.h"
#include "testing/TestFiles.h"

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

// A folder that is a link is replaced by a real one (the link is set aside); a plain file in its
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

// An entry that must be a file: anything else there is renamed aside, never opened, followed or
// removed; a file (even one that is no use) and nothing at all are left as they are.
TEST_F(FolderHandleTest, WhatIsNoFileIsSetAsideAtAFilesName) {
  std::vector<std::string> reports;
  FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });
  auto folder = FolderHandle::openReal(home_.path() / "store");
  ASSERT_TRUE(folder);
  fs::create_symlink(outside_ / "letter.txt", folder->path() / "a.db");
  TestFiles::makePipe(folder->path() / "b.db");
  TestFiles::write(folder->path() / "c.db" / "inside", "kept");
  TestFiles::write(folder->path() / "d.db", "not a database");
  for (const char* name : {"a.db", "b.db", "c.db", "d.db", "e.db"}) {
    EXPECT_TRUE(folder->setAsideUnlessFile(name)) << name;
  }
  FolderHandle::setReporter(nullptr);
  EXPECT_FALSE(folder->setAsideUnlessFile("../x"));

  std::map<std::string, fs::file_type> kinds;
  for (const std::string& name : folder->names()) {
    kinds[name.substr(0, name.find(".aside-"))] = fs::symlink_status(folder->path() / name).type();
  }
  EXPECT_EQ(kinds, (std::map<std::string, fs::file_type>{{"a.db", fs::file_type::symlink},
                                                          {"b.db", fs::file_type::fifo},
                                                          {"c.db", fs::file_type::directory},
                                                          {"d.db", fs::file_type::regular}}));
  EXPECT_EQ(TestFiles::read(folder->path() / "d.db"), "not a database");
  EXPECT_TRUE(outsideUntouched());
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_NE(reports[1].find("store/b.db was a named pipe, set aside as b.db.aside-"),
            std::string::npos)
      << reports[1];
  EXPECT_NE(reports[2].find("c.db was a folder"), std::string::npos);
}

// A file with a second name (a hard link to a file outside the home) is written, emptied or
// chmodded only after it got a copy of its own: the outside file keeps its bytes and mode, the
// copy keeps the bytes unless the writer empties it; a file of one name is written in place.
TEST_F(FolderHandleTest, AFileOfTwoNamesIsWrittenOnlyAsACopyOfItsOwn) {
  std::vector<std::string> reports;
  FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });
  struct ReporterReset {
    ~ReporterReset() { FolderHandle::setReporter(nullptr); }
  } reporterReset;
  auto folder = FolderHandle::openReal(home_.path() / "cache");
  ASSERT_TRUE(folder);
  fs::permissions(outside_ / "letter.txt", fs::perms(0644));
  fs::create_hard_link(outside_ / "letter.txt", folder->path() / "part");
  fs::create_hard_link(outside_ / "deep" / "photo.jpg", folder->path() / "fresh");

  int fd = folder->openForWriting("part", O_WRONLY | O_APPEND | O_NONBLOCK);
  ASSERT_GE(fd, 0) << strerror(errno);
  EXPECT_TRUE(FileUtil::writeAll(fd, reinterpret_cast<const uint8_t*>(" more"), 5));
  EXPECT_EQ(::fchmod(fd, 0600), 0);
  ::close(fd);
  EXPECT_EQ(TestFiles::read(folder->path() / "part"), "keep more");
  EXPECT_EQ(fs::hard_link_count(folder->path() / "part"), 1u);
  EXPECT_EQ(fs::status(folder->path() / "part").permissions(), fs::perms(0600));

  fd = folder->openForWriting("fresh", O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(TestFiles::read(folder->path() / "fresh"), "");

  EXPECT_TRUE(outsideUntouched());
  EXPECT_EQ(fs::status(outside_ / "letter.txt").permissions(), fs::perms(0644));
  EXPECT_EQ(fs::hard_link_count(outside_ / "letter.txt"), 1u);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("cache/part had 2 names, replaced by a copy of its own"),
            std::string::npos)
      << reports[0];

  // A file of one name is the one written, emptied by O_TRUNC.
  const auto before = folder->status("part");
  fd = folder->openForWriting("part", O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(folder->status("part")->st_ino, before->st_ino);
  EXPECT_EQ(TestFiles::read(folder->path() / "part"), "");
  EXPECT_EQ(reports.size(), 2u);
  EXPECT_EQ(folder->names().size(), 2u);  // no temporary file left
}

// A run killed while it wrote (a store's own copy under way, the preferences' new bytes, a
// picture not yet in place) leaves its temporary file: the next launch removes those — regular
// files of one name, the user's, of the exact shape the class gives them — at any depth, and
// nothing else: not a name of another shape, a file with another name, a link, a folder, nor
// anything in an entry set aside. Each removal is reported.
TEST_F(FolderHandleTest, TemporariesOfAnEndedRunAreRemovedAndNothingElse) {
  const fs::path root = home_.path() / "home";
  const std::vector<std::string> leftovers = {"Documents/userEntry/.userSubscribe.db.own.Ab12Cd",
                                              "Library/Preferences/.zureader.plist.tmp.x9Y8z7",
                                              "SavedPhotos/.IMG_0001.png.part.000000", "..tmp.tmp.QQQQQQ"};
  const std::vector<std::string> kept = {
      "Library/Preferences/.zureader.plist.tmp.x9Y8z",    // five letters
      "Library/Preferences/.zureader.plist.tmp.x9Y8z7a",  // seven
      "Library/Preferences/.zureader.plist.tmp.x9Y8_7",   // not a letter or digit
      "Library/Preferences/zureader.plist.tmp.x9Y8z7",    // no leading dot
      "Library/Preferences/..tmp.x9Y8z7",                 // no file's name
      "Library/Preferences/.zureader.plist.old.x9Y8z7",   // another kind
      "Library/Preferences/.zureader.plist.tmp.x9Y8z7.bak",
      "Documents/notes.tmp",
      "Library.aside-Qw12Er/Preferences/.zureader.plist.tmp.Ab12Cd",  // set aside: kept whole
  };
  for (const std::string& file : leftovers) TestFiles::write(root / file, "partial");
  for (const std::string& file : kept) TestFiles::write(root / file, "kept");
  // A file of two names, a link and a folder of the shape.
  TestFiles::write(root / "Documents" / "other", "kept");
  fs::create_hard_link(root / "Documents" / "other", root / "Documents" / ".other.own.Ab12Cd");
  fs::create_symlink(outside_ / "letter.txt", root / "Documents" / ".letter.txt.tmp.Ab12Cd");
  TestFiles::write(root / "Documents" / ".folder.tmp.Ab12Cd" / "inside", "kept");
  std::vector<std::string> reports;
  FolderHandle::discardPendingReports();
  FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });

  auto folder = FolderHandle::openReal(root);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->removeTemporariesBelow(16), leftovers.size());
  FolderHandle::setReporter(nullptr);
  for (const std::string& file : leftovers) EXPECT_FALSE(fs::exists(root / file)) << file;
  for (const std::string& file : kept) EXPECT_EQ(TestFiles::read(root / file), "kept") << file;
  EXPECT_EQ(TestFiles::read(root / "Documents" / ".other.own.Ab12Cd"), "kept");
  EXPECT_TRUE(fs::is_symlink(root / "Documents" / ".letter.txt.tmp.Ab12Cd"));
  EXPECT_EQ(TestFiles::read(root / "Documents" / ".folder.tmp.Ab12Cd" / "inside"), "kept");
  EXPECT_TRUE(outsideUntouched());
  ASSERT_EQ(reports.size(), leftovers.size());
  for (const std::string& file : leftovers) {
    const auto names = [&](const std::string& line) { return line.find((root / file).string()) != std::string::npos; };
    EXPECT_EQ(std::count_if(reports.begin(), reports.end(), names), 1) << file;
  }

  // What the class writes leaves no temporary of its own behind to be taken for one.
  ASSERT_TRUE(folder->writeFileAtomically("zureader.plist", bytes("new")));
  ASSERT_TRUE(folder->writeNewFile("IMG_0002.png", bytes("new")));
  EXPECT_EQ(folder->removeTemporariesBelow(16), 0u);
}

}  // namespace
}  // namespace zu
