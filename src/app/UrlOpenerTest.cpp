#include "app/UrlOpener.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/DesktopProgram.h"
#include "testing/MainLoopTurn.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

// Headless an accepted address counts as opened without starting anything; a refused one is
// not opened, and its line on the terminal shows no character that could drive, reorder or
// break it.
TEST(UrlOpenerTest, OpensOnlyWhatTheRulesAcceptAndPrintsRefusalsSafely) {
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(UrlOpener::open("https://example.com", true));
  EXPECT_TRUE(UrlOpener::open("mailto:a@b.c?subject=x&body=y", true));
  EXPECT_FALSE(UrlOpener::open("tel:0", true));
  EXPECT_FALSE(UrlOpener::open("file:///etc/passwd", false));
  EXPECT_FALSE(UrlOpener::open("mailto:a@b?attach=/etc/passwd&body=x", false));
  EXPECT_FALSE(UrlOpener::open("mailto:a\u202Eb@c.d\u2028\x1b[2J", false));
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ("zureader: open https://example.com\n"
            "zureader: open mailto:a@b.c?subject=x&body=y\n"
            "zureader: refused to open tel:0\n"
            "zureader: refused to open file:///etc/passwd\n"
            "zureader: refused to open mailto:a@b?attach=/etc/passwd&body=x\n"
            "zureader: refused to open mailto:a?b@c.d??[2J\n",
            printed);
}

// The programs started for the reader keep nothing of the client's but standard input, output
// and error, whatever the libraries in its process left open without close-on-exec (a socket
// pair, /dev/urandom, a /proc file): a browser started by xdg-open could otherwise hold them,
// and read or write them, for as long as it runs. Each stand-in program becomes `ls`, listing
// its own descriptors: the three, and the folder it lists.
class StartedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    bin_ = home_.path() / "bin";
    for (const char* name : {"xdg-open", "fd-list"}) {
      // xdg-open writes its list into a file; fd-list prints it.
      const std::string out = std::string(name) == "xdg-open" ? " > \"$ZU_FD_LIST\"" : "";
      TestFiles::write(bin_ / name, "#!/bin/sh\nexec ls -l /proc/self/fd" + out + "\n");
      fs::permissions(bin_ / name, fs::perms::owner_all);
    }
    setenv("PATH", (bin_.string() + ":" + savedPath_).c_str(), 1);
    // What libraries leave open in the client's process, not closed on exec.
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair_), 0);
    random_ = open("/dev/urandom", O_RDONLY);
    stat_ = open("/proc/self/stat", O_RDONLY);
    ASSERT_GE(random_, 0);
    ASSERT_GE(stat_, 0);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("ZU_FD_LIST");
    for (int fd : {pair_[0], pair_[1], random_, stat_}) {
      if (fd >= 0) close(fd);
    }
  }

  // Each descriptor of an `ls -l` listing, with what it leads to.
  static std::map<int, std::string> descriptors(const std::string& listing) {
    std::map<int, std::string> out;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
      const size_t arrow = line.find(" -> ");
      if (arrow == std::string::npos) continue;
      const size_t space = line.rfind(' ', arrow - 1);
      out[std::stoi(line.substr(space + 1, arrow - space - 1))] = line.substr(arrow + 4);
    }
    return out;
  }
  // The descriptors above standard error but the folder `ls` lists.
  static std::vector<std::string> inherited(const std::map<int, std::string>& fds) {
    std::vector<std::string> out;
    for (const auto& [fd, target] : fds) {
      if (fd > 2 && !std::regex_match(target, std::regex("/proc/[0-9]+/fd"))) {
        out.push_back(std::to_string(fd) + " -> " + target);
      }
    }
    return out;
  }

  TempHome home_;
  fs::path bin_;
  std::string savedPath_;
  int pair_[2] = {-1, -1};
  int random_ = -1;
  int stat_ = -1;
};

TEST_F(StartedProgramTest, AStartedProgramGetsOnlyStandardInputOutputAndError) {
  // The browser's opener, as the client starts it.
  const fs::path list = home_.path() / "fds";
  setenv("ZU_FD_LIST", list.c_str(), 1);
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(UrlOpener::open("https://example.com/a", false));
  ::testing::internal::GetCapturedStdout();
  // ls writes its list at once as it ends.
  ASSERT_TRUE(turnMainLoopUntil([&] { return !TestFiles::read(list).empty(); }));
  const auto opened = descriptors(TestFiles::read(list));
  EXPECT_EQ(inherited(opened), std::vector<std::string>{}) << TestFiles::read(list);
  EXPECT_TRUE(opened.count(0) && opened.count(1) && opened.count(2));

  // A query whose answer is read from a pipe, its errors dropped (the mail program's).
  int out[2];
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  const auto pid = DesktopProgram::start({"fd-list"}, {.standardOutput = out[1], .quietErrors = true});
  close(out[1]);
  ASSERT_TRUE(pid.has_value());
  std::string listing;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) listing.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(*pid, &status, 0);
  const auto queried = descriptors(listing);
  EXPECT_EQ(inherited(queried), std::vector<std::string>{}) << listing;
  ASSERT_TRUE(queried.count(1) && queried.count(2)) << listing;
  EXPECT_EQ(queried.at(1).rfind("pipe:", 0), 0u) << listing;
  EXPECT_EQ(queried.at(2), "/dev/null");
}

}  // namespace
}  // namespace zu
