#include "app/UrlOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

extern char** environ;

namespace zu {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool UrlOpener::isOpenable(const std::string& url) {
  for (const unsigned char c : url) {
    if (c <= 0x20 || c == 0x7f) return false;
  }
  const std::string_view text(url);
  for (std::string_view scheme : {"http://", "https://"}) {
    if (!startsWithNoCase(text, scheme)) continue;
    // A host must follow: not empty, and not straight into a path, query or fragment.
    const std::string_view rest = text.substr(scheme.size());
    return !rest.empty() && rest.front() != '/' && rest.front() != '?' && rest.front() != '#';
  }
  return startsWithNoCase(text, "mailto:") && text.size() > 7;
}

bool UrlOpener::open(const std::string& url, bool headless) {
  if (!isOpenable(url)) {
    // Printed with control characters as "?", so a refused address cannot drive the terminal.
    std::string shown = url;
    for (char& c : shown) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    std::printf("zureader: refused to open %s\n", shown.c_str());
    std::fflush(stdout);
    return false;
  }
  std::printf("zureader: open %s\n", url.c_str());
  std::fflush(stdout);
  if (headless) return true;
  pid_t pid = 0;
  char* args[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, args, environ) != 0) return false;
  // xdg-open may run a browser in the foreground until it closes: it is waited for (and reaped)
  // off the main thread, so the screen never freezes on it.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace zu
