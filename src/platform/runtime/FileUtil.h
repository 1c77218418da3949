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
  // Whether a write waits for the disk. kDurable flushes the new file before it replaces the
  // old one, so the new bytes survive a power cut. kDeferred leaves the flush to the system: a
  // killed process still leaves the old file or the whole new one, but a power cut may lose the
  // new one; for copies of what the service can send again.
  enum class Sync { kDurable, kDeferred };

  // Writes `data` to a temporary file beside `path` and renames it over `path`, so a reader sees
  // the old file or the whole new one, never part of it. False (and no temporary file left
  // behind) on any failure.
  static bool writeFileAtomically(const std::filesystem::path& path, const Bytes& data,
                                  Sync sync = Sync::kDurable);
  static bool writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                                  Sync sync = Sync::kDurable);
  // The paths of the items in a folder, in listing order, read before the caller removes any;
  // empty when the folder cannot be read.
  static std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder);
};

}  // namespace zu
