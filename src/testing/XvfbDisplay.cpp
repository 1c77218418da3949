#include "testing/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace zu {

namespace {

// How long the server may take to say which display it took.
constexpr int kStartMillis = 20000;

}  // namespace

XvfbDisplay::XvfbDisplay() {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
  // The writing end goes to the server as descriptor 3, where -displayfd names it.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // -terminate: the server ends when its last client has gone, so it does not outlive a test
  // that was killed or crashed (its connections close with it) and never ran the destructor.
  std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-terminate",
                                   "-screen", "0", "640x960x24"};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    pid_ = -1;
    ::close(pipeFds[0]);
    return;
  }
  // The display number and a line break come once the server takes connections.
  std::string number;
  pollfd entry{pipeFds[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos && ::poll(&entry, 1, kStartMillis) > 0) {
    char buffer[16];
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipeFds[0]);
  if (const size_t end = number.find('\n'); end != std::string::npos && end > 0) {
    name_ = ":" + number.substr(0, end);
  }
}

XvfbDisplay::~XvfbDisplay() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace zu
