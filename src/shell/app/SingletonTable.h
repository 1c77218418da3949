// SingletonTable: the process-wide table behind Singleton<T> — (class, instance) entries in the
// order the instances were made, under one recursive lock. Used through Singleton<T>; tests call
// cleanupAll() to start from an empty table.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <typeindex>
#include <utility>
#include <vector>

namespace zu {

class SingletonTable {
 public:
  static SingletonTable& shared();

  // The entry's instance, else the one `make` returns, recorded when it is not null.
  std::shared_ptr<void> instanceFor(std::type_index type,
                                    const std::function<std::shared_ptr<void>()>& make);
  void remove(std::type_index type);
  // Destroys every instance in the order they were made.
  void cleanupAll();
  size_t count() const;

 private:
  SingletonTable() = default;

  mutable std::recursive_mutex mutex_;
  std::vector<std::pair<std::type_index, std::shared_ptr<void>>> entries_;
};

}  // namespace zu
