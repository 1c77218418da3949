// UserDefaults: the application's persistent key/value settings, stored as an XML property list
// "zureader.plist" in Paths::preferences().
//
// Reads coerce in the platform's manner: stringForKey turns numbers into their text,
// integerForKey / doubleForKey read numeric strings, boolForKey reads "YES"/"true"/"1" (see
// Value::boolValue); arrayForKey / dictionaryForKey give nullopt for any other type.
// set() writes through to disk at once (atomically: temp file, fsync, rename), so a crash never
// loses an acknowledged setting; setting the value a key already holds writes nothing (the file
// holds it already); setting a null Value removes the key. A torn or corrupt file on open reads
// as empty defaults (and is replaced by the next write). The file's folder is reached without
// following a link (FolderHandle::openReal), and anything but a regular file at the file's name
// (a link, a named pipe, a folder) is set aside — renamed beside it, never followed or deleted,
// and reported to the log — on each read and write, so the defaults start empty and are written
// again instead of failing at every launch.
//
// standard() is one process-wide instance, loaded lazily from the current home on first use.
// All methods are thread-safe. resetStandardForTesting() makes the standard instance forget its
// contents and reload from Paths::preferences() on next use (after Paths::setHomeForTesting).
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class UserDefaults {
 public:
  static constexpr const char* kFileName = "zureader.plist";

  // Defaults stored in `file` (loaded lazily). The standard instance uses
  // Paths::preferences() / kFileName.
  explicit UserDefaults(std::filesystem::path file);
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  static UserDefaults& standard();
  static void resetStandardForTesting();

  // The stored value, or a null Value when absent.
  Value objectForKey(std::string_view key) const;
  // A string as is, a number as its decimal text; nullopt when absent or another type.
  std::optional<std::string> stringForKey(std::string_view key) const;
  // 0 / false / 0.0 when absent or not convertible.
  int64_t integerForKey(std::string_view key) const;
  bool boolForKey(std::string_view key) const;
  double doubleForKey(std::string_view key) const;
  std::optional<Array> arrayForKey(std::string_view key) const;
  std::optional<Dictionary> dictionaryForKey(std::string_view key) const;

  // Stores `value` (null removes the key) and writes the file. Values that a property list
  // cannot hold (objects other than PropertyListDate) are not stored; returns false then, or
  // when the write fails (the value is kept in memory and retried by synchronize()).
  bool set(std::string key, Value value);
  bool removeObject(std::string_view key);
  // Stores (or, for null values, removes) every pair in order and writes the file once. Nothing
  // is stored when any value cannot be (false then).
  bool setValues(std::vector<std::pair<std::string, Value>> values);
  // Writes any change not yet on disk. Returns false when the write fails.
  bool synchronize();

  std::filesystem::path filePath() const;

 private:
  void loadLocked() const;
  bool saveLocked();
  void rebind(std::filesystem::path file);

  mutable std::mutex mutex_;
  mutable std::filesystem::path file_;  // empty: the standard file of the current home
  mutable Dictionary values_;
  mutable bool loaded_ = false;
  bool dirty_ = false;
};

}  // namespace zu
