#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/Log.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/Thread.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

const std::string kMarker = "<-------------new log------------->";
const std::regex kLinePattern(R"(^(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})\[([^\]]*)\]: (.*)$)");

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Lines without their "\r\n"; a trailing empty piece is dropped.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

struct Line {
  std::string time, thread, message;
};

std::optional<Line> parse(const std::string& line) {
  std::smatch m;
  if (!std::regex_match(line, m, kLinePattern)) return std::nullopt;
  return Line{m[1], m[2], m[3]};
}

class LogTest : public ::testing::Test {
 protected:
  void TearDown() override { VESKLogUninit(); }

  fs::path logPath() const { return Paths::caches() / "log.txt"; }
  fs::path lastPath() const { return Paths::caches() / "log_last.txt"; }

  TempHome home_;
};

TEST_F(LogTest, FirstLaunchStartsTheFileAndLaterLaunchesAppend) {
  // 2026-03-04 05:06:07.890 UTC, written in local time.
  const int64_t millis = 1772600767890;
  ScopedFakeClock clock(millis);
  time_t seconds = millis / 1000;
  struct tm local {};
  localtime_r(&seconds, &local);
  char expectedTime[32];
  std::strftime(expectedTime, sizeof expectedTime, "%Y-%m-%d %H:%M:%S", &local);

  fs::remove_all(Paths::caches());  // a first start on a fresh machine has no caches folder yet
  VESKLogInit();
  EXPECT_EQ(VESKLogGetLogFilepath(), logPath().string());
  EXPECT_EQ(VESKLogGetLastlogFilepath(), lastPath().string());
  VESKLogImpl("task %d %s", 12, "LoginTask");
  VESKLogImpl("%s", "body=100% %s %n");  // logged text is data, never a format
  VESKLogUninit();

  std::string first = readFile(logPath());
  std::vector<std::string> lines = splitLines(first);
  ASSERT_EQ(lines.size(), 3u) << first;
  EXPECT_EQ(first.substr(first.size() - 2), "\r\n");
  EXPECT_EQ(lines[0], std::string(expectedTime) + "[null]: " + kMarker);
  EXPECT_EQ(lines[1], std::string(expectedTime) + "[null]: task 12 LoginTask");
  EXPECT_EQ(lines[2], std::string(expectedTime) + "[null]: body=100% %s %n");
  EXPECT_FALSE(fs::exists(lastPath()));

  VESKLogInit();
  VESKLogImpl("again");
  VESKLogUninit();
  std::string second = readFile(logPath());
  ASSERT_EQ(second.substr(0, first.size()), first);
  lines = splitLines(second.substr(first.size()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "");  // the empty line between the runs
  EXPECT_EQ(parse(lines[1])->message, kMarker);
  EXPECT_EQ(parse(lines[2])->message, "again");
}

// Logged data cannot make lines of its own, speak to the terminal that shows the log or turn a
// line around: a name with a forged line, ESC, BEL, SOH, DEL, a C1 control and a right-to-left
// override is written on its one line with those characters as escapes; the rest of the text
// (other scripts, invalid bytes) as it came.
TEST_F(LogTest, ControlCharactersInAMessageAreWrittenEscaped) {
  VESKLogInit();
  VESKLogImpl("login name=%s", "eve\r\n2026-01-01 00:00:00[task]: admin logged in\n\x1B[2J\x07\x01\x7F\t"
                               "\xC2\x9B" "gnp\u202Eexe \u2067x\u2069 \u6E21\xFF");
  VESKLogUninit();
  const std::vector<std::string> lines = splitLines(readFile(logPath()));
  ASSERT_EQ(2u, lines.size());
  auto line = parse(lines[1]);
  ASSERT_TRUE(line) << lines[1];
  EXPECT_EQ("login name=eve\\r\\n2026-01-01 00:00:00[task]: admin logged in\\n\\x1B[2J\\x07\\x01\\x7F\\t"
            "\\u009Bgnp\\u202Eexe \\u2067x\\u2069 \u6E21\xFF",
            line->message);
}

TEST_F(LogTest, ThreadNamesAreShortenedToFourCharacters) {
  VESKLogInit();
  auto logFrom = [](std::optional<std::string> name) {
    std::thread t([&] {
      if (name) Thread::setCurrentName(*name);
      VESKLogImpl("from %s", name.value_or("unnamed").c_str());
    });
    t.join();
  };
  logFrom("task");
  logFrom("Audio");
  logFrom("FileCache AutoClean");
  logFrom(std::nullopt);
  logFrom("");
  logFrom("\xe7\xbc\x93\xe5\xad\x98\xe7\xba\xbf\xe7\xa8\x8b\xe6\xb1\xa0");  // five CJK characters
  auto thread = Thread::start("task", [] { VESKLogImpl("on the engine thread"); });
  thread->stopAndJoin();

  std::vector<std::string> lines = splitLines(readFile(logPath()));
  ASSERT_EQ(lines.size(), 8u);
  std::vector<std::string> names;
  for (size_t i = 1; i < lines.size(); ++i) {
    auto line = parse(lines[i]);
    ASSERT_TRUE(line) << lines[i];
    names.push_back(line->thread);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"task", "Audi", "File", "null", "",
                                             "\xe7\xbc\x93\xe5\xad\x98\xe7\xba\xbf\xe7\xa8\x8b",
                                             "task"}));
}

TEST_F(LogTest, RotatesOnlyPastTwoMebibytes) {
  const std::string exactly(2097152, 'x');
  writeFile(logPath(), exactly);
  writeFile(lastPath(), "older log");

  VESKLogInit();  // the marker line is written at 2097152 bytes: no rotation yet
  EXPECT_EQ(readFile(lastPath()), "older log");
  std::string grown = readFile(logPath());
  ASSERT_EQ(grown.substr(0, exactly.size() + 2), exactly + "\r\n");
  EXPECT_EQ(parse(splitLines(grown.substr(exactly.size() + 2))[0])->message, kMarker);

  VESKLogImpl("first of the new file");  // now past the limit: this line starts a new file
  EXPECT_EQ(readFile(lastPath()), grown);
  std::vector<std::string> lines = splitLines(readFile(logPath()));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(parse(lines[0])->message, "first of the new file");
  VESKLogUninit();

  // One byte more: the very first line of the run already goes to a fresh file.
  writeFile(logPath(), exactly + "y");
  VESKLogInit();
  EXPECT_EQ(readFile(lastPath()), exactly + "y\r\n");
  lines = splitLines(readFile(logPath()));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(parse(lines[0])->message, kMarker);
}

TEST_F(LogTest, ConcurrentWritersLoseAndInterleaveNoLines) {
  VESKLogInit();
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 3000;
  const std::string padding(150, '.');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &padding] {
      Thread::setCurrentName("writer" + std::to_string(t));
      for (int i = 0; i < kLinesEach; ++i) VESKLogImpl("w%d n%d %s", t, i, padding.c_str());
    });
  }
  for (auto& t : threads) t.join();

  // About 2.3 MB in all: exactly one rotation.
  ASSERT_TRUE(fs::exists(lastPath()));
  EXPECT_GT(fs::file_size(lastPath()), 2097152u);
  std::string all = readFile(lastPath()) + readFile(logPath());
  std::vector<int> next(kThreads, 0);
  int markers = 0;
  const std::regex message(R"(^w(\d) n(\d+) (\.+)$)");
  for (const std::string& text : splitLines(all)) {
    auto line = parse(text);
    ASSERT_TRUE(line) << text;
    if (line->message == kMarker) {
      ++markers;
      continue;
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line->message, m, message)) << text;
    int t = std::stoi(m[1]);
    EXPECT_EQ(line->thread, "writ");
    EXPECT_EQ(m[3].length(), 150);
    // Each thread's lines appear once each, in the order it wrote them.
    ASSERT_EQ(std::stoi(m[2]), next[t]) << text;
    ++next[t];
  }
  EXPECT_EQ(markers, 1);
  EXPECT_EQ(next, std::vector<int>(kThreads, kLinesEach));
}

TEST_F(LogTest, DoesNothingOutsideInitAndUninit) {
  VESKLogImpl("too early %d", 1);
  EXPECT_FALSE(fs::exists(logPath()));
  EXPECT_EQ(VESKLogGetLogFilepath(), std::nullopt);
  EXPECT_EQ(VESKLogGetLastlogFilepath(), std::nullopt);

  VESKLogInit();
  VESKLogImpl("inside");
  VESKLogUninit();
  std::string content = readFile(logPath());
  VESKLogImpl("too late");
  EXPECT_EQ(readFile(logPath()), content);
  EXPECT_EQ(VESKLogGetLogFilepath(), std::nullopt);
  EXPECT_EQ(splitLines(content).size(), 2u);
}

TEST_F(LogTest, StaysClosedWhenTheFileCannotBeOpened) {
  fs::create_directories(logPath());  // a folder where the file should be
  VESKLogInit();
  VESKLogImpl("lost");
  VESKLogUninit();
  EXPECT_TRUE(fs::is_directory(logPath()));
  EXPECT_FALSE(fs::exists(lastPath()));
}

unsigned modeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(0, ::lstat(path.c_str(), &info));
  return info.st_mode & 0777u;
}

// The log is the reader's alone: owner-only files in an owner-only folder (an older version's
// open ones are tightened), and a link planted in its place is replaced, never written through.
TEST_F(LogTest, OwnerOnlyAndNeverWrittenThroughALink) {
  fs::create_directories(Paths::caches());
  writeFile(logPath(), "old line\r\n");
  writeFile(lastPath(), "older\r\n");
  fs::permissions(logPath(), fs::perms(0644));
  fs::permissions(lastPath(), fs::perms(0644));
  VESKLogInit();
  VESKLogImpl("now");
  EXPECT_EQ(modeOf(logPath()), 0600u);
  EXPECT_EQ(modeOf(lastPath()), 0600u);
  EXPECT_EQ(modeOf(Paths::caches()), 0700u);
  EXPECT_EQ(modeOf(Paths::home()), 0700u);
  VESKLogUninit();

  // A link to another of the reader's files.
  const fs::path target = home_.path() / "notes.txt";
  writeFile(target, "private notes\n");
  fs::remove(logPath());
  fs::create_symlink(target, logPath());
  VESKLogInit();
  VESKLogImpl("after the link");
  VESKLogUninit();
  EXPECT_EQ(readFile(target), "private notes\n");
  EXPECT_FALSE(fs::is_symlink(logPath()));
  EXPECT_NE(readFile(logPath()).find("after the link"), std::string::npos);
  EXPECT_EQ(modeOf(logPath()), 0600u);

  // A fresh log after rotation is made anew, not opened through a link put there meanwhile.
  writeFile(logPath(), std::string(2097153, 'x'));
  VESKLogInit();
  fs::create_symlink(target, home_.path() / "link");
  fs::rename(home_.path() / "link", lastPath());  // what rotation replaces
  VESKLogImpl("rotated");
  VESKLogUninit();
  EXPECT_EQ(readFile(target), "private notes\n");
  EXPECT_EQ(modeOf(logPath()), 0600u);
  EXPECT_NE(readFile(logPath()).find("rotated"), std::string::npos);
}

// A log or previous log found with a second name (a hard link: to a file outside the home, or a
// backup tool's) is neither appended to nor chmodded: each is set aside whole, under a name of
// its own in the home, the log is started anew, and both are reported in it.
TEST_F(LogTest, FilesOfTwoNamesAreSetAsideAndTheLogStartedAnew) {
  fs::create_directories(Paths::caches());
  const fs::path diary = home_.path() / "diary.txt";
  const fs::path letter = home_.path() / "letter.txt";
  writeFile(diary, "dear diary\n");
  writeFile(letter, "dear friend\n");
  fs::permissions(diary, fs::perms(0644));
  fs::permissions(letter, fs::perms(0644));
  fs::create_hard_link(diary, logPath());
  fs::create_hard_link(letter, lastPath());
  VESKLogInit();
  VESKLogImpl("after the hard links");
  VESKLogUninit();

  EXPECT_EQ(readFile(diary), "dear diary\n");
  EXPECT_EQ(readFile(letter), "dear friend\n");
  EXPECT_EQ(modeOf(diary), 0644u);
  EXPECT_EQ(modeOf(letter), 0644u);
  const auto logAside = TestFiles::setAside(Paths::caches(), "log.txt");
  const auto lastAside = TestFiles::setAside(Paths::caches(), "log_last.txt");
  ASSERT_EQ(logAside.size(), 1u);
  ASSERT_EQ(lastAside.size(), 1u);
  EXPECT_EQ(readFile(logAside[0]), "dear diary\n");
  EXPECT_EQ(readFile(lastAside[0]), "dear friend\n");
  EXPECT_FALSE(fs::exists(lastPath()));

  EXPECT_EQ(fs::hard_link_count(logPath()), 1u);
  EXPECT_EQ(modeOf(logPath()), 0600u);
  const auto lines = splitLines(readFile(logPath()));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(parse(lines[0])->message, kMarker);  // a fresh file: no empty line before it
  const std::string log = readFile(logPath());
  EXPECT_NE(log.find("log.txt was a file of 2 names, set aside as " +
                     logAside[0].filename().string()),
            std::string::npos);
  EXPECT_NE(log.find("log_last.txt was a file of 2 names, set aside as " +
                     lastAside[0].filename().string()),
            std::string::npos);
  EXPECT_NE(log.find("after the hard links"), std::string::npos);
}

// Named pipes planted where the logs go hold no launch: the current log is made again as a
// file, the previous one is left as it is, and nothing waits for a reader or a writer.
TEST_F(LogTest, PipesInTheLogsPlacesHoldNoLaunch) {
  TestFiles::makePipe(logPath());
  TestFiles::makePipe(lastPath());
  EXPECT_TRUE(TestFiles::finishesBesidePipes(
      [] {
        VESKLogInit();
        VESKLogImpl("after the pipes");
      },
      {logPath(), lastPath()}));
  VESKLogUninit();
  EXPECT_EQ(fs::status(lastPath()).type(), fs::file_type::fifo);
  ASSERT_TRUE(fs::is_regular_file(logPath()));  // reading a pipe here would wait for ever
  EXPECT_NE(readFile(logPath()).find("after the pipes"), std::string::npos);
}

}  // namespace
}  // namespace zu
