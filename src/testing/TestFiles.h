// TestFiles: whole-file reads and writes for tests that check what code put on disk or give it
// files to read. Static functions, any thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

class TestFiles {
 public:
  TestFiles() = delete;

  // The file's bytes; "" when it cannot be read.
  static std::string read(const std::filesystem::path& path);
  // Replaces the file with `data`, making its folder first. Throws std::runtime_error when the
  // file cannot be written (a broken test set-up).
  static void write(const std::filesystem::path& path, std::string_view data);
  // Makes a named pipe at `path` (its folder first). Throws std::runtime_error when it cannot.
  static void makePipe(const std::filesystem::path& path);
  // What `folder` holds, for comparing before and after: for the folder itself (".") and each
  // entry below it (by relative path, links not followed) its kind and mode, and a file's bytes
  // or a link's target.
  static std::map<std::string, std::string> snapshot(const std::filesystem::path& folder);
  // The entries of `folder` that the entry `name` was set aside as ("<name>.aside-XXXXXX").
  static std::vector<std::filesystem::path> setAside(const std::filesystem::path& folder,
                                                     const std::string& name);
  // Runs `work` on a thread of its own and tells whether it returned within `limit`. When it
  // did not (an open waiting on one of `pipes`), each pipe is opened at both ends so the open
  // returns, and the thread is joined before false is returned: a test fails instead of hanging.
  static bool finishesBesidePipes(const std::function<void()>& work,
                                  const std::vector<std::filesystem::path>& pipes,
                                  std::chrono::milliseconds limit = std::chrono::seconds(5));
};

}  // namespace zu
