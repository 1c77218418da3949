#include "settings/feedback/FeedbackLogArchive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/Log.h"
#include "common/ZipArchive.h"
#include "platform/runtime/Paths.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

unsigned modeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(0, ::stat(path.c_str(), &info));
  return info.st_mode & 0777u;
}

class FeedbackLogArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { VESKLogInit(); }
  void TearDown() override { VESKLogUninit(); }
  // Unpacks the archive with the zip wrapper into a fresh folder.
  fs::path unpack(const std::string& archive) {
    const fs::path out = home_.path() / ("out" + std::to_string(++unpacked_));
    fs::create_directories(out);
    EXPECT_TRUE(ZipArchive::unzipFile(archive, out.string(), true));
    return out;
  }
  TempHome home_;
  int unpacked_ = 0;
};

TEST_F(FeedbackLogArchiveTest, BothLogsGoInUnderTheirOwnNamesInAPrivateFolder) {
  VESKLogImpl("%s", "a line the reader wrote before the trouble");
  const fs::path last = *VESKLogGetLastlogFilepath();
  std::ofstream(last, std::ios::binary) << "yesterday's log\r\n";

  FeedbackLogArchive archive;
  const auto path = archive.make();
  ASSERT_TRUE(path);
  EXPECT_EQ(fs::path(*path).filename(), "log.zip");
  // In the home's own tmp folder, both it and the archive's folder owner-only.
  const fs::path folder = fs::path(*path).parent_path();
  EXPECT_EQ(folder.parent_path(), Paths::tmp());
  EXPECT_EQ(modeOf(Paths::tmp()), 0700u);
  EXPECT_EQ(modeOf(folder), 0700u);

  const fs::path out = unpack(*path);
  EXPECT_EQ(readFile(out / "log.txt"), readFile(*VESKLogGetLogFilepath()));
  EXPECT_NE(readFile(out / "log.txt").find("a line the reader wrote before the trouble"), std::string::npos);
  EXPECT_EQ(readFile(out / "log_last.txt"), "yesterday's log\r\n");

  // A second archive never shares the first one's place; removing takes the folder too.
  FeedbackLogArchive other;
  const auto second = other.make();
  ASSERT_TRUE(second);
  EXPECT_NE(*second, *path);
  archive.remove();
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(archive.path());
  EXPECT_TRUE(fs::exists(*second));
}

TEST_F(FeedbackLogArchiveTest, AMissingPreviousLogIsLeftOut) {
  ASSERT_FALSE(fs::exists(*VESKLogGetLastlogFilepath()));
  FeedbackLogArchive archive;
  const auto path = archive.make();
  ASSERT_TRUE(path);
  const fs::path out = unpack(*path);
  EXPECT_TRUE(fs::exists(out / "log.txt"));
  EXPECT_FALSE(fs::exists(out / "log_last.txt"));
}

// A link at a log's place (to another of the reader's files) is left out: the upload carries
// the log only.
TEST_F(FeedbackLogArchiveTest, ALinkInTheLogsPlaceIsLeftOut) {
  const fs::path secret = home_.path() / "private.txt";
  std::ofstream(secret) << "the reader's own secret";
  VESKLogUninit();
  fs::remove(Paths::caches() / "log.txt");
  fs::create_symlink(secret, Paths::caches() / "log.txt");
  std::ofstream(Paths::caches() / "log_last.txt") << "yesterday's log";
  FeedbackLogArchive archive;
  const auto path = archive.make((Paths::caches() / "log.txt").string(),
                                 (Paths::caches() / "log_last.txt").string());
  ASSERT_TRUE(path);
  const fs::path out = unpack(*path);
  EXPECT_FALSE(fs::exists(out / "log.txt"));
  EXPECT_EQ(readFile(out / "log_last.txt"), "yesterday's log");
}

// A log file given a second name while the log runs (a hard link planted at its place: the
// other name may be a file outside the home) is left out of the upload, and the log says so.
TEST_F(FeedbackLogArchiveTest, FilesOfTwoNamesAreLeftOut) {
  const fs::path secret = home_.path() / "private.txt";
  const fs::path other = home_.path() / "other.txt";
  std::ofstream(secret) << "the reader's own secret";
  std::ofstream(other) << "another secret";
  VESKLogImpl("today");
  const fs::path log = *VESKLogGetLogFilepath();
  const fs::path last = *VESKLogGetLastlogFilepath();
  fs::create_hard_link(other, last);
  FeedbackLogArchive archive;
  auto path = archive.make();
  ASSERT_TRUE(path);
  fs::path out = unpack(*path);
  EXPECT_NE(readFile(out / "log.txt").find("today"), std::string::npos);
  EXPECT_FALSE(fs::exists(out / "log_last.txt"));

  // The log's own file goes on under another name; an outside file takes the log's.
  fs::remove(last);
  std::ofstream(last) << "yesterday's log";
  const fs::path kept = Paths::caches() / "kept-log.txt";
  fs::rename(log, kept);
  fs::create_hard_link(secret, log);
  path = archive.make();
  ASSERT_TRUE(path);
  out = unpack(*path);
  EXPECT_FALSE(fs::exists(out / "log.txt"));
  EXPECT_EQ(readFile(out / "log_last.txt"), "yesterday's log");

  EXPECT_EQ(readFile(secret), "the reader's own secret");
  EXPECT_EQ(readFile(other), "another secret");
  const std::string lines = readFile(kept);
  EXPECT_NE(lines.find("log_last.txt has 2 names, left out of the archive"), std::string::npos);
  EXPECT_NE(lines.find("log.txt has 2 names, left out of the archive"), std::string::npos);
}

// A named pipe as the previous log is left out at once: the archive never waits for a writer.
TEST_F(FeedbackLogArchiveTest, APipeInThePreviousLogsPlaceIsLeftOut) {
  const fs::path last = Paths::caches() / "log_last.txt";
  fs::remove(last);
  TestFiles::makePipe(last);
  VESKLogImpl("today");
  FeedbackLogArchive archive;
  std::optional<std::string> path;
  EXPECT_TRUE(TestFiles::finishesBesidePipes([&] { path = archive.make(); }, {last}));
  ASSERT_TRUE(path);
  const fs::path out = unpack(*path);
  EXPECT_NE(readFile(out / "log.txt").find("today"), std::string::npos);
  EXPECT_FALSE(fs::exists(out / "log_last.txt"));
}

TEST_F(FeedbackLogArchiveTest, AnArchiveThatCannotBeMadeLeavesNothing) {
  // The tmp folder's place is taken by a file: no folder of our own can be made in it.
  const fs::path tmp = Paths::tmp();
  fs::remove_all(tmp);
  std::ofstream(tmp) << "in the way";
  FeedbackLogArchive archive;
  EXPECT_FALSE(archive.make());
  EXPECT_FALSE(archive.path());
  fs::remove(tmp);
}

TEST_F(FeedbackLogArchiveTest, TheArchiveGoesWithItsObject) {
  fs::path folder;
  {
    FeedbackLogArchive archive;
    const auto path = archive.make();
    ASSERT_TRUE(path);
    folder = fs::path(*path).parent_path();
  }
  EXPECT_FALSE(fs::exists(folder));
}

// A run killed while an archive was out leaves its folder in the home's tmp folder: the next
// launch removes such folders — named as the archive's are, holding nothing but an archive or
// nothing at all — and only them.
TEST_F(FeedbackLogArchiveTest, TheArchivesOfAKilledRunGoAtTheNextLaunch) {
  fs::path tmp;
  {
    FeedbackLogArchive archive;
    const auto path = archive.make();
    ASSERT_TRUE(path);
    const fs::path folder = fs::path(*path).parent_path();
    tmp = folder.parent_path();
    fs::copy(folder, tmp / "feedback-Ab12Cd");
    fs::copy(folder, tmp / "feedback-Ab12C");  // of another shape
    fs::copy(folder, tmp / "feedback-Zz99Yy");
    TestFiles::write(tmp / "feedback-Zz99Yy" / "notes", "the reader's");
  }
  fs::create_directory(tmp / "feedback-Empty0");  // made, killed before the archive was
  TestFiles::write(home_.path() / "outside" / FeedbackLogArchive::kArchiveName, "the reader's");
  fs::create_directory_symlink(home_.path() / "outside", tmp / "feedback-Link00");

  EXPECT_EQ(FeedbackLogArchive::removeLeftovers(), 2u);
  EXPECT_FALSE(fs::exists(tmp / "feedback-Ab12Cd"));
  EXPECT_FALSE(fs::exists(tmp / "feedback-Empty0"));
  EXPECT_TRUE(fs::exists(tmp / "feedback-Ab12C" / FeedbackLogArchive::kArchiveName));
  EXPECT_EQ(TestFiles::read(tmp / "feedback-Zz99Yy" / "notes"), "the reader's");
  EXPECT_TRUE(fs::is_symlink(tmp / "feedback-Link00"));
  EXPECT_EQ(TestFiles::read(home_.path() / "outside" / FeedbackLogArchive::kArchiveName), "the reader's");
}

TEST_F(FeedbackLogArchiveTest, TheLogHoldsStillWhileItsFilesAreRead) {
  std::atomic<bool> written{false};
  std::thread writer;
  uintmax_t sizeInside = 0;
  uintmax_t sizeAtEnd = 0;
  VESKLogWithFilesLocked([&](const std::optional<std::string>& log, const std::optional<std::string>& last) {
    ASSERT_TRUE(log);
    ASSERT_TRUE(last);
    sizeInside = fs::file_size(*log);
    writer = std::thread([&] {
      VESKLogImpl("%s", "written from another thread");
      written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sizeAtEnd = fs::file_size(*log);
  });
  writer.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(sizeInside, sizeAtEnd);
  EXPECT_GT(fs::file_size(*VESKLogGetLogFilepath()), sizeAtEnd);
}

}  // namespace
}  // namespace zu
