// FolderHandle: a folder held open, and the file work done relative to it (openat, unlinkat,
// renameat), so that nothing it does follows a link out of the folder. The caches and the photo
// album work through it: their folders live in the reader's home, where a file or link may have
// been planted, and a cleaning that followed a link would delete whatever the link points at.
//
//  - openReal() makes sure the folder is a real one, and every folder on the way to it: a path
//    below the application home (Paths) is reached from the home's own folder one folder at a
//    time, each opened relative to the one before with O_NOFOLLOW, so no link on the way is
//    followed. A link (or a named pipe, socket or device) where a folder belongs is set aside —
//    renamed to a fresh name "<name>.aside-XXXXXX" beside it, never followed, opened or
//    deleted — and a real folder made instead; a plain file in its place is the reader's and is
//    left alone (there is no folder then). Of a path outside the home only the last folder is
//    made sure of; the folders above it are taken as they are.
//  - Each entry set aside is reported in one line (to the reporter the log sets; lines from
//    before it are kept, a few, and handed to it when it is set).
//  - Entries are named by one path part (no '/', not "." or ".."); anything else is refused.
//  - Nothing follows a link at an entry: reads and writes refuse one (O_NOFOLLOW), removing
//    one removes the link, and a folder is removed by opening it relative to its parent with
//    O_NOFOLLOW and emptying it the same way, so a removal never leaves the folder it started in.
//  - New files are made with O_CREAT | O_EXCL | O_NOFOLLOW under a fresh name, so an existing
//    file or link is never written through; a write that fails removes what it made, and what a
//    killed run left of one is removed at the next launch (removeTemporariesBelow()).
//  - A regular file with more than one name (a hard link: the other name may be a file outside
//    the home, or a backup tool's copy) is never written, truncated or chmodded in place:
//    openForWriting() first gives it a copy of its own under its name (replaceWithOwnCopy(),
//    reported), and the other names keep the file as it was. The check is the fstat of the
//    descriptor already open, so what is decided on is what is written, not a path looked at
//    before.
//
// Failures are answers (nullopt, false, -1 with errno), never exceptions. A handle owns its
// descriptor (closed on destruction; movable, not copyable) and may be used from any thread,
// but the folder's contents are whatever the threads using it make them: callers keep their
// own locks.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
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
  // place is set aside and a real folder made. nullopt when it cannot be had.
  static std::optional<FolderHandle> openReal(const std::filesystem::path& path,
                                              mode_t mode = 0755);
  // The folder at `path` as it is (below the home, reached as openReal() does but changing
  // nothing); nullopt when it or a folder on the way is missing, a link, or no folder.
  static std::optional<FolderHandle> openExisting(const std::filesystem::path& path);

  // Takes over `fd`, a folder open at `path` (closed with the handle).
  static FolderHandle adopt(int fd, std::filesystem::path path);

  // Where the lines reporting entries set aside go (any thread; null: kept until one is set).
  static void setReporter(std::function<void(const std::string& line)> reporter);
  // Drops the lines kept for a reporter not set yet (a new home's: they were of another).
  static void discardPendingReports();
  // Hands one line about the home's files to the reporter (kept, a few, until one is set).
  static void report(std::string line);

  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  ~FolderHandle();

  int fd() const { return fd_; }
  const std::filesystem::path& path() const { return path_; }

  // The subfolder `name`, as openReal() makes sure of it. With `make` false a missing folder
  // is not made (nullopt then; anything but a folder or a plain file in its place is still set
  // aside).
  std::optional<FolderHandle> openRealSubfolder(std::string_view name, mode_t mode = 0755,
                                                bool make = true) const;
  // The folder `relative` below this one as it is, reached without following a link and
  // changing nothing; nullopt when a folder on the way is missing, a link or no folder.
  std::optional<FolderHandle> openExistingPath(const std::filesystem::path& relative) const;
  // Makes sure `name` is a regular file or nothing: anything else there (a link, a named pipe,
  // a folder, a socket, a device) is set aside as a folder is (renamed beside it, reported).
  // False when it is still there.
  bool setAsideUnlessFile(std::string_view name) const;
  // Sets aside the entry, whatever it is (a file with more than one name that must not be
  // written: the log), as setAsideUnlessFile() does. True when it is gone from `name`.
  bool setAside(std::string_view name) const;
  // Removes every temporary file this class made that a run which ended (a kill, a power cut)
  // left below this folder, `depth` levels down (not through a link, nor into an entry set
  // aside): a regular file of one name, the user's, named as createTemporary() names the
  // temporaries of replaceWithOwnCopy(), writeFileAtomically() and writeNewFile() — "." + the
  // file's name + ".own.", ".tmp." or ".part." + six letters or digits. Each is reported. For a
  // launch, before anything writes (a temporary of a write under way would go too). The number
  // removed.
  size_t removeTemporariesBelow(int depth) const;
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
  // Opens the entry for writing in place: openFile() with `flags` (O_WRONLY or O_RDWR; O_CREAT
  // makes a missing file with `mode`), except that a regular file with more than one name is
  // first replaced by a copy of its own (replaceWithOwnCopy; empty when `flags` hold O_TRUNC),
  // and O_TRUNC empties only a file of one name. -1 with errno on failure.
  int openForWriting(std::string_view name, int flags, mode_t mode = 0644) const;
  // Gives the entry `name`, open as `fd` and found by the descriptor's own status to have more
  // than one name, a file of its own: its bytes (read through `fd`; none unless `keepContent`)
  // and permission bits go to a fresh file here, flushed to the disk, which is then renamed over
  // `name`; the other names keep the file as it was, untouched. Reported. Returns the new
  // file's descriptor, read-write (O_APPEND when `flags` hold it); `fd` stays open (the caller
  // closes it). -1 with errno (nothing left behind) when the copy cannot be made.
  int replaceWithOwnCopy(std::string_view name, int fd, int flags, bool keepContent) const;
  // Makes a new file under a fresh name "<prefix>XXXXXX" (O_CREAT | O_EXCL | O_NOFOLLOW, `mode`,
  // opened `access`: O_WRONLY or O_RDWR) and returns its descriptor and name; -1 when no name
  // could be had.
  int createTemporary(std::string_view prefix, std::string* name, mode_t mode = 0600,
                      int access = O_WRONLY) const;
  // Makes a new folder under a fresh name "<prefix>XXXXXX" (`mode`) and returns it held, with
  // its name; nullopt when no name could be had or the folder made cannot be opened as made.
  std::optional<FolderHandle> createTemporaryFolder(std::string_view prefix, std::string* name,
                                                    mode_t mode = 0700) const;
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
  // Whether `name` is `prefix` and six letters or digits: a fresh name as createTemporary(),
  // createTemporaryFolder() and mkdtemp() make them.
  static bool isFreshName(std::string_view name, std::string_view prefix);

 private:
  FolderHandle(int fd, std::filesystem::path path);

  int fd_ = -1;
  std::filesystem::path path_;
};

}  // namespace zu
