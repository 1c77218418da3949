#include "app/DesktopProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include "platform/ui/system/LibraryFolders.h"

namespace zu {

std::optional<pid_t> DesktopProgram::start(const std::vector<std::string>& arguments, Output output) {
  if (arguments.empty()) return std::nullopt;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
  bool ready = true;
  if (output.standardOutput >= 0) {
    ready = posix_spawn_file_actions_adddup2(&actions, output.standardOutput, STDOUT_FILENO) == 0;
  }
  if (ready && output.quietErrors) {
    ready = posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0) == 0;
  }
  // Last, so the descriptors just put in place are kept and everything else goes.
  ready = ready && posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
  pid_t pid = 0;
  const bool started = ready && posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(),
                                             ui::LibraryFolders::desktopEnvironment()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return std::nullopt;
  return pid;
}

}  // namespace zu
