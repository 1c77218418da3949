#include "app/DesktopMail.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "app/DesktopProgram.h"

namespace zu {

namespace {

// The standard output of `xdg-mime query default x-scheme-handler/mailto`, or "" when it cannot
// run, fails or takes too long.
std::string queryDefaultMailer() {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::string();
  const std::optional<pid_t> child = DesktopProgram::start({"xdg-mime", "query", "default", "x-scheme-handler/mailto"},
                                                          {.standardOutput = out[1], .quietErrors = true});
  const bool started = child.has_value();
  const pid_t pid = child.value_or(0);
  close(out[1]);
  std::string answer;
  bool finished = false;
  if (started) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int>(DesktopMail::kTimeoutSeconds * 1000));
    char buffer[512];
    while (answer.size() < 4096) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd fd{out[0], POLLIN, 0};
      if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
      const ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n <= 0) {
        finished = n == 0;
        break;
      }
      answer.append(buffer, static_cast<size_t>(n));
    }
  }
  close(out[0]);
  if (!started) return std::string();
  int status = 0;
  if (!finished) kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::string();
  return answer;
}

}  // namespace

bool DesktopMail::hasHandler() {
  std::string answer = queryDefaultMailer();
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
  // One desktop file's name: "<name>.desktop".
  constexpr const char* kSuffix = ".desktop";
  return answer.size() > 8 && answer.find('\n') == std::string::npos &&
         answer.compare(answer.size() - 8, 8, kSuffix) == 0;
}

}  // namespace zu
