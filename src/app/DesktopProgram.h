// DesktopProgram: starts a program of the desktop's for the reader — `xdg-open` with a browser's
// or mail program's address (UrlOpener), `xdg-mime` asking for the mail program (DesktopMail) —
// found on the desktop's PATH, in the desktop's environment as it was before the client pointed
// its libraries elsewhere (LibraryFolders::desktopEnvironment()).
//
// The program gets standard input, output and error and no other descriptor of the client's:
// everything above them is closed in the child before the program runs (a close-range file
// action of posix_spawn). Marking each descriptor close-on-exec could not promise that: the
// libraries in the client's process (the web engine, GLib, the sound and display libraries)
// open sockets, /dev/urandom and /proc or cgroup files of their own, not all close-on-exec, and a
// browser started by xdg-open would keep them for as long as it runs.
//
// Any thread. The caller waits for (reaps) the child.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zu {

class DesktopProgram {
 public:
  DesktopProgram() = delete;

  // What the program's standard output and error are: the client's own, or `standardOutput` (a
  // descriptor of the caller's, which stays the caller's) and error to /dev/null.
  struct Output {
    int standardOutput = -1;
    bool quietErrors = false;
  };

  // Starts `arguments` (the program's name first, looked up on PATH); the child's process id,
  // or nullopt when it could not be started.
  static std::optional<pid_t> start(const std::vector<std::string>& arguments, Output output);
  static std::optional<pid_t> start(const std::vector<std::string>& arguments) { return start(arguments, Output{}); }
};

}  // namespace zu
