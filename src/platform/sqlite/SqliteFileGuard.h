// SqliteFileGuard: SQLite never writes a file of more than one name. A store, its journal, its
// write-ahead log or its shared-memory index found with a second name (a hard link planted in
// the home may be a file of the desktop user's outside it; a backup tool links the home's files
// too) is first replaced by a copy of one name, its content kept, and the other names keep the
// file as it was (FolderHandle::replaceWithOwnCopy, reported).
//
// SQLite opens those files itself, by path, some of them again for every transaction, so the
// check sits in its own open call: install() replaces the "open" (and "close") system call of
// SQLite's unix file layer, process-wide. The decision is taken on the descriptor SQLite opened
// (its fstat's link count), never on a path looked at before, and the copy's descriptor is the
// one SQLite gets. A file opened for reading only is let through as it is (nothing is written to
// it). A file SQLite already holds open for writing in this process keeps its inode whatever
// names were added to it since (a copy would split one store between two connections); opens
// and closes are serialised so that two connections never copy the same file twice.
//
// Database::open() installs it before the first connection; any thread, idempotent. False when
// SQLite's file layer offers no way to replace its system calls (then nothing is checked).
#pragma once

namespace zu {

class SqliteFileGuard {
 public:
  SqliteFileGuard() = delete;

  static bool install();
};

}  // namespace zu
