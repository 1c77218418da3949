// FileUtil: whole-file reads and atomic whole-file writes, for the small files the caches and
// the device profile keep. Class functions only; thread-safe (each call opens its own
// descriptors). Failures are reported as nullopt / false, never thrown.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class FileUtil {
 public:
  FileUtil() = delete;

  // The regular file's bytes, or nullopt when it cannot be opened or read, or is anything else
  // (a folder, a named pipe: never waited on).
  static std::optional<Bytes> readFile(const std::filesystem::path& path);
  // The regular file's bytes as readFile() gives them, for bytes that leave the machine (an
  // upload): only of a file with one name, never through a link at its own name. A file with
  // another name (a hard link planted in the
  // home may be a file of the desktop user's, outside it) is refused, decided on the descriptor
  // read, and reported (FolderHandle::report); nullopt then.
  static std::optional<Bytes> readFileToSend(const std::filesystem::path& path);
  // The bytes of the regular file open as `fd`, read from where it stands (the descriptor stays
  // open); its status when `st` is given. nullopt for anything but a regular file, or a failed
  // read.
  static std::optional<Bytes> readOpenFile(int fd, struct stat* st = nullptr);
  // Writes all of `data` to `fd` (retrying short writes); false with errno on failure.
  static bool writeAll(int fd, const uint8_t* data, size_t size);
  // Whether a write waits for the disk. kDurable flushes the new file before it replaces the
  // old one, so the new bytes survive a power cut. kDeferred leaves the flush to the system: a
  // killed process still leaves the old file or the whole new one, but a power cut may lose the
  // new one; for copies of what the service can send again.
  enum class Sync { kDurable, kDeferred };

  // Writes `data` to a temporary file beside `path` and renames it over `path`, so a reader sees
  // the old file or the whole new one, never part of it; the file gets `mode` (0600 for files
  // that hold a secret). The temporary file is new (mkstemp: O_CREAT | O_EXCL under a fresh
  // name), so nothing planted beside `path` is written through; a link at `path` itself is
  // replaced, not followed. False (and no temporary file left behind) on any failure.
  static bool writeFileAtomically(const std::filesystem::path& path, const Bytes& data,
                                  Sync sync = Sync::kDurable, mode_t mode = 0644);
  static bool writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                                  Sync sync = Sync::kDurable, mode_t mode = 0644);
  // The paths of the items in a folder, in listing order, read before the caller removes any;
  // empty when the folder cannot be read.
  static std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder);
};

}  // namespace zu
