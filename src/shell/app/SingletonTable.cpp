#include "shell/app/SingletonTable.h"

#include <algorithm>

namespace zu {

SingletonTable& SingletonTable::shared() {
  static SingletonTable* table = new SingletonTable();
  return *table;
}

std::shared_ptr<void> SingletonTable::instanceFor(
    std::type_index type, const std::function<std::shared_ptr<void>()>& make) {
  std::lock_guard lock(mutex_);
  for (const auto& [entryType, instance] : entries_) {
    if (entryType == type) return instance;
  }
  std::shared_ptr<void> instance = make();
  if (instance) entries_.emplace_back(type, instance);
  return instance;
}

void SingletonTable::remove(std::type_index type) {
  std::shared_ptr<void> doomed;
  std::lock_guard lock(mutex_);
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const auto& entry) { return entry.first == type; });
  if (it == entries_.end()) return;
  doomed = std::move(it->second);
  entries_.erase(it);
  // The destructor runs here, still under the lock, after the entry is gone.
  doomed.reset();
}

void SingletonTable::cleanupAll() {
  std::lock_guard lock(mutex_);
  auto entries = std::move(entries_);
  entries_.clear();
  for (auto& entry : entries) entry.second.reset();
}

size_t SingletonTable::count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace zu
