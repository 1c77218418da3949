// EntryStatusPersistenter: which articles the current user has read, kept across restarts in
// "entryStatus.db" in the user's folder Documents/userEntryStatus/<user>/. Class functions over
// process-wide state: one open connection at a time, the current user's.
//
// The data engine calls globalInit() at start, changeDB() when it is created and whenever the
// user changes, and globalUninit() at shut-down. The main thread marks articles read
// (setEntryStatus) while the "task" thread reads flags (getEntryStatus); a private mutex keeps
// the shared connection and its statements to one caller at a time. The table is kept small:
// once it holds 1001 rows the oldest flags (by their whole-second `updated` time, on the
// process Clock) are reset to unread, and from 2001 rows the oldest are deleted down to 1000,
// before each write.
//
// Durability: read marks are the reader's own, so the file keeps SQLite's rollback journal with
// "synchronous" FULL: a flag set is on the disk when the call returns (kill -9 or a power cut).
#pragma once

#include <optional>
#include <string>

namespace zu {

class EntryStatusPersistenter {
 public:
  EntryStatusPersistenter() = delete;

  static constexpr const char* kFileName = "entryStatus.db";
  // Row counts at which writing a flag first resets (kResetAt) or deletes (kDeleteAt) the
  // oldest rows, keeping kKeepRows.
  static constexpr int kResetAt = 1001;
  static constexpr int kDeleteAt = 2001;
  static constexpr int kKeepRows = 1000;

  // Once per process (later calls return at once): moves the folder of an older layout,
  // Documents/EntryStatusCache/, to Documents/userEntryStatus/. Always true.
  static bool globalInit();
  // Closes the connection and forgets the user's folder.
  static void globalUninit();
  // Whether the user has a read-status folder.
  static bool isUserDBExist(const std::optional<std::string>& username);
  // Opens (creating when needed) the current user's database. Only when that succeeds is the
  // previous connection closed and replaced; otherwise it stays in use and false is returned.
  static bool changeDB();
  // Writes the flag (1 read, 0 unread) with now as its time, after pruning. Ignored without an
  // id or an open database.
  static void setEntryStatus(const std::optional<std::string>& entryId, int read);
  // The stored flag; 0 when unknown, without a database or on failure.
  static int getEntryStatus(const std::optional<std::string>& entryId);
};

}  // namespace zu
