#include "platform/runtime/UserDefaults.h"

#include "platform/runtime/Paths.h"
#include "platform/runtime/PropertyList.h"

namespace zu {

namespace {

std::filesystem::path standardFile() { return Paths::preferences() / UserDefaults::kFileName; }

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
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) return;
  // A torn or corrupt file (or one whose top level is not a dictionary) reads as empty.
  auto v = PropertyList::readFile(file_);
  if (v && v->isDictionary()) values_ = std::move(*v->asDictionary());
}

bool UserDefaults::saveLocked() {
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  dirty_ = !PropertyList::writeFile(Value(values_), file_);
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

