// FolderHandle: a folder held open, and the file work done relative to it (openat, unlinkat,
// renameat), so that nothing it does follows a link out of the folder. The caches and the photo
// album work through it: their folders live in the reader's home, where a file or link may have
// been planted, and a cleaning that followed a link would delete whatever the link points at.
//
//  - openReal() makes sure the folder itself is a real one: a link in its place is removed —
//    only the link, never what it points at — and a real folder made instead (a plain file in
//    its place is left alone, and there is no folder). The folders above it are taken as they
//    are (the home is the reader's own).
//  - Entries are named by one path part (no '/', not "." or ".."); anything else is refused.
//  - Nothing follows a link at an entry: reads and writes refuse one (O_NOFOLLOW), removing
//    one removes the link, and a folder is removed by opening it relative to its parent with
//    O_NOFOLLOW and emptying it the same way, so a removal never leaves the folder it started in.
//  - New files are made with O_CREAT | O_EXCL | O_NOFOLLOW under a fresh name, so an existing
//    file or link is never written through; a write that fails removes what it made.
//
// Failures are answers (nullopt, false, -1 with errno), never exceptions. A handle owns its
// descriptor (closed on destruction; movable, not copyable) and may be used from any thread,
// but the folder's contents are whatever the threads using it make them: callers keep their
// own locks.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Value.h"

namespace zu {

class FolderHandle {
 public:
  // The folder at `path`, made with `mode` (and its missing parents) when absent; a link in its
  // place is removed and a real folder made. nullopt when it cannot be had.
  static std::optional<FolderHandle> openReal(const std::filesystem::path& path,
                                              mode_t mode = 0755);
  // The folder at `path` as it is; nullopt when it is missing, a link, or no folder.
  static std::optional<FolderHandle> openExisting(const std::filesystem::path& path);

  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  ~FolderHandle();

  int fd() const { return fd_; }
  const std::filesystem::path& path() const { return path_; }

  // The subfolder `name`, as openReal() makes sure of it.
  std::optional<FolderHandle> openRealSubfolder(std::string_view name, mode_t mode = 0755) const;
  // The entries' names (no "." and ".."), in listing order; empty when the folder cannot be read.
  std::vector<std::string> names() const;
  // The entry's own status (a link is reported as a link); nullopt when there is none.
  std::optional<struct stat> status(std::string_view name) const;
  // Whether the entry is a regular file (not a link to one).
  bool isRegularFile(std::string_view name) const;

  // Removes the entry: a file or link itself, a folder with everything in it. True when the
  // entry is gone (or was never there).
  bool remove(std::string_view name) const;
  // Removes every entry; true when the folder is empty afterwards.
  bool removeAll() const;
  // Renames an entry to another name in this folder (replacing what that name held).
  bool rename(std::string_view from, std::string_view to) const;

  // The bytes of a regular file entry (a link is refused); its status when `st` is given.
  std::optional<Bytes> readFile(std::string_view name, struct stat* st = nullptr) const;
  // Opens an entry with openat(flags | O_NOFOLLOW | O_CLOEXEC, mode); -1 with errno on failure.
  int openFile(std::string_view name, int flags, mode_t mode = 0644) const;
  // Makes a new file under a fresh name "<prefix>XXXXXX" (O_CREAT | O_EXCL | O_NOFOLLOW, `mode`)
  // and returns its descriptor and name; -1 when no name could be had.
  int createTemporary(std::string_view prefix, std::string* name, mode_t mode = 0600) const;
  // Writes `data` to a fresh temporary file here and renames it over `name`, so a reader sees
  // the old file or the whole new one; the file gets `mode`. False (and nothing left behind) on
  // any failure.
  bool writeFileAtomically(std::string_view name, const Bytes& data,
                           FileUtil::Sync sync = FileUtil::Sync::kDurable, mode_t mode = 0644) const;

  // Writes `data` to a fresh temporary file here and puts it in place as `name` only when no
  // entry of that name exists (a new file never replaces one); the file gets `mode`. False (and
  // nothing left behind) when the name is taken or on any failure; errno is EEXIST for a taken
  // name.
  bool writeNewFile(std::string_view name, const Bytes& data, mode_t mode = 0644) const;

  // Whether `name` is one path part that names an entry of a folder.
  static bool isEntryName(std::string_view name);

 private:
  FolderHandle(int fd, std::filesystem::path path);

  int fd_ = -1;
  std::filesystem::path path_;
};

}  // namespace zu
