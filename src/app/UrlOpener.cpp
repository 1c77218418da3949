#include "app/UrlOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <thread>

#include "platform/net/ExternalUrl.h"
#include "platform/ui/system/LibraryFolders.h"

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
  pid_t pid = 0;
  char* args[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, args, ui::LibraryFolders::desktopEnvironment()) != 0) return false;
  // xdg-open may run a browser in the foreground until it closes: it is waited for (and reaped)
  // off the main thread, so the screen never freezes on it.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace zu
