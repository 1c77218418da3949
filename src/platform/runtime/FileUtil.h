// FileUtil: whole-file reads and atomic whole-file writes, for the small files the caches and
// the device profile keep. Class functions only; thread-safe (each call opens its own
// descriptors). Failures are reported as nullopt / false, never thrown.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class FileUtil {
 public:
  FileUtil() = delete;

  // The file's bytes, or nullopt when it cannot be opened or read (a folder included).
  static std::optional<Bytes> readFile(const std::filesystem::path& path);
  // Writes `data` to a temporary file beside `path`, flushes it and renames it over `path`, so
  // a reader sees the old file or the whole new one, never part of it. False (and no temporary
  // file left behind) on any failure.
  static bool writeFileAtomically(const std::filesystem::path& path, const Bytes& data);
  static bool writeFileAtomically(const std::filesystem::path& path, std::string_view data);
  // The paths of the items in a folder, in listing order, read before the caller removes any;
  // empty when the folder cannot be read.
  static std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder);
};

}  // namespace zu
