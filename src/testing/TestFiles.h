// TestFiles: whole-file reads and writes for tests that check what code put on disk or give it
// files to read. Static functions, any thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zu {

class TestFiles {
 public:
  TestFiles() = delete;

  // The file's bytes; "" when it cannot be read.
  static std::string read(const std::filesystem::path& path);
  // Replaces the file with `data`, making its folder first. Throws std::runtime_error when the
  // file cannot be written (a broken test set-up).
  static void write(const std::filesystem::path& path, std::string_view data);
};

}  // namespace zu
