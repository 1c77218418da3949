#include "app/UrlOpener.h"

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <thread>

#include "app/DesktopProgram.h"
#include "platform/net/ExternalUrl.h"

namespace zu {

bool UrlOpener::open(const std::string& url, bool headless) {
  if (!ExternalUrl::isOpenable(url)) {
    // Printed with its unprintable characters as "?", so a refused address cannot drive,
    // reorder or break the terminal's line.
    std::printf("zureader: refused to open %s\n", ExternalUrl::printable(url).c_str());
    std::fflush(stdout);
    return false;
  }
  std::printf("zureader: open %s\n", url.c_str());
  std::fflush(stdout);
  if (headless) return true;
  const std::optional<pid_t> started = DesktopProgram::start({"xdg-open", url});
  if (!started) return false;
  const pid_t pid = *started;
  // xdg-open may run a browser in the foreground until it closes: it is waited for (and reaped)
  // off the main thread, so the screen never freezes on it.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace zu
