#include "platform/runtime/UserDefaults.h"

#include <unistd.h>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/PropertyList.h"

namespace zu {

namespace {

std::filesystem::path standardFile() { return Paths::preferences() / UserDefaults::kFileName; }

// The file's folder, reached without following a link (see FolderHandle::openReal), with
// anything but a regular file at the file's name set aside: a link, a named pipe or a folder
// planted there would otherwise hide the defaults at every launch and stop every write.
std::optional<FolderHandle> openFolderOf(const std::filesystem::path& file) {
  std::filesystem::path folderPath = file.parent_path();
  if (folderPath.empty()) folderPath = ".";
  std::optional<FolderHandle> folder = FolderHandle::openReal(folderPath, 0700);
  if (folder) folder->setAsideUnlessFile(file.filename().string());
  return folder;
}

// True when `v` can be written to a property list.
bool storable(const Value& v) { return PropertyList::serialize(v).has_value(); }

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file) : file_(std::move(file)) {}

UserDefaults& UserDefaults::standard() {
  // Never destroyed: other threads may still read defaults while the process exits.
  // Bound to the current home's file lazily, on first read or write.
  static UserDefaults* instance = new UserDefaults({});
  return *instance;
}

void UserDefaults::resetStandardForTesting() { standard().rebind({}); }

void UserDefaults::rebind(std::filesystem::path file) {
  std::lock_guard<std::mutex> lock(mutex_);
  file_ = std::move(file);
  values_.clear();
  loaded_ = false;
  dirty_ = false;
}

void UserDefaults::loadLocked() const {
  if (loaded_) return;
  loaded_ = true;
  values_.clear();
  if (file_.empty()) {
    // The standard instance after a reset: bind to the current home.
    file_ = standardFile();
  }
  const std::optional<FolderHandle> folder = openFolderOf(file_);
  if (!folder) return;
  // Read as a regular file only: a pipe or device in the file's place is refused, never waited
  // on. A torn or corrupt file (or one whose top level is not a dictionary) reads as empty.
  const std::optional<Bytes> bytes = folder->readFile(file_.filename().string());
  if (!bytes) return;
  auto v = PropertyList::parse(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  if (v && v->isDictionary()) values_ = std::move(*v->asDictionary());
}

bool UserDefaults::saveLocked() {
  const std::optional<FolderHandle> folder = openFolderOf(file_);
  const std::optional<std::string> text = PropertyList::serialize(Value(values_));
  // Owner-only: the defaults keep the last login's password.
  dirty_ = !folder || !text ||
           !folder->writeFileAtomically(file_.filename().string(), Bytes(text->begin(), text->end()),
                                        FileUtil::Sync::kDurable, 0600);
  if (!dirty_) ::fsync(folder->fd());  // the rename reaches the disk with its folder
  return !dirty_;
}

Value UserDefaults::objectForKey(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked();
  return values_.get(key);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
  return objectForKey(key).stringValue();
}

int64_t UserDefaults::integerForKey(std::string_view key) const {
  return objectForKey(key).intValue();
}

bool UserDefaults::boolForKey(std::string_view key) const { return objectForKey(key).boolValue(); }

double UserDefaults::doubleForKey(std::string_view key) const {
  return objectForKey(key).doubleValue();
}

std::optional<Array> UserDefaults::arrayForKey(std::string_view key) const {
  Value v = objectForKey(key);
  if (const Array* a = v.asArray()) return *a;
  return std::nullopt;
}

std::optional<Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
  Value v = objectForKey(key);
  if (const Dictionary* d = v.asDictionary()) return *d;
  return std::nullopt;
}

bool UserDefaults::set(std::string key, Value value) {
  if (value.isNull()) return removeObject(key);
  // Checked before taking the lock and before storing: one unwritable value must not make the
  // whole file unwritable.
  if (!storable(value)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked();
  // The value held already: the file holds it too (unless an earlier write failed).
  if (const Value* held = values_.find(key); held && *held == value) return !dirty_ || saveLocked();
  values_.set(std::move(key), std::move(value));
  return saveLocked();
}

bool UserDefaults::setValues(std::vector<std::pair<std::string, Value>> values) {
  for (const auto& [key, value] : values) {
    if (!value.isNull() && !storable(value)) return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked();
  bool changed = dirty_;
  for (auto& [key, value] : values) {
    if (value.isNull()) {
      changed = values_.remove(key) || changed;
    } else if (const Value* held = values_.find(key); !held || !(*held == value)) {
      values_.set(std::move(key), std::move(value));
      changed = true;
    }
  }
  return !changed || saveLocked();
}

bool UserDefaults::removeObject(std::string_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked();
  if (!values_.remove(key)) return !dirty_ || saveLocked();
  return saveLocked();
}

std::filesystem::path UserDefaults::filePath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_.empty()) file_ = standardFile();
  return file_;
}

bool UserDefaults::synchronize() {
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked();
  return !dirty_ || saveLocked();
}

}  // namespace zu

